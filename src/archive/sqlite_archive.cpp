// The archive in one SQLite file, in WAL mode so readers never block the writer.
#include <span>

#include <sqlite3.h>

#include "archive/archive_location.h"
#include "archive/archive_store.h"
#include "archive/record_rows.h"
#include "archive/schema.h"
#include <travimo/model/error.h>
#include "rawdata/sha256.h"

namespace travimo::archive {

namespace {

std::string KindText(TransferKind kind) {
  return KindName(kind);
}

TransferKind KindFrom(const std::string& text) {
  for (TransferKind kind : {TransferKind::Lorvex, TransferKind::Ostrel, TransferKind::Brevane}) {
    if (KindName(kind) == text) return kind;
  }
  return TransferKind::Lorvex;
}

std::optional<int64_t> OptionalInt(const Statement& row, int column) {
  return row.IsNull(column) ? std::nullopt : std::optional<int64_t>(row.Int(column));
}

// SQLite refuses the switch at once, without its busy wait, while another
// process holds the new file (two programs making the archive together), so
// the wait for that process is made here, within the same time limit.
void SwitchToWal(Connection& db, int busyTimeoutMs) {
  constexpr std::string_view kSql = "PRAGMA journal_mode = WAL";
  constexpr int kPauseMs = 10;
  for (int waited = 0;; waited += kPauseMs) {
    const int code = sqlite3_exec(db.Handle(), kSql.data(), nullptr, nullptr, nullptr);
    if ((code & 0xff) != SQLITE_BUSY || waited >= busyTimeoutMs) {
      db.Check(code, kSql);
      return;
    }
    sqlite3_sleep(kPauseMs);
  }
}

class SqliteArchive final : public ArchiveStore {
 public:
  SqliteArchive(const std::string& path, int busyTimeoutMs) : db_(Open(path, busyTimeoutMs)) {}

  int64_t Add(const ReadEntry& e) override {
    Transaction transaction(db_);
    Statement insert(db_,
                     "INSERT INTO reads (started_utc_ms, ended_utc_ms, utc_offset_min, "
                     "program_version, source, device, port, line_settings, type_asked, parser, "
                     "scan_data_type, temp_units, number_of_points, blue_line_trigger, "
                     "array_start, result_data_type, result_temp_units, error_number, "
                     "error_name, error_description, record_count, raw_length, raw_sha256, "
                     "parent_id) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                     "?, ?, ?, ?, ?)");
    insert.Bind(1, e.startedUtcMs).Bind(2, e.endedUtcMs).Bind(3, int64_t{e.utcOffsetMinutes});
    insert.Bind(4, e.programVersion).Bind(5, e.source).Bind(6, e.device);
    insert.Bind(7, int64_t{e.port}).Bind(8, e.lineSettings).Bind(9, int64_t{e.typeAsked});
    insert.Bind(10, KindText(e.results.kind));
    insert.Bind(11, int64_t{e.settings.scanDataType}).Bind(12, int64_t{e.settings.tempUnits});
    insert.Bind(13, int64_t{e.settings.numberOfPoints});
    insert.Bind(14, int64_t{e.settings.blueLineTrigger}).Bind(15, int64_t{e.settings.arrayStart});
    insert.Bind(16, int64_t{e.results.dataType}).Bind(17, int64_t{e.results.tempUnits});
    insert.Bind(18, int64_t{e.errorNumber}).Bind(19, e.errorName).Bind(20, e.errorDescription);
    insert.Bind(21, int64_t{e.results.Count()}).Bind(22, static_cast<int64_t>(e.raw.size()));
    insert.Bind(23, Sha256Hex(e.raw));
    if (e.parentId) insert.Bind(24, *e.parentId);
    insert.Run();
    const int64_t id = db_.LastInsertId();
    Statement bytes(db_, "INSERT INTO read_bytes (read_id, raw) VALUES (?, ?)");
    bytes.Bind(1, id).BindBlob(2, e.raw);
    bytes.Run();
    WriteRecords(db_, id, e.results);
    transaction.Commit();
    return id;
  }

  void VisitHistory(const HistoryFilter& filter,
                    const std::function<void(const ReadSummary&)>& each) override {
    std::string sql =
        "SELECT id, started_utc_ms, utc_offset_min, source, device, parser, record_count, "
        "error_number, error_name, parent_id FROM reads WHERE 1 = 1";
    if (filter.sinceUtcMs) sql += " AND started_utc_ms >= ?";
    if (filter.untilUtcMs) sql += " AND started_utc_ms < ?";
    if (filter.type) sql += " AND parser = ?";
    if (filter.device) sql += " AND device = ?";
    if (filter.failedOnly) sql += " AND error_number <> 0";
    if (filter.idCode) {
      sql +=
          " AND EXISTS (SELECT 1 FROM records WHERE records.read_id = reads.id AND "
          "records.id_code = ?)";
    }
    sql += " ORDER BY started_utc_ms, id";
    Statement query(db_, sql);
    int index = 1;
    if (filter.sinceUtcMs) query.Bind(index++, *filter.sinceUtcMs);
    if (filter.untilUtcMs) query.Bind(index++, *filter.untilUtcMs);
    if (filter.type) query.Bind(index++, KindText(*filter.type));
    if (filter.device) query.Bind(index++, *filter.device);
    if (filter.idCode) query.Bind(index++, *filter.idCode);
    ReadSummary line;  // one object: its strings keep their buffers from line to line
    while (query.Step()) {
      line.id = query.Int(0);
      line.startedUtcMs = query.Int(1);
      line.utcOffsetMinutes = static_cast<int32_t>(query.Int(2));
      query.Text(3, line.source);
      query.Text(4, line.device);
      query.Text(5, line.instrument);
      line.records = static_cast<int32_t>(query.Int(6));
      line.errorNumber = static_cast<int32_t>(query.Int(7));
      query.Text(8, line.errorName);
      line.parentId = OptionalInt(query, 9);
      each(line);
    }
  }

