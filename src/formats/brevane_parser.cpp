#include "formats/brevane_parser.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "formats/conversions.h"
#include "formats/storage_budget.h"
#include <travimo/model/enums.h>
#include <travimo/model/error.h>

namespace travimo {
namespace {

constexpr std::string_view kInvalidBrevane = "Invalid Brevane Scan Data";
constexpr std::string_view kOpenLine = "00# F";
constexpr int64_t kRecordCost = 2560;  // a record copy with its twelve fields, once gathered

// Mid(line, 5): the value of a tag line, empty when the line is shorter.
std::string_view TagValue(std::string_view line) {
  return line.size() > 4 ? line.substr(4) : std::string_view{};
}

// One parse: the value buffer, the skip flag and the control state it fills.
class BrevaneReader {
 public:
  BrevaneReader(ParseContext& control, size_t textLength)
      : state_(control.MutableState()),
        regional_(control.Regional()),
        limit_(std::max(state_.pointLimit, 0)),
        values_(static_cast<size_t>(limit_) + 1, 0.0f),
        budget_(textLength, kRecordCost) {}

  // Reads lines from `position`; text after the last CR is never read.
  void Read(std::string_view text, size_t position) {
    while (true) {
      const size_t end = text.find('\r', position);
      if (end == std::string_view::npos) return;
      if (!ReadLine(text.substr(position, end - position))) return;
      position = end + 1;
    }
  }

  int32_t LastStored() const { return lastStored_; }

 private:
  // False when reading stops after this line.
  bool ReadLine(std::string_view line) {
    if (line.find('#') != std::string_view::npos) {
      ReadHeaderLine(line);
    } else if (line == "M") {
    } else if (line == "E") {
      return false;
    } else if (line == "V") {
      skipping_ = true;
    } else if (line == "Z") {
      CloseMeasurement();
    } else if (!skipping_) {
      return StoreValue(line);
    }
    return true;
  }

  void ReadHeaderLine(std::string_view line) {
    if (line == kOpenLine) {
      OpenMeasurement();
      return;
    }
    const std::string_view tag = line.substr(0, 3);
    if (tag.size() != 3 || tag[2] != '#' || tag[0] < '0' || tag[0] > '1' || tag[1] < '0' ||
        tag[1] > '9') {
      return;
    }
    const int number = (tag[0] - '0') * 10 + (tag[1] - '0');
    if (number >= 1 && number <= 12) StoreTag(number, TagValue(line));
  }

  void OpenMeasurement() {
    ++state_.numberOfScans;
    auto record = std::make_shared<CBrevaneCls>();
    record->TypeOfMeasuringHead(std::string(TagValue(kOpenLine)));
    state_.brevaneData = record;
    closed_ = false;
    // An unclosed measurement's values belong to no record; they must not
    // leak into this one.
    if (open_) {
      next_ = 0;
      skipping_ = false;
    }
    open_ = true;
  }

  CBrevaneCls& Current() const {
    if (!state_.brevaneData) throw RuntimeError(ErrorNumber::ObjectNotSet);
    return *state_.brevaneData;
  }

  void StoreTag(int number, std::string_view value) {
    const std::string text(value);
    switch (number) {
      case 1: {
        const int32_t whole = RoundHalfEven(LenientNumber(value));
        Current().ScanNumber(whole);
        break;
      }
      case 2: {
        const int32_t whole = RoundHalfEven(LenientNumber(value));
        Current().MeasurementNumber(whole);
        break;
      }
      case 3:
        Current().IDCode(text);
        break;
      case 4: {
        CBrevaneCls& record = Current();
        if (const auto date = TryTextToDate(value, regional_)) record.DateTime(*date);
        break;
      }
      case 5: {
        const float weight = NearestSingle(LenientNumber(value));
        Current().BasisWeightValue(weight);
        break;
      }
      case 6:
        Current().BasisWeightUnit(text);
        break;
      case 7:
        Current().TypeOfBasisWeight(text);
        break;
      case 8: {
        const auto rate = LocaleSingle(value, regional_);
        CBrevaneCls& record = Current();
        if (rate) record.SamplingRate(*rate);
        break;
      }
      case 9:
        Current().CalibrationConstantA(text);
        break;
      case 10:
        Current().CalibrationConstantB(text);
        break;
      case 11:
        Current().MoistureUnit(text);
        break;
      case 12:
        Current().TemperatureUnit(text);
        break;
      default:
        break;
    }
  }

  void CloseMeasurement() {
    if (next_ == 0) throw RuntimeError(ErrorNumber::SubscriptOutOfRange);
    if (!budget_.Add(next_)) {
      throw RuntimeError(StorageBudget::kExceeded, std::string(kControlSource),
                         "Brevane " + budget_.Describe("measurements"));
    }
    CBrevaneCls& record = Current();
    // The copy added at the first close shares this record's series; a second
    // close must not overwrite the values that copy holds.
    if (closed_) record.cScanData(std::make_shared<CScanDataCls>());
    record.AddScan(SingleArray(0, std::vector<float>(values_.begin(), values_.begin() + next_)),
                   false);
    state_.brevaneCol->Add(state_.brevaneData);
    next_ = 0;
    skipping_ = false;
    open_ = false;
    closed_ = true;
  }

  bool StoreValue(std::string_view line) {
    values_[static_cast<size_t>(next_)] = NearestSingle(LenientNumber(line));
    lastStored_ = next_;
    if (next_ == limit_) return false;
    ++next_;
    return true;
  }

  ScanState& state_;
  RegionalSettings regional_;
  int32_t limit_;
  std::vector<float> values_;
  int32_t next_ = 0;
  int32_t lastStored_ = 0;
  bool skipping_ = false;
  bool open_ = false;     // a "00# F" measurement not yet closed by "Z"
  bool closed_ = false;   // the current record was closed once already
  StorageBudget budget_;  // every "Z" adds a copy of the record
};

void Parse(std::string& data, ParseContext& control) {
  ScanState& state = control.MutableState();
  state.arrayStart = 0;
  control.LetTravimoType(Brevane);
  BrevaneReader reader(control, data.size());
  std::erase(data, '\n');
  std::string_view text = data;
  const size_t start = text.find('S');
  if (start != std::string_view::npos) text.remove_prefix(start);
  state.brevaneCol = std::make_shared<CBrevaneColCls>();
  state.numberOfScans = 0;
  if (text.substr(std::min<size_t>(2, text.size()), 3) != "00#") {
    throw RuntimeError(InvalidBrevaneDataError);
  }
  reader.Read(text, 2);
  state.numberOfPoints = reader.LastStored();
  if (state.numberOfScans != 0) control.LetScanNumber(state.numberOfScans);
}

}  // namespace

bool ParseBrevaneData(std::string data, ParseContext& control) {
  try {
    Parse(data, control);
  } catch (const RuntimeError& failure) {
    throw RuntimeError(failure.Number(), failure.Description(), std::string(kInvalidBrevane));
  }
  return false;
}

}  // namespace travimo
