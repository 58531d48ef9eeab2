#include "formats/lorvex_parser.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/storage_budget.h"
#include <travimo/model/enums.h>
#include <travimo/model/error.h>
#include <travimo/model/lorvex_record.h>

namespace travimo {
namespace {

// A transfer of this length or less cannot hold a record plus the instrument's framing.
constexpr size_t kShortestUnreadable = 1042;
constexpr size_t kHeaderLength = 15;
constexpr size_t kTypeLetterOffset = 3;
constexpr size_t kMaxDataChars = 1024;  // 512 values
constexpr char kRecordStart = 'P';
constexpr int32_t kMoistureSeries = 1;
constexpr int32_t kOutOfMemory = 7;
constexpr int64_t kRecordCost = 1024;  // beside its points, once gathered

constexpr std::string_view kInvalidData = "Invalid Lorvex Scan Data";
constexpr std::string_view kCannotRead = "Can Not Read Comport";
constexpr std::string_view kBlueLine = "Blue Line Error";

// The failure text the parse reports, whatever raised the error.
struct ParseProgress {
  std::string message{kInvalidData};
  size_t cut = 0;  // how much of the transfer the split has consumed
};

// The point array's bounds. Below 1 the array is shifted down so that it still
// holds as many points as with the usual lower bound of 1.
struct PointBounds {
  int32_t lower;
  int64_t size;  // below 1 when the bounds are impossible
};

PointBounds BoundsOf(const ScanState& state) {
  const int64_t lower = state.arrayStart;
  const int64_t limit = state.pointLimit;
  const int64_t upper = lower >= 1 ? limit : lower + limit - 1;
  return {state.arrayStart, upper - lower + 1};
}

PointBounds BoundsFor(const ScanState& state) {
  const PointBounds bounds = BoundsOf(state);
  if (bounds.size < 1) throw RuntimeError(ErrorNumber::SubscriptOutOfRange);
  return bounds;
}

// Fails with 7 once the records split so far would need more than the budget.
class PointBudget {
 public:
  PointBudget(const ScanState& state, size_t transferLength)
      : points_(BoundsOf(state).size), budget_(transferLength, kRecordCost) {}

  void Add(ParseProgress& progress) {
    if (budget_.Add(points_)) return;
    progress.message = "Lorvex " +
                       budget_.Describe("scans of " + std::to_string(points_) + " points") +
                       "; NumberOfPoints 512 or 256 needs far less";
    throw RuntimeError(StorageBudget::kExceeded);
  }

 private:
  int64_t points_;
  StorageBudget budget_;
};

// Cuts the text into records. A record whose header is cut short by the next
// "P" or the end of the text ends the split, silently.
// Returns each record's data characters, at most kMaxDataChars of them.
std::vector<std::string_view> SplitRecords(std::string_view text, ScanState& state,
                                           ParseProgress& progress) {
  size_t p = text.size() > kShortestUnreadable ? text.find(kRecordStart) : std::string_view::npos;
  state.numberOfScans = 0;
  if (p == std::string_view::npos) {
    progress.message = kCannotRead;
    throw RuntimeError(ComportReadError);
  }
  std::vector<std::string_view> records;
  records.reserve(text.size() / (kHeaderLength + kMaxDataChars) + 1);
  PointBudget budget(state, text.size());
  while (p != std::string_view::npos) {
    const size_t next = text.find(kRecordStart, p + 1);
    const std::string_view record =
        text.substr(p, next == std::string_view::npos ? next : next - p);
    if (record.size() < kHeaderLength) break;
    const size_t dataLength = record.size() - kHeaderLength;
    const char letter = record[kTypeLetterOffset];
    budget.Add(progress);
    ++state.numberOfScans;
    state.scanTypeLetters.ExtendTo(state.numberOfScans);
    state.scanTypeLetters.Set(state.numberOfScans, std::string(1, letter));
    records.push_back(record.substr(kHeaderLength, std::min(dataLength, kMaxDataChars)));
    // The remainder keeps the record's last 15 characters. Searching on from the
    // next "P" (rather than in that remainder) also moves past a record without
    // data, whose remainder would begin at its own "P" again.
    progress.cut = p + dataLength;
    p = next;
    if (state.blueLineTrigger == BlueLineOn && letter != 'C') {
      progress.message = kBlueLine;
      throw RuntimeError(BlueLineError);
    }
  }
  return records;
}

// Turns a point into the stored value under the data type and temperature unit.
class PointScaling {
 public:
  PointScaling(int32_t scanDataType, int32_t tempUnits)
      : temperature_(scanDataType == Temperature), fahrenheit_(tempUnits == Fahrenheit) {}

