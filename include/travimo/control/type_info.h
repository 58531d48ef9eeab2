#pragma once
// The type library TravimoCtrl as data: its classes and interfaces with their
// fixed GUIDs, the members of _Travimo and the events of __Travimo in slot
// order, and the public enumerations. Property browsers and `describe`-style
// tools are built on this one table.
#include <cstdint>
#include <span>
#include <string_view>

#include <travimo/model/enums.h>

namespace travimo {

struct Operations {
  bool get = false;
  bool let = false;
  bool set = false;
  bool method = false;
};

struct ParameterInfo {
  std::string_view name;
  std::string_view type;
  bool byRef = true;
};

struct MemberInfo {
  int slot;        // 1-based position in the interface
  int32_t dispId;  // -512 for Font, the standard font id
  std::string_view name;
  Operations operations;
  // A property's value type; a method's result type, empty for none.
  std::string_view type;
  std::span<const ParameterInfo> parameters;
  std::string_view helpString;  // empty when the member has none
  bool hidden = false;
};

struct EventInfo {
  int slot;
  int32_t dispId;
  std::string_view name;
  std::span<const ParameterInfo> parameters;
  std::string_view helpString;
};

struct InterfaceInfo {
  std::string_view name;
  std::string_view guid;
  bool isEventInterface = false;
};

struct ClassInfo {
  std::string_view name;
  std::string_view guid;
  std::string_view defaultInterface;
  std::string_view eventInterface;  // empty when the class raises no events
  bool isControl = false;
  bool isPropertyPage = false;
};

struct LibraryInfo {
  std::string_view name;
  std::string_view helpString;
  std::string_view guid;
  int majorVersion;
  int minorVersion;
};

inline constexpr int32_t kFontDispId = -512;

const LibraryInfo& TypeLibrary();
std::span<const ClassInfo> LibraryClasses();
std::span<const InterfaceInfo> LibraryInterfaces();
// _Travimo, in slot order.
std::span<const MemberInfo> TravimoMembers();
// __Travimo, in slot order.
std::span<const EventInfo> TravimoEventMembers();
std::span<const EnumInfo> LibraryEnumerations();

// Null when there is no such name.
const MemberInfo* FindMember(std::string_view name);
const ClassInfo* FindClass(std::string_view name);
const InterfaceInfo* FindInterface(std::string_view name);

}  // namespace travimo
