#include "archive/record_rows.h"

#include <bit>
#include <cmath>
#include <cstring>

#include <travimo/model/brevane_record.h>
#include <travimo/model/field_table.h>
#include <travimo/model/lorvex_record.h>
#include <travimo/model/ostrel_record.h>

namespace travimo::archive {

namespace {

static_assert(std::endian::native == std::endian::little, "series are stored little-endian");

std::vector<uint8_t> SeriesBytes(const SingleArray& series) {
  std::vector<uint8_t> bytes(series.Values().size() * sizeof(float));
  if (!bytes.empty()) std::memcpy(bytes.data(), series.Values().data(), bytes.size());
  return bytes;
}

SingleArray SeriesFrom(int32_t lower, const std::vector<uint8_t>& bytes) {
  std::vector<float> values(bytes.size() / sizeof(float));
  if (!values.empty()) std::memcpy(values.data(), bytes.data(), values.size() * sizeof(float));
  return SingleArray(lower, std::move(values));
}

struct Writers {
  Statement record;
  Statement field;
  Statement series;
  int64_t readId;
};

template <class Record>
void WriteRecord(Writers& w, int64_t ordinal, int32_t position, std::string_view letter,
                 const Record& record) {
  w.record.Bind(1, w.readId).Bind(2, ordinal).Bind(3, int64_t{position});
  w.record.Bind(4, RecordName<Record>()).Bind(5, letter);
  w.record.BindNull(6).BindNull(7);
  // Not every record has these; the indexed columns stay NULL for those.
  if (const auto* idCode = FindField<Record>("IDCode")) {
    w.record.Bind(6, std::get<std::string>(idCode->Get(record)));
  }
  if (const auto* number = FindField<Record>("MeasurementNumber")) {
    w.record.Bind(7, int64_t{std::get<int32_t>(number->Get(record))});
  }
  w.record.Run();
  ForEachField(record, [&](const auto& field, const auto& value) {
    using T = std::decay_t<decltype(value)>;
    Statement& s = std::is_same_v<T, ScanDataPtr> ? w.series : w.field;
    s.Bind(1, w.readId).Bind(2, ordinal).Bind(3, field.Name());
    if constexpr (std::is_same_v<T, ScanDataPtr>) {
      if (value) {
        const SingleArray data = value->ScanData();
        s.Bind(4, int64_t{data.LowerBound()}).Bind(5, int64_t{data.Size()});
        s.BindBlob(6, SeriesBytes(data));
      }  // a null series stays three NULLs
    } else if constexpr (std::is_same_v<T, std::string>) {
      s.Bind(4, std::string_view(value));
    } else if constexpr (std::is_same_v<T, int32_t>) {
      s.Bind(5, int64_t{value});
    } else if constexpr (std::is_same_v<T, float>) {
      // SQL stores NaN as NULL, so a NaN keeps its bits instead.
      if (std::isnan(value)) {
        s.Bind(5, int64_t{std::bit_cast<uint32_t>(value)});
      } else {
        s.Bind(6, static_cast<double>(value));
      }
    } else {
      s.Bind(6, value.Value());
    }
    s.Run();
  });
}

FieldValue ValueOf(FieldKind kind, const Statement& row) {
  switch (kind) {
    case FieldKind::Text:
      return row.Text(3);
    case FieldKind::Long:
      return static_cast<int32_t>(row.Int(4));
    case FieldKind::Single:
      if (row.IsNull(5)) return std::bit_cast<float>(static_cast<uint32_t>(row.Int(4)));
      return static_cast<float>(row.Real(5));
    case FieldKind::Date:
      return Date(row.Real(5));
    case FieldKind::Series:
      break;
  }
  return ScanDataPtr();
}

template <class Record>
void FillFields(Connection& db, int64_t readId, int64_t ordinal, Record& record) {
  Statement fields(db,
                   "SELECT name, 0, 0, text_value, int_value, real_value FROM record_fields "
                   "WHERE read_id = ? AND ordinal = ?");
  fields.Bind(1, readId).Bind(2, ordinal);
  while (fields.Step()) {
    // A field this version does not know is left out, not an error.
    if (const auto* field = FindField<Record>(fields.Text(0))) {
      field->Set(record, ValueOf(field->Kind(), fields));
    }
  }
  Statement series(db,
                   "SELECT name, lower_bound, values_f32le FROM record_series "
                   "WHERE read_id = ? AND ordinal = ?");
  series.Bind(1, readId).Bind(2, ordinal);
  while (series.Step()) {
    const auto* field = FindField<Record>(series.Text(0));
    if (!field || !field->IsSeries()) continue;
    ScanDataPtr data;
    if (!series.IsNull(1)) {
      data = std::make_shared<CScanDataCls>();
      data->ScanData(SeriesFrom(static_cast<int32_t>(series.Int(1)), series.Blob(2)));
    }
    field->Set(record, data);
  }
}

}  // namespace

void WriteRecords(Connection& db, int64_t readId, const ReadResults& results) {
  Writers w{Statement(db,
                      "INSERT INTO records (read_id, ordinal, position, instrument, type_letter, "
                      "id_code, measurement_number) VALUES (?, ?, ?, ?, ?, ?, ?)"),
            Statement(db,
                      "INSERT INTO record_fields (read_id, ordinal, name, text_value, int_value, "
                      "real_value) VALUES (?, ?, ?, ?, ?, ?)"),
            Statement(db,
                      "INSERT INTO record_series (read_id, ordinal, name, lower_bound, "
                      "point_count, values_f32le) VALUES (?, ?, ?, ?, ?, ?)"),
            readId};
  int64_t ordinal = 0;
  for (const auto& scan : results.lorvex) {
    WriteRecord(w, ordinal++, scan.position, scan.typeLetter, *scan.record);
  }
  for (const auto& record : results.ostrel) {
    WriteRecord(w, ordinal, static_cast<int32_t>(ordinal + 1), "", *record);
    ++ordinal;
  }
  for (const auto& record : results.brevane) {
    WriteRecord(w, ordinal, static_cast<int32_t>(ordinal + 1), "", *record);
    ++ordinal;
  }
}

void ReadRecords(Connection& db, int64_t readId, ReadResults& results) {
  Statement records(db,
                    "SELECT ordinal, position, instrument, type_letter FROM records "
                    "WHERE read_id = ? ORDER BY ordinal");
  records.Bind(1, readId);
  while (records.Step()) {
    const int64_t ordinal = records.Int(0);
    const std::string instrument = records.Text(2);
    if (instrument == RecordName<CLorvexCls>()) {
      auto record = std::make_shared<CLorvexCls>();
      FillFields(db, readId, ordinal, *record);
      results.lorvex.push_back({static_cast<int32_t>(records.Int(1)), records.Text(3), record});
    } else if (instrument == RecordName<COstrelCls>()) {
      auto record = std::make_shared<COstrelCls>();
      FillFields(db, readId, ordinal, *record);
      results.ostrel.push_back(record);
    } else if (instrument == RecordName<CBrevaneCls>()) {
      auto record = std::make_shared<CBrevaneCls>();
      FillFields(db, readId, ordinal, *record);
      results.brevane.push_back(record);
    }
  }
}

}  // namespace travimo::archive
