#pragma once
// The run-time error that every failure of the library carries: a number, a
// source text and a description. Numbers are the platform's standard ones or
// the control's TravimoErrors codes, and reach the host unchanged.
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace travimo {

namespace ErrorNumber {
inline constexpr int32_t InvalidArgument = 5;
inline constexpr int32_t Overflow = 6;
inline constexpr int32_t SubscriptOutOfRange = 9;
inline constexpr int32_t TypeMismatch = 13;
inline constexpr int32_t DiskFull = 61;
inline constexpr int32_t PathFileAccess = 75;
inline constexpr int32_t ObjectNotSet = 91;
inline constexpr int32_t InvalidPropertyValue = 380;
inline constexpr int32_t SetNotAtRunTime = 382;
inline constexpr int32_t SetNotSupported = 383;  // read-only at design time
inline constexpr int32_t SetNotPermitted = 387;
inline constexpr int32_t GetNotAtRunTime = 393;
inline constexpr int32_t DuplicateKey = 457;
}  // namespace ErrorNumber

// The source text the control's own errors carry.
inline constexpr std::string_view kControlSource = "Travimo ActiveX";

class RuntimeError : public std::exception {
 public:
  // Uses the platform's standard description for the number.
  explicit RuntimeError(int32_t number);
  RuntimeError(int32_t number, std::string source, std::string description);

  int32_t Number() const noexcept { return number_; }
  const std::string& Source() const noexcept { return source_; }
  const std::string& Description() const noexcept { return description_; }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  int32_t number_;
  std::string source_;
  std::string description_;
  std::string what_;
};

// The host environment's standard text for a number; for numbers it does not
// know, the generic text of a program-defined error.
std::string StandardDescription(int32_t number);

}  // namespace travimo
