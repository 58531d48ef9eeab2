#pragma once
// How a failure is told to the user: its number, its TravimoErrors name where
// it has one, and a description.
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace travimo::cli {

// "error 8002 (ComportError): cannot open /dev/ttyS4: ..."
std::string ErrorLine(int32_t number, std::string_view description);
// Writes "travimo: " + ErrorLine and returns the exit status for the number.
int ReportError(std::ostream& err, int32_t number, std::string_view description);

}  // namespace travimo::cli
