// The Z80's instructions, every documented and undocumented encoding of the
// base, CB, ED, DD, FD, DDCB and FDCB tables, as the Zilog mnemonics write
// them (undocumented ones as the usual descriptions of them do: IXH, IXL,
// SLL, "RLC (IX+d),B", "IN (C)", "OUT (C),0").
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace trivane::views {

struct Instruction {
  int length = 1;     // 1 to 4 bytes
  std::string text;   // "LD A,(IX+5)"; addresses as 4 hex digits with H ("JP 5200H")
  int target = -1;    // a jump or call's destination, -1 when none
  bool ends = false;  // control does not go on to the next instruction (JP, JR, RET, ...)
};

// A number as the assemblers write it: hex with H, a 0 before a leading
// letter ("0C000H", "1AH").
std::string AssemblerHex(int value, int digits);

// Decodes the instruction at `address`; `byte` gives the byte at an
// address (the caller decides what unloaded memory reads as).
Instruction Decode(int address, const std::function<std::uint8_t(int)>& byte);

}  // namespace trivane::views
