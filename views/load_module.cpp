#include "views/load_module.h"

#include <cstdio>
#include <map>
#include <set>

#include "views/z80.h"

namespace trivane::views {
namespace {

std::string Hex4(int v) {
  char t[8];
  std::snprintf(t, sizeof t, "%04X", v & 0xFFFF);
  return t;
}

std::string Text(const std::vector<std::uint8_t>& b, std::size_t at, int length) {
  std::string text;
  for (int k = 0; k < length && at + static_cast<std::size_t>(k) < b.size(); ++k) {
    const std::uint8_t c = b[at + static_cast<std::size_t>(k)];
    text += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '.';
  }
  return text;
}

void Record(LoadModule& m, const std::vector<std::uint8_t>& b, int type, std::size_t body,
            int length) {
  static const std::map<int, const char*> kNames = {{0x00, "comment"},
                                                    {0x04, "end of a PDS member"},
                                                    {0x05, "module name"},
                                                    {0x06, "PDS header"},
                                                    {0x07, "patch name"},
                                                    {0x08, "ISAM entry"},
                                                    {0x0A, "end of ISAM directory"},
                                                    {0x0C, "PDS entry"},
                                                    {0x0E, "end of PDS directory"},
                                                    {0x1F, "copyright"}};
  const auto name = kNames.find(type);
  const bool text = type == 0x05 || type == 0x06 || type == 0x07 || type == 0x1F || type == 0x0C;
  m.notes.push_back(
      (name == kNames.end() ? "record type " + Hex4(type).substr(2) + "H" : name->second) +
      std::string(text ? ": " + Text(b, body, length) : ""));
}

}  // namespace

LoadModule ReadLoadModule(const std::vector<std::uint8_t>& b) {
  LoadModule m;
  std::size_t at = 0;
  while (at < b.size() && !m.ended) {
    const int type = b[at];
    if (type > 0x1F) {
      m.damage = "byte " + std::to_string(at) + " is no record type";
      return m;
    }
    if (type == 0x03) {
      m.ended = true;
      break;
    }
    if (at + 2 > b.size()) break;
    int length = b[at + 1];
    if (type == 0x01 || type == 0x10) length = length < 3 ? length + 256 : length;
    if (type != 0x01 && type != 0x10 && length == 0) length = 256;
    const std::size_t body = at + 2;
    if (body + static_cast<std::size_t>(length) > b.size()) {
      m.damage = "the record at byte " + std::to_string(at) + " runs past the file's end";
      return m;
    }
    if (type == 0x01 || type == 0x10) {
      m.blocks.push_back({b[body] | b[body + 1] << 8, body + 2, length - 2, type == 0x10});
    } else if (type == 0x02) {
      if (length != 2) {
        m.damage = "the transfer record at byte " + std::to_string(at) + " is not 2 bytes long";
        return m;
      }
      m.transfer = b[body] | b[body + 1] << 8;
      m.ended = true;
    } else {
      Record(m, b, type, body, length);
    }
    at = body + static_cast<std::size_t>(length);
  }
  if (!m.ended && m.damage.empty()) m.damage = "the file ends before a transfer or end record";
  if (m.ended && at < b.size())
    m.notes.push_back(std::to_string(b.size() - at) + " bytes after the end");
  return m;
}

std::vector<std::string> LoadMap(const LoadModule& m) {
  std::vector<std::string> lines;
  std::map<int, int> loaded;  // address -> times loaded
  for (const Block& k : m.blocks) {
    lines.push_back(std::string(k.yanked ? "yanked " : "block  ") + Hex4(k.address) + "-" +
                    Hex4(k.address + k.length - 1) + "  " + std::to_string(k.length) + " bytes");
    for (int a = 0; a < k.length && !k.yanked; ++a) ++loaded[(k.address + a) & 0xFFFF];
  }
  int start = -1, last = -2, overlaps = 0;
  for (const auto& [address, times] : loaded) {
    overlaps += times > 1;
    if (address != last + 1) {
      if (start >= 0) lines.push_back("loaded " + Hex4(start) + "-" + Hex4(last));
      start = address;
    }
    last = address;
  }
  if (start >= 0) lines.push_back("loaded " + Hex4(start) + "-" + Hex4(last));
  if (overlaps > 0) lines.push_back(std::to_string(overlaps) + " bytes loaded twice or more");
  lines.push_back(m.transfer >= 0 ? "transfer " + Hex4(m.transfer) : "no transfer address");
  for (const std::string& n : m.notes) lines.push_back(n);
  if (!m.damage.empty()) lines.push_back("damage: " + m.damage);
  return lines;
}

LoadModule ComImage(const std::vector<std::uint8_t>& bytes) {
  constexpr int kTpa = 0x0100;  // where CP/M loads and starts a program
  LoadModule m;
  const int length = static_cast<int>(std::min<std::size_t>(bytes.size(), 0x10000 - kTpa));
  if (length > 0) m.blocks.push_back({kTpa, 0, length, false});
  m.transfer = kTpa;
  m.ended = true;
  return m;
}

std::vector<std::string> Disassembly(const LoadModule& m, const std::vector<std::uint8_t>& b) {
  std::map<int, std::uint8_t> memory;  // as loaded, later blocks over earlier ones
  for (const Block& k : m.blocks) {
    for (int a = 0; a < k.length && !k.yanked; ++a)
      memory[(k.address + a) & 0xFFFF] = b[k.offset + static_cast<std::size_t>(a)];
  }
  const auto byte = [&](int a) {
    const auto it = memory.find(a & 0xFFFF);
    return it == memory.end() ? std::uint8_t{0} : it->second;
  };
  std::map<int, Instruction> code;
  std::set<int> labels;
  std::vector<int> todo;
  if (m.transfer >= 0) todo.push_back(m.transfer);
  while (!todo.empty()) {
    const int at = todo.back();
    todo.pop_back();
    if (code.contains(at) || !memory.contains(at)) continue;
    const Instruction i = Decode(at, byte);
    code[at] = i;
    if (i.target >= 0 && memory.contains(i.target)) {
      labels.insert(i.target);
      todo.push_back(i.target);
    }
    if (!i.ends) todo.push_back((at + i.length) & 0xFFFF);
  }
  std::vector<std::string> lines;
  for (auto it = memory.begin(); it != memory.end();) {
    const int at = it->first;
    const std::string label = labels.contains(at) ? "L" + Hex4(at) + ":" : "";
    const auto c = code.find(at);
    std::string text = c != code.end() ? c->second.text : "DB " + AssemblerHex(it->second, 2);
    if (c != code.end() && c->second.target >= 0 && labels.contains(c->second.target)) {
      const std::string hex = AssemblerHex(c->second.target, 4);
      const std::size_t p = text.rfind(hex);
      if (p != std::string::npos) text.replace(p, hex.size(), "L" + Hex4(c->second.target));
    }
    lines.push_back(Hex4(at) + "  " + (label + "        ").substr(0, 8) + text);
    const int length = c != code.end() ? c->second.length : 1;
    for (int k = 0; k < length && it != memory.end(); ++k) ++it;
  }
  return lines;
}

}  // namespace trivane::views
