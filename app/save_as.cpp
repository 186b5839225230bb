// The contents window's "Save as...": the disk in another container (or the
// same), proved before it is kept (ops/convert.h).
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>

#include "app/contents_window.h"
#include "app/file_lists.h"
#include "loader/image_file.h"
#include "present/changes.h"
#include "present/new_disk.h"
#include "present/texts.h"

namespace trivane::app {

bool ContentsWindow::AcceptLosses(const std::vector<std::string>& lines) {
  if (accept_losses) {
    QStringList shown;
    for (const std::string& line : lines) shown << QString::fromStdString(line);
    return accept_losses(shown);
  }
  QMessageBox ask(QMessageBox::Warning, present::kSaveAsTitle,
                  QString::fromStdString(present::LossesQuestion(lines)),
                  QMessageBox::Save | QMessageBox::Cancel, this);
  ask.setDefaultButton(QMessageBox::Cancel);
  return ask.exec() == QMessageBox::Save;
}

void ContentsWindow::SaveAs(const QString& file, disk::Container to) {
  saved_->setText(QString::fromStdString(present::SaveAs(
      disk_, file_, ToFsPath(file), to,
      [this](const std::vector<std::string>& lines) { return AcceptLosses(lines); })));
}

void ContentsWindow::SaveAsDialog() {
  const std::vector<present::SaveChoice> choices = present::SaveChoices();
  std::vector<std::string> labels;
  for (const present::SaveChoice& c : choices) labels.push_back(present::ChoiceLabel(c, " "));
  QString filter;
  const QString file =
      QFileDialog::getSaveFileName(this, present::kSaveAsTitle, QFileInfo(path_).path(),
                                   QString::fromStdString(present::Joined(labels, ";;")), &filter);
  if (file.isEmpty()) return;
  for (std::size_t k = 0; k < choices.size(); ++k) {
    if (filter.toStdString() == labels[k]) return SaveAs(file, choices[k].kind);
  }
  SaveAs(file, choices.front().kind);
}

}  // namespace trivane::app
