// The words both windows show, once: the file list's menu, the contents
// window's tabs and buttons, the questions' buttons, the New disk box's
// fields, the dialogs' titles and the prompts of their messages.
#pragma once

#include <array>

namespace trivane::present {

// The file list's menu: what each item opens (a tab of the contents
// window, or extracting), then after a separator "New disk...".
struct MenuItem {
  const char* text;
  int tab;
  bool extract;
};
inline constexpr std::array<MenuItem, 4> kFileMenu = {{{"Contents", 0, false},
                                                       {"Sectors", 1, false},
                                                       {"Hex view", 2, false},
                                                       {"Extract files...", 0, true}}};
inline constexpr char kNewDiskItem[] = "New disk...";

// The contents window.
inline constexpr std::array<const char*, 3> kTabs = {"Files", "Sectors", "Hex"};
// The tab a disk read from flux has after those.
inline constexpr char kFluxTab[] = "Flux";
inline constexpr char kShowDeleted[] = "Show deleted files";
inline constexpr char kExtractButton[] = "Extract...";
inline constexpr char kSaveAsButton[] = "Save as...";
inline constexpr char kAddFilesButton[] = "Add files...";
inline constexpr char kUndoButton[] = "Undo";
inline constexpr char kWholeFile[] = "Whole file";
inline constexpr char kPrevious[] = "Previous";
inline constexpr char kNext[] = "Next";
inline constexpr char kCopyAsHex[] = "Copy as hex";
inline constexpr char kCopyAsText[] = "Copy as text";
inline constexpr char kSaveAsTextButton[] = "Save as text...";
inline constexpr char kFind[] = "Find";
// The contents window of a tape.
inline constexpr char kViewButton[] = "View";
inline constexpr char kSaveAsCasButton[] = "Save as CAS...";
inline constexpr char kSaveAsWavButton[] = "Save as WAV...";

// The questions' buttons.
inline constexpr char kYesToAll[] = "Yes to all";
inline constexpr char kNoToAll[] = "No to all";
inline constexpr char kCancel[] = "Cancel";

// The New disk box's fields.
inline constexpr char kDosField[] = "DOS";
inline constexpr char kContainerField[] = "Container";
inline constexpr char kHeadsField[] = "Heads";
inline constexpr char kDensityField[] = "Density";
inline constexpr char kDiskNameField[] = "Disk name";
inline constexpr char kDateField[] = "Date (MM/DD/YY)";

// The dialogs' titles.
inline constexpr char kTitle[] = "Trivane";
inline constexpr char kNewDiskTitle[] = "New disk";
inline constexpr char kSaveAsTitle[] = "Save as";
inline constexpr char kAddFilesTitle[] = "Add files";
inline constexpr char kExtractTitle[] = "Extract";
inline constexpr char kExtractToTitle[] = "Extract files to";
inline constexpr char kSaveAsTextTitle[] = "Save as text";

// What an error message says failed, before the file's name.
inline constexpr char kCannotLoad[] = "Cannot load ";
inline constexpr char kCannotList[] = "Cannot list ";
inline constexpr char kCannotMake[] = "Cannot make ";
inline constexpr char kSavedAs[] = "Saved as ";

}  // namespace trivane::present