  float operator()(int32_t point) const {
    if (!temperature_) return static_cast<float>(point);
    const float celsius = static_cast<float>(point) / 10.0f;
    if (!fahrenheit_) return celsius;
    return static_cast<float>(static_cast<double>(celsius) * 1.8 + 32.0);
  }

 private:
  bool temperature_;
  bool fahrenheit_;
};

// Fills one point array from a record's data characters: each pair of
// characters carries a value, the first the low six bits and the second the high.
class PointWriter {
 public:
  PointWriter(int64_t size, PointScaling scaling, bool averaging)
      : points_(static_cast<size_t>(size), 0.0f), scaling_(scaling), averaging_(averaging) {}

  void Decode(std::string_view data) {
    for (size_t i = 0; i < data.size(); i += 2) {
      const int32_t low = static_cast<unsigned char>(data[i]) & 63;
      const int32_t high = i + 1 < data.size() ? static_cast<unsigned char>(data[i + 1]) & 63 : 0;
      Take(high * 64 + low);
    }
  }

  std::vector<float> Release() { return std::move(points_); }

 private:
  void Take(int32_t value) {
    if (!averaging_) return Store(value);
    if (!held_) {
      held_ = value;
      return;
    }
    Store((*held_ + value) / 2);
    held_.reset();
  }

  void Store(int32_t point) {
    if (next_ >= points_.size()) throw RuntimeError(ErrorNumber::SubscriptOutOfRange);
    points_[next_++] = scaling_(point);
  }

  std::vector<float> points_;
  PointScaling scaling_;
  bool averaging_;
  size_t next_ = 0;
  std::optional<int32_t> held_;  // each scan starts with nothing held
};

void DecodeRecords(const std::vector<std::string_view>& records, ScanState& state) {
  const PointBounds bounds = BoundsFor(state);
  const PointScaling scaling(state.scanDataType, state.tempUnits);
  const bool averaging = state.pointLimit != Max512;
  for (const std::string_view data : records) {
    PointWriter writer(bounds.size, scaling, averaging);
    writer.Decode(data);
    auto scan = std::make_shared<CLorvexCls>();
    scan->AddScan(SingleArray(bounds.lower, writer.Release()), kMoistureSeries);
    state.lorvexCol->Add(scan);
  }
}

}  // namespace

bool ParseLorvexData(std::string& transfer, ParseContext& control) {
  ScanState& state = control.MutableState();
  ParseProgress progress;
  try {
    state.scanTypeLetters.Reset(state.arrayStart);
    state.lorvexCol = std::make_shared<CLorvexColCls>();
    const std::vector<std::string_view> records = SplitRecords(transfer, state, progress);
    DecodeRecords(records, state);
  } catch (const RuntimeError& error) {
    transfer.erase(0, progress.cut);
    throw RuntimeError(error.Number(), std::string(kControlSource), progress.message);
  } catch (const std::bad_alloc&) {
    transfer.erase(0, progress.cut);
    throw RuntimeError(kOutOfMemory, std::string(kControlSource), progress.message);
  }
  transfer.erase(0, progress.cut);
  if (state.numberOfScans != 0) control.LetScanNumber(state.numberOfScans);
  return true;
}

}  // namespace travimo
