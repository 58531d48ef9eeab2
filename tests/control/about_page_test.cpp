#include "control/about_page.h"

#include <gtest/gtest.h>

namespace travimo {
namespace {

TEST(AboutPageTest, TheMinorVersionHasAtLeastTwoDigits) {
  for (const auto& [minor, line] : {std::pair{0, "Version 1.00.7"},
                                    {1, "Version 1.01.7"},
                                    {12, "Version 1.12.7"},
                                    {123, "Version 1.123.7"}}) {
    const AboutPage page = MakeAboutPage(VersionRecord{1, minor, 7});
    ASSERT_NE(page.Find("lblVersion"), nullptr);
    EXPECT_EQ(page.Find("lblVersion")->text, line);
  }
}

TEST(AboutPageTest, ElementsAndTheirRendering) {
  const AboutPage page = MakeAboutPage(kLibraryVersion);
  const AboutElement* title = page.Find("Label1");
  ASSERT_NE(title, nullptr);
  EXPECT_TRUE(title->bold);
  EXPECT_EQ(title->font, "MS Sans Serif");
  EXPECT_FALSE(page.Find("Label3")->bold);
  EXPECT_TRUE(page.Find("Image1")->image);
  EXPECT_EQ(page.Find("NoSuchLabel"), nullptr);
  // The doubled ampersand is stored as it is and shown as one.
  EXPECT_EQ(page.Find("Label4")->text, "From Lorvex, Brevane && Quenta");
  EXPECT_EQ(RenderAboutText(page),
            "Caldrin Travimo ActiveX Control\n"
            "Version 1.01.7\n"
            "This control will allow you to retrieve ScanData\n"
            "From Lorvex, Brevane & Quenta\n");
}

TEST(AboutPageTest, CaptionEscapes) {
  EXPECT_EQ(DisplayedCaption("&Read"), "Read");
  EXPECT_EQ(DisplayedCaption("A &&&B"), "A &B");
  EXPECT_EQ(DisplayedCaption("Save &"), "Save &");
  EXPECT_EQ(DisplayedCaption(""), "");
}

}  // namespace
}  // namespace travimo
