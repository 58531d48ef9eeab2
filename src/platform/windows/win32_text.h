#pragma once
// Conversions between the library's UTF-8 text and the wide text of the
// Win32 API, and the system's description of an error code.
#include <string>

namespace travimo::windows {

std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);
// FormatMessage's text without its trailing line end; the code when it has none.
std::string SystemMessage(unsigned long code);

}  // namespace travimo::windows
