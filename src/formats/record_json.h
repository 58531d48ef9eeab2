#pragma once
// A record as one JSON object, the form in which property files keep records:
//   {"record": "Lorvex" | "Ostrel" | "Brevane", every field by its name...}
// in the order of the record's field table, each value in the form of
// json_values.h. Reading ignores members it does not know; a field that is
// absent keeps the new record's initial value.
#include <variant>

#include "formats/json_values.h"
#include <travimo/model/brevane_record.h>
#include <travimo/model/lorvex_record.h>
#include <travimo/model/ostrel_record.h>

namespace travimo {

using RecordPtr = std::variant<LorvexPtr, OstrelPtr, BrevanePtr>;

Json RecordToJson(const CLorvexCls& record);
Json RecordToJson(const COstrelCls& record);
Json RecordToJson(const CBrevaneCls& record);

// True when j is an object naming a record kind; the kind itself is checked on reading.
bool IsRecordJson(const Json& j);
// Fails with 13 for an unknown "record" or a field of the wrong kind, 6 out of range.
RecordPtr RecordFromJson(const Json& j, const JsonPlace& at);

}  // namespace travimo
