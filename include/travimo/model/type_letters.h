#pragma once
// The scan type letters of the last Lorvex read, indexed from a lower bound.
// A discarded list holds no element at all.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace travimo {

class TypeLetterList {
 public:
  TypeLetterList() : lower_(1), letters_(1) {}  // one empty element at 1

  // One empty element at lower.
  void Reset(int32_t lower);
  void Discard() { letters_.clear(); }
  // Keeps the contents and grows the range to lower..upper.
  void ExtendTo(int32_t upper);
  void Set(int32_t index, std::string letter);
  std::optional<std::string> At(int32_t index) const;

  int32_t LowerBound() const { return lower_; }
  int32_t UpperBound() const { return lower_ + static_cast<int32_t>(letters_.size()) - 1; }
  bool Discarded() const { return letters_.empty(); }

 private:
  int32_t lower_;
  std::vector<std::string> letters_;
};

}  // namespace travimo
