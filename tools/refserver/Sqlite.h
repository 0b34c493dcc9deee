// A thin RAII layer over the SQLite C interface: a connection, prepared
// statements with bound parameters, and transactions. Errors throw
// std::runtime_error with SQLite's message.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace qm::refserver::sql {

class Database {
 public:
  explicit Database(const std::filesystem::path& file);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  void Execute(const char* sql);  // one or more statements without parameters
  sqlite3* handle() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

class Statement {
 public:
  Statement(Database& db, const char* sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(int index, std::string_view text);
  Statement& Bind(int index, int64_t value);
  Statement& BindNull(int index);

  bool Step();  // true while a row is available
  void Run();   // steps to completion

  int64_t Int(int column) const;
  std::string Text(int column) const;  // empty for NULL
  bool IsNull(int column) const;

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

// Rolls back unless Commit() was called.
class Transaction {
 public:
  explicit Transaction(Database& db);
  ~Transaction();
  void Commit();

 private:
  Database& db_;
  bool done_ = false;
};

}  // namespace qm::refserver::sql
