#include "cli/status_line.h"

#include <cstdio>

namespace travimo::cli {

namespace {

// A plain line for bytes alone at most this often.
constexpr double kPlainInterval = 1.0;

}  // namespace

std::string StatusLine::Format(const std::string& caption, size_t bytes, double elapsedSeconds) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, "%-9s %8zu bytes  %6.1f s", caption.c_str(), bytes,
                elapsedSeconds);
  return buffer;
}

void StatusLine::Update(const std::string& caption, size_t bytes, double elapsedSeconds) {
  const std::string text = Format(caption, bytes, elapsedSeconds);
  if (terminal_) {
    // Pad over a longer previous text; \r returns to the line's start.
    std::string padded = text;
    if (padded.size() < width_) padded.append(width_ - padded.size(), ' ');
    width_ = text.size();
    out_ << '\r' << padded << std::flush;
    drawn_ = true;
  } else {
    const bool captionChanged = !drawn_ || caption != lastCaption_;
    const bool bytesWorthTelling =
        bytes != lastBytes_ && elapsedSeconds - lastPlainAt_ >= kPlainInterval;
    if (captionChanged || bytesWorthTelling) {
      out_ << text << '\n' << std::flush;
      lastPlainAt_ = elapsedSeconds;
      lastBytes_ = bytes;
      drawn_ = true;
    }
  }
  lastCaption_ = caption;
}

void StatusLine::Finish() {
  if (terminal_ && drawn_) out_ << '\n' << std::flush;
  drawn_ = false;
  width_ = 0;
}

}  // namespace travimo::cli
