// SQLite through one small wrapper: a prepared statement that binds its
// values in order, steps, and reads its columns; finalized when it goes.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>

namespace trivane::shelf {

class Statement {
 public:
  Statement(sqlite3* db, const char* sql);
  ~Statement() { sqlite3_finalize(s_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  bool ok() const { return s_ != nullptr; }
  Statement& Bind(const std::string& text);
  Statement& Bind(std::int64_t n);
  Statement& Bind(std::optional<int> n);
  Statement& Bind(double x);
  // The next row: true while there is one. Run: steps once and resets.
  bool Step();
  bool Run();
  // Made ready to be bound and stepped again.
  void Reset();
  std::string Text(int column) const;
  std::int64_t Int(int column) const;
  double Real(int column) const { return sqlite3_column_double(s_, column); }
  bool Null(int column) const { return sqlite3_column_type(s_, column) == SQLITE_NULL; }

 private:
  sqlite3_stmt* s_ = nullptr;
  int next_ = 1;
};

// Runs SQL that returns no rows; false when it fails.
bool Exec(sqlite3* db, const char* sql);

}  // namespace trivane::shelf
