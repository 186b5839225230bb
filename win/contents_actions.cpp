// What the contents window does: the hex tab's go-to and find, the files'
// sort, copy and extract, and the changes to the image.
#include "win/win_util.h"
// (win_util.h first: it sets up windows.h.)
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include "formats/text.h"
#include "present/contents.h"
#include "present/new_disk.h"
#include "present/texts.h"
#include "win/contents_window.h"
#include "win/dialogs.h"
#include "win/file_view.h"

namespace trivane::win {
namespace fs = std::filesystem;

void ContentsWindow::ShowImage() {
  hex_.SetSource([this](std::int64_t at) { return disk_.image.at(at); }, disk_.image.size());
  SetTextOf(control(kHexWhat), present::ImageTitle(disk_.image.size()));
  SetTextOf(control(kHexStatus), "");
}

void ContentsWindow::ShowSector(int index) {
  const disk::Sector& s = disk_.sectors.at(static_cast<std::size_t>(index));
  shown_ = disk::SectorData(disk_, s);
  hex_.SetSource([this](std::int64_t at) { return shown_[static_cast<std::size_t>(at)]; },
                 static_cast<std::int64_t>(shown_.size()));
  SetTextOf(control(kHexWhat), present::SectorTitle(s));
  SetTextOf(control(kHexStatus), "");
  ShowTab(kHex);
}

// The file's bytes as read, the sectors that could not be read marked.
void ContentsWindow::ShowFile(const filesystems::Entry& file) {
  const filesystems::FileBytes read = fs_->Read(file);
  shown_ = read.bytes;
  hex_.SetSource([this](std::int64_t at) { return shown_[static_cast<std::size_t>(at)]; },
                 static_cast<std::int64_t>(shown_.size()));
  std::vector<std::pair<std::int64_t, std::int64_t>> marks;
  for (const filesystems::Damaged& d : read.unreadable)
    marks.emplace_back(d.offset, d.offset + d.length);
  hex_.SetMarks(std::move(marks));
  SetTextOf(control(kHexWhat), present::FileTitle(file, read));
  SetTextOf(control(kHexStatus), "");
  ShowTab(kHex);
}

void ContentsWindow::GoToOffset(const std::string& text) {
  const present::GoToResult to = present::GoTo(hex_.shown(), text);
  if (to.offset) hex_.GoTo(*to.offset);
  SetTextOf(control(kHexStatus), to.status);
}

void ContentsWindow::FindInHex(const std::string& text, bool hex, bool forward) {
  std::string latin;  // the text typed, as the bytes it names
  for (wchar_t c : Wide(text)) latin += static_cast<char>(c);
  const present::Needle needle = present::NeedleOf(latin, hex);
  if (!needle.status.empty()) return SetTextOf(control(kHexStatus), needle.status);
  const auto at = present::FindNext(hex_.shown(), needle.bytes, hex_.selection(), forward);
  if (!at) return SetTextOf(control(kHexStatus), "not found");
  hex_.GoTo(*at);
  hex_.Select(*at, *at + static_cast<std::int64_t>(needle.bytes.size()));
  SetTextOf(control(kHexStatus),
            present::MatchStatus(hex_.shown(), needle.bytes, hex_.selection()));
}

// A click on a column's header sorts by it; a second click turns the order.
void ContentsWindow::SortBy(int column) {
  sort_down_ = column == sort_column_ && !sort_down_;
  sort_column_ = column;
  FillFiles();
}

std::vector<filesystems::Entry> ContentsWindow::SelectedFiles(bool with_deleted) const {
  std::vector<filesystems::Entry> files;
  HWND list = control(kList);
  for (int row = ListView_GetNextItem(list, -1, LVNI_SELECTED); row >= 0;
       row = ListView_GetNextItem(list, row, LVNI_SELECTED)) {
    const filesystems::Entry& f = rows_.at(static_cast<std::size_t>(row));
    if (with_deleted || !f.deleted) files.push_back(f);
  }
  return files;
}

void ContentsWindow::CopySelectedRows() {
  CopyText(hwnd_, WithCrLf(Wide(present::CopyText(*fs_, SelectedFiles()))));
}

ops::Choice ContentsWindow::AskAll(const std::string& question) {
  if (ask_all) return ask_all(question);
  const std::wstring all = Wide(present::kYesToAll), none = Wide(present::kNoToAll),
                     cancel = Wide(present::kCancel), title = Wide(present::kExtractTitle);
  const TASKDIALOG_BUTTON buttons[] = {{100, L"Yes"},
                                       {101, all.c_str()},
                                       {102, L"No"},
                                       {103, none.c_str()},
                                       {IDCANCEL, cancel.c_str()}};
  const std::wstring text = WithCrLf(Wide(question));
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof config;
  config.hwndParent = hwnd_;
  config.pszWindowTitle = title.c_str();
  config.pszContent = text.c_str();
  config.cButtons = 5;
  config.pButtons = buttons;
  int chosen = IDCANCEL;
  if (FAILED(TaskDialogIndirect(&config, &chosen, nullptr, nullptr))) return ops::Choice::kCancel;
  return chosen == 100   ? ops::Choice::kYes
         : chosen == 101 ? ops::Choice::kAll
         : chosen == 102 ? ops::Choice::kNo
         : chosen == 103 ? ops::Choice::kNone
                         : ops::Choice::kCancel;
}

// Writes the selected files (all when none is selected) into the folder
// chosen, asking at most once before replacing files and once before
// writing those not read whole, and saying at the end what was written.
void ContentsWindow::Extract() {
  const fs::path folder = choose_folder ? choose_folder() : ChooseFolder(hwnd_);
  if (folder.empty()) return;
  std::vector<filesystems::Entry> files = SelectedFiles();
  if (files.empty()) {
    const bool deleted = SendMessageW(control(kShowDeleted), BM_GETCHECK, 0, 0) == BST_CHECKED;
    files = present::FileRows(*fs_, deleted);  // in directory order
  }
  const ops::ExtractQuestions ask{
      [&](const filesystems::Entry& f, const std::string& why) {
        return AskAll(present::DamagedQuestion(f, why));
      },
      [&](const std::string& host) { return AskAll(present::ReplaceQuestion(host)); },
      [&](std::size_t done, std::size_t total) {
        SetTextOf(control(kExtracted), "Extracting " + std::to_string(done) + " of " +
                                           std::to_string(total) + " files...");
        UpdateWindow(control(kExtracted));
        return true;
      }};
  const ops::ExtractSummary done = ops::ExtractFiles(*fs_, files, folder, ask);
  if (!done.folder_failure.empty()) {
    SetTextOf(control(kExtracted), "");
    MessageBoxW(hwnd_,
                WithCrLf(Wide(present::FolderFailure(Utf8Of(folder), done.folder_failure))).c_str(),
                Wide(present::kExtractTitle).c_str(), MB_OK | MB_ICONWARNING);
    return;
  }
  std::string line = done.Line();
  for (const std::string& what : done.lines) line += "; " + what;
  SetTextOf(control(kExtracted), line);
}

std::string ContentsWindow::WhyReadOnly() const {
  const DWORD attributes = GetFileAttributesW(file_.c_str());
  const bool writable =
      attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) == 0;
  return present::WhyReadOnly(disk_, fs_.get(), writable, file_);
}

