// The Windows contents window, driven by its messages: the files table
// (sort, select, copy, extract), the sector picture (colours, a click to a
// sector's bytes), the hex tab (go to, find) and a change made and undone;
// a screenshot of each tab.
#include "win/win_util.h"
// (win_util.h first: it sets up windows.h.)
#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <fstream>
#include <iterator>

#include "builder/dos_images.h"
#include "builder/flux_images.h"
#include "builder/image_builder.h"
#include "disk/reed.h"
#include "ops/tapes.h"
#include "present/flux_view.h"
#include "present/sector_picture.h"
#include "tape/tape.h"
#include "tests/win/screenshot.h"
#include "win/contents_window.h"
#include "win/file_view.h"
#include "win/form27.h"
#include "win/shelf_window.h"
#include "win/tape_window.h"

namespace trivane::win {
namespace {
namespace fs = std::filesystem;
using C = ContentsWindow;

fs::path Write(const std::string& name, const build::Bytes& bytes) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  // Made anew by each run: Wine gives its processes the same few numbers.
  static const fs::path dir = [&] {
    const fs::path made =
        fs::path(temp) / ("trivane-contents-" + std::to_string(GetCurrentProcessId()));
    fs::remove_all(made);
    fs::create_directories(made);
    return made;
  }();
  EXPECT_TRUE(build::WriteFile(dir / name, bytes));
  return dir / name;
}

std::string Slurp(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// A window of its own, closed at the end; screenshots where asked for.
struct Opened {
  explicit Opened(const fs::path& file) : w(new C(Narrow(file.wstring()), file, nullptr)) {
    // A question no test expects fails it, instead of waiting for an answer.
    w->ask_all = [](const std::string& q) {
      ADD_FAILURE() << q;
      return ops::Choice::kCancel;
    };
    w->confirm = [](const std::string& q) { return (ADD_FAILURE() << q), false; };
    w->ask_name = [](const std::string& q, const std::string&) {
      ADD_FAILURE() << q;
      return std::string();
    };
    w->accept_losses = [](const std::vector<std::string>&) { return (ADD_FAILURE()), false; };
    w->choose_folder = [] { return (ADD_FAILURE()), fs::path(); };
    ShowWindow(w->hwnd(), SW_SHOW);
    test::Pump();
  }
  ~Opened() { DestroyWindow(w->hwnd()); }
  std::string Text(C::Control id) const { return Narrow(TextOf(w->control(id))); }
  void Click(C::Control id) const { SendMessageW(w->control(id), BM_CLICK, 0, 0); }
  void Notify(C::Control id, NMHDR& header) const {
    header.hwndFrom = w->control(id);
    header.idFrom = static_cast<UINT_PTR>(id);
    SendMessageW(w->hwnd(), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
  }
  void Key(WORD key, bool control = false) const {
    BYTE keys[256] = {};
    keys[VK_CONTROL] = control ? 0x80 : 0;
    SetKeyboardState(keys);
    NMLVKEYDOWN down{{}, key, 0};
    down.hdr.code = LVN_KEYDOWN;
    Notify(C::kList, down.hdr);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
  }
  void Select(std::vector<int> rows) const {
    ListView_SetItemState(w->control(C::kList), -1, 0, LVIS_SELECTED);
    for (int r : rows) ListView_SetItemState(w->control(C::kList), r, LVIS_SELECTED, LVIS_SELECTED);
  }
  std::string Cell(int row, int column) const {
    wchar_t text[256] = {};
    ListView_GetItemText(w->control(C::kList), row, column, text, 256);
    return Narrow(text);
  }
  void Tab(int tab) const {
    TabCtrl_SetCurSel(w->control(C::kTabs), tab);
    NMHDR header{nullptr, 0, TCN_SELCHANGE};
    Notify(C::kTabs, header);
    test::Pump();
  }
  void Shot(const std::string& name) const {
    if (const char* dir = std::getenv("TRIVANE_SCREENSHOTS")) {
      EXPECT_TRUE(test::SaveScreenshot(w->hwnd(), fs::path(dir) / name));
    }
  }
  C* w;
};

std::wstring Clipboard() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const wchar_t*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

TEST(Contents, FilesSortSelectCopyAndExtract) {
  const build::DosDisk disk = build::NewdosDisk(2, 2, true, false);
  const Opened o(Write("newdos.dsk", build::DosJv3(disk, build::LayOut(disk))));
  ASSERT_TRUE(o.w->ok()) << o.w->error();
  EXPECT_EQ(ListView_GetItemCount(o.w->control(C::kList)), 11);  // BOOT/SYS, DIR/SYS, 9 files
  EXPECT_EQ(o.Text(C::kSummary).rfind("NEWDOS/80", 0), 0u) << o.Text(C::kSummary);
  EXPECT_EQ(o.Cell(0, 0), "BOOT/SYS");
  o.Shot("trivane-contents-files.png");

  NMLISTVIEW click{};
  click.hdr.code = LVN_COLUMNCLICK;
  click.iSubItem = 1;  // Size: by number, then the other way
  o.Notify(C::kList, click.hdr);
  for (int r = 1; r < 11; ++r) EXPECT_LE(std::stoll(o.Cell(r - 1, 1)), std::stoll(o.Cell(r, 1)));
  o.Notify(C::kList, click.hdr);
  for (int r = 1; r < 11; ++r) EXPECT_GE(std::stoll(o.Cell(r - 1, 1)), std::stoll(o.Cell(r, 1)));

  o.Select({0, 2});
  o.Key('C', true);
  const std::wstring copied = Clipboard();
  EXPECT_EQ(std::count(copied.begin(), copied.end(), L'\n'), 1) << Narrow(copied);
  EXPECT_EQ(copied.substr(0, copied.find(L'\t')), Wide(o.Cell(0, 0)));

  o.Select({});
  const fs::path out = Write("x", {}).parent_path() / "out";
  fs::create_directories(out);
  o.w->choose_folder = [&] { return out; };
  o.Click(C::kExtract);
  for (const build::DosFile& f : disk.files) {
    if (f.deleted == build::Deletion::kNone) {
      EXPECT_EQ(Slurp(out / (f.name + "." + f.ext)), std::string(f.bytes.begin(), f.bytes.end()));
    }
  }
  EXPECT_EQ(o.Text(C::kExtracted), "11 files written");
  std::vector<std::string> asked;
  o.w->ask_all = [&](const std::string& q) {
    asked.push_back(q);
    return ops::Choice::kNone;
  };
  o.Click(C::kExtract);
  EXPECT_EQ(asked, std::vector<std::string>{"BOOT.SYS is there already. Replace it?"});
}

// A double-click shows the file as its owner reads it: the view chosen and
// why, the others on request, hex in the hex view.
TEST(Contents, ADoubleClickShowsTheFileAsItsOwnerReadsIt) {
  const build::DosDisk disk = build::NewdosDisk(2, 2, true, false);
  const Opened o(Write("view.dsk", build::DosJv3(disk, build::LayOut(disk))));
  NMITEMACTIVATE twice{};
  twice.hdr.code = NM_DBLCLK;
  while (o.Cell(twice.iItem, 0).find("/BAS") == std::string::npos) ++twice.iItem;
  o.Notify(C::kList, twice.hdr);
  HWND view = FindWindowW(L"TrivaneFileView", nullptr);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(TextOf(view), Wide(o.Cell(twice.iItem, 0)) + L" - Trivane");
  EXPECT_FALSE(TextOf(GetDlgItem(view, FileView::kWhy)).empty());  // why it is shown so
  const auto show = [&](int kind) {
    SendMessageW(GetDlgItem(view, FileView::kKind), CB_SETCURSEL, kind, 0);
    SendMessageW(view, WM_COMMAND, MAKEWPARAM(FileView::kKind, CBN_SELCHANGE), 0);
  };
  show(5);  // hex: drawn by the hex view
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(view, FileView::kHex)));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(view, FileView::kText)));
  show(2);  // text
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(view, FileView::kHex)));
  EXPECT_FALSE(TextOf(GetDlgItem(view, FileView::kText)).empty());
  if (const char* dir = std::getenv("TRIVANE_SCREENSHOTS")) {
    EXPECT_TRUE(test::SaveScreenshot(view, fs::path(dir) / "trivane-file-view.png"));
  }
  DestroyWindow(view);
}

