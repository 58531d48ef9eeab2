#include <travimo/control/type_info.h>

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "control/about_page.h"

namespace travimo {
namespace {

// Hosts call members by slot and id and create classes by GUID: slots follow
// the table without gaps, ids and GUIDs are unique and well formed, every
// class names interfaces that exist.
TEST(TypeInfoTest, SlotsIdsAndGuidsHoldTogether) {
  const auto members = TravimoMembers();
  std::set<int32_t> ids;
  for (size_t i = 0; i < members.size(); ++i) {
    SCOPED_TRACE(std::string(members[i].name));
    EXPECT_EQ(members[i].slot, static_cast<int>(i + 1));
    EXPECT_TRUE(ids.insert(members[i].dispId).second);
    EXPECT_EQ(FindMember(members[i].name), &members[i]);
  }
  EXPECT_EQ(FindMember("Font")->dispId, -512);  // the standard font's id
  std::set<int32_t> eventIds;
  for (const auto& event : TravimoEventMembers()) EXPECT_TRUE(eventIds.insert(event.dispId).second);

  std::set<std::string_view> guids{TypeLibrary().guid};
  for (const auto& cls : LibraryClasses()) EXPECT_TRUE(guids.insert(cls.guid).second) << cls.name;
  for (const auto& itf : LibraryInterfaces())
    EXPECT_TRUE(guids.insert(itf.guid).second) << itf.name;
  const std::regex form("\\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\\}", std::regex::icase);
  for (const auto guid : guids)
    EXPECT_TRUE(std::regex_match(guid.begin(), guid.end(), form)) << guid;
  for (const auto& cls : LibraryClasses()) {
    SCOPED_TRACE(std::string(cls.name));
    EXPECT_NE(FindInterface(cls.defaultInterface), nullptr);
    EXPECT_TRUE(cls.eventInterface.empty() || FindInterface(cls.eventInterface));
  }
  EXPECT_EQ(FindClass("Travimo")->eventInterface, "__Travimo");
}

// The page shows a caption the way the button does; the minor version has at
// least two digits.
TEST(AboutPageTest, VersionLineAndCaptionsAsShown) {
  for (const auto& [minor, line] : {std::pair{0, "Version 1.00.7"},
                                    {12, "Version 1.12.7"},
                                    {123, "Version 1.123.7"}}) {
    EXPECT_EQ(MakeAboutPage(VersionRecord{1, minor, 7}).Find("lblVersion")->text, line);
  }
  // The image is no text; the doubled ampersand is stored as it is and shown as one.
  EXPECT_EQ(RenderAboutText(MakeAboutPage(kLibraryVersion)),
            "Caldrin Travimo ActiveX Control\n"
            "Version 1.01.7\n"
            "This control will allow you to retrieve ScanData\n"
            "From Lorvex, Brevane & Quenta\n");
  for (const auto& [caption, shown] :
       {std::pair{"&Read", "Read"}, {"A &&&B", "A &B"}, {"Save &", "Save &"}, {"", ""}}) {
    EXPECT_EQ(DisplayedCaption(caption), shown);
  }
}

}  // namespace
}  // namespace travimo
