#include "app/file_view.h"

#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/file_lists.h"
#include "present/file_view.h"
#include "present/texts.h"

namespace trivane::app {

FileViewWindow::FileViewWindow(const QString& title, const filesystems::FileBytes& bytes,
                               QWidget* parent)
    : QWidget(parent, Qt::Window), bytes_(bytes), name_(title.toStdString()) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(title + " - Trivane");
  kind_ = new QComboBox;
  for (const char* choice : views::kViewNames) kind_->addItem(choice);
  why_ = new QLabel;
  why_->setObjectName("why");
  find_ = new QLineEdit;
  find_->setPlaceholderText(present::kFind);
  auto* save = new QPushButton(present::kSaveAsTextButton);
  text_ = new QPlainTextEdit;
  text_->setReadOnly(true);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  auto* top = new QHBoxLayout;
  top->addWidget(kind_);
  top->addWidget(why_, 1);
  top->addWidget(find_);
  top->addWidget(save);
  hex_ = new HexView;
  hex_->SetSource([this](qint64 at) { return bytes_.bytes[static_cast<std::size_t>(at)]; },
                  static_cast<qint64>(bytes_.bytes.size()));
  std::vector<std::pair<qint64, qint64>> marks;
  for (const filesystems::Damaged& d : bytes_.unreadable)
    marks.emplace_back(d.offset, d.offset + d.length);
  hex_->SetMarks(std::move(marks));
  pages_ = new QStackedWidget;
  pages_->addWidget(text_);
  pages_->addWidget(hex_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(pages_);
  connect(kind_, &QComboBox::currentIndexChanged, this,
          [this](int k) { Show(static_cast<views::ViewKind>(k)); });
  connect(find_, &QLineEdit::returnPressed, this, [this] { Find(find_->text()); });
  connect(save, &QPushButton::clicked, this, [this] {
    const QString file =
        QFileDialog::getSaveFileName(this, present::kSaveAsTextTitle, windowTitle() + ".txt");
    if (!file.isEmpty())
      why_->setText(SaveText(file).isEmpty() ? present::kSavedAs + file : "Not saved");
  });
  resize(720, 560);
  Show(views::ViewKind::kAuto);
}

void FileViewWindow::Show(views::ViewKind kind) {
  const present::ShownView shown = present::ViewOf(bytes_, kind, name_);
  why_->setText(QString::fromStdString(shown.why));
  if (shown.kind == views::ViewKind::kHex) {
    pages_->setCurrentWidget(hex_);
    return;
  }
  text_->setPlainText(QString::fromStdString(shown.text));
  pages_->setCurrentWidget(text_);
}

bool FileViewWindow::Find(const QString& text) {
  if (text.isEmpty()) return false;
  if (hex_shown()) return hex_->Find(text.toLatin1(), true);
  if (text_->find(text)) return true;
  text_->moveCursor(QTextCursor::Start);
  return text_->find(text);
}

QString FileViewWindow::SaveText(const QString& file) const {
  return QString::fromStdString(present::SaveViewText(
      bytes_, static_cast<views::ViewKind>(kind_->currentIndex()), name_, ToFsPath(file)));
}

}  // namespace trivane::app
