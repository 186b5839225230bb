// The Z80 decoded by the fields of its opcode byte (x = bits 7-6, y = bits
// 5-3, z = bits 2-0, p = y >> 1, q = y & 1), with the DD and FD prefixes
// putting IX or IY in place of HL, IXH/IXL in place of H and L, and
// (IX+d) in place of (HL) (then H and L stay themselves).
#include "views/z80.h"

#include <cstdio>

namespace trivane::views {
namespace {

const char* const kR[] = {"B", "C", "D", "E", "H", "L", "(HL)", "A"};
const char* const kRp[] = {"BC", "DE", "HL", "SP"};
const char* const kRp2[] = {"BC", "DE", "HL", "AF"};
const char* const kCc[] = {"NZ", "Z", "NC", "C", "PO", "PE", "P", "M"};
const char* const kAlu[] = {"ADD A,", "ADC A,", "SUB ", "SBC A,", "AND ", "XOR ", "OR ", "CP "};
const char* const kRot[] = {"RLC", "RRC", "RL", "RR", "SLA", "SRA", "SLL", "SRL"};
const char* const kOne[] = {"RLCA", "RRCA", "RLA", "RRA", "DAA", "CPL", "SCF", "CCF"};
const char* const kIm[] = {"0", "0", "1", "2", "0", "0", "1", "2"};
const char* const kBlock[4][4] = {{"LDI", "CPI", "INI", "OUTI"},
                                  {"LDD", "CPD", "IND", "OUTD"},
                                  {"LDIR", "CPIR", "INIR", "OTIR"},
                                  {"LDDR", "CPDR", "INDR", "OTDR"}};

class Decoder {
 public:
  Decoder(int address, const std::function<std::uint8_t(int)>& byte) : at_(address), byte_(byte) {
    out_.length = 0;
  }
  Instruction Run();

 private:
  int Next() { return byte_((at_ + out_.length++) & 0xFFFF); }
  int Word() {
    const int lo = Next();
    return lo | Next() << 8;
  }
  std::string Nn() { return AssemblerHex(Word(), 4); }
  std::string N() { return AssemblerHex(Next(), 2); }
  std::string Index() { return index_ == 0 ? "HL" : index_ == 1 ? "IX" : "IY"; }
  // The register r[k]: (IX+d) and the index halves where a prefix says so.
  std::string R(int k, bool halves = true) {
    if (k == 6) return index_ == 0 ? "(HL)" : Displaced();
    if (index_ != 0 && halves && (k == 4 || k == 5)) return Index() + (k == 4 ? "H" : "L");
    return kR[k];
  }
  std::string Displaced() {
    if (!have_d_) d_ = static_cast<std::int8_t>(Next()), have_d_ = true;
    const int d = d_;
    return "(" + Index() + (d < 0 ? "-" : "+") + AssemblerHex(d < 0 ? -d : d, 2) + ")";
  }
  std::string Rp(int p) { return p == 2 ? Index() : kRp[p]; }
  std::string Jump(int target, bool ends) {
    out_.target = target & 0xFFFF;
    out_.ends = ends;
    return AssemblerHex(out_.target, 4);
  }
  std::string Relative(bool ends) {
    const int d = static_cast<std::int8_t>(Next());
    return Jump(at_ + out_.length + d, ends);
  }
  std::string Base(int op);
  std::string Block0(int y, int z, int p, int q);
  std::string Block3(int y, int z, int p, int q);
  std::string Cb(int op, bool indexed);
  std::string Ed(int op);

