#pragma once
// How much memory one parse may fill with records: a floor plus a few bytes
// for every character of the text. Whole transfers fit (a full Lorvex scan
// needs about 3 bytes per character, the others less), but a flood
// of tiny records, or of header-only Lorvex records under the "No Limit" point
// count (128 kB of points for every 15 characters), would otherwise turn a
// little received text into gigabytes. A parse that would exceed it fails with
// 7 before the storage is made.
#include <cstddef>
#include <cstdint>
#include <string>

namespace travimo {

class StorageBudget {
 public:
  static constexpr int64_t kFloor = int64_t{4} << 20;  // 4 MB
  static constexpr int64_t kPerByte = 3;
  static constexpr int32_t kExceeded = 7;  // out of memory

  // recordCost: what one record costs beside its points once a host has
  // gathered the results (measured with `travimo parse`; the record, its
  // series, its collection entry and its fields as text).
  StorageBudget(size_t textLength, int64_t recordCost)
      : budget_(kFloor + kPerByte * static_cast<int64_t>(textLength)), recordCost_(recordCost) {}

  // Counts one more record of `points` floats; false once the total is over budget.
  bool Add(int64_t points) {
    ++records_;
    used_ += recordCost_ + (points > 0 ? points : 0) * int64_t{sizeof(float)};
    return used_ <= budget_;
  }

  int64_t Records() const { return records_; }

  // What to tell the user; `what` names the records, such as "scans of 32768 points".
  std::string Describe(const std::string& what) const {
    return "transfer too large: more than " + std::to_string(records_ - 1) + " " + what +
           " exceed the " + std::to_string(budget_ >> 20) + " MB allowed (" +
           std::to_string(kFloor >> 20) + " MB plus " + std::to_string(kPerByte) +
           " bytes per character received)";
  }

 private:
  int64_t budget_;
  int64_t recordCost_;
  int64_t used_ = 0;
  int64_t records_ = 0;
};

}  // namespace travimo
