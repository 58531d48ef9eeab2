#pragma once
// How a cycle recognises that the instrument has sent its whole transfer.
// The text only grows during a cycle, so each test searches just the part
// appended since the last one.
#include <cstddef>
#include <string>
#include <vector>

namespace travimo {

class EndOfTransfer {
 public:
  // A single marker anywhere in the text. The empty marker counts as found as
  // soon as the text holds anything.
  void Marker(std::string marker);
  // The closing line of a Brevane transfer: "E" alone on its line, ended by CR
  // and preceded by CR or CR LF.
  void BrevaneClosingLine();
  // Forgets what earlier texts were searched; the rule stays.
  void Restart();

  bool Found(const std::string& text);

 private:
  std::vector<std::string> patterns_;  // never empty strings
  bool anyText_ = true;                // the empty marker: any text ends it
  size_t longest_ = 0;
  size_t searched_ = 0;  // leading characters known to hold no whole pattern
  bool found_ = false;
};

}  // namespace travimo
