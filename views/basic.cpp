#include "views/basic.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace trivane::views {
namespace {

// Model I/III tokens 80..FB; D1 is the exponent, listed as [ (an up arrow
// on the TRS-80's screen).
const char* const kTokens[] = {
    "END",    "FOR",    "RESET",  "SET",   "CLS",    "CMD",     "RANDOM", "NEXT",    "DATA",
    "INPUT",  "DIM",    "READ",   "LET",   "GOTO",   "RUN",     "IF",     "RESTORE", "GOSUB",
    "RETURN", "REM",    "STOP",   "ELSE",  "TRON",   "TROFF",   "DEFSTR", "DEFINT",  "DEFSNG",
    "DEFDBL", "LINE",   "EDIT",   "ERROR", "RESUME", "OUT",     "ON",     "OPEN",    "FIELD",
    "GET",    "PUT",    "CLOSE",  "LOAD",  "MERGE",  "NAME",    "KILL",   "LSET",    "RSET",
    "SAVE",   "SYSTEM", "LPRINT", "DEF",   "POKE",   "PRINT",   "CONT",   "LIST",    "LLIST",
    "DELETE", "AUTO",   "CLEAR",  "CLOAD", "CSAVE",  "NEW",     "TAB(",   "TO",      "FN",
    "USING",  "VARPTR", "USR",    "ERL",   "ERR",    "STRING$", "INSTR",  "POINT",   "TIME$",
    "MEM",    "INKEY$", "THEN",   "NOT",   "STEP",   "+",       "-",      "*",       "/",
    "[",      "AND",    "OR",     ">",     "=",      "<",       "SGN",    "INT",     "ABS",
    "FRE",    "INP",    "POS",    "SQR",   "RND",    "LOG",     "EXP",    "COS",     "SIN",
    "TAN",    "ATN",    "PEEK",   "CVI",   "CVS",    "CVD",     "EOF",    "LOC",     "LOF",
    "MKI$",   "MKS$",   "MKD$",   "CINT",  "CSNG",   "CDBL",    "FIX",    "LEN",     "STR$",
    "VAL",    "ASC",    "CHR$",   "LEFT$", "RIGHT$", "MID$",    "'"};

// Model 4: single-byte tokens 81..FE ("" unused: E3 and E4 too, which
// TRSDOS 6's BASIC and BASICG never give out; VIEW is EC), and FF 81..B3
// functions.
const char* const kTokens4[] = {
    "",       "END",    "FOR",    "NEXT",    "DATA",    "INPUT",  "DIM",    "READ",   "LET",
    "GOTO",   "RUN",    "IF",     "RESTORE", "GOSUB",   "RETURN", "REM",    "STOP",   "PRINT",
    "CLEAR",  "LIST",   "NEW",    "ON",      "WAIT",    "DEF",    "POKE",   "CONT",   "",
    "",       "OUT",    "LPRINT", "LLIST",   "CLS",     "",       "WIDTH",  "ELSE",   "TRON",
    "TROFF",  "SWAP",   "ERASE",  "EDIT",    "ERROR",   "RESUME", "DELETE", "AUTO",   "RENUM",
    "DEFSTR", "DEFINT", "DEFSNG", "DEFDBL",  "LINE",    "",       "",       "WHILE",  "WEND",
    "CALL",   "WRITE",  "COMMON", "CHAIN",   "OPTION",  "RANDOM", "",       "SYSTEM", "",
    "OPEN",   "FIELD",  "GET",    "PUT",     "CLOSE",   "LOAD",   "MERGE",  "",       "NAME",
    "KILL",   "LSET",   "RSET",   "SAVE",    "",        "SOUND",  "",       "TO",     "THEN",
    "TAB(",   "STEP",   "USR",    "FN",      "SPC(",    "NOT",    "ERL",    "ERR",    "STRING$",
    "USING",  "INSTR",  "'",      "VARPTR",  "DATE$",   "ERRS$",  "INKEY$", "MEM",    "TIME$",
    "",       "",       "CIRCLE", "CLR",     "GLOCATE", "PAINT",  "PRESET", "PSET",   "SCREEN",
    "VIEW",   "",       "",       "",        ">",       "=",      "<",      "+",      "-",
    "*",      "/",      "^",      "AND",     "OR",      "XOR",    "EQV",    "IMP",    "MOD",
    "\\"};
const char* const kFunctions4[] = {
    "LEFT$", "RIGHT$", "MID$", "SGN",  "INT",  "ABS",  "SQR",  "RND",  "SIN", "LOG", "EXP",
    "COS",   "TAN",    "ATN",  "FRE",  "INP",  "POS",  "LEN",  "STR$", "VAL", "ASC", "CHR$",
    "PEEK",  "SPACE$", "OCT$", "HEX$", "LPOS", "CINT", "CSNG", "CDBL", "FIX", "",    "",
    "",      "",       "",     "",     "",     "",     "",     "",     "CVI", "CVS", "CVD",
    "EOF",   "LOC",    "LOF",  "MKI$", "MKS$", "MKD$", "ROW"};

constexpr int kRem = 0x93, kData = 0x88, kElse = 0x95, kQuote = 0xFB;
constexpr int kRem4 = 0x8F, kData4 = 0x84, kElse4 = 0xA2, kQuote4 = 0xDC, kWhile4 = 0xB4;

std::string Escape(std::uint8_t b) {
  char text[8];
  std::snprintf(text, sizeof text, "\\x%02X", b);
  return text;
}

// A Microsoft binary floating-point number of 4 or 8 bytes, low first: the
// last byte the exponent (bias 128, 0 for zero), the one before the sign
// and the mantissa's top bits below its hidden 1.
std::string Mbf(const std::uint8_t* p, int bytes) {
  const int exponent = p[bytes - 1];
  if (exponent == 0) return "0";
  double m = 0x80 | (p[bytes - 2] & 0x7F);
  for (int k = bytes - 3; k >= 0; --k) m = m * 256 + p[k];
  const double value = std::ldexp(m, exponent - 128 - 8 * (bytes - 1));
  char text[40];
  std::snprintf(text, sizeof text, bytes == 4 ? "%.7G" : "%.16G",
                p[bytes - 2] & 0x80 ? -value : value);
  return text;
}

// One line's bytes as listed, from `at` to its 00 (exclusive).
class Line {
 public:
  Line(const std::vector<std::uint8_t>& b, std::size_t at, std::size_t end, bool model4)
      : b_(b), at_(at), end_(end), m4_(model4) {}
  std::string Text();
  // Tokens the dialect does not have, met outside quotes and remarks.
  int undefined() const { return undefined_; }