  int at_;
  const std::function<std::uint8_t(int)>& byte_;
  Instruction out_;
  int index_ = 0;  // 0 HL, 1 IX, 2 IY
  int d_ = 0;
  bool have_d_ = false;
};

std::string Decoder::Block0(int y, int z, int p, int q) {
  switch (z) {
    case 0:
      if (y == 0) return "NOP";
      if (y == 1) return "EX AF,AF'";
      if (y == 2) return "DJNZ " + Relative(false);
      if (y == 3) return "JR " + Relative(true);
      return std::string("JR ") + kCc[y - 4] + "," + Relative(false);
    case 1:
      return q == 0 ? "LD " + Rp(p) + "," + Nn() : "ADD " + Index() + "," + Rp(p);
    case 2: {
      static const char* const kTo[] = {"(BC),A", "(DE),A", "", "", "A,(BC)", "A,(DE)"};
      if (p < 2) return std::string("LD ") + kTo[p + 4 * q];
      const std::string nn = "(" + Nn() + ")", reg = p == 2 ? Index() : "A";
      return "LD " + (q == 0 ? nn + "," + reg : reg + "," + nn);
    }
    case 3:
      return (q == 0 ? "INC " : "DEC ") + Rp(p);
    case 4:
      return "INC " + R(y);
    case 5:
      return "DEC " + R(y);
    case 6: {
      const std::string r = R(y);
      return "LD " + r + "," + N();
    }
    default:
      return kOne[y];
  }
}

std::string Decoder::Block3(int y, int z, int p, int q) {
  switch (z) {
    case 0:
      return std::string("RET ") + kCc[y];
    case 1:
      if (q == 0) return std::string("POP ") + (p == 2 ? Index() : kRp2[p]);
      if (p == 1) return "EXX";
      if (p == 3) return "LD SP," + Index();
      out_.ends = true;
      return p == 0 ? "RET" : "JP (" + Index() + ")";
    case 2:
      return std::string("JP ") + kCc[y] + "," + Jump(Word(), false);
    case 3: {
      static const char* const kPlain[] = {"", "", "", "", "", "EX DE,HL", "DI", "EI"};
      if (y == 0) return "JP " + Jump(Word(), true);
      if (y == 2) return "OUT (" + N() + "),A";
      if (y == 3) return "IN A,(" + N() + ")";
      if (y == 4) return "EX (SP)," + Index();
      return kPlain[y];
    }
    case 4:
      return std::string("CALL ") + kCc[y] + "," + Jump(Word(), false);
    case 5:
      if (q == 0) return std::string("PUSH ") + (p == 2 ? Index() : kRp2[p]);
      return "CALL " + Jump(Word(), false);
    case 6:
      return kAlu[y] + N();
    default:
      out_.target = y * 8;
      return "RST " + AssemblerHex(y * 8, 2);
  }
}

std::string Decoder::Cb(int op, bool indexed) {
  const int x = op >> 6, y = op >> 3 & 7, z = op & 7;
  // DDCB d op: the displacement comes before the opcode; a register other
  // than (HL) also receives the result (undocumented), BIT excepted.
  const std::string place = indexed ? Displaced() : kR[z];
  const std::string also = indexed && z != 6 && x != 1 ? std::string(",") + kR[z] : "";
  if (x == 0) return std::string(kRot[y]) + " " + place + also;
  static const char* const kBit[] = {"", "BIT ", "RES ", "SET "};
  return kBit[x] + std::to_string(y) + "," + place + also;
}

std::string Decoder::Ed(int op) {
  const int x = op >> 6, y = op >> 3 & 7, z = op & 7, p = y >> 1, q = y & 1;
  if (x == 2 && z <= 3 && y >= 4) return kBlock[y - 4][z];
  if (x != 1) return "DB 0EDH," + AssemblerHex(op, 2);
  switch (z) {
    case 0:
      return y == 6 ? "IN (C)" : std::string("IN ") + kR[y] + ",(C)";
    case 1:
      return y == 6 ? "OUT (C),0" : std::string("OUT (C),") + kR[y];
    case 2:
      return (q == 0 ? "SBC HL," : "ADC HL,") + std::string(kRp[p]);
    case 3: {
      const std::string nn = "(" + Nn() + ")";
      return q == 0 ? "LD " + nn + "," + kRp[p] : std::string("LD ") + kRp[p] + "," + nn;
    }
    case 4:
      return "NEG";
    case 5:
      out_.ends = true;
      return y == 1 ? "RETI" : "RETN";
    case 6:
      return std::string("IM ") + kIm[y];
    default: {
      static const char* const kSeven[] = {"LD I,A", "LD R,A", "LD A,I", "LD A,R",
                                           "RRD",    "RLD",    "NOP",    "NOP"};
      return kSeven[y];
    }
  }
}

std::string Decoder::Base(int op) {
  const int x = op >> 6, y = op >> 3 & 7, z = op & 7;
  if (x == 0) return Block0(y, z, y >> 1, y & 1);
  if (x == 1) {
    if (y == 6 && z == 6) return "HALT";
    // With (IX+d) on one side, H and L on the other stay themselves.
    const bool halves = y != 6 && z != 6;
    const std::string to = R(y, halves);
    return "LD " + to + "," + R(z, halves);
  }
  if (x == 2) return kAlu[y] + R(z);
  return Block3(y, z, y >> 1, y & 1);
}

Instruction Decoder::Run() {
  int op = Next();
  if (op == 0xDD || op == 0xFD) {
    const int next = byte_((at_ + 1) & 0xFFFF);
    if (next == 0xDD || next == 0xFD || next == 0xED) {
      out_.text = "DB " + AssemblerHex(op, 2);  // a prefix that the next one overrides
      return out_;
    }
    index_ = op == 0xDD ? 1 : 2;
    op = Next();
  }
  if (op == 0xCB) {
    if (index_ != 0) Displaced();
    out_.text = Cb(Next(), index_ != 0);
  } else if (op == 0xED) {
    out_.text = Ed(Next());
  } else {
    out_.text = Base(op);
  }
  return out_;
}

}  // namespace

std::string AssemblerHex(int value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*XH", digits, value);
  return text[0] >= 'A' ? std::string("0") + text : text;
}

Instruction Decode(int address, const std::function<std::uint8_t(int)>& byte) {
  return Decoder(address & 0xFFFF, byte).Run();
}

}  // namespace trivane::views
