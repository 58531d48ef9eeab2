#pragma once
// A thin RAII layer over SQLite: a connection, its prepared statements and a
// transaction that rolls back unless committed. Failures are RuntimeErrors
// naming the database and SQLite's own message.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace travimo::archive {

inline constexpr std::string_view kArchiveSource = "Travimo archive";

class Connection {
 public:
  // Opens (creating when asked) the database at path with a busy timeout.
  Connection(const std::string& path, bool create, int busyTimeoutMs);
  Connection(Connection&&) noexcept = default;
  Connection& operator=(Connection&&) noexcept = default;

  void Execute(const std::string& sql);
  int64_t LastInsertId() const;
  const std::string& Path() const { return path_; }
  sqlite3* Handle() const { return db_.get(); }
  // Throws for a result code other than OK, ROW or DONE.
  void Check(int code, std::string_view what) const;

 private:
  struct Closer {
    void operator()(sqlite3* db) const;
  };
  std::string path_;
  std::unique_ptr<sqlite3, Closer> db_;
};

class Statement {
 public:
  Statement(Connection& connection, std::string_view sql);
  Statement(Statement&&) noexcept = default;

  // Parameters count from 1.
  Statement& Bind(int index, int64_t value);
  Statement& Bind(int index, double value);
  Statement& Bind(int index, std::string_view text);
  Statement& BindBlob(int index, std::span<const uint8_t> bytes);
  Statement& BindNull(int index);

  // True while a row is at hand; false once done.
  bool Step();
  // Runs a statement that returns no rows, then resets it for another use.
  void Run();
  void Reset();

  bool IsNull(int column) const;
  int64_t Int(int column) const;
  double Real(int column) const;
  std::string Text(int column) const;
  void Text(int column, std::string& into) const;
  std::vector<uint8_t> Blob(int column) const;

 private:
  struct Finalizer {
    void operator()(sqlite3_stmt* statement) const;
  };
  Connection* connection_;
  std::unique_ptr<sqlite3_stmt, Finalizer> statement_;
};

// BEGIN IMMEDIATE, so a writer waits for the lock up front instead of failing
// to upgrade a read lock halfway through.
class Transaction {
 public:
  explicit Transaction(Connection& connection);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void Commit();

 private:
  Connection& connection_;
  bool open_ = true;
};

}  // namespace travimo::archive
