#include "formats/ostrel_parser.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/conversions.h"
#include "formats/storage_budget.h"
#include <travimo/model/enums.h>
#include <travimo/model/error.h>

namespace travimo {
namespace {

constexpr std::string_view kInvalidOstrel = "Invalid Ostrel Scan Data";
constexpr size_t kHeaderLength = 30;
constexpr size_t kScanEndLength = 5;
constexpr size_t kPointLength = 4;
constexpr int32_t kLastPointIndex = 32768;
constexpr int64_t kRecordCost = 1536;  // a record copy beside its points, once gathered

// Mid semantics: what there is of the field, possibly empty.
std::string_view Field(std::string_view text, size_t from, size_t length) {
  return from < text.size() ? text.substr(from, length) : std::string_view{};
}

// A single decimal digit; anything else is a failed conversion.
std::optional<int32_t> DigitField(std::string_view field) {
  if (field.size() != 1 || field[0] < '0' || field[0] > '9') return std::nullopt;
  return field[0] - '0';
}

// One parse: the cleaned text, the point buffer and the control state it fills.
class OstrelReader {
 public:
  OstrelReader(std::string_view text, ParseContext& control)
      : text_(text),
        control_(control),
        state_(control.MutableState()),
        regional_(control.Regional()),
        lower_(state_.arrayStart),
        buffer_(BufferSize(state_.arrayStart, state_.pointLimit), 0.0f),
        scanLast_(lower_ - 1),
        budget_(text.size(), kRecordCost) {}

  void Read(size_t position) {
    while (true) {
      const std::string_view group = Field(text_, position, kPointLength);
      if (group.size() >= 2 && group[1] == 'A') {
        if (group[0] == 'P') EndScan();
        ReadHeader(position);
        position += kHeaderLength;
      } else if (group[0] == 'P') {
        EndScan();
        if (group.size() >= 2 && (group[1] == 'E' || group[1] == 'M')) return;
        position += kScanEndLength;
      } else if (group[0] == 'E' || group[0] == 'M') {
        return;
      } else {
        if (StorePoint(group) == kLastPointIndex) return;
        position += kPointLength;
      }
      // A group that would start on the last character is never examined.
      if (position + 1 >= text_.size()) return;
    }
  }

  void Finish() {
    state_.numberOfPoints = transferLast_;
    CutCheck(transferLast_);
    state_.numberOfScans = state_.ostrelCol->Count();
    if (state_.numberOfScans != 0) control_.LetScanNumber(state_.numberOfScans);
  }

 private:
  static size_t BufferSize(int32_t lower, int32_t upper) {
    if (upper < lower - 1) throw RuntimeError(ErrorNumber::SubscriptOutOfRange);
    return static_cast<size_t>(static_cast<int64_t>(upper) - lower + 1);
  }

  // The buffer is only ever cut; cutting below its lower bound is out of range.
  void CutCheck(int32_t upper) const {
    if (upper < lower_) throw RuntimeError(ErrorNumber::SubscriptOutOfRange);
  }

  void ReadHeader(size_t at) {
    auto record = std::make_shared<COstrelCls>();
    state_.ostrelData = record;
    record->CalibrationConstantA(std::string(Field(text_, at + 1, 5)));
    record->CalibrationConstantB(std::string(Field(text_, at + 6, 5)));
    record->BasisWeightValue(std::string(Field(text_, at + 11, 7)));
    // Unconvertible digits or dates leave the new record's initial value.
    if (const auto number = DigitField(Field(text_, at + 18, 1))) {
      record->MeasurementNumber(*number);
    }
    if (const auto rate = DigitField(Field(text_, at + 19, 1))) record->SamplingRate(*rate);
    if (const auto date = TryTextToDate(DateText(at), MonthFirst())) record->DateTime(*date);
    scanLast_ = lower_ - 1;
  }

  // MM/DD/YY hh:mm from the header's YYMMDDhhmm.
  std::string DateText(size_t at) const {
    std::string date;
    date.reserve(14);
    date.append(Field(text_, at + 22, 2)).append("/");
    date.append(Field(text_, at + 24, 2)).append("/");
    date.append(Field(text_, at + 20, 2)).append(" ");
    date.append(Field(text_, at + 26, 2)).append(":");
    date.append(Field(text_, at + 28, 2));
    return date;
  }

  // The header's date text is month-first whatever the user's date order.
  RegionalSettings MonthFirst() const {
    RegionalSettings settings = regional_;
    settings.dateOrder = DateOrder::MonthDayYear;
    return settings;
  }

  int32_t StorePoint(std::string_view group) {
    ++scanLast_;
    transferLast_ = scanLast_;
    if (scanLast_ < lower_ || static_cast<size_t>(scanLast_ - lower_) >= buffer_.size()) {
      throw RuntimeError(ErrorNumber::SubscriptOutOfRange);
    }
    buffer_[static_cast<size_t>(scanLast_ - lower_)] = NearestSingle(LenientNumber(group));
    return scanLast_;
  }

  void EndScan() {
    CutCheck(scanLast_);
    const auto used = static_cast<std::ptrdiff_t>(scanLast_ - lower_ + 1);
    if (!budget_.Add(used)) {
      throw RuntimeError(StorageBudget::kExceeded, std::string(kControlSource),
                         "Ostrel " + budget_.Describe("scans"));
    }
    state_.ostrelData->AddScan(
        SingleArray(lower_, std::vector<float>(buffer_.begin(), buffer_.begin() + used)));
    state_.ostrelCol->Add(state_.ostrelData);
    // Only the used prefix was written, so only it needs zeroing for the next scan.
    std::fill(buffer_.begin(), buffer_.begin() + used, 0.0f);
    scanLast_ = lower_ - 1;
  }

  std::string_view text_;
  ParseContext& control_;
  ScanState& state_;
  RegionalSettings regional_;
  int32_t lower_;
  std::vector<float> buffer_;
  int32_t scanLast_;
  int32_t transferLast_ = 0;
  StorageBudget budget_;  // every scan end adds a copy of the record
};

void Parse(std::string& data, ParseContext& control) {
  control.LetTravimoType(Ostrel);
  std::erase_if(data, [](char c) { return c == '\r' || c == '\n'; });
  std::string_view text = data;
  const size_t start = text.find('S');
  if (start != std::string_view::npos) text.remove_prefix(start);
  OstrelReader reader(text, control);
  if (text.size() < 2 || text[1] != 'A') throw RuntimeError(InvalidOstrelDataError);
  control.MutableState().ostrelCol = std::make_shared<COstrelColCls>();
  // Without any "S" the first group would be read from position 0.
  if (start == std::string_view::npos) throw RuntimeError(ErrorNumber::InvalidArgument);
  reader.Read(0);
  reader.Finish();
}

}  // namespace

bool ParseOstrelData(std::string data, ParseContext& control) {
  try {
    Parse(data, control);
  } catch (const RuntimeError& failure) {
    throw RuntimeError(failure.Number(), failure.Description(), std::string(kInvalidOstrel));
  }
  return false;
}

}  // namespace travimo