present::Questions ContentsWindow::Questions() {
  return {[this](const std::string& q) {
            if (confirm) return confirm(q);
            return MessageBoxW(hwnd_, WithCrLf(Wide(q)).c_str(), Wide(present::kTitle).c_str(),
                               MB_YESNO) == IDYES;
          },
          [this](const std::string& q, const std::string& suggested) {
            return ask_name ? ask_name(q, suggested) : AskText(hwnd_, q, suggested);
          }};
}

void ContentsWindow::Changed(bool written) {
  if (written) Load();
  SetTextOf(control(kChanged), changes_.text());
}

void ContentsWindow::PutHostFiles(const std::vector<fs::path>& files) {
  if (files.empty() || !WhyReadOnly().empty()) return;
  std::vector<present::HostFile> host;
  for (const fs::path& file : files) host.push_back({file, Utf8Of(file.filename())});
  Changed(changes_.Put(*fs_, host, present::Today(), Questions()));
}

void ContentsWindow::DeleteSelected() {
  if (!WhyReadOnly().empty()) return;
  std::vector<std::string> names;
  for (const filesystems::Entry& f : SelectedFiles(false)) names.push_back(f.name);
  Changed(changes_.Delete(*fs_, names, Questions()));
}

void ContentsWindow::RenameSelected() {
  const std::vector<filesystems::Entry> files = SelectedFiles(false);
  if (files.size() != 1 || !WhyReadOnly().empty()) return;
  Changed(changes_.Rename(*fs_, files[0].name, Questions()));
}

void ContentsWindow::Undo() {
  Changed(changes_.Undo());
}

void ContentsWindow::SaveAs(const fs::path& file, disk::Container to) {
  const auto accept = [this](const std::vector<std::string>& lines) {
    if (accept_losses) return accept_losses(lines);
    return MessageBoxW(hwnd_, WithCrLf(Wide(present::LossesQuestion(lines))).c_str(),
                       Wide(present::kSaveAsTitle).c_str(),
                       MB_OKCANCEL | MB_ICONWARNING | MB_DEFBUTTON2) == IDOK;
  };
  SetTextOf(control(kSaved), present::SaveAs(disk_, file_, file, to, accept));
}

