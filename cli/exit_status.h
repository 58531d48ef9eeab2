#pragma once
// The tool's exit statuses: one per kind of failure a script may want to tell apart.
#include <cstdint>
#include <string>

namespace travimo::cli {

namespace ExitStatus {
inline constexpr int Ok = 0;
inline constexpr int Usage = 2;
inline constexpr int ComportRead = 3;  // 1: nothing readable arrived
inline constexpr int DataAccess = 4;   // 2
inline constexpr int BlueLine = 5;     // 3
inline constexpr int Comport = 6;      // 8002: the port cannot be opened
inline constexpr int SerialOther = 7;  // other 80xx of the serial component
inline constexpr int InvalidData = 8;  // 32769, 32770
inline constexpr int File = 9;         // file errors, raw-data and property files included
inline constexpr int Cancelled = 10;   // 9999
inline constexpr int Other = 11;       // any other error number
}  // namespace ExitStatus

// The status for a TravimoError number.
int StatusForError(int32_t number);
bool IsFileError(int32_t number);

// The table shown in --help.
std::string ExitStatusHelp();

}  // namespace travimo::cli