  ReadEntry Load(int64_t id) override {
    Statement query(db_,
                    "SELECT started_utc_ms, ended_utc_ms, utc_offset_min, program_version, "
                    "source, device, port, line_settings, type_asked, parser, scan_data_type, "
                    "temp_units, number_of_points, blue_line_trigger, array_start, "
                    "result_data_type, result_temp_units, error_number, error_name, "
                    "error_description, raw_sha256, raw, parent_id FROM reads "
                    "JOIN read_bytes ON read_bytes.read_id = reads.id WHERE id = ?");
    query.Bind(1, id);
    if (!query.Step()) {
      throw RuntimeError(ErrorNumber::InvalidArgument, std::string(kArchiveSource),
                         "Archive " + db_.Path() + " has no read " + std::to_string(id) +
                             ": see travimo history for the numbers it holds");
    }
    auto i32 = [&](int column) { return static_cast<int32_t>(query.Int(column)); };
    ReadEntry e;
    e.startedUtcMs = query.Int(0);
    e.endedUtcMs = query.Int(1);
    e.utcOffsetMinutes = i32(2);
    e.programVersion = query.Text(3);
    e.source = query.Text(4);
    e.device = query.Text(5);
    e.port = i32(6);
    e.lineSettings = query.Text(7);
    e.typeAsked = i32(8);
    e.results.kind = KindFrom(query.Text(9));
    e.settings = {i32(10), i32(11), i32(12), i32(13), i32(14)};
    e.results.dataType = i32(15);
    e.results.tempUnits = i32(16);
    e.errorNumber = i32(17);
    e.errorName = query.Text(18);
    e.errorDescription = query.Text(19);
    e.raw = query.Blob(21);
    e.parentId = OptionalInt(query, 22);
    if (Sha256Hex(e.raw) != query.Text(20)) {
      throw RuntimeError(ErrorNumber::PathFileAccess, std::string(kArchiveSource),
                         "Archive " + db_.Path() + ": the bytes of read " + std::to_string(id) +
                             " no longer match their SHA-256");
    }
    ReadRecords(db_, id, e.results);
    return e;
  }

  CheckResult Check() override {
    CheckResult result;
    Statement integrity(db_, "PRAGMA integrity_check");
    while (integrity.Step()) {
      if (const std::string line = integrity.Text(0); line != "ok") result.problems.push_back(line);
    }
    Statement keys(db_, "PRAGMA foreign_key_check");
    while (keys.Step()) {
      result.problems.push_back("table " + keys.Text(0) + " row " + std::to_string(keys.Int(1)) +
                                " refers to a missing " + keys.Text(2) + " row");
    }
    // LEFT JOIN: a read without its bytes is a problem, not a row left out.
    Statement raws(db_,
                   "SELECT id, raw_length, raw_sha256, raw FROM reads "
                   "LEFT JOIN read_bytes ON read_bytes.read_id = reads.id ORDER BY id");
    while (raws.Step()) {
      const auto raw = raws.Blob(3);
      if (static_cast<int64_t>(raw.size()) != raws.Int(1) || Sha256Hex(raw) != raws.Text(2)) {
        result.problems.push_back("read " + std::to_string(raws.Int(0)) +
                                  ": the bytes do not match their length and SHA-256");
      }
    }
    result.ok = result.problems.empty();
    return result;
  }

  std::string Location() const override { return db_.Path(); }

 private:
  static Connection Open(const std::string& path, int busyTimeoutMs) {
    PrepareArchiveFile(path);
    Connection db(path, true, busyTimeoutMs);
    // Before the first table, else ignored: series of 512 points fill large
    // pages well where 4 KB pages hold one each and waste half.
    db.Execute("PRAGMA page_size = 16384");
    db.Execute("PRAGMA foreign_keys = ON");
    // Also the first read of the file, so a file that is no database fails here.
    SwitchToWal(db, busyTimeoutMs);
    Migrate(db);
    return db;
  }

  Connection db_;
};

}  // namespace

std::unique_ptr<ArchiveStore> OpenSqliteArchive(const std::string& path, int busyTimeoutMs) {
  return std::make_unique<SqliteArchive>(path, busyTimeoutMs);
}

}  // namespace travimo::archive
