#include "shelf/database.h"

namespace trivane::shelf {

Statement::Statement(sqlite3* db, const char* sql) {
  if (sqlite3_prepare_v2(db, sql, -1, &s_, nullptr) != SQLITE_OK) s_ = nullptr;
}

Statement& Statement::Bind(const std::string& text) {
  sqlite3_bind_text(s_, next_++, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  return *this;
}

Statement& Statement::Bind(std::int64_t n) {
  sqlite3_bind_int64(s_, next_++, n);
  return *this;
}

Statement& Statement::Bind(std::optional<int> n) {
  if (n)
    sqlite3_bind_int64(s_, next_++, *n);
  else
    sqlite3_bind_null(s_, next_++);
  return *this;
}

Statement& Statement::Bind(double x) {
  sqlite3_bind_double(s_, next_++, x);
  return *this;
}

bool Statement::Step() {
  return s_ != nullptr && sqlite3_step(s_) == SQLITE_ROW;
}

bool Statement::Run() {
  if (s_ == nullptr) return false;
  const int done = sqlite3_step(s_);
  Reset();
  return done == SQLITE_DONE || done == SQLITE_ROW;
}

void Statement::Reset() {
  sqlite3_reset(s_);
  sqlite3_clear_bindings(s_);
  next_ = 1;
}

std::string Statement::Text(int column) const {
  const auto* text = sqlite3_column_text(s_, column);
  return text == nullptr ? ""
                         : std::string(reinterpret_cast<const char*>(text),
                                       static_cast<std::size_t>(sqlite3_column_bytes(s_, column)));
}

std::int64_t Statement::Int(int column) const {
  return sqlite3_column_int64(s_, column);
}

bool Exec(sqlite3* db, const char* sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

}  // namespace trivane::shelf
