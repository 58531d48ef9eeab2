#include "exports/json_writer.h"

#include <cmath>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "exports/record_view.h"

namespace travimo::exports {

namespace {

using Json = nlohmann::ordered_json;

// The float's shortest text read back as a double, so 0.1f shows as 0.1.
Json Number(float value) {
  if (!std::isfinite(value)) return nullptr;
  return std::strtod(FormatFloat(value).c_str(), nullptr);
}

Json SeriesToJson(const NamedSeries& series) {
  Json values = Json::array();
  for (const float value : series.data.Values()) values.push_back(Number(value));
  Json json = {{"lower", series.data.LowerBound()}, {"values", std::move(values)}};
  json["quantity"] = series.quantity;
  if (!series.unit.empty()) json["unit"] = series.unit;
  return json;
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
  for (const auto& series : view.series) record[series.name] = SeriesToJson(series);
  return record;
}

// Each series once, with the quantity and unit of the first record that has it.
Json SeriesSummary(const std::vector<RecordView>& views) {
  Json summary = Json::array();
  for (const auto& view : views) {
    for (const auto& series : view.series) {
      if (NeverFilled(series.data)) continue;
      const bool known = std::any_of(summary.begin(), summary.end(),
                                     [&](const Json& s) { return s["name"] == series.name; });
      if (known) continue;
      Json entry = {{"name", series.name}, {"quantity", series.quantity}};
      if (!series.unit.empty()) entry["unit"] = series.unit;
      summary.push_back(std::move(entry));
    }
  }
  return summary;
}

Json MetadataToJson(const ReadResults& results, const ExportMetadata& metadata,
                    const std::vector<RecordView>& views) {
  Json json = {{"program", "travimo"},
               {"version", TRAVIMO_VERSION_STRING},
               {"instrument", KindName(results.kind)}};
  Json series = SeriesSummary(views);
  if (!series.empty()) {
    json["quantity"] = series[0]["quantity"];
    if (series[0].contains("unit")) json["unit"] = series[0]["unit"];
  }
  json["series"] = std::move(series);
  Json settings = Json::object();
  for (const auto& setting : metadata.settings) settings[setting.name] = setting.value;
  json["settings"] = std::move(settings);
  if (!metadata.device.empty()) json["device"] = metadata.device;
  if (metadata.readUtcMs) json["readTime"] = UtcIsoText(*metadata.readUtcMs);
  if (metadata.archiveEntry) json["archiveEntry"] = *metadata.archiveEntry;
  return json;
}

}  // namespace

void WriteJson(const ReadResults& results, const ExportMetadata& metadata, std::ostream& out) {
  const auto views = ViewsOf(results);
  Json document = {{"metadata", MetadataToJson(results, metadata, views)},
                   {"instrument", KindName(results.kind)}};
  if (results.kind == TransferKind::Lorvex) {
    document["dataType"] = DataTypeName(results.dataType);
    document["tempUnits"] = TempUnitsName(results.tempUnits);
  }
  document["count"] = results.Count();
  Json records = Json::array();
  for (const auto& view : views) records.push_back(RecordToJson(view));
  document["records"] = std::move(records);
  out << document.dump(2) << '\n';
}

}  // namespace travimo::exports
