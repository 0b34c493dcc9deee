#include "tools/refserver/Sqlite.h"

#include <stdexcept>

namespace qm::refserver::sql {

namespace {

[[noreturn]] void Fail(sqlite3* db, const std::string& what) {
  throw std::runtime_error(what + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

}  // namespace

Database::Database(const std::filesystem::path& file) {
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
  if (sqlite3_open_v2(file.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    throw std::runtime_error("cannot open " + file.string() + ": " + message);
  }
  sqlite3_busy_timeout(db_, 5000);
}

Database::~Database() { sqlite3_close(db_); }

void Database::Execute(const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
    const std::string message = error ? error : "unknown error";
    sqlite3_free(error);
    throw std::runtime_error(std::string("SQL failed: ") + message);
  }
}

Statement::Statement(Database& db, const char* sql) : db_(db.handle()) {
  if (sqlite3_prepare_v2(db_, sql, -1, &stmt_, nullptr) != SQLITE_OK) Fail(db_, "prepare");
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

Statement& Statement::Bind(int index, std::string_view text) {
  if (sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT,
                          SQLITE_UTF8) != SQLITE_OK)
    Fail(db_, "bind");
  return *this;
}

Statement& Statement::Bind(int index, int64_t value) {
  if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) Fail(db_, "bind");
  return *this;
}

Statement& Statement::BindNull(int index) {
  if (sqlite3_bind_null(stmt_, index) != SQLITE_OK) Fail(db_, "bind");
  return *this;
}

bool Statement::Step() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  Fail(db_, "step");
}

void Statement::Run() {
  while (Step()) {
  }
}

int64_t Statement::Int(int column) const { return sqlite3_column_int64(stmt_, column); }

std::string Statement::Text(int column) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
  if (text == nullptr) return {};
  return std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt_, column)));
}

bool Statement::IsNull(int column) const {
  return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

Transaction::Transaction(Database& db) : db_(db) { db_.Execute("BEGIN IMMEDIATE"); }

Transaction::~Transaction() {
  if (!done_) sqlite3_exec(db_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::Commit() {
  db_.Execute("COMMIT");
  done_ = true;
}

}  // namespace qm::refserver::sql
