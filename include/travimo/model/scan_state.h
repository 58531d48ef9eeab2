#pragma once
// The control's scan state: the values the parsers write and read, the
// settings that shape a parse, and one collection and current record per
// instrument type. The control owns one ScanState; parsers and queries work on it.
#include <cstdint>
#include <memory>
#include <string>

#include <travimo/model/brevane_record.h>
#include <travimo/model/enums.h>
#include <travimo/model/lorvex_record.h>
#include <travimo/model/ostrel_record.h>
#include <travimo/model/type_letters.h>

namespace travimo {

struct ScanState {
  int32_t scanNumber = 1;
  int32_t numberOfScans = 0;
  int32_t arrayStart = 1;
  int32_t numberOfPoints = Max512;
  int32_t pointLimit = Max512;  // m_PointLimit
  int32_t scanDataType = Moisture;
  int32_t tempUnits = Celsius;
  int32_t travimoType = Lorvex;             // m_TravimoType
  int32_t blueLineTrigger = BlueLineAuto;   // m_BlueLineTrigger
  TypeLetterList scanTypeLetters;           // m_ScanTypeLetters
  std::string currentScanDataType = "A";    // the current-type-letter value
  std::string stringScanData = "\"";        // the stored StringScanData value

  std::shared_ptr<CLorvexColCls> lorvexCol;  // m_LorvexCol
  LorvexPtr lorvexData;                      // m_LorvexData
  std::shared_ptr<COstrelColCls> ostrelCol;
  OstrelPtr ostrelData;
  std::shared_ptr<CBrevaneColCls> brevaneCol;
  BrevanePtr brevaneData;
};

// The selection of ScanNumber's Let, without the property-change record:
// stores v when it is at least 1, clamps it to the current type's collection
// and makes that member (or a new empty record) the current record.
void SelectScan(ScanState& state, int32_t v);

}  // namespace travimo
