// The host's queries of the parsed scans, the scan selection, and the settings
// that shape the next Lorvex parse.
#include <bit>
#include <cstring>
#include <vector>

#include <travimo/control/travimo.h>
#include <travimo/model/enums.h>
#include <travimo/model/error.h>
#include "model/series_access.h"

namespace travimo {
namespace {

template <class Record>
const Record& RequireRecord(const std::shared_ptr<Record>& record) {
  if (!record) throw RuntimeError(ErrorNumber::ObjectNotSet);
  return *record;
}

// Position `position` of a collection that may not exist yet.
template <class Collection>
float ElementOf(const std::shared_ptr<Collection>& collection, int32_t position, int32_t element) {
  if (!collection) throw RuntimeError(ErrorNumber::ObjectNotSet);
  const auto& member = RequireRecord(collection->Item(position));
  return RequireSeries(member.cScanData()).ElementData(element);
}

}  // namespace

// ---- selection --------------------------------------------------------------------

int32_t Travimo::ScanNumber() const {
  return state_.scanNumber;
}

void Travimo::ScanNumber(int32_t New_ScanNumber) {
  try {
    SelectScan(state_, New_ScanNumber);
  } catch (...) {
    // Selecting never fails for the host; a step that cannot be done is skipped.
  }
  PropertyChanged("ScanNumber");
}

// ---- single points and whole arrays ---------------------------------------------

float Travimo::MemberElement(int32_t position, int32_t element) const {
  switch (state_.travimoType) {
    case Lorvex:
      return ElementOf(state_.lorvexCol, position, element);
    case Brevane:
      return ElementOf(state_.brevaneCol, position, element);
    case Ostrel:
      return ElementOf(state_.ostrelCol, position, element);
    default:
      return 0.0f;
  }
}

float Travimo::ScanDataElement(int32_t ScanNumber, int32_t ScanDataItem) {
  if (TravimoType() == Ostrel) {
    if (!state_.ostrelCol) throw RuntimeError(ErrorNumber::ObjectNotSet);
    state_.numberOfScans = state_.ostrelCol->Count();
  }
  const bool pointInRange = ScanDataItem >= state_.arrayStart && ScanDataItem <= state_.pointLimit;
  const bool scanInRange = ScanNumber >= state_.arrayStart && ScanNumber <= state_.numberOfScans;
  if (!pointInRange || !scanInRange) {
    RaiseTravimoError(DataAccessError);
    return 0.0f;
  }
  return MemberElement(ScanNumber, ScanDataItem);
}

std::optional<SingleArray> Travimo::CurrentRecordArray() const {
  switch (TravimoType()) {
    case Lorvex:
      return RequireRecord(state_.lorvexData).ScanData();
    case Brevane:
      return RequireRecord(state_.brevaneData).ScanData();
    case Ostrel:
      return RequireRecord(state_.ostrelData).ScanData();
    default:
      return std::nullopt;
  }
}

SingleArray Travimo::OneScanDataArray() const {
  return CurrentRecordArray().value_or(SingleArray());
}

// From element 1; a zero-based array that holds an element 1 also gives its
// element 0, so that a Brevane scan's first value is not lost. Without an
// element 1 there is no data to give, and the host must be able to tell.
std::string Travimo::SingleArrayToString(const SingleArray& sngArray) {
  if (!sngArray.Contains(1)) throw RuntimeError(ErrorNumber::SubscriptOutOfRange);
  const int32_t first = sngArray.LowerBound() == 0 ? 0 : 1;
  std::vector<uint8_t> bytes;
  bytes.reserve(static_cast<size_t>(sngArray.UpperBound() - first + 1) * 4);
  for (int32_t index = first; index <= sngArray.UpperBound(); ++index) {
    const auto bits = std::bit_cast<uint32_t>(sngArray.At(index));
    for (int shift = 0; shift < 32; shift += 8)
      bytes.push_back(static_cast<uint8_t>(bits >> shift));
  }
  return site_.host.BytesToText(bytes);
}

std::string Travimo::StringScanData() {
  const auto array = CurrentRecordArray();
  if (!array) throw RuntimeError(ErrorNumber::SubscriptOutOfRange);
  return SingleArrayToString(*array);
}

void Travimo::StringScanData(const std::string&) {
  Refuse(ErrorNumber::SetNotPermitted, ErrorNumber::SetNotAtRunTime);
}

// ---- type letters -------------------------------------------------------------------

std::string Travimo::GetScanDataType(int32_t ScanNum) const {
  return state_.scanTypeLetters.At(ScanNum).value_or(std::string());
}

std::string Travimo::CurrentScanDataType() {
  state_.currentScanDataType.clear();
  auto letter = state_.scanTypeLetters.At(state_.scanNumber);
  if (!letter) throw RuntimeError(ErrorNumber::SubscriptOutOfRange);
  state_.currentScanDataType = std::move(*letter);
  return state_.currentScanDataType;
}

void Travimo::CurrentScanDataType(const std::string&) {
  Refuse(ErrorNumber::SetNotAtRunTime, ErrorNumber::GetNotAtRunTime);
}

// ---- counters the parsers keep ----------------------------------------------------------

int32_t Travimo::NumberOfScans() const {
  return state_.numberOfScans;
}
void Travimo::NumberOfScans(int32_t) {
  Refuse(ErrorNumber::SetNotAtRunTime, ErrorNumber::GetNotAtRunTime);
}

int32_t Travimo::ArrayStart() const {
  return state_.arrayStart;
}
void Travimo::ArrayStart(int32_t) {
  Refuse(ErrorNumber::SetNotAtRunTime, ErrorNumber::GetNotAtRunTime);
}

// ---- settings for the next parse -------------------------------------------------------

int32_t Travimo::NumberOfPoints() const {
  return state_.numberOfPoints;
}

void Travimo::NumberOfPoints(int32_t New_NumberOfPoints) {
  if (TravimoType() == Lorvex && New_NumberOfPoints == NoLimit) {
    site_.host.ShowMessageBox({.text = "Lorvex Supports Only 512 Points Maximum",
                               .title = "Warning!",
                               .icon = MessageBoxIcon::Critical,
                               .buttons = MessageBoxButtons::Ok});
    state_.numberOfPoints = Max512;
    BlueLineTrigger(BlueLineAuto);
  } else {
    state_.numberOfPoints = New_NumberOfPoints;
  }
  state_.pointLimit = state_.numberOfPoints;
  PropertyChanged("NumberOfPoints");
}

int32_t Travimo::ScanDataType() const {
  return state_.scanDataType;
}

// Burst is a Lorvex value: another instrument can hold it once, then falls back.
void Travimo::ScanDataType(int32_t New_ScanDataType) {
  const bool keep = TravimoType() == Lorvex || state_.scanDataType != Burst;
  state_.scanDataType = keep ? New_ScanDataType : Moisture;
  PropertyChanged("ScanDataType");
}

int32_t Travimo::Temp_Units() const {
  return state_.tempUnits;
}

void Travimo::Temp_Units(int32_t New_Temp_Units) {
  state_.tempUnits = New_Temp_Units;
  PropertyChanged("Temp_Units");
}

// ---- current records ---------------------------------------------------------------------

LorvexPtr Travimo::LorvexData() const {
  return state_.lorvexData;
}

void Travimo::LorvexData(LorvexPtr New_LorvexData) {
  state_.lorvexData = std::move(New_LorvexData);
  PropertyChanged("LorvexData");
}

OstrelPtr Travimo::OstrelData() const {
  return state_.ostrelData;
}
void Travimo::OstrelData(OstrelPtr) {
  Refuse(ErrorNumber::SetNotSupported, ErrorNumber::SetNotAtRunTime);
}

BrevanePtr Travimo::BrevaneData() const {
  return state_.brevaneData;
}
void Travimo::BrevaneData(BrevanePtr) {
  Refuse(ErrorNumber::SetNotSupported, ErrorNumber::SetNotAtRunTime);
}

}  // namespace travimo
