// The texts every part of the programs shares: bytes in hex as listings and
// the hex views show them, and file paths as the UTF-8 the programs speak.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "formats/image_buffer.h"

namespace trivane {

// A byte as two upper-case hex digits ("FB"), as listings show marks.
std::string HexByte(int value);

inline constexpr int kHexRowBytes = 16;
// One row of a hex view: the offset in 8 digits, up to 16 bytes in lower-case
// hex (a gap after the eighth, blanks where the row ends early), and the
// bytes as text between bars, "." for any but printable ASCII:
//   00000010  00 fe 11 ...  |..........|
std::string HexRow(Offset offset, const std::uint8_t* bytes, int count);

// On Windows the file system's names are UTF-16, elsewhere they are the
// bytes themselves.
std::filesystem::path PathFromUtf8(const std::string& text);
// The text with its ASCII letters in upper case, as DOS names are matched.
std::string UpperAscii(std::string text);
// The words joined by the separator, the last two by `last` ("a, b or c").
std::string JoinedWords(const std::vector<std::string>& words, std::string_view separator,
                        std::string_view last);
// The text with every mark in it replaced by the value.
std::string ReplaceAll(std::string text, const std::string& mark, const std::string& value);
std::string Utf8Of(const std::filesystem::path& path);

}  // namespace trivane