 private:
  bool Literal(std::uint8_t c);
  void Token(std::uint8_t c);
  bool Number4(std::uint8_t c);
  int U16(std::size_t k) const { return k + 1 < end_ ? b_[k] | b_[k + 1] << 8 : 0; }

  const std::vector<std::uint8_t>& b_;
  std::size_t at_, end_;
  bool m4_;
  std::string out_;
  bool quote_ = false, rem_ = false, data_ = false;
  int undefined_ = 0;
};

// Inside quotes, a remark, or DATA up to the next colon: bytes as typed.
bool Line::Literal(std::uint8_t c) {
  if (!(quote_ || rem_ || data_)) return false;
  if (c == '"') quote_ = !quote_;
  if (c == ':' && data_ && !quote_) data_ = false;
  out_ += c >= 0x20 && c < 0x7F ? std::string(1, static_cast<char>(c)) : Escape(c);
  return true;
}

void Line::Token(std::uint8_t c) {
  const int rem = m4_ ? kRem4 : kRem, data = m4_ ? kData4 : kData, quote = m4_ ? kQuote4 : kQuote;
  const int elsec = m4_ ? kElse4 : kElse;
  // ":ELSE" lists as ELSE, ":REM'" as '.
  if (c == ':' && at_ < end_ && b_[at_] == elsec) return;
  if (c == ':' && at_ + 1 < end_ && b_[at_] == rem && b_[at_ + 1] == quote) {
    at_ += 2, out_ += "'", rem_ = true;
    return;
  }
  if (c < 0x80) {
    if (c == '"') quote_ = true;
    out_ += c >= 0x20 && c < 0x7F ? std::string(1, static_cast<char>(c)) : Escape(c);
    return;
  }
  const char* word = "";
  if (!m4_ && c <= 0xFB) word = kTokens[c - 0x80];
  if (m4_ && c >= 0x81 && c <= 0xFE) word = kTokens4[c - 0x80];
  if (m4_ && c == 0xFF && at_ < end_ && b_[at_] >= 0x81 && b_[at_] <= 0xB3)
    word = kFunctions4[b_[at_++] - 0x81];
  if (*word == '\0') ++undefined_;
  out_ += *word != '\0' ? word : Escape(c);
  if (c == rem || c == quote) rem_ = true;
  if (c == data) data_ = true;
  if (m4_ && c == kWhile4 && at_ < end_ && b_[at_] == 0xF3) ++at_;  // WHILE's stored +
}

// Model 4's embedded numbers: 0B &O, 0C &H, 0E line number, 0F byte,
// 11..1A digits, 1C integer, 1D single, 1F double.
bool Line::Number4(std::uint8_t c) {
  char text[24];
  const std::size_t k = at_;
  if (c >= 0x11 && c <= 0x1A) {
    out_ += static_cast<char>('0' + c - 0x11);
  } else if (c == 0x0F && k < end_) {
    out_ += std::to_string(b_[at_++]);
  } else if ((c == 0x0B || c == 0x0C || c == 0x0E || c == 0x1C) && k + 1 < end_) {
    const int v = U16(k);
    at_ += 2;
    if (c == 0x0B) std::snprintf(text, sizeof text, "&O%o", v);
    if (c == 0x0C) std::snprintf(text, sizeof text, "&H%X", v);
    if (c == 0x0E) std::snprintf(text, sizeof text, "%d", v);
    if (c == 0x1C) std::snprintf(text, sizeof text, "%d", static_cast<std::int16_t>(v));
    out_ += text;
  } else if ((c == 0x1D && k + 3 < end_) || (c == 0x1F && k + 7 < end_)) {
    const int bytes = c == 0x1D ? 4 : 8;
    out_ += Mbf(b_.data() + k, bytes) + (bytes == 8 ? "#" : "");
    at_ += static_cast<std::size_t>(bytes);
  } else {
    return false;
  }
  return true;
}

std::string Line::Text() {
  while (at_ < end_) {
    const std::uint8_t c = b_[at_++];
    if (Literal(c)) continue;
    if (m4_ && c >= 0x0B && c <= 0x1F && Number4(c)) continue;
    Token(c);
  }
  return out_;
}

// Where a line's 00 is: in Model 4 lines an embedded number's bytes (which
// may be 00) are stepped over, outside quotes.
std::size_t LineEnd(const std::vector<std::uint8_t>& b, std::size_t at, bool model4) {
  bool quote = false;
  for (; at < b.size() && b[at] != 0; ++at) {
    const std::uint8_t c = b[at];
    if (c == '"') quote = !quote;
    if (!model4 || quote) continue;
    if (c == 0x0B || c == 0x0C || c == 0x0E || c == 0x1C) at += 2;
    if (c == 0x0F) at += 1;
    if (c == 0x1D) at += 4;
    if (c == 0x1F) at += 8;
  }
  return std::min(at, b.size());
}

// Lists the program in one dialect; `undefined` counts its tokens the
// dialect does not have.
BasicListing List(const std::vector<std::uint8_t>& b, bool model4, int& undefined) {
  BasicListing out;
  out.model4 = model4;
  int previous = -1, pointer_before = 0;
  for (std::size_t at = 1;;) {
    if (at + 2 > b.size()) {
      out.damage = "the program ends without its end mark";
      return out;
    }
    const int pointer = b[at] | b[at + 1] << 8;
    if (pointer == 0) return out;
    const std::string after =
        previous < 0 ? "the first line" : "the line after " + std::to_string(previous);
    if (pointer <= pointer_before || at + 4 > b.size()) {
      out.damage = pointer <= pointer_before ? after + " points back" : after + " is cut off";
      return out;
    }
    const int number = b[at + 2] | b[at + 3] << 8;
    const std::size_t end = LineEnd(b, at + 4, model4);
    if (end == b.size()) {
      out.damage = "line " + std::to_string(number) + " has no end";
      return out;
    }
    Line line(b, at + 4, end, model4);
    out.lines.push_back(std::to_string(number) + " " + line.Text());
    undefined += line.undefined();
    previous = number, pointer_before = pointer, at = end + 1;
  }
}

}  // namespace

// Both dialects tried: Model 4 only when its tables explain the program
// better (fewer tokens it does not have).
BasicListing ListBasic(const std::vector<std::uint8_t>& b) {
  if (b.empty() || b[0] != 0xFF) {
    BasicListing out;
    out.damage = "not a tokenised BASIC program: it does not start with FF";
    return out;
  }
  int undefined1 = 0, undefined4 = 0;
  BasicListing model1 = List(b, false, undefined1);
  BasicListing model4 = List(b, true, undefined4);
  return undefined4 < undefined1 ? model4 : model1;
}

}  // namespace trivane::views
