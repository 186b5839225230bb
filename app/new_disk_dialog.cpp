#include "app/new_disk_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>

#include "app/file_lists.h"
#include "present/new_disk.h"
#include "present/texts.h"

namespace trivane::app {

NewDiskDialog::NewDiskDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(present::kNewDiskTitle);
  dos = new QComboBox;
  for (const filesystems::FormatChoice& c : present::NewDiskDoses()) {
    dos->addItem(QString::fromStdString(c.name));
  }
  container = new QComboBox;
  for (disk::Container c : present::NewDiskContainers()) container->addItem(disk::ContainerName(c));
  cylinders = new QSpinBox;
  cylinders->setRange(0, 80);
  cylinders->setSpecialValueText("usual");
  heads = new QComboBox;
  for (const char* choice : present::kHeadChoices) heads->addItem(choice);
  density = new QComboBox;
  for (const char* choice : present::kDensityChoices) density->addItem(choice);
  name = new QLineEdit(present::kNewDiskName);
  name->setMaxLength(8);
  date = new QLineEdit(QString::fromStdString(present::Today()));
  auto* form = new QFormLayout(this);
  form->addRow(present::kDosField, dos);
  form->addRow(present::kContainerField, container);
  form->addRow("Cylinders", cylinders);
  form->addRow(present::kHeadsField, heads);
  form->addRow(present::kDensityField, density);
  form->addRow(present::kDiskNameField, name);
  form->addRow(present::kDateField, date);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
}

filesystems::FormatRequest NewDiskDialog::Request() const {
  const filesystems::FormatChoice chosen =
      present::NewDiskDoses().at(static_cast<std::size_t>(dos->currentIndex()));
  return {chosen.word,
          chosen.format,
          cylinders->value(),
          heads->currentIndex(),
          density->currentIndex(),
          name->text().toStdString(),
          date->text().toStdString(),
          present::NewDiskContainers().at(static_cast<std::size_t>(container->currentIndex()))};
}

QString NewDiskDialog::Suffix() const {
  return QString::fromStdString(present::SuffixOf(
      present::NewDiskContainers().at(static_cast<std::size_t>(container->currentIndex()))));
}

std::string NewDiskDialog::Make(const QString& file) const {
  return present::MakeNewDisk(Request(), ToFsPath(file));
}

}  // namespace trivane::app
