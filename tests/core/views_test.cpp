// Files as their owner reads them: BASIC programs listed back as typed (every
// token of both dialects), damage that ends a listing, text, load modules and
// their map, and the Z80 disassembler on every table.
#include "test_support.h"
#include "views/basic.h"
#include "views/load_module.h"
#include "views/view.h"
#include "views/z80.h"

namespace trivane::test {
namespace {

using views::Decode;

// Tokenises a line as the Model I/III interpreter does: the longest keyword
// at each place outside quotes, remarks and DATA; ELSE stored as ":ELSE",
// ' as ":REM'".
std::vector<std::uint8_t> Tokenise(const std::vector<std::string>& words, const std::string& text) {
  std::vector<std::uint8_t> out;
  bool literal = false, quote = false, data = false;
  for (std::size_t k = 0; k < text.size();) {
    if (text[k] == '"') quote = !quote;
    if (text[k] == ':' && !quote) data = false;
    int best = -1;
    for (std::size_t w = 0; w < words.size() && !literal && !quote && !data; ++w) {
      if (!words[w].empty() && text.compare(k, words[w].size(), words[w]) == 0 &&
          (best < 0 || words[w].size() > words[static_cast<std::size_t>(best)].size()))
        best = static_cast<int>(w);
    }
    if (best < 0) {
      out.push_back(static_cast<std::uint8_t>(text[k++]));
      continue;
    }
    if (words[best] == "ELSE") out.push_back(':');
    if (words[best] == "'") out.insert(out.end(), {':', 0x93});
    out.push_back(static_cast<std::uint8_t>(0x80 + best));
    literal = words[best] == "REM" || words[best] == "'";
    data = words[best] == "DATA";
    k += words[best].size();
  }
  return out;
}

std::vector<std::uint8_t> Program(const std::vector<std::vector<std::uint8_t>>& lines) {
  std::vector<std::uint8_t> p = {0xFF};
  int address = 0x6A00;
  for (std::size_t n = 0; n < lines.size(); ++n) {
    address += static_cast<int>(lines[n].size()) + 5;
    p.insert(p.end(),
             {std::uint8_t(address), std::uint8_t(address >> 8), std::uint8_t(10 * (n + 1)), 0});
    p.insert(p.end(), lines[n].begin(), lines[n].end());
    p.push_back(0);
  }
  p.insert(p.end(), {0, 0, 0x1A, 0x1A});  // the end mark, then padding
  return p;
}

TEST(Views, EveryModel1TokenListsBackAsTyped) {
  const std::vector<std::string> words = {
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
  std::vector<std::string> typed;
  for (std::size_t k = 0; k + 1 < words.size(); k += 6) {
    std::string line;
    for (std::size_t j = k; j < k + 6 && j + 1 < words.size(); ++j) {
      line +=
          (line.empty() ? "" : " ") + (words[j] == "REM" || words[j] == "DATA" ? "X" : words[j]);
    }
    typed.push_back(line);
  }
  typed.push_back("PRINT \"A:ELSE\":IF X THEN 20 ELSE 30 ' DONE");
  typed.push_back("DATA 1,\"2\",GOTO:REM IF THEN PRINT");
  std::vector<std::vector<std::uint8_t>> lines;
  for (const std::string& t : typed) lines.push_back(Tokenise(words, t));
  const views::BasicListing l = views::ListBasic(Program(lines));
  EXPECT_FALSE(l.model4);
  EXPECT_EQ(l.damage, "");
  ASSERT_EQ(l.lines.size(), typed.size());
  for (std::size_t n = 0; n < typed.size(); ++n) {
    EXPECT_EQ(l.lines[n], std::to_string(10 * (n + 1)) + " " + typed[n]);
  }
  EXPECT_EQ(views::MakeView(Program(lines), views::ViewKind::kAuto).kind, views::ViewKind::kBasic);
}

// Model 4: its own tokens, FF functions, embedded numbers.
TEST(Views, Model4ListsWithItsTables) {
  const std::vector<std::uint8_t> line = {
      0x91, ' ',  0xFF, 0x86, '(', 0x1C, 0xD6, 0xFF, ')',  ',',  0x0C, 0x00, 0xC0, ',', 0x0F, 200,
      ',',  0x12, ':',  0x89, ' ', 0x0E, 0x64, 0x00, 0x3A, 0xA2, ' ',  0x1D, 0,    0,   0x40, 0x81};
  const views::BasicListing l = views::ListBasic(Program({line}));
  EXPECT_TRUE(l.model4);
  ASSERT_EQ(l.lines.size(), 1u);
  EXPECT_EQ(l.lines[0], "10 PRINT ABS(-42),&HC000,200,1:GOTO 100ELSE 1.5");
  // E3 and E4 are no token of TRSDOS 6's BASIC; VIEW is EC.
  for (const std::uint8_t unused : {0xE3, 0xE4}) {
    std::vector<std::uint8_t> view = line;
    view.insert(view.begin(), {0xEC, ':', unused, ':'});
    EXPECT_EQ(views::ListBasic(Program({view})).lines[0],
              std::string("10 VIEW:\\x") + (unused == 0xE3 ? "E3" : "E4") +
                  ":PRINT ABS(-42),&HC000,200,1:GOTO 100ELSE 1.5");
  }
}

// The last token of each table: Model I/III FB ('), Model 4's FF B3 (ROW);
// a Model 4 double whose bytes hold 00, listed to its 16 digits.
TEST(Views, TheEndsOfTheTables) {
  const views::BasicListing model1 = views::ListBasic(Program({{0xB2, ' ', '1', 0xFB, 'X'}}));
  EXPECT_FALSE(model1.model4);
  EXPECT_EQ(model1.lines, (std::vector<std::string>{"10 PRINT 1'X"}));
  const views::BasicListing model4 = views::ListBasic(
      Program({{0x91, ' ', 0xFF, 0xB3, '(', 0x11, ')', ',', 0x1F, 0, 0, 0, 0x02, 0, 0, 0, 0x81}}));
  EXPECT_TRUE(model4.model4);
  EXPECT_EQ(model4.damage, "");
  EXPECT_EQ(model4.lines, (std::vector<std::string>{"10 PRINT ROW(0),1.000000000931323#"}));
}

TEST(Views, DamageEndsTheListing) {
  std::vector<std::uint8_t> p = Program({{0xB2, ' ', '1'}, {0xB2, ' ', '2'}});
  std::vector<std::uint8_t> back = p;
  back[9] = 0x01, back[10] = 0x00;  // the second line's pointer below the first's
  EXPECT_EQ(views::ListBasic(back).damage, "the line after 10 points back");
  EXPECT_EQ(views::ListBasic(back).lines.size(), 1u);
  back[9] = p[1], back[10] = p[2];  // the same pointer as the first line's
  EXPECT_EQ(views::ListBasic(back).damage, "the line after 10 points back");
  EXPECT_EQ(views::ListBasic({p.begin(), p.begin() + 12}).damage, "the line after 10 is cut off");
  EXPECT_EQ(views::ListBasic({p.begin(), p.begin() + 16}).damage, "line 20 has no end");
  EXPECT_EQ(views::ListBasic({p.begin(), p.begin() + 17}).damage,
            "the program ends without its end mark");
  EXPECT_EQ(views::ListBasic({0x41}).damage,
            "not a tokenised BASIC program: it does not start with FF");
}

TEST(Views, TextAndTheChoice) {
  const std::string text = "LINE ONE\rLINE TWO\r\nTAB\tAND \x1B\xC1\\\r";
  const std::vector<std::uint8_t> bytes(text.begin(), text.end());
  EXPECT_EQ(views::TextLines(bytes),
            (std::vector<std::string>{"LINE ONE", "LINE TWO", "TAB     AND \\x1B\\xC1\\x5C"}));
  EXPECT_EQ(views::MakeView(std::vector<std::uint8_t>(200, 'A'), views::ViewKind::kAuto).kind,
            views::ViewKind::kText);
  EXPECT_EQ(views::MakeView({0x00, 0x01, 0xFE, 0x80}, views::ViewKind::kAuto).kind,
            views::ViewKind::kHex);
  // Text from 95 printable bytes in a hundred.
  for (const int printable : {95, 94}) {
    std::vector<std::uint8_t> mostly(100, 0x01);
    std::fill_n(mostly.begin(), printable, 'A');
    EXPECT_EQ(views::MakeView(mostly, views::ViewKind::kAuto).kind,
              printable == 95 ? views::ViewKind::kText : views::ViewKind::kHex);
  }
  // CP/M text: its last record filled out with ^Z, where the text ends; a
  // ^Z with text after it is a byte of the text.
  const std::string line = "A LINE OF CP/M TEXT\r\nB\x1A" + std::string(40, 'C') + "\r\n";
  std::vector<std::uint8_t> cpm(128, 0x1A);
  std::copy(line.begin(), line.end(), cpm.begin());
  const views::View v = views::MakeView(cpm, views::ViewKind::kAuto);
  EXPECT_EQ(v.kind, views::ViewKind::kText);
  EXPECT_EQ(v.lines,
            (std::vector<std::string>{"A LINE OF CP/M TEXT", "B\\x1A" + std::string(40, 'C')}));
}

// A module of a name, two blocks, a yanked one and a transfer: its map, and
// code followed from the transfer address (the NOP jumped over is data).
TEST(Views, LoadModuleMapAndDisassembly) {
  const std::vector<std::uint8_t> module = {
      0x05, 0x04, 'D',  'E',  'M',  'O',                           // the module's name
      0x01, 0x08, 0x00, 0x52, 0x21, 0x07, 0x52, 0xC3, 0x07, 0x52,  // LD HL,5207H; JP 5207H
      0x01, 0x04, 0x06, 0x52, 0x00, 0xC9,                          // 5206: NOP; RET
      0x10, 0x03, 0x00, 0x60, 0xAA,                                // yanked
      0x02, 0x02, 0x00, 0x52, 0xE5};                               // transfer 5200, a byte after
  const views::LoadModule m = views::ReadLoadModule(module);
  EXPECT_EQ(m.transfer, 0x5200);
  EXPECT_EQ(views::LoadMap(m), (std::vector<std::string>{
                                   "block  5200-5205  6 bytes", "block  5206-5207  2 bytes",
                                   "yanked 6000-6000  1 bytes", "loaded 5200-5207", "transfer 5200",
                                   "module name: DEMO", "1 bytes after the end"}));
  EXPECT_EQ(views::Disassembly(m, module),
            (std::vector<std::string>{"5200          LD HL,5207H", "5203          JP L5207",
                                      "5206          DB 00H", "5207  L5207:  RET"}));
  EXPECT_EQ(views::MakeView(module, views::ViewKind::kAuto).kind, views::ViewKind::kCmd);
  const views::LoadModule cut = views::ReadLoadModule({0x01, 0x10, 0x00, 0x52, 1});
  EXPECT_EQ(cut.damage, "the record at byte 0 runs past the file's end");
  // A CP/M program: known by its name as listed, its code run from 0100.
  const std::vector<std::uint8_t> com = {0xC3, 0x04, 0x01, 0x00, 0xC9, 0x1A};
  EXPECT_EQ(views::MakeView(com, views::ViewKind::kAuto).kind, views::ViewKind::kHex);
  const views::View program = views::MakeView(com, views::ViewKind::kAuto, false, "3:prog.com");
  EXPECT_EQ(program.kind, views::ViewKind::kCom);
  EXPECT_EQ(program.lines,
            (std::vector<std::string>{"0100          JP L0104", "0103          DB 00H",
                                      "0104  L0104:  RET", "0105          DB 1AH"}));
}

// A copyright record (1F, the last type); a block whose length byte 2 means
// 256 bytes; a block over another's last two bytes; code at A000 (a label
// where the hex would start with a 0); the module ends with its transfer.
TEST(Views, LoadModuleEdges) {
  const std::vector<std::uint8_t> head = {0x1F, 0x03, '(', 'C', ')', 0x01, 0x02, 0x00, 0x60};
  const std::vector<std::uint8_t> tail = {0x01, 0x05, 0x00, 0xA0, 0xC3, 0x00, 0xA0,  // JP A000H
                                          0x01, 0x04, 0xFE, 0x60, 0xAA, 0xBB,  // over 60FE-60FF
                                          0x02, 0x02, 0x00, 0xA0};
  std::vector<std::uint8_t> module(head.size() + 256 + tail.size(), 0x00);
  std::copy(head.begin(), head.end(), module.begin());
  std::copy(tail.begin(), tail.end(), module.end() - static_cast<std::ptrdiff_t>(tail.size()));
  const views::LoadModule m = views::ReadLoadModule(module);
  EXPECT_EQ(m.damage, "");
  EXPECT_EQ(views::LoadMap(m),
            (std::vector<std::string>{"block  6000-60FF  256 bytes", "block  A000-A002  3 bytes",
                                      "block  60FE-60FF  2 bytes", "loaded 6000-60FF",
                                      "loaded A000-A002", "2 bytes loaded twice or more",
                                      "transfer A000", "copyright: (C)"}));
  const std::vector<std::string> code = views::Disassembly(m, module);
  ASSERT_EQ(code.size(), 257u);
  EXPECT_EQ(code[255], "60FF          DB 0BBH");
  EXPECT_EQ(code.back(), "A000  LA000:  JP LA000");
  // Each view's word asks for that view.
  const auto by = [&](const char* word) {
    views::ViewKind kind = views::ViewKind::kHex;
    EXPECT_TRUE(views::ViewByName(word, kind)) << word;
    EXPECT_STREQ(views::ViewName(kind), word);
    return views::MakeView(module, kind).lines;
  };
  EXPECT_EQ(by("auto"), views::LoadMap(m));
  EXPECT_EQ(by("cmd"), views::LoadMap(m));
  EXPECT_EQ(by("asm"), code);
  EXPECT_EQ(by("basic"), std::vector<std::string>{});
  EXPECT_EQ(by("text")[0].substr(0, 11), "\\x1F\\x03(C)");
  EXPECT_EQ(by("hex")[0].substr(0, 22), "00000000  1f 03 28 43 ");
  EXPECT_EQ(by("com")[0], "0100          RRA");
  EXPECT_EQ(views::ViewWords(", ", " or "), "auto, basic, text, cmd, asm, hex or com");
}

std::string Text(std::vector<int> bytes, int* length = nullptr) {
  bytes.resize(6, 0);
  const views::Instruction i =
      Decode(0x5200, [&](int a) { return std::uint8_t(bytes[(a - 0x5200) & 7]); });
  if (length != nullptr) *length = i.length;
  return i.text;
}

TEST(Views, Z80EveryTable) {
  const std::pair<std::vector<int>, std::string> cases[] = {
      {{0x00}, "NOP"},
      {{0x08}, "EX AF,AF'"},
      {{0x10, 0xFE}, "DJNZ 5200H"},
      {{0x18, 0x02}, "JR 5204H"},
      {{0x38, 0x80}, "JR C,5182H"},
      {{0x01, 0x34, 0x12}, "LD BC,1234H"},
      {{0x29}, "ADD HL,HL"},
      {{0x22, 0x00, 0x40}, "LD (4000H),HL"},
      {{0x3A, 0x00, 0xC0}, "LD A,(0C000H)"},
      {{0x3A, 0x00, 0xA0}, "LD A,(0A000H)"},
      {{0x36, 0x05}, "LD (HL),05H"},
      {{0x76}, "HALT"},
      {{0x78}, "LD A,B"},
      {{0x9E}, "SBC A,(HL)"},
      {{0xC0}, "RET NZ"},
      {{0xF1}, "POP AF"},
      {{0xE9}, "JP (HL)"},
      {{0xCA, 0x00, 0x52}, "JP Z,5200H"},
      {{0xD3, 0xFF}, "OUT (0FFH),A"},
      {{0xE3}, "EX (SP),HL"},
      {{0xEB}, "EX DE,HL"},
      {{0xCD, 0x33, 0x00}, "CALL 0033H"},
      {{0xFE, 0x0D}, "CP 0DH"},
      {{0xFF}, "RST 38H"},
      {{0xCB, 0x06}, "RLC (HL)"},
      {{0xCB, 0x37}, "SLL A"},
      {{0xCB, 0x7E}, "BIT 7,(HL)"},
      {{0xCB, 0xC1}, "SET 0,C"},
      {{0xED, 0x4A}, "ADC HL,BC"},
      {{0xED, 0x73, 0x00, 0x40}, "LD (4000H),SP"},
      {{0xED, 0x44}, "NEG"},
      {{0xED, 0x4C}, "NEG"},
      {{0xED, 0x4D}, "RETI"},
      {{0xED, 0x55}, "RETN"},
      {{0xED, 0x5E}, "IM 2"},
      {{0xED, 0x57}, "LD A,I"},
      {{0xED, 0x6F}, "RLD"},
      {{0xED, 0x70}, "IN (C)"},
      {{0xED, 0x71}, "OUT (C),0"},
      {{0xED, 0x78}, "IN A,(C)"},
      {{0xED, 0xB0}, "LDIR"},
      {{0xED, 0xBB}, "OTDR"},
      {{0xED, 0x00}, "DB 0EDH,00H"},
      {{0xDD, 0x21, 0x00, 0x40}, "LD IX,4000H"},
      {{0xDD, 0x7E, 0xFB}, "LD A,(IX-05H)"},
      {{0xFD, 0x77, 0x10}, "LD (IY+10H),A"},
      {{0xDD, 0x66, 0x01}, "LD H,(IX+01H)"},
      {{0xDD, 0x26, 0x09}, "LD IXH,09H"},
      {{0xFD, 0x6C}, "LD IYL,IYH"},
      {{0xDD, 0x36, 0x02, 0x07}, "LD (IX+02H),07H"},
      {{0xDD, 0x34, 0x00}, "INC (IX+00H)"},
      {{0xDD, 0xE9}, "JP (IX)"},
      {{0xFD, 0xE3}, "EX (SP),IY"},
      {{0xDD, 0x09}, "ADD IX,BC"},
      {{0xDD, 0x29}, "ADD IX,IX"},
      {{0xFD, 0xF9}, "LD SP,IY"},
      {{0xDD, 0x84}, "ADD A,IXH"},
      {{0xDD, 0xEB}, "EX DE,HL"},
      {{0xDD, 0xDD}, "DB 0DDH"},
      {{0xDD, 0xCB, 0x03, 0x06}, "RLC (IX+03H)"},
      {{0xDD, 0xCB, 0x03, 0x00}, "RLC (IX+03H),B"},
      {{0xFD, 0xCB, 0xFF, 0x46}, "BIT 0,(IY-01H)"},
      {{0xFD, 0xCB, 0xFF, 0x47}, "BIT 0,(IY-01H)"},
      {{0xFD, 0xCB, 0x00, 0xFF}, "SET 7,(IY+00H),A"},
      {{0xDD, 0xCB, 0x01, 0x36}, "SLL (IX+01H)"}};
  const int lengths[] = {1, 1, 2, 2, 2, 3, 1, 3, 3, 3, 2, 1, 1, 1, 1, 1, 1, 3, 2, 1, 1, 3,
                         2, 1, 2, 2, 2, 2, 2, 4, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 4,
                         3, 3, 3, 3, 2, 4, 3, 2, 2, 2, 2, 2, 2, 2, 1, 4, 4, 4, 4, 4, 4};
  int k = 0;
  for (const auto& [bytes, text] : cases) {
    int length = 0;
    EXPECT_EQ(Text(bytes, &length), text);
    EXPECT_EQ(length, lengths[k++]) << text;
  }
  // Every sequence of two opcode bytes (with any bytes after) decodes in 1
  // to 4 bytes, reading no further.
  for (int a = 0; a < 256; ++a) {
    for (int b = 0; b < 256; ++b) {
      int furthest = 0;
      const views::Instruction i = Decode(0, [&](int at) {
        furthest = std::max(furthest, at);
        return std::uint8_t(at == 0 ? a : at == 1 ? b : 0x55);
      });
      // (a prefix looks at the next byte to know whether it stands alone)
      ASSERT_TRUE(i.length >= 1 && i.length <= 4 && furthest < std::max(i.length, 2))
          << a << " " << b;
      ASSERT_FALSE(i.text.empty()) << a << " " << b;
    }
  }
}

}  // namespace
}  // namespace trivane::test
