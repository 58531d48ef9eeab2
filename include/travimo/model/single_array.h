#pragma once
// An array of 4-byte floats with its own lower and upper bound, the value that
// crosses every interface of the library. A default array is empty (0 to -1).
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace travimo {

class SingleArray {
 public:
  SingleArray() = default;
  // Elements lower..upper, all 0.0; upper may be lower - 1 for an empty array.
  SingleArray(int32_t lower, int32_t upper);
  SingleArray(int32_t lower, std::vector<float> values);
  SingleArray(int32_t lower, std::initializer_list<float> values);

  int32_t LowerBound() const { return lower_; }
  int32_t UpperBound() const { return lower_ + static_cast<int32_t>(values_.size()) - 1; }
  bool Empty() const { return values_.empty(); }
  int32_t Size() const { return static_cast<int32_t>(values_.size()); }
  bool Contains(int32_t index) const { return index >= lower_ && index <= UpperBound(); }

  // Fail with 9 (subscript out of range) outside the bounds.
  float At(int32_t index) const;
  void Set(int32_t index, float value);

  // Keeps the values lower..newUpper; fails with 9 when newUpper < lower.
  void CutTo(int32_t newUpper);

  const std::vector<float>& Values() const { return values_; }

  bool operator==(const SingleArray&) const = default;

 private:
  int32_t lower_ = 0;
  std::vector<float> values_;
};

}  // namespace travimo
