#pragma once
// The progress line of a read on standard error: the button's caption, the
// bytes received so far and the time taken. On a terminal it is redrawn in
// place; elsewhere a plain line is written when something worth telling changed.
#include <cstddef>
#include <ostream>
#include <string>

namespace travimo::cli {

class StatusLine {
 public:
  StatusLine(std::ostream& out, bool terminal) : out_(out), terminal_(terminal) {}
  ~StatusLine() { Finish(); }
  StatusLine(const StatusLine&) = delete;
  StatusLine& operator=(const StatusLine&) = delete;

  void Update(const std::string& caption, size_t bytes, double elapsedSeconds);
  // Ends the line so that later output starts on a fresh one.
  void Finish();

  static std::string Format(const std::string& caption, size_t bytes, double elapsedSeconds);

 private:
  std::ostream& out_;
  bool terminal_;
  bool drawn_ = false;
  size_t width_ = 0;
  std::string lastCaption_;
  size_t lastBytes_ = 0;
  double lastPlainAt_ = -1.0;
};

}  // namespace travimo::cli