void ContentsWindow::SaveAsDialog() {
  wchar_t file[MAX_PATH] = {};
  OPENFILENAMEW save{};
  save.lStructSize = sizeof save;
  save.hwndOwner = hwnd_;
  const std::vector<present::SaveChoice> choices = present::SaveChoices();
  std::wstring filter;
  for (const present::SaveChoice& c : choices) {
    filter += Wide(present::ChoiceLabel(c, ", ")) + L'\0' + Wide(present::Joined(c.patterns, ";")) +
              L'\0';
  }
  const std::wstring suffix = Wide(present::SuffixOf(choices.front().kind));
  save.lpstrFilter = filter.c_str();
  save.lpstrFile = file;
  save.nMaxFile = MAX_PATH;
  const std::wstring title = Wide(present::kSaveAsTitle);
  save.lpstrTitle = title.c_str();
  save.lpstrDefExt = suffix.c_str();
  save.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
  if (!GetSaveFileNameW(&save)) return;
  const std::size_t chosen = save.nFilterIndex >= 1 ? save.nFilterIndex - 1 : 0;
  SaveAs(fs::path(file), choices.at(std::min(chosen, choices.size() - 1)).kind);
}

void ContentsWindow::AddFilesDialog() {
  std::wstring buffer(32768, L'\0');
  OPENFILENAMEW open{};
  open.lStructSize = sizeof open;
  open.hwndOwner = hwnd_;
  open.lpstrFile = buffer.data();
  open.nMaxFile = static_cast<DWORD>(buffer.size());
  const std::wstring title = Wide(present::kAddFilesTitle);
  open.lpstrTitle = title.c_str();
  open.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST;
  if (!GetOpenFileNameW(&open)) return;
  // One name: the file; several: the folder, then each name.
  std::vector<fs::path> files;
  const fs::path first(buffer.c_str());
  for (const wchar_t* name = buffer.c_str() + wcslen(buffer.c_str()) + 1; *name != 0;
       name += wcslen(name) + 1) {
    files.push_back(first / name);
  }
  if (files.empty()) files.push_back(first);
  PutHostFiles(files);
}

void ContentsWindow::Dropped(HDROP drop) {
  std::vector<fs::path> files;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT k = 0; k < count; ++k) {
    std::wstring name(DragQueryFileW(drop, k, nullptr, 0) + 1, L'\0');
    DragQueryFileW(drop, k, name.data(), static_cast<UINT>(name.size()));
    name.resize(name.size() - 1);
    files.push_back(fs::path(name));
  }
  DragFinish(drop);
  PutHostFiles(files);
}

HWND ContentsWindow::OpenView(const filesystems::Entry& file) {
  return (new FileView(file.name, fs_->Read(file), hwnd_))->hwnd();
}

void ContentsWindow::Command(int id, int code) {
  if (id == kDrives && code == CBN_SELCHANGE) {
    const LRESULT at = SendMessageW(control(kDrives), CB_GETCURSEL, 0, 0);
    if (at < 0 || static_cast<std::size_t>(at) >= drive_numbers_.size()) return;
    drive_ = drive_numbers_[static_cast<std::size_t>(at)];
    Load();
    return Layout();
  }
  if (flux_.Command(id, code)) return;
  if (code != BN_CLICKED) return;
  const bool hex = SendMessageW(control(kMode), CB_GETCURSEL, 0, 0) == 1;
  switch (id) {
    case kShowDeleted:
      return FillFiles();
    case kExtract:
      return Extract();
    case kSaveAs:
      return SaveAsDialog();
    case kAddFiles:
      return AddFilesDialog();
    case kUndo:
      return Undo();
    case kWholeFile:
      return ShowImage();
    case kNext:
      return FindInHex(Narrow(TextOf(control(kFind))), hex, true);
    case kPrevious:
      return FindInHex(Narrow(TextOf(control(kFind))), hex, false);
  }
}

LRESULT ContentsWindow::Notify(NMHDR* header) {
  if (header->code == TTN_GETDISPINFOW) {
    reinterpret_cast<NMTTDISPINFOW*>(header)->lpszText = evidence_.data();
  } else if (header->idFrom == kTabs && header->code == TCN_SELCHANGE) {
    ShowTab(TabCtrl_GetCurSel(header->hwndFrom));
  } else if (header->idFrom == kList && header->code == LVN_GETDISPINFOW) {
    auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
    if ((info->item.mask & LVIF_TEXT) != 0 && info->item.iItem >= 0 &&
        info->item.iItem < static_cast<int>(rows_.size())) {
      const std::wstring cell = Wide(present::FileCell(
          *fs_, rows_[static_cast<std::size_t>(info->item.iItem)], info->item.iSubItem));
      lstrcpynW(info->item.pszText, cell.c_str(), info->item.cchTextMax);
    }
  } else if (header->idFrom == kList && header->code == LVN_COLUMNCLICK) {
    SortBy(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
  } else if (header->idFrom == kList && header->code == NM_DBLCLK) {
    const int row = reinterpret_cast<NMITEMACTIVATE*>(header)->iItem;
    if (row >= 0 && row < static_cast<int>(rows_.size()))
      OpenView(rows_[static_cast<std::size_t>(row)]);
  } else if (header->idFrom == kList && header->code == LVN_KEYDOWN) {
    const WORD key = reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey;
    if (key == 'C' && GetKeyState(VK_CONTROL) < 0) CopySelectedRows();
    if (key == VK_DELETE) DeleteSelected();
    if (key == VK_F2) RenameSelected();
  }
  return 0;
}

}  // namespace trivane::win
