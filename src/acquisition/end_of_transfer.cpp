#include "acquisition/end_of_transfer.h"

#include <string_view>
#include <utility>

namespace travimo {

void EndOfTransfer::Marker(std::string marker) {
  anyText_ = marker.empty();
  patterns_.clear();
  if (!anyText_) patterns_.push_back(std::move(marker));
  longest_ = anyText_ ? 0 : patterns_.front().size();
  Restart();
}

void EndOfTransfer::BrevaneClosingLine() {
  anyText_ = false;
  patterns_ = {"\rE\r", "\r\nE\r"};
  longest_ = 4;
  Restart();
}

void EndOfTransfer::Restart() {
  searched_ = 0;
  found_ = false;
}

bool EndOfTransfer::Found(const std::string& text) {
  if (text.size() < searched_) Restart();
  if (found_) return true;
  if (anyText_) return !text.empty();
  if (text.size() == searched_) return false;

  // A pattern may straddle the old end of the text by up to longest - 1 characters.
  const size_t from = searched_ >= longest_ - 1 ? searched_ - (longest_ - 1) : 0;
  const std::string_view tail = std::string_view(text).substr(from);
  for (const auto& pattern : patterns_) {
    if (tail.find(pattern) != std::string_view::npos) found_ = true;
  }
  searched_ = text.size();
  return found_;
}

}  // namespace travimo
