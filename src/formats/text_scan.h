#pragma once
// The characters the instruments' texts are scanned by. Blanks are spaces and
// tabs only, and digits ASCII only, whatever the C locale says.
namespace travimo {

inline bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

inline bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace travimo
