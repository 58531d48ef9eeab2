#include "control/about_page.h"

#include <gtest/gtest.h>

namespace travimo {
namespace {

TEST(AboutPageTest, TheMinorVersionHasAtLeastTwoDigits) {
  struct Case {
    int minor;
    const char* line;
  };
  for (const Case& c : {Case{0, "Version 1.00.7"}, Case{1, "Version 1.01.7"},
                        Case{12, "Version 1.12.7"}, Case{123, "Version 1.123.7"}}) {
    const AboutPage page = MakeAboutPage(VersionRecord{1, c.minor, 7});
    ASSERT_NE(page.Find("lblVersion"), nullptr);
    EXPECT_EQ(page.Find("lblVersion")->text, c.line);
  }
}

TEST(AboutPageTest, TheLibraryVersionShowsAsOneZeroOneSeven) {
  EXPECT_EQ(VersionLine(kLibraryVersion), "Version 1.01.7");
}

TEST(AboutPageTest, ElementsCarryTheirTextsAndTheTitleIsBold) {
  const AboutPage page = MakeAboutPage(kLibraryVersion);
  const AboutElement* title = page.Find("Label1");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->text, "Caldrin Travimo ActiveX Control");
  EXPECT_TRUE(title->bold);
  EXPECT_EQ(title->font, "MS Sans Serif");
  EXPECT_EQ(page.Find("Label3")->text, "This control will allow you to retrieve ScanData");
  EXPECT_FALSE(page.Find("Label3")->bold);
  ASSERT_NE(page.Find("Image1"), nullptr);
  EXPECT_TRUE(page.Find("Image1")->image);
  EXPECT_EQ(page.Find("NoSuchLabel"), nullptr);
}

TEST(AboutPageTest, TheDoubledAmpersandIsStoredAndShownAsOne) {
  const AboutPage page = MakeAboutPage(kLibraryVersion);
  const AboutElement* line = page.Find("Label4");
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->text, "From Lorvex, Brevane && Quenta");
  EXPECT_EQ(line->Displayed(), "From Lorvex, Brevane & Quenta");
}

TEST(AboutPageTest, CaptionEscapes) {
  EXPECT_EQ(DisplayedCaption("&Read"), "Read");     // access key marker
  EXPECT_EQ(DisplayedCaption("A &&&B"), "A &B");    // escape, then a marker
  EXPECT_EQ(DisplayedCaption("Save &"), "Save &");  // nothing to mark
  EXPECT_EQ(DisplayedCaption(""), "");
}

TEST(AboutPageTest, PlainTextRenderingHasOneLinePerLabelInPageOrder) {
  EXPECT_EQ(RenderAboutText(MakeAboutPage(kLibraryVersion)),
            "Caldrin Travimo ActiveX Control\n"
            "Version 1.01.7\n"
            "This control will allow you to retrieve ScanData\n"
            "From Lorvex, Brevane & Quenta\n");
}

}  // namespace
}  // namespace travimo