TEST(Contents, SectorPictureLeadsToTheSectorsBytes) {
  const build::DosDisk disk = build::TrsdosDisk(0);
  const Opened o(Write("hurt.dmk", build::DosDmk(disk, build::LayOut(disk), {{6, 0, 2}})));
  o.Tab(C::kSectors);
  EXPECT_TRUE(IsWindowVisible(o.w->control(C::kPicture)));
  EXPECT_FALSE(IsWindowVisible(o.w->control(C::kList)));
  const int index = 6 * 10 + 2;  // cylinder 6, sector 2 of ten a track
  const auto centre = [&](int i) {
    const RECT r = o.w->sector_map().CellOf(i);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  };
  const auto rgb = [](present::SectorState s) {
    const present::Rgb c = present::ColourOf(s);
    return RGB(c.r, c.g, c.b);
  };
  EXPECT_EQ(test::ClientPixel(o.w->control(C::kPicture), centre(index)),
            rgb(present::SectorState::kCrcError));
  EXPECT_EQ(test::ClientPixel(o.w->control(C::kPicture), centre(index + 1)),
            rgb(present::SectorState::kGoodSingle));
  o.Shot("trivane-contents-sectors.png");
  const POINT at = centre(index);
  SendMessageW(o.w->control(C::kPicture), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  EXPECT_EQ(TabCtrl_GetCurSel(o.w->control(C::kTabs)), C::kHex);
  EXPECT_EQ(o.Text(C::kHexWhat), "Cylinder 6 head 0 sector 2: CRC error");
  EXPECT_EQ(o.w->hex_view().shown().size, 256);
}

// A disk read from flux: a sector good on some revolutions only marked, and
// a fourth tab of each track's flux.
TEST(Contents, AFluxDumpMarksItsRevolutionsAndShowsItsFlux) {
  const build::DosDisk disk = build::TrsdosDisk(0);
  const disk::Disk d = disk::ReadDisk(ImageBuffer(build::DosDmk(disk, build::LayOut(disk))));
  std::mt19937 random(4);
  const Opened o(Write("worn.scp", build::WornScp(d, 3, random)));
  int some = -1;
  for (int k = 0; k < static_cast<int>(o.w->disk().sectors.size()) && some < 0; ++k)
    if (present::GoodOnSomeRevolutions(o.w->disk(), k)) some = k;
  ASSERT_GE(some, 0);
  o.Tab(C::kSectors);
  const RECT r = o.w->sector_map().CellOf(some);
  const present::Rgb mark = present::kRevolutionsMarkColour;
  EXPECT_EQ(test::ClientPixel(o.w->control(C::kPicture),
                              {(r.left + r.right) / 2, (r.top + r.bottom) / 2}),
            RGB(mark.r, mark.g, mark.b));
  ASSERT_EQ(TabCtrl_GetItemCount(o.w->control(C::kTabs)), 4);
  o.Tab(C::kFlux);
  FluxPage& page = o.w->flux_page();
  EXPECT_TRUE(IsWindowVisible(page.hwnd_));
  EXPECT_FALSE(IsWindowVisible(o.w->control(C::kPicture)));
  SendMessageW(page.control(FluxPage::kTrack), CB_SETCURSEL, 2, 0);
  page.ShowTrack(2);
  const std::string caption = Narrow(TextOf(page.control(FluxPage::kCaption)));
  EXPECT_EQ(caption.substr(0, 36), "cylinder 2 head 0, revolution 1 of 3");
  EXPECT_NE(caption.find("; peaks at "), std::string::npos) << caption;
  test::Pump();
  o.Shot("trivane-contents-flux.png");
}

// The Shelf window: a folder indexed, a search, a hit opened, the duplicates.
TEST(Contents, TheShelfIndexesFindsAndOpens) {
  const build::DosDisk disk = build::TrsdosDisk(0x51);
  const build::Bytes bytes = build::DosJv3(disk, build::LayOut(disk));
  const fs::path folder = Write("shelf.txt", {}).parent_path() / "shelf";
  fs::create_directories(folder);
  ASSERT_TRUE(build::WriteFile(folder / "ldos.dsk", bytes));
  ASSERT_TRUE(build::WriteFile(folder / "copy.dsk", bytes));
  auto* w = new ShelfWindow(folder.parent_path() / "shelf.db", nullptr);
  ASSERT_TRUE(w->ok());
  ShowWindow(w->hwnd(), SW_SHOW);
  w->Index(folder);
  EXPECT_EQ(Narrow(TextOf(w->control(ShelfWindow::kStatus))), "read 2, unchanged 0, dropped 0");
  w->Search(disk.files[0].name.substr(0, 3));
  HWND list = w->control(ShelfWindow::kList);
  ASSERT_GE(ListView_GetItemCount(list), 2);
  std::string opened;
  w->open_image = [&](const std::string& image) { opened = image; };
  NMITEMACTIVATE click{};
  click.hdr = {list, ShelfWindow::kList, NM_DBLCLK};
  click.iItem = 0;
  SendMessageW(w->hwnd(), WM_NOTIFY, ShelfWindow::kList, reinterpret_cast<LPARAM>(&click));
  wchar_t first[MAX_PATH] = {};
  ListView_GetItemText(list, 0, 0, first, MAX_PATH);
  EXPECT_EQ(opened, Narrow(first));
  test::Pump();
  if (const char* dir = std::getenv("TRIVANE_SCREENSHOTS")) {
    EXPECT_TRUE(test::SaveScreenshot(w->hwnd(), fs::path(dir) / "trivane-shelf.png"));
  }
  w->ShowDuplicates();
  wchar_t kind[64] = {};
  ListView_GetItemText(list, 0, 0, kind, 64);
  EXPECT_EQ(Narrow(kind), "the same disk");
  DestroyWindow(w->hwnd());
}

TEST(Contents, HexGoesToAndFinds) {
  const Opened o(Write("plain.dsk", build::Jv1(35)));
  o.Tab(C::kHex);
  SetWindowTextW(o.w->control(C::kOffset), L"1234");
  SendMessageW(o.w->control(C::kOffset), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(o.Text(C::kHexStatus), "at 0x1234");
  EXPECT_EQ(o.w->hex_view().selection().start, 0x1234);
  for (const wchar_t* past : {L"15e00", L"ffffff"}) {  // the size itself is past the end
    SetWindowTextW(o.w->control(C::kOffset), past);
    SendMessageW(o.w->control(C::kOffset), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(o.Text(C::kHexStatus), "offset past the end (size 89600, 0x15e00)");
  }
  o.w->hex_view().GoTo(0);
  SendMessageW(o.w->control(C::kMode), CB_SETCURSEL, 1, 0);  // hex
  SetWindowTextW(o.w->control(C::kFind), L"e5 e5");
  o.Click(C::kNext);
  EXPECT_EQ(o.Text(C::kHexStatus), "match 1 of 89596 at 0x3");
  SetWindowTextW(o.w->control(C::kFind), L"fe 1");
  SendMessageW(o.w->control(C::kFind), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(o.Text(C::kHexStatus), "not hex bytes: fe 1");
  o.Shot("trivane-contents-hex.png");
}

// A file dropped on the window is put on the disk; Delete and F2 change it
// as its DOS would; Undo puts back the image as it was.
// A hard disk opens with one entry a drive over the tabs; the drive
// chosen is the one shown, and a change goes into it alone.
TEST(Contents, HardDiskByItsDrives) {
  const fs::path image = Write("hard.hdv", build::NewHardDisk(40, 3, 2));
  const Opened o(image);
  HWND drives = o.w->control(C::kDrives);
  ASSERT_TRUE(IsWindowVisible(drives));
  ASSERT_EQ(SendMessageW(drives, CB_GETCOUNT, 0, 0), 2);
  wchar_t label[64] = {};
  SendMessageW(drives, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(label));
  EXPECT_EQ(Narrow(label), "Drive 1: LDOSHDB, LDOS 5.3");
  EXPECT_NE(o.Text(C::kSummary).find("LDOSHDA"), std::string::npos);
  SendMessageW(drives, CB_SETCURSEL, 1, 0);
  SendMessageW(o.w->hwnd(), WM_COMMAND, MAKEWPARAM(C::kDrives, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(drives));
  EXPECT_NE(o.Text(C::kSummary).find("LDOSHDB"), std::string::npos);
  EXPECT_EQ(disk::SliceOf(o.w->disk()), 1);
  o.Shot("contents-hard-disk.png");
}

TEST(Contents, ChangesAreMadeAndUndone) {
  const build::DosDisk disk = build::TrsdosDisk(0);
  const fs::path image = Write("change.dmk", build::DosDmk(disk, build::LayOut(disk)));
  const std::string before = Slurp(image);
  const fs::path host = Write("hello.bas", {'1', '0', ' ', 'E', 'N', 'D'});
  const Opened o(image);
  o.w->confirm = [](const std::string&) { return true; };
  o.w->ask_name = [](const std::string&, const std::string&) { return std::string("WORLD/BAS"); };
  const std::wstring name = host.wstring();
  HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + (name.size() + 2) * sizeof(wchar_t));
  auto* files = static_cast<DROPFILES*>(GlobalLock(drop));
  files->pFiles = sizeof(DROPFILES);
  files->fWide = TRUE;
  std::copy(name.begin(), name.end(), reinterpret_cast<wchar_t*>(files + 1));
  GlobalUnlock(drop);
  SendMessageW(o.w->hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
  EXPECT_EQ(o.Text(C::kChanged), "Put HELLO/BAS: written, read back and verified");
  const int rows = ListView_GetItemCount(o.w->control(C::kList));
  const auto row_of = [&](const std::string& name) {
    for (int r = 0; r < ListView_GetItemCount(o.w->control(C::kList)); ++r) {
      if (o.Cell(r, 0) == name) return r;
    }
    return -1;
  };
  ASSERT_GE(row_of("HELLO/BAS"), 0);
  o.Select({row_of("HELLO/BAS")});
  o.Key(VK_F2);
  EXPECT_EQ(row_of("HELLO/BAS"), -1);
  ASSERT_GE(row_of("WORLD/BAS"), 0);
  o.Select({row_of("WORLD/BAS")});
  o.Key(VK_DELETE);
  EXPECT_EQ(ListView_GetItemCount(o.w->control(C::kList)), rows - 1);
  EXPECT_NE(Slurp(image), before);
  o.Click(C::kUndo);
  EXPECT_EQ(o.Text(C::kChanged), "Undone: the image is as it was");
  EXPECT_EQ(Slurp(image), before);

  // Saved as another container, never over itself.
  o.w->SaveAs(image.parent_path() / "copy.dmk", disk::Container::kDmk);
  EXPECT_EQ(o.Text(C::kSaved), "Saved as copy.dmk (DMK), read back and verified");
  EXPECT_EQ(Slurp(image.parent_path() / "copy.dmk"), before);
  o.w->SaveAs(image, disk::Container::kJv3);
  EXPECT_EQ(o.Text(C::kSaved), "Not saved: the image itself is never written over");
}

// A tape of a SYSTEM program (its second block's checksum spoilt) and a
// BASIC program, opened from the main window: listed, viewed, extracted,
// saved as WAV, never over itself.
TEST(Contents, ATapeOpensInAWindowOfItsPrograms) {
  std::vector<std::uint8_t> code(256);
  for (std::size_t k = 0; k < code.size(); ++k) code[k] = std::uint8_t(k * 3 + 1);
  const std::vector<std::uint8_t> tail = {0xC3, 0x00, 0x60, 0xA7, 0x5B};
  tape::Tape t;
  t.programs = {tape::SystemProgram("GAME", {{0x6000, code}, {0x6100, tail}}, 0x6000),
                tape::BasicProgram("HI", {0x0B, 0x6A, 0x0A, 0x00, 0xB2, ' ', '"', 'H', 'I', '"',
                                          0x00, 0x00, 0x00})};
  build::Bytes cas = tape::WriteCas(t);
  *std::search(cas.begin(), cas.end(), tail.begin(), tail.end()) ^= 0xFF;
  const fs::path path = Write("tape.cas", cas);
  Form27 form;
  std::vector<std::string> messages;
  form.show_message = [&](const std::string& p, const std::string&) { messages.push_back(p); };
  ASSERT_TRUE(form.ChooseFile(path));
  ASSERT_EQ(messages.size(), 1u);  // the identification refuses a tape
  EXPECT_NE(messages[0].find("File format faulty"), std::string::npos) << messages[0];
  EXPECT_EQ(form.OpenContents(ContentsWindow::kFiles, false), nullptr);
  TapeWindow* w = form.OpenTape(path, "tape.cas", false);  // the one already open
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(FindWindowW(L"TrivaneTape", nullptr), w->hwnd());
  const auto text = [&](TapeWindow::Control id) { return Narrow(TextOf(w->control(id))); };
  EXPECT_EQ(text(TapeWindow::kSummary), "CAS tape, 2 programs, 1 bad checksum");
  std::string row;
  for (int c = 0; c < 8; ++c) {
    wchar_t cell[64] = {};
    ListView_GetItemText(w->control(TapeWindow::kList), 0, c, cell, 64);
    row += (c ? "|" : "") + Narrow(cell);
  }
  EXPECT_EQ(row, "system|GAME|500|2|1 bad|6000-6104|6000|261");
  HWND view = w->OpenView(0);
  EXPECT_NE(Narrow(TextOf(GetDlgItem(view, FileView::kWhy))).find("block 2: given as read"),
            std::string::npos);
  DestroyWindow(view);

  const fs::path out = path.parent_path() / "tape-out";
  w->choose_folder = [&] { return out; };
  SendMessageW(w->control(TapeWindow::kExtract), BM_CLICK, 0, 0);
  EXPECT_EQ(text(TapeWindow::kStatus), "2 files written to " + Utf8Of(out));
  const ops::OpenedTape read = ops::OpenTape(path);
  const std::vector<std::uint8_t> module = ops::FileOf(read.tape.programs[0], 0).bytes;
  EXPECT_EQ(Slurp(out / "GAME.CMD"), std::string(module.begin(), module.end()));
  w->choose_file = [&](tape::Container) { return path.parent_path() / "tape.wav"; };
  SendMessageW(w->control(TapeWindow::kSaveWav), BM_CLICK, 0, 0);
  EXPECT_EQ(text(TapeWindow::kStatus), "Saved as tape.wav (WAV), read back and verified");
  const ops::OpenedTape wav = ops::OpenTape(path.parent_path() / "tape.wav");
  ASSERT_EQ(wav.tape.programs.size(), 2u);
  EXPECT_EQ(wav.tape.programs[0].data, read.tape.programs[0].data);
  const std::string before = Slurp(path);
  w->SaveAs(path, tape::Container::kCas);
  EXPECT_EQ(text(TapeWindow::kStatus), "Not saved: the tape itself is never written over");
  EXPECT_EQ(Slurp(path), before);
}

}  // namespace
}  // namespace trivane::win
