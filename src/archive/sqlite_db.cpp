#include "archive/sqlite_db.h"

#include <sqlite3.h>

#include <travimo/model/error.h>

namespace travimo::archive {

namespace {

int32_t ErrorNumberFor(int code) {
  switch (code & 0xff) {
    case SQLITE_FULL:
      return ErrorNumber::DiskFull;
    default:
      return ErrorNumber::PathFileAccess;
  }
}

[[noreturn]] void Fail(const std::string& path, int code, std::string_view what,
                       const char* message) {
  std::string description = "Archive " + path + ": " + std::string(what) +
                            " failed: " + (message ? message : sqlite3_errstr(code)) + " (SQLite " +
                            std::to_string(code) + ")";
  throw RuntimeError(ErrorNumberFor(code), std::string(kArchiveSource), std::move(description));
}

}  // namespace

void Connection::Closer::operator()(sqlite3* db) const {
  sqlite3_close_v2(db);
}

Connection::Connection(const std::string& path, bool create, int busyTimeoutMs) : path_(path) {
  sqlite3* raw = nullptr;
  const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
  const int code = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
  db_.reset(raw);
  if (code != SQLITE_OK) Fail(path_, code, "opening", raw ? sqlite3_errmsg(raw) : nullptr);
  sqlite3_extended_result_codes(raw, 1);
  sqlite3_busy_timeout(raw, busyTimeoutMs);
}

void Connection::Check(int code, std::string_view what) const {
  if (code == SQLITE_OK || code == SQLITE_ROW || code == SQLITE_DONE) return;
  Fail(path_, code, what, sqlite3_errmsg(db_.get()));
}

void Connection::Execute(const std::string& sql) {
  Check(sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, nullptr), sql);
}

int64_t Connection::LastInsertId() const {
  return sqlite3_last_insert_rowid(db_.get());
}

void Statement::Finalizer::operator()(sqlite3_stmt* statement) const {
  sqlite3_finalize(statement);
}

Statement::Statement(Connection& connection, std::string_view sql) : connection_(&connection) {
  sqlite3_stmt* raw = nullptr;
  connection.Check(sqlite3_prepare_v2(connection.Handle(), sql.data(), static_cast<int>(sql.size()),
                                      &raw, nullptr),
                   sql);
  statement_.reset(raw);
}

Statement& Statement::Bind(int index, int64_t value) {
  connection_->Check(sqlite3_bind_int64(statement_.get(), index, value), "binding");
  return *this;
}

Statement& Statement::Bind(int index, double value) {
  connection_->Check(sqlite3_bind_double(statement_.get(), index, value), "binding");
  return *this;
}

Statement& Statement::Bind(int index, std::string_view text) {
  connection_->Check(sqlite3_bind_text64(statement_.get(), index, text.data(), text.size(),
                                         SQLITE_TRANSIENT, SQLITE_UTF8),
                     "binding");
  return *this;
}

Statement& Statement::BindBlob(int index, std::span<const uint8_t> bytes) {
  // A zero-length blob stays a blob, not NULL.
  static const uint8_t kEmpty = 0;
  connection_->Check(
      sqlite3_bind_blob64(statement_.get(), index, bytes.empty() ? &kEmpty : bytes.data(),
                          bytes.size(), SQLITE_TRANSIENT),
      "binding");
  return *this;
}

Statement& Statement::BindNull(int index) {
  connection_->Check(sqlite3_bind_null(statement_.get(), index), "binding");
  return *this;
}

bool Statement::Step() {
  const int code = sqlite3_step(statement_.get());
  connection_->Check(code, sqlite3_sql(statement_.get()));
  return code == SQLITE_ROW;
}

void Statement::Run() {
  while (Step()) {
  }
  Reset();
}

void Statement::Reset() {
  sqlite3_reset(statement_.get());
  sqlite3_clear_bindings(statement_.get());
}

bool Statement::IsNull(int column) const {
  return sqlite3_column_type(statement_.get(), column) == SQLITE_NULL;
}

int64_t Statement::Int(int column) const {
  return sqlite3_column_int64(statement_.get(), column);
}

double Statement::Real(int column) const {
  return sqlite3_column_double(statement_.get(), column);
}

std::string Statement::Text(int column) const {
  const auto* text = sqlite3_column_text(statement_.get(), column);
  const int size = sqlite3_column_bytes(statement_.get(), column);
  return text ? std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(size))
              : std::string();
}

void Statement::Text(int column, std::string& into) const {
  const auto* text = sqlite3_column_text(statement_.get(), column);
  const int size = sqlite3_column_bytes(statement_.get(), column);
  if (text) {
    into.assign(reinterpret_cast<const char*>(text), static_cast<size_t>(size));
  } else {
    into.clear();
  }
}

std::vector<uint8_t> Statement::Blob(int column) const {
  const auto* data = static_cast<const uint8_t*>(sqlite3_column_blob(statement_.get(), column));
  const int size = sqlite3_column_bytes(statement_.get(), column);
  return data ? std::vector<uint8_t>(data, data + size) : std::vector<uint8_t>();
}

Transaction::Transaction(Connection& connection) : connection_(connection) {
  connection_.Execute("BEGIN IMMEDIATE");
}

Transaction::~Transaction() {
  if (open_) sqlite3_exec(connection_.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::Commit() {
  connection_.Execute("COMMIT");
  open_ = false;
}

}  // namespace travimo::archive
