// The main window on Windows: the file chooser (the system's drive combo
// box and list boxes), the result text boxes and the drawing surface,
// placed, coloured and lettered as in the Qt window. It implements the
// window operations on its own controls and maps each control's
// notification to its handler; the identification itself is the core's.
#pragma once

#include "win/win_util.h"
// (win_util.h first: it sets up windows.h.)
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "fs/filesystem.h"
#include "identification/analysis_record.h"
#include "identification/window_ops.h"
#include "present/form_layout.h"
#include "win/file_lists.h"

namespace trivane::win {

class ContentsWindow;
class TapeWindow;
class ShelfWindow;

class Form27 : public WindowOps {
 public:
  // The controls' identifiers: the fields from 100 in their order, then
  // Drive1, Dir1, File1 and the four options.
  static constexpr int kFieldId = 100, kDrive1 = 201, kDir1 = 202, kFile1 = 203, kOption1 = 211;

  Form27();
  ~Form27() override;
  HWND hwnd() const { return hwnd_; }

  void SetText(Field field, const std::string& text) override;
  void SetForeColor(Field field, Colour colour) override;
  void SetBackColor(Field field, Colour colour) override;
  void Cls() override;
  void SetDrawColor(Colour colour) override;
  void SetPrintPosition(int x, int y) override;
  void PrintLine(const std::string& text) override;
  void FilledBox(int x1, int y1, int x2, int y2, Colour colour) override;
  void Yield() override;
  void MessageBox(const std::string& prompt, const std::string& title) override;

  // Moves the file chooser to the file's folder and chooses the file, as a
  // click on it would (every file is listed if the filter hides it); false
  // when the folder does not list it.
  bool ChooseFile(const std::filesystem::path& path);
  // Opens (or brings forward) the contents window of File1's current file;
  // a tape's is its own window (OpenTape), and nullptr is returned.
  ContentsWindow* OpenContents(int tab, bool extract);
  // The same for any image (a tape, a zip member), shown by its name.
  ContentsWindow* OpenImage(const std::filesystem::path& file, const std::string& shown, int tab,
                            bool extract);
  // The Shelf window (one), indexing the folder when one is named.
  ShelfWindow* OpenShelf(const std::filesystem::path& folder);
  // Opens (or brings forward) the window of a tape's programs.
  TapeWindow* OpenTape(const std::filesystem::path& file, const std::string& shown, bool extract);
  // Asks for a new disk's DOS and shape and a file for it, makes it, and
  // lists the folder again.
  void NewDisk();
  const AnalysisRecord& record() const { return record_; }
  HDC surface() const { return surface_dc_; }
  // Shows a message box instead of the system's (for tests).
  std::function<void(const std::string& prompt, const std::string& title)> show_message;
  // The new disk's questions, answered by the system's dialogs unless set
  // (for tests): its request, then its file (empty: cancelled).
  std::function<bool(filesystems::FormatRequest&)> ask_new_disk;
  std::function<std::filesystem::path(const std::string& suffix)> choose_new_file;
  // Whether closing the window ends the program's message loop.
  bool quit_on_close = false;
  // Called when a contents window opens, before it is shown (for tests).
  std::function<void(ContentsWindow&)> on_contents;

  LRESULT Handle(UINT message, WPARAM w, LPARAM l);
  HWND hwnd_ = nullptr;

 private:
  void BuildControls();
  void NewSurface();
  void PlaceControls();
  void DpiChanged(int dpi, const RECT& suggested);
  void AddTextBox(Field field, const present::Place& place);
  void AddOption(int index);
  void Command(int id, int code);
  LRESULT ColourOf(HDC dc, HWND control);
  RECT Twips(int left, int top, int width, int height) const;
  int Pixels(int twips) const { return TwipsToPixels(twips, dpi_); }

  void Form_Load();
  void Dir1_Change();
  void Drive1_Change();
  void File1_Click();
  void ApplyFilter();
  void LoadAndIdentify(const std::filesystem::path& dir, const std::string& name,
                       const std::filesystem::path& entry);
  void ContextMenu(int x, int y);
  void ForgetContents(ContentsWindow* window);

  int dpi_ = 96;
  // Each control's place in twips, and whether its font is bold.
  struct Placed {
    HWND control;
    present::Place place;
    bool bold;
  };
  std::vector<Placed> placed_;
  HWND drive1_ = nullptr, options_[4] = {};
  DirList dir1_;
  FileList file1_;
  std::map<Field, HWND> fields_;
  struct Look {
    Colour fore = colour::kWindowText, back = colour::kFieldBack;
  };
  std::map<Field, Look> looks_;
  std::map<COLORREF, HBRUSH> brushes_;
  HBRUSH Brush(COLORREF colour);

  std::string pattern_;
  std::filesystem::path file_path_;  // the directory File1 lists
  std::vector<std::string> drives_;

  AnalysisRecord record_;
  bool identifying_ = false;
  // The latest file chosen during an identification.
  std::filesystem::path pending_dir_, pending_entry_;
  std::string pending_name_;
  // A message box of an identification a mouse click began, shown once the
  // system's double-click time has passed: the click may be the first of a
  // double-click, whose second must reach File1 and open the contents
  // window (the box, modal, would take it).
  struct Box {
    std::string prompt, title;
  };
  std::vector<Box> deferred_;
  void ShowBox(const Box& box);

  std::map<std::filesystem::path, ContentsWindow*> contents_;  // one window per image
  std::map<std::filesystem::path, TapeWindow*> tapes_;         // one window per tape
  ShelfWindow* shelf_ = nullptr;                               // the one Shelf window
  HDC surface_dc_ = nullptr;
  HBITMAP surface_ = nullptr, old_bitmap_ = nullptr;
  COLORREF draw_colour_ = 0;
  int current_x_ = 0, current_y_ = 0;
};

}  // namespace trivane::win
