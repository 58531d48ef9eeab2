#include <travimo/control/type_info.h>

#include <array>

#include <travimo/platform/version.h>

namespace travimo {
namespace {

// GUIDs are fixed once and for all: hosts that saved a form refer to them.
constexpr LibraryInfo kLibrary{
    "TravimoCtrl", "Travimo - Retrieve Data From Lorvex, Ostrel, Brevane",
    "{FC8CD716-A847-4824-A2F9-55B82246A77E}", kLibraryVersion.major, kLibraryVersion.minor};

constexpr std::array kInterfaces{
    InterfaceInfo{"_Travimo", "{F0D81F82-7436-4940-92E7-E1A0A9527F42}"},
    InterfaceInfo{"__Travimo", "{56991A5D-FFC2-4086-B10B-CC1850998C9B}", true},
    InterfaceInfo{"_CScanDataCls", "{C7A64ADC-EA8F-42EC-89E5-9C24BF63C335}"},
    InterfaceInfo{"_CScanDataColCls", "{B4C465B2-9560-4492-A965-A72CE9A6DF77}"},
    InterfaceInfo{"_CLorvexCls", "{45A2D6B9-807D-4611-922B-DDE8EF9ACE61}"},
    InterfaceInfo{"_CLorvexColCls", "{0DB331C5-3015-447F-991D-4390B5D3AA2B}"},
    InterfaceInfo{"_COstrelCls", "{E3DC3548-1168-4BFB-99AC-CAD5B8C7D278}"},
    InterfaceInfo{"_COstrelColCls", "{51074DB5-5A2A-4CF6-B2E5-E09C6C98C75F}"},
    InterfaceInfo{"_CBrevaneCls", "{3CD989DB-C3AF-4C01-B167-5E5804521166}"},
    InterfaceInfo{"_CBrevaneColCls", "{D31D5A71-97A3-4AC6-BB0C-E311045637B3}"},
    InterfaceInfo{"_About", "{4F5F2029-88F7-4E31-9653-31BED340E100}"},
};

constexpr std::array kClasses{
    ClassInfo{"Travimo", "{877B02B2-2664-4FD3-9FBE-9751C05D74E7}", "_Travimo", "__Travimo", true},
    ClassInfo{"CScanDataCls", "{ED8C2AC5-CE60-4D4B-9184-9AAAFBF84715}", "_CScanDataCls", ""},
    ClassInfo{"CScanDataColCls", "{CB73BEAE-6C03-490D-B78B-DE18AA2786F8}", "_CScanDataColCls", ""},
    ClassInfo{"CLorvexCls", "{8B81A09E-4ADD-4E14-BC88-349207F388F5}", "_CLorvexCls", ""},
    ClassInfo{"CLorvexColCls", "{9F57CFD1-C957-4311-A625-6EA018D312F8}", "_CLorvexColCls", ""},
    ClassInfo{"COstrelCls", "{623B0583-C4F8-4A22-8625-E76D34BF0487}", "_COstrelCls", ""},
    ClassInfo{"COstrelColCls", "{738B0C7F-EA8D-4256-A79C-64A20DB9846A}", "_COstrelColCls", ""},
    ClassInfo{"CBrevaneCls", "{F6099E07-4A19-4037-960E-6869F803EA3E}", "_CBrevaneCls", ""},
    ClassInfo{"CBrevaneColCls", "{8B28E592-55AE-4114-A650-D44EB11A278B}", "_CBrevaneColCls", ""},
    ClassInfo{"About", "{642C4052-54EB-4417-A513-A02E1DDE007C}", "_About", "", false, true},
};

constexpr Operations kGetLet{.get = true, .let = true};
constexpr Operations kGetSet{.get = true, .set = true};
constexpr Operations kGet{.get = true};
constexpr Operations kLet{.let = true};
constexpr Operations kMethod{.method = true};

constexpr std::array kBKWaitParams{ParameterInfo{"HowManySecs", "Long"}};
constexpr std::array kElementParams{ParameterInfo{"ScanNumber", "Long"},
                                    ParameterInfo{"ScanDataItem", "Long"}};
constexpr std::array kScanNumParams{ParameterInfo{"ScanNum", "Long"}};

// Help texts that several members share.
constexpr std::string_view kRespondHelp =
    "Returns/sets a value that determines whether an object can respond to user-generated events.";

constexpr std::array<MemberInfo, 42> kMembers{{
    {1,
     1,
     "ScanDataType",
     kGetLet,
     "TravimoDataTypeEnum",
     {},
     "Sets\\Returns Type of scan data (Moisture or Temperature)"},
    {2, 2, "BKWait", kMethod, "", kBKWaitParams, "Pauses program for specified amount of time"},
    {3, 3, "ScanNumber", kGetLet, "Long", {}, "Sets/Returns current scan number"},
    {4, 4, "ScanDataElement", kMethod, "Single", kElementParams,
     "Sets/Returns scan data element from ScanArray(ScanNumber,ScanDataItem)"},
    {5,
     5,
     "NumberOfPoints",
     kGetLet,
     "NumberOfPointsEnum",
     {},
     "Sets/Returns Number of points to return"},
    {6, 6, "Enabled", kGetLet, "Boolean", {}, kRespondHelp},
    {7, kFontDispId, "Font", kGetSet, "Font", {}, "Returns a Font object."},
    // The serial component's handshaking values, 0 to 3.
    {8, 8, "Handshaking", kGetLet, "Long", {}, "Sets/Returns the hardware handshaking protocol."},
    {9,
     9,
     "hWnd",
     kGet,
     "Long",
     {},
     "Returns a handle (from Microsoft Windows) to an object's window."},
    {10,
     10,
     "InBufferCount",
     kGetLet,
     "Long",
     {},
     "Returns the number of characters waiting in the receive buffer."},
    {11,
     11,
     "InBufferSize",
     kGetLet,
     "Long",
     {},
     "Sets/returns the size of the receive buffer in bytes."},
    {12, 12, "MouseIcon", kGetSet, "Picture", {}, "Sets a custom mouse icon."},
    {13,
     13,
     "MousePointer",
     kGetLet,
     "Integer",
     {},
     "Returns/sets the type of mouse pointer displayed when over part of an object."},
    {14,
     14,
     "Picture",
     kGetSet,
     "Picture",
     {},
     "Returns/sets a graphic to be displayed in a CommandButton, OptionButton or CheckBox "
     "control, if Style is set to 1."},
    {15,
     15,
     "RThreshold",
     kGetLet,
     "Long",
     {},
     "Sets/returns the number of characters to receive."},
    {16,
     16,
     "RTSEnable",
     kGetLet,
     "Boolean",
     {},
     "Determines whether to enable the Request To Send line."},
    {17, 17, "Settings", kGetLet, "String", {}, ""},
    {18,
     18,
     "DisabledPicture",
     kGetSet,
     "Picture",
     {},
     "Returns/sets a graphic to be displayed when the button is disabled, if Style is set to 1."},
    {19,
     19,
     "DownPicture",
     kGetSet,
     "Picture",
     {},
     "Returns/sets a graphic to be displayed when the button is in the down position, if Style "
     "is set to 1."},
    {20, 20, "CommPort", kGetLet, "Integer", {}, "Returns/sets the communications port number."},
    {21,
     21,
     "Caption",
     kGetLet,
     "String",
     {},
     "Returns/sets the text displayed in an object's title bar or below an object's icon."},
    {22,
     22,
     "Style",
     kGet,
     "Integer",
     {},
     "Returns/sets the appearance of the control, whether standard (standard Windows style) or "
     "graphical (with a custom picture)."},
    {23,
     23,
     "NumberOfScans",
     kGetLet,
     "Long",
     {},
     "Returns Number of scans read from the Lorvex",
     true},
    {24,
     24,
     "ArrayStart",
     kGetLet,
     "Long",
     {},
     "Returns element number from which scan array starts"},
    {25,
     25,
     "Temp_Units",
     kGetLet,
     "TemperatureTypeEnum",
     {},
     "Sets/Returns current temperature units (Celsius or Fahrenheit)"},
    {26, 26, "ReadTravimo", kMethod, "Variant", {}, "Reads scans from the Lorvex"},
    {27, 27, "Value", kLet, "Boolean", {}, "Returns/sets the value of an object."},
    {28, 28, "ContPower", kGetLet, "Boolean", {}, kRespondHelp},
    {29,
     29,
     "TravimoType",
     kGetLet,
     "TravimoTypeEnum",
     {},
     "Sets/Returns current Travimo Type (Lorvex or Quenta)"},
    {30, 30, "CancelTransfer", kGetLet, "Boolean", {}, "", true},
    {31,
     31,
     "BlueLineTrigger",
     kGetLet,
     "BlueLineTriggerType",
     {},
     "Sets/Returns BlueLine triggered data"},
    {32,
     32,
     "CurrentScanDataType",
     kGetLet,
     "String",
     {},
     "Get type of ScanData in current Scan",
     true},
    {33, 33, "GetScanDataType", kMethod, "String", kScanNumParams, ""},
    {34, 34, "StringScanData", kGetLet, "String", {}, "", true},
    {35, 35, "OstrelData", kGetSet, "COstrelCls", {}, ""},
    {36, 36, "BrevaneData", kGetSet, "CBrevaneCls", {}, ""},
    {37, 37, "OneScanDataArray", kGet, "Single()", {}, ""},
    {38, 38, "LorvexData", kGetLet, "CLorvexCls", {}, ""},
    {39,
     39,
     "BackColor",
     kGetLet,
     "Colour",
     {},
     "Returns/sets the background color used to display text and graphics in an object."},
    {40, 40, "FlashColor", kGetLet, "Colour", {}, ""},
    {41, 41, "OutPutFileName", kGetLet, "String", {}, ""},
    {42, 42, "SaveRawData", kGetLet, "Boolean", {}, ""},
}};

constexpr std::array kMouseParams{ParameterInfo{"Button", "Integer"},
                                  ParameterInfo{"Shift", "Integer"}, ParameterInfo{"X", "Single"},
                                  ParameterInfo{"Y", "Single"}};
constexpr std::array kErrorParams{ParameterInfo{"ReadError", "Long"}};

constexpr std::array<EventInfo, 5> kEvents{{
    {1, 1, "MouseDown", kMouseParams,
     "Occurs when the user presses the mouse button while an object has the focus."},
    {2, 2, "MouseMove", kMouseParams, "Occurs when the user moves the mouse."},
    {3, 3, "MouseUp", kMouseParams,
     "Occurs when the user releases the mouse button while an object has the focus."},
    {4, 4, "Click", {}, ""},
    {5, 5, "TravimoError", kErrorParams, ""},
}};

template <class Info, size_t N>
const Info* FindByName(const std::array<Info, N>& table, std::string_view name) {
  for (const auto& entry : table) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

}  // namespace

const LibraryInfo& TypeLibrary() {
  return kLibrary;
}
std::span<const ClassInfo> LibraryClasses() {
  return kClasses;
}
std::span<const InterfaceInfo> LibraryInterfaces() {
  return kInterfaces;
}
std::span<const MemberInfo> TravimoMembers() {
  return kMembers;
}
std::span<const EventInfo> TravimoEventMembers() {
  return kEvents;
}
std::span<const EnumInfo> LibraryEnumerations() {
  return Enumerations();
}

const MemberInfo* FindMember(std::string_view name) {
  return FindByName(kMembers, name);
}
const ClassInfo* FindClass(std::string_view name) {
  return FindByName(kClasses, name);
}
const InterfaceInfo* FindInterface(std::string_view name) {
  return FindByName(kInterfaces, name);
}

}  // namespace travimo
