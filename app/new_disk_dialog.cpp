#include "app/new_disk_dialog.h"

#include <QDate>
#include <QDialogButtonBox>
#include <QFormLayout>

#include "app/file_lists.h"
#include "dos/convert.h"
#include "loader/image_file.h"

namespace trivane::app {
namespace {

const dos::Family kDoses[] = {dos::Family::kNewdos80, dos::Family::kTrsdos23, dos::Family::kLdos,
                              dos::Family::kTrsdos13};
const disk::Container kContainers[] = {disk::Container::kDmk, disk::Container::kJv3,
                                       disk::Container::kJv1};

}  // namespace

NewDiskDialog::NewDiskDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle("New disk");
  dos = new QComboBox;
  for (dos::Family f : kDoses) dos->addItem(dos::FamilyName(f));
  container = new QComboBox;
  for (disk::Container c : kContainers) container->addItem(disk::ContainerName(c));
  cylinders = new QSpinBox;
  cylinders->setRange(0, 80);
  cylinders->setSpecialValueText("usual");
  heads = new QComboBox;
  heads->addItems({"usual", "1", "2"});
  density = new QComboBox;
  density->addItems({"usual", "single", "double"});
  name = new QLineEdit("DATADISK");
  name->setMaxLength(8);
  date = new QLineEdit(QDate::currentDate().toString("MM/dd/yy"));
  auto* form = new QFormLayout(this);
  form->addRow("DOS", dos);
  form->addRow("Container", container);
  form->addRow("Cylinders", cylinders);
  form->addRow("Heads", heads);
  form->addRow("Density", density);
  form->addRow("Disk name", name);
  form->addRow("Date (MM/DD/YY)", date);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
}

dos::NewDiskRequest NewDiskDialog::Request() const {
  return {kDoses[dos->currentIndex()],
          cylinders->value(),
          heads->currentIndex(),
          density->currentIndex(),
          name->text().toStdString(),
          date->text().toStdString(),
          kContainers[container->currentIndex()]};
}

QString NewDiskDialog::Suffix() const {
  return container->currentText().toLower();
}

std::string NewDiskDialog::Make(const QString& file) const {
  const dos::Proved proved = dos::NewImage(Request(), {});
  return proved.error.empty() ? SaveImageFile(ToFsPath(file), proved.bytes, true) : proved.error;
}

}  // namespace trivane::app
