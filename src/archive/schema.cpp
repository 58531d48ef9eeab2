#include "archive/schema.h"

#include <array>
#include <string>

#include <travimo/model/error.h>

namespace travimo::archive {

namespace {

// migrations[n] takes a file from version n to n + 1. Plain SQL that other
// databases also speak: no SQLite-only types or clauses.
constexpr std::array<const char*, kSchemaVersion> kMigrations = {
    R"sql(
CREATE TABLE reads (
  id INTEGER PRIMARY KEY,
  started_utc_ms BIGINT NOT NULL,
  ended_utc_ms BIGINT NOT NULL,
  utc_offset_min INTEGER NOT NULL,
  program_version TEXT NOT NULL,
  source TEXT NOT NULL,
  device TEXT NOT NULL,
  port INTEGER NOT NULL,
  line_settings TEXT NOT NULL,
  type_asked INTEGER NOT NULL,
  parser TEXT NOT NULL,
  scan_data_type INTEGER NOT NULL,
  temp_units INTEGER NOT NULL,
  number_of_points INTEGER NOT NULL,
  blue_line_trigger INTEGER NOT NULL,
  array_start INTEGER NOT NULL,
  result_data_type INTEGER NOT NULL,
  result_temp_units INTEGER NOT NULL,
  error_number INTEGER NOT NULL,
  error_name TEXT NOT NULL,
  error_description TEXT NOT NULL,
  record_count INTEGER NOT NULL,
  raw_length BIGINT NOT NULL,
  raw_sha256 TEXT NOT NULL,
  raw BLOB NOT NULL
);
CREATE TABLE records (
  read_id INTEGER NOT NULL REFERENCES reads(id) ON DELETE CASCADE,
  ordinal INTEGER NOT NULL,
  position INTEGER NOT NULL,
  instrument TEXT NOT NULL,
  type_letter TEXT NOT NULL,
  id_code TEXT,
  measurement_number INTEGER,
  PRIMARY KEY (read_id, ordinal)
);
CREATE TABLE record_fields (
  read_id INTEGER NOT NULL,
  ordinal INTEGER NOT NULL,
  name TEXT NOT NULL,
  text_value TEXT,
  int_value BIGINT,
  real_value DOUBLE PRECISION,
  PRIMARY KEY (read_id, ordinal, name),
  FOREIGN KEY (read_id, ordinal) REFERENCES records(read_id, ordinal) ON DELETE CASCADE
);
CREATE TABLE record_series (
  read_id INTEGER NOT NULL,
  ordinal INTEGER NOT NULL,
  name TEXT NOT NULL,
  lower_bound INTEGER,
  point_count INTEGER,
  values_f32le BLOB,
  PRIMARY KEY (read_id, ordinal, name),
  FOREIGN KEY (read_id, ordinal) REFERENCES records(read_id, ordinal) ON DELETE CASCADE
);
CREATE INDEX reads_by_time ON reads (started_utc_ms);
CREATE INDEX reads_by_instrument ON reads (parser, started_utc_ms);
CREATE INDEX reads_by_device ON reads (device);
CREATE INDEX records_by_id_code ON records (id_code);
CREATE INDEX records_by_measurement ON records (measurement_number);
)sql",
    // A decode of another entry's bytes names that entry.
    R"sql(
ALTER TABLE reads ADD COLUMN parent_id INTEGER REFERENCES reads(id);
CREATE INDEX reads_by_parent ON reads (parent_id);
)sql",
    // The bytes in a table of their own: a history reads only the small rows.
    R"sql(
CREATE TABLE read_bytes (
  read_id INTEGER PRIMARY KEY REFERENCES reads(id) ON DELETE CASCADE,
  raw BLOB NOT NULL
);
INSERT INTO read_bytes (read_id, raw) SELECT id, raw FROM reads;
ALTER TABLE reads DROP COLUMN raw;
)sql",
};

int UserVersion(Connection& db) {
  Statement query(db, "PRAGMA user_version");
  query.Step();
  return static_cast<int>(query.Int(0));
}

}  // namespace

void Migrate(Connection& db, int target) {
  int version = UserVersion(db);
  if (version > kSchemaVersion) {
    throw RuntimeError(ErrorNumber::PathFileAccess, std::string(kArchiveSource),
                       "Archive " + db.Path() + " has schema version " + std::to_string(version) +
                           ", newer than this program's " + std::to_string(kSchemaVersion) +
                           ": use a newer Travimo or another archive (--archive)");
  }
  while (version < target) {
    Transaction transaction(db);
    // Another process may have migrated while this one waited for the lock.
    version = UserVersion(db);
    if (version >= target) break;
    db.Execute(kMigrations[static_cast<size_t>(version)]);
    db.Execute("PRAGMA user_version = " + std::to_string(version + 1));
    transaction.Commit();
    ++version;
  }
}

}  // namespace travimo::archive
