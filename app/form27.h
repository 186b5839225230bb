// The main window: the file chooser, the result text boxes and the drawing
// surface. It implements the window operations on its own controls and maps
// each control's event to its handler; the identification itself is the
// core's.
#pragma once

#include <QButtonGroup>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QWidget>
#include <map>

#include "app/contents_window.h"
#include "app/file_lists.h"
#include "app/shelf_window.h"
#include "app/tape_window.h"
#include "identification/analysis_record.h"
#include "identification/window_ops.h"
#include "present/form_layout.h"

namespace trivane::app {

class Form27 : public QWidget, public WindowOps {
  Q_OBJECT
 public:
  static constexpr int kTwipsPerPixel = 15;  // at 96 dots per inch

  explicit Form27(QWidget* parent = nullptr);

  // Window operations.
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
  bool ChooseFile(const QString& path);
  // A tape's contents window (one a tape), extracting at once when asked.
  void OpenTape(const QString& path, const std::filesystem::path& file, bool extract);
  // An image's contents window (a tape's), on the tab, extracting at once
  // when asked.
  void OpenImage(const QString& path, const std::filesystem::path& file, int tab, bool extract);
  // The Shelf window (one), indexing the folder when one is named.
  ShelfWindow* OpenShelf(const QString& folder);

  // What has been drawn on the surface, beneath the controls.
  const QImage& surface() const { return surface_; }
  const AnalysisRecord& record() const { return record_; }
  const QString& filea() const { return filea_; }
  // The colour a colour value shows as: a system colour from the palette.
  QColor ToQColor(Colour colour) const;

 signals:
  // Emitted when a file's identification (or its refusal) has finished.
  void fileDone(const QString& filea);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void BuildControls();
  void ConnectEvents();
  QLineEdit* AddTextBox(Field field, const present::Place& place);
  QRadioButton* AddOption(const present::Option& option);

  // Event handlers.
  void Form_Load();
  void Option1_Click();
  void Option2_Click();
  void Option3_Click();
  void Option4_Click();
  void Dir1_Change();
  void Drive1_Change();
  void File1_Click();
  void ApplyFilter();
  void LoadAndIdentify(const QString& dir, const QString& name, const std::filesystem::path& entry);
  // Opens (or brings forward) the contents window of File1's current file.
  void OpenContents(int tab, bool extract);
  // Asks for a new disk's DOS and shape and a file in File1's folder, makes
  // it, and lists the folder again.
  void NewDisk();

  QComboBox* drive1_ = nullptr;
  DirList* dir1_ = nullptr;
  QPointer<ShelfWindow> shelf_;
  FileList* file1_ = nullptr;
  QRadioButton* options_[4] = {};
  QButtonGroup* option_group_ = nullptr;
  std::map<Field, QLineEdit*> fields_;
  QString pattern_;
  QString file_path_;  // the directory File1 lists
  Listing files_;      // what File1 shows
  QStringList drives_;

  AnalysisRecord record_;
  QString filea_;
  bool identifying_ = false;
  // The latest file chosen during an identification.
  QString pending_dir_, pending_name_;
  std::filesystem::path pending_entry_;

  QStyle* classic_style_ = nullptr;
  std::map<QString, QPointer<ContentsWindow>> contents_;  // one window per image
  std::map<QString, QPointer<TapeWindow>> tapes_;         // one window per tape
  QImage surface_;
  QColor draw_colour_;
  int current_x_ = 0;
  int current_y_ = 0;
};

}  // namespace trivane::app
