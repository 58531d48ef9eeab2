#include "formats/record_json.h"

namespace travimo {

namespace {

Json FieldToJson(const FieldValue& value) {
  struct Encode {
    Json operator()(const std::string& v) const { return EncodeText(v); }
    Json operator()(int32_t v) const { return v; }
    Json operator()(float v) const { return EncodeFloat(v); }
    Json operator()(Date v) const { return EncodeDate(v); }
    Json operator()(const ScanDataPtr& v) const { return EncodeSeries(v); }
  };
  return std::visit(Encode{}, value);
}

FieldValue FieldFromJson(FieldKind kind, const Json& j, const JsonPlace& at) {
  switch (kind) {
    case FieldKind::Text:
      return DecodeText(j, at);
    case FieldKind::Long:
      return DecodeLong(j, at);
    case FieldKind::Single:
      return DecodeFloat(j, at);
    case FieldKind::Date:
      return DecodeDate(j, at);
    case FieldKind::Series:
      return DecodeSeries(j, at);
  }
  at.Mismatch("a known kind of field");
}

template <class Record>
Json Encode(const Record& record) {
  Json j{{"record", RecordName<Record>()}};
  for (const auto& field : FieldTable<Record>()) {
    j[std::string(field.Name())] = FieldToJson(field.Get(record));
  }
  return j;
}

template <class Record>
std::shared_ptr<Record> Decode(const Json& j, const JsonPlace& at) {
  auto record = std::make_shared<Record>();
  for (const auto& field : FieldTable<Record>()) {
    IfPresent(j, field.Name(), at, [&](const Json& v, const JsonPlace& p) {
      field.Set(*record, FieldFromJson(field.Kind(), v, p));
    });
  }
  return record;
}

}  // namespace

Json RecordToJson(const CLorvexCls& record) {
  return Encode(record);
}
Json RecordToJson(const COstrelCls& record) {
  return Encode(record);
}
Json RecordToJson(const CBrevaneCls& record) {
  return Encode(record);
}

bool IsRecordJson(const Json& j) {
  return j.is_object() && j.contains("record");
}

RecordPtr RecordFromJson(const Json& j, const JsonPlace& at) {
  if (!IsRecordJson(j)) at.Mismatch("a record");
  const std::string kind = DecodeText(j["record"], at.In("record"));
  if (kind == RecordName<CLorvexCls>()) return Decode<CLorvexCls>(j, at);
  if (kind == RecordName<COstrelCls>()) return Decode<COstrelCls>(j, at);
  if (kind == RecordName<CBrevaneCls>()) return Decode<CBrevaneCls>(j, at);
  at.In("record").Mismatch("\"Lorvex\", \"Ostrel\" or \"Brevane\"");
}

}  // namespace travimo
