#include <travimo/control/type_info.h>

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "control/about_page.h"

namespace travimo {
namespace {

TEST(TypeInfoTest, MembersClassesAndTheirIds) {
  std::istringstream expected(
      "ScanDataType BKWait ScanNumber ScanDataElement NumberOfPoints Enabled Font Handshaking hWnd "
      "InBufferCount InBufferSize MouseIcon MousePointer Picture RThreshold RTSEnable Settings "
      "DisabledPicture DownPicture CommPort Caption Style NumberOfScans ArrayStart Temp_Units "
      "ReadTravimo Value ContPower TravimoType CancelTransfer BlueLineTrigger CurrentScanDataType "
      "GetScanDataType StringScanData OstrelData BrevaneData OneScanDataArray LorvexData BackColor "
      "FlashColor OutPutFileName SaveRawData");
  const auto members = TravimoMembers();
  size_t i = 0;
  for (std::string name; expected >> name; ++i) {
    ASSERT_LT(i, members.size());
    EXPECT_EQ(members[i].name, name);
    EXPECT_EQ(members[i].slot, static_cast<int>(i + 1));
  }
  EXPECT_EQ(members.size(), i);
  EXPECT_EQ(FindMember("Font")->dispId, -512);  // the standard font's id
  // What a host's calls depend on: how each member is called and what it takes.
  const struct {
    const char* name;
    Operations ops;
    const char* type;
  } cases[] = {
      {"BKWait", {.method = true}, ""},
      {"hWnd", {.get = true}, "Long"},
      {"Value", {.let = true}, "Boolean"},
      {"OstrelData", {.get = true, .set = true}, "COstrelCls"},
      {"LorvexData", {.get = true, .let = true}, "CLorvexCls"},  // a Let, not a Set
      {"TravimoType", {.get = true, .let = true}, "TravimoTypeEnum"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const MemberInfo* member = FindMember(c.name);
    ASSERT_NE(member, nullptr);
    const Operations& ops = member->operations;
    EXPECT_EQ(std::tuple(ops.get, ops.let, ops.set, ops.method, member->type),
              std::tuple(c.ops.get, c.ops.let, c.ops.set, c.ops.method, c.type));
  }
  const MemberInfo* element = FindMember("ScanDataElement");
  ASSERT_EQ(element->parameters.size(), 2u);
  EXPECT_TRUE(element->parameters[1].byRef);
  std::set<std::string> hidden;
  for (const auto& member : TravimoMembers()) {
    if (member.hidden) hidden.insert(std::string(member.name));
  }
  EXPECT_EQ(hidden, (std::set<std::string>{"NumberOfScans", "CancelTransfer", "CurrentScanDataType",
                                           "StringScanData"}));
  const auto events = TravimoEventMembers();
  ASSERT_EQ(events.size(), 5u);
  ASSERT_EQ(events[4].parameters.size(), 1u);
  EXPECT_EQ(events[4].name, "TravimoError");

  // Ids and GUIDs are unique; every class names interfaces that exist.
  std::set<int32_t> ids;
  for (const auto& member : TravimoMembers()) EXPECT_TRUE(ids.insert(member.dispId).second);
  std::set<int32_t> eventIds;
  for (const auto& event : TravimoEventMembers()) EXPECT_TRUE(eventIds.insert(event.dispId).second);

  std::set<std::string_view> guids{TypeLibrary().guid};
  for (const auto& cls : LibraryClasses()) EXPECT_TRUE(guids.insert(cls.guid).second) << cls.name;
  for (const auto& itf : LibraryInterfaces())
    EXPECT_TRUE(guids.insert(itf.guid).second) << itf.name;
  const std::regex form("\\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\\}", std::regex::icase);
  for (const auto guid : guids) {
    EXPECT_TRUE(std::regex_match(guid.begin(), guid.end(), form)) << guid;
  }
  EXPECT_EQ(LibraryClasses().size(), 10u);
  for (const auto& cls : LibraryClasses()) {
    SCOPED_TRACE(std::string(cls.name));
    EXPECT_NE(FindInterface(cls.defaultInterface), nullptr);
    if (!cls.eventInterface.empty()) {
      EXPECT_NE(FindInterface(cls.eventInterface), nullptr);
    }
  }
  ASSERT_NE(FindClass("Travimo"), nullptr);
  EXPECT_TRUE(FindClass("Travimo")->isControl);
  EXPECT_EQ(FindClass("Travimo")->eventInterface, "__Travimo");
  EXPECT_TRUE(FindClass("About")->isPropertyPage);
  EXPECT_EQ(LibraryEnumerations().size(), 6u);
}

// The page shows a caption the way the button does; the minor version has at
// least two digits.
TEST(AboutPageTest, ElementsAndTheirRendering) {
  for (const auto& [minor, line] : {std::pair{0, "Version 1.00.7"},
                                    {12, "Version 1.12.7"},
                                    {123, "Version 1.123.7"}}) {
    EXPECT_EQ(MakeAboutPage(VersionRecord{1, minor, 7}).Find("lblVersion")->text, line);
  }
  const AboutPage page = MakeAboutPage(kLibraryVersion);
  const AboutElement* title = page.Find("Label1");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(std::tuple(title->bold, title->font, page.Find("Label3")->bold),
            std::tuple(true, "MS Sans Serif", false));
  EXPECT_TRUE(page.Find("Image1")->image);
  EXPECT_EQ(page.Find("NoSuchLabel"), nullptr);
  // The doubled ampersand is stored as it is and shown as one.
  EXPECT_EQ(page.Find("Label4")->text, "From Lorvex, Brevane && Quenta");
  EXPECT_EQ(RenderAboutText(page),
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
