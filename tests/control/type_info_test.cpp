#include "control/type_info.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace travimo {
namespace {

TEST(TypeInfoTest, MembersAreInSlotOrder) {
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
}

// What a host's calls depend on: how each member is called and what it takes.
TEST(TypeInfoTest, OperationsAndParameters) {
  struct Case {
    const char* name;
    Operations ops;
    const char* type;
  };
  const Case cases[] = {
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
    EXPECT_EQ(member->operations.get, c.ops.get);
    EXPECT_EQ(member->operations.let, c.ops.let);
    EXPECT_EQ(member->operations.set, c.ops.set);
    EXPECT_EQ(member->operations.method, c.ops.method);
    EXPECT_EQ(member->type, c.type);
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
}

bool IsGuid(std::string_view text) {
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return false;
  for (size_t i = 1; i < 37; ++i) {
    const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    if (dash ? text[i] != '-' : !std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

TEST(TypeInfoTest, DispatchIdsAndGuidsAreUnique) {
  std::set<int32_t> ids;
  for (const auto& member : TravimoMembers()) EXPECT_TRUE(ids.insert(member.dispId).second);
  std::set<int32_t> eventIds;
  for (const auto& event : TravimoEventMembers()) EXPECT_TRUE(eventIds.insert(event.dispId).second);

  std::set<std::string_view> guids{TypeLibrary().guid};
  for (const auto& cls : LibraryClasses()) EXPECT_TRUE(guids.insert(cls.guid).second) << cls.name;
  for (const auto& itf : LibraryInterfaces())
    EXPECT_TRUE(guids.insert(itf.guid).second) << itf.name;
  for (const auto guid : guids) EXPECT_TRUE(IsGuid(guid)) << guid;
}

TEST(TypeInfoTest, EveryClassNamesInterfacesThatExist) {
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

}  // namespace
}  // namespace travimo
