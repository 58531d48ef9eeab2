#include "cli/output_json.h"

#include <cmath>
#include <cstdlib>

#include "cli/record_view.h"

namespace travimo::cli {

namespace {

using Json = nlohmann::ordered_json;

// The float's shortest text read back as a double, so 0.1f shows as 0.1.
Json Number(float value) {
  if (!std::isfinite(value)) return nullptr;
  return std::strtod(FormatFloat(value).c_str(), nullptr);
}

Json SeriesToJson(const SingleArray& data) {
  Json values = Json::array();
  for (const float value : data.Values()) values.push_back(Number(value));
  return Json{{"lower", data.LowerBound()}, {"values", std::move(values)}};
}

struct FieldToJson {
  Json& record;
  const std::string& name;
  void operator()(int32_t v) const { record[name] = v; }
  void operator()(float v) const { record[name] = Number(v); }
  void operator()(const std::string& v) const { record[name] = Latin1ToUtf8(v); }
  void operator()(const Date& v) const {
    record[name] = v.ToIsoString();
    record[name + "Value"] = v.Value();
  }
  void operator()(const ScanDataPtr&) const {}  // series are written apart
};

Json RecordToJson(const RecordView& view) {
  Json record = {{"record", view.position}};
  for (const auto& field : view.fields) std::visit(FieldToJson{record, field.name}, field.value);
  for (const auto& series : view.series) record[series.name] = SeriesToJson(series.data);
  return record;
}

}  // namespace

Json ResultsToJson(const ReadResults& results) {
  Json document = {{"instrument", KindName(results.kind)}};
  if (results.kind == TransferKind::Lorvex) {
    document["dataType"] = DataTypeName(results.dataType);
    document["tempUnits"] = TempUnitsName(results.tempUnits);
  }
  document["count"] = results.Count();
  Json records = Json::array();
  for (const auto& view : ViewsOf(results)) records.push_back(RecordToJson(view));
  document["records"] = std::move(records);
  return document;
}

void JsonWriter::Write(const ReadResults& results, std::ostream& out) const {
  out << ResultsToJson(results).dump(2) << '\n';
}

}  // namespace travimo::cli
