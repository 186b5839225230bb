// Form27's layout and its event handlers: the file chooser, loading and the
// hand-over to identification.
#include "app/form27.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QStorageInfo>
#include <QStyleFactory>

#include "app/new_disk_dialog.h"
#include "identification/identify_image.h"
#include "loader/image_file.h"
#include "ops/tapes.h"
#include "present/form_layout.h"
#include "present/icon_xpm.h"
#include "present/texts.h"

namespace trivane::app {
namespace {

QRect Twips(const present::Place& p) {
  constexpr int k = Form27::kTwipsPerPixel;
  return {p.left / k, p.top / k, p.width / k, p.height / k};
}

// "MS Sans Serif" 8.25 pt, or the platform's sans-serif font of the same
// size and weight. The layout is fixed in pixels, so the size is given as the
// 11 pixels that 8.25 pt make at 96 dots per inch. Hinted, because unhinted
// text (Qt's choice on scaled displays) sits a pixel or two higher in a text
// box whenever it holds a letter with a descender.
QFont WindowFont(QFont::Weight weight) {
  QFont font;
  font.setFamilies(
      {"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "Arimo", "Arial", "Helvetica"});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(11);
  font.setWeight(weight);
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(role, colour);
  widget->setPalette(palette);
}

}  // namespace

Form27::Form27(QWidget* parent) : QWidget(parent) {
  setObjectName("Form27");
  setWindowTitle(present::kFormTitle);
  setWindowIcon(QIcon(QPixmap(present::kIconXpm)));
  setFont(WindowFont(QFont::Bold));
  setFixedSize(Twips({"Form27", 0, 0, present::kFormWidth, present::kFormHeight}).size());
  SetColour(this, QPalette::Window, ToQColor(colour::kWindowBack));
  surface_ = QImage(size(), QImage::Format_RGB32);
  surface_.fill(ToQColor(colour::kWindowBack));
  draw_colour_ = ToQColor(colour::kNavy);
  BuildControls();
  // The classic 3-D controls: sunken text boxes, flat lists.
  classic_style_ = QStyleFactory::create("Windows");
  if (classic_style_ != nullptr) {
    classic_style_->setParent(this);
    setStyle(classic_style_);
    for (QWidget* child : findChildren<QWidget*>()) child->setStyle(classic_style_);
  }

  drives_ = DriveRoots();
  drive1_->addItems(drives_);
  drive1_->setCurrentIndex(drives_.indexOf(DriveOf(QDir::currentPath(), drives_)));
  dir1_->setPath(QDir::currentPath());
  Form_Load();
}

void Form27::BuildControls() {
  drive1_ = new QComboBox(this);
  drive1_->setObjectName("Drive1");
  drive1_->setGeometry(Twips(present::kDrive1));
  file1_ = new FileList(this);
  file1_->setObjectName("File1");
  file1_->setGeometry(Twips(present::kFile1));
  dir1_ = new DirList(this);
  dir1_->setObjectName("Dir1");
  dir1_->setGeometry(Twips(present::kDir1));
  for (QWidget* list : {static_cast<QWidget*>(drive1_), static_cast<QWidget*>(file1_),
                        static_cast<QWidget*>(dir1_)}) {
    SetColour(list, QPalette::Base, ToQColor(colour::kFieldBack));
    SetColour(list, QPalette::Button, ToQColor(colour::kFieldBack));
  }
  drive1_->setFont(WindowFont(QFont::Normal));
  dir1_->setFont(WindowFont(QFont::Normal));

  for (Field f : kAllFields) {
    for (const present::Place& place : present::kTextBoxes) {
      if (place.name == FieldName(f)) AddTextBox(f, place);
    }
  }

  option_group_ = new QButtonGroup(this);
  for (std::size_t k = 0; k < present::kOptions.size(); ++k)
    options_[k] = AddOption(present::kOptions[k]);

  QWidget* previous = drive1_;
  for (QWidget* next : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (next == drive1_ || next->objectName().isEmpty()) continue;
    setTabOrder(previous, next);
    previous = next;
  }
  ConnectEvents();
}

// Each control's events to the form's handlers.
void Form27::ConnectEvents() {
  connect(drive1_, &QComboBox::activated, this, &Form27::Drive1_Change);
  connect(dir1_, &DirList::pathChanged, this, &Form27::Dir1_Change);
  connect(file1_, &FileList::fileChosen, this, &Form27::File1_Click);
  connect(file1_, &FileList::contentsRequested, this, &Form27::OpenContents);
  connect(file1_, &FileList::newDiskRequested, this, &Form27::NewDisk);
  connect(file1_, &FileList::shelfRequested, this, [this] { OpenShelf(""); });
  connect(options_[0], &QRadioButton::toggled, this, [this](bool on) {
    if (on) Option1_Click();
  });
  connect(options_[1], &QRadioButton::toggled, this, [this](bool on) {
    if (on) Option2_Click();
  });
  connect(options_[2], &QRadioButton::toggled, this, [this](bool on) {
    if (on) Option3_Click();
  });
  connect(options_[3], &QRadioButton::toggled, this, [this](bool on) {
    if (on) Option4_Click();
  });
}

QLineEdit* Form27::AddTextBox(Field field, const present::Place& place) {
  auto* box = new QLineEdit(QString::fromLatin1(FieldName(field)), this);
  box->setObjectName(box->text());
  box->setGeometry(Twips(place));
  box->setReadOnly(true);
  box->setTextMargins(0, 0, 0, 0);
  box->setCursorPosition(0);
  SetColour(box, QPalette::Base, ToQColor(colour::kFieldBack));
  SetColour(box, QPalette::Text, ToQColor(colour::kWindowText));
  fields_[field] = box;
  return box;
}

QRadioButton* Form27::AddOption(const present::Option& o) {
  auto* option = new QRadioButton(QString::fromUtf8(o.caption.data(), o.caption.size()), this);
  option->setObjectName(QString::fromUtf8(o.place.name.data(), o.place.name.size()));
  option->setGeometry(Twips(o.place));
  option->setBackgroundRole(QPalette::Window);
  option->setAutoFillBackground(true);
  SetColour(option, QPalette::Window, ToQColor(colour::kWindowBack));
  option_group_->addButton(option);
  return option;
}

void Form27::Form_Load() {
  options_[0]->setChecked(true);
}

void Form27::Option1_Click() {
  Dir1_Change();
}
void Form27::Option2_Click() {
  Dir1_Change();
}
void Form27::Option3_Click() {
  Dir1_Change();
}
void Form27::Option4_Click() {
  Dir1_Change();
}

// Each option is tested on its own; exactly one is selected.
void Form27::ApplyFilter() {
  for (std::size_t k = 0; k < present::kOptions.size(); ++k) {
    const std::string_view patterns = present::kOptions[k].patterns;
    if (options_[k]->isChecked()) pattern_ = QString::fromUtf8(patterns.data(), patterns.size());
  }
}

void Form27::Dir1_Change() {
  ApplyFilter();
  file_path_ = dir1_->path();
  files_ = ListFiles(file_path_, pattern_);
  file1_->clear();
  file1_->addItems(files_.names);
  if (!files_.error.isEmpty()) {
    MessageBox(
        ErrorPrompt(present::kCannotList + file_path_.toStdString(), files_.error.toStdString()),
        "Error");
  }
}

void Form27::Drive1_Change() {
  const QString root = drive1_->currentText();
  const QStorageInfo volume(root);
  if (!volume.isValid() || !volume.isReady() || !QDir(root).isReadable()) {
    drive1_->setCurrentIndex(drives_.indexOf(DriveOf(dir1_->path(), drives_)));
    MessageBox(ErrorPrompt("Cannot read the drive " + root.toStdString(),
                           "it is not ready or cannot be read"),
               "Error");
    return;
  }
  dir1_->setPath(root);
}

// A file chosen while an identification runs (during its yield) is identified
// when that one has finished; only the latest such choice is kept.
void Form27::File1_Click() {
  const int row = file1_->currentRow();
  if (row < 0 || row >= static_cast<int>(files_.entries.size())) return;
  pending_dir_ = file_path_;
  pending_name_ = files_.names[row];
  pending_entry_ = files_.entries[row];
  if (identifying_) return;
  while (!pending_name_.isEmpty()) {
    const QString dir = pending_dir_;
    const QString name = pending_name_;
    pending_name_.clear();
    LoadAndIdentify(dir, name, pending_entry_);
  }
}

bool Form27::ChooseFile(const QString& path) {
  const QFileInfo info(path);
  dir1_->setPath(info.absolutePath());
  auto row = [&] { return files_.names.indexOf(info.fileName()); };
  if (row() < 0) options_[3]->setChecked(true);
  if (row() < 0) return false;
  file1_->setCurrentRow(static_cast<int>(row()));
  return true;
}

void Form27::OpenContents(int tab, bool extract) {
  const int row = file1_->currentRow();
  if (row < 0 || row >= static_cast<int>(files_.entries.size())) return;
  OpenImage(JoinPath(file_path_, files_.names[row]), ToFsPath(file_path_) / files_.entries[row],
            tab, extract);
}

void Form27::OpenImage(const QString& path, const std::filesystem::path& file, int tab,
                       bool extract) {
  if (ops::IsTapeFile(file)) return OpenTape(path, file, extract);
  QPointer<ContentsWindow>& window = contents_[path];
  if (window == nullptr) {
    auto* fresh = new ContentsWindow(path, file, this);
    if (!fresh->ok()) {
      MessageBox(fresh->error().toStdString(), "Error");
      delete fresh;
      return;
    }
    window = fresh;
  }
  window->ShowTab(static_cast<ContentsWindow::Tab>(tab));
  window->show();
  window->raise();
  window->activateWindow();
  if (extract) window->Extract();
}

// A tape has one window of its programs, whatever tab was asked for.
void Form27::OpenTape(const QString& path, const std::filesystem::path& file, bool extract) {
  QPointer<TapeWindow>& window = tapes_[path];
  if (window == nullptr) {
    auto* fresh = new TapeWindow(path, file, this);
    if (!fresh->ok()) {
      MessageBox(fresh->error().toStdString(), "Error");
      delete fresh;
      return;
    }
    window = fresh;
  }
  window->show();
  window->raise();
  window->activateWindow();
  if (extract) window->Extract();
}

// The file is opened by the file system's own name, which the name shown may
// not spell exactly.
void Form27::LoadAndIdentify(const QString& dir, const QString& name,
                             const std::filesystem::path& entry) {
  ApplyFilter();
  filea_ = JoinPath(dir, name);
  identifying_ = true;
  const std::string error = trivane::LoadAndIdentify(ToFsPath(dir) / entry, record_, *this);
  if (!error.empty()) {
    MessageBox(ErrorPrompt(present::kCannotLoad + filea_.toStdString(), error), "Error");
  }
  identifying_ = false;
  emit fileDone(filea_);
}

void Form27::NewDisk() {
  NewDiskDialog ask(this);
  if (ask.exec() != QDialog::Accepted) return;
  const QString file = QFileDialog::getSaveFileName(
      this, present::kNewDiskTitle, file_path_ + "/new." + ask.Suffix(),
      ask.container->currentText() + " (*." + ask.Suffix() + " *.dsk)");
  if (file.isEmpty()) return;
  if (const std::string error = ask.Make(file); !error.empty()) {
    MessageBox(ErrorPrompt(present::kCannotMake + file.toStdString(), error), "Error");
    return;
  }
  Dir1_Change();
}

}  // namespace trivane::app

namespace trivane::app {

ShelfWindow* Form27::OpenShelf(const QString& folder) {
  if (shelf_ == nullptr) {
    shelf_ = new ShelfWindow({}, this);
    shelf_->open_image = [this](const QString& image) {
      OpenImage(image, ToFsPath(image), ContentsWindow::kFiles, false);
    };
  }
  shelf_->show();
  shelf_->raise();
  if (!folder.isEmpty()) shelf_->Index(folder);
  return shelf_;
}

}  // namespace trivane::app
