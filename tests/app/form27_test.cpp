// The window, offscreen: its layout, the file chooser, loading and the
// identification shown in its controls.
#include "app/form27.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "builder/samples.h"

using trivane::app::Form27;

namespace {

struct Shown {
  QString title;
  QString text;
  bool no_icon;
  bool only_ok;
  bool plain_ok;  // the OK button carries no icon
};

// Answers every message box that opens, recording what it showed.
class MessageCatcher : public QObject {
 public:
  MessageCatcher() {
    connect(&timer_, &QTimer::timeout, this, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      shown.push_back({box->windowTitle(), box->text(), box->icon() == QMessageBox::NoIcon,
                       box->standardButtons() == QMessageBox::Ok,
                       box->button(QMessageBox::Ok)->icon().isNull()});
      box->button(QMessageBox::Ok)->click();
    });
    timer_.start(5);
  }
  std::vector<Shown> shown;

 private:
  QTimer timer_;
};

void WriteFile(const QString& path, const trivane::build::Bytes& bytes) {
  QVERIFY(trivane::build::WriteFile(trivane::app::ToFsPath(path), bytes));
}

}  // namespace

class Form27Test : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  std::unique_ptr<Form27> form_;
  std::unique_ptr<MessageCatcher> catcher_;  // answers every box, so no test can hang on one

  template <typename T>
  T* Control(const char* name) {
    T* control = form_->findChild<T*>(name);
    if (control == nullptr) qFatal("no control %s", name);
    return control;
  }
  QString Text(const char* field) { return Control<QLineEdit>(field)->text(); }
  QColor Fore(const char* field) {
    return Control<QLineEdit>(field)->palette().color(QPalette::Text);
  }
  QColor Back(const char* field) {
    return Control<QLineEdit>(field)->palette().color(QPalette::Base);
  }
  QStringList Files() {
    QStringList names;
    auto* list = Control<QListWidget>("File1");
    for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
    return names;
  }
  QPoint FileAt(const QString& name) {
    auto* list = Control<QListWidget>("File1");
    const auto items = list->findItems(name, Qt::MatchExactly);
    return items.size() == 1 ? list->visualItemRect(items[0]).center() : QPoint(-1, -1);
  }
  void ClickFile(const QString& name) {
    QVERIFY2(FileAt(name).x() >= 0, qPrintable(name));
    QTest::mouseClick(Control<QListWidget>("File1")->viewport(), Qt::LeftButton, {}, FileAt(name));
  }

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    for (const auto& sample : trivane::build::Samples()) {
      WriteFile(dir_.filePath(QString::fromStdString(sample.name)), sample.bytes);
    }
    WriteFile(dir_.filePath("readme.txt"), {'h', 'i'});
    QDir(dir_.path()).mkdir("more");
    WriteFile(dir_.filePath("more/GAME.DSK"), trivane::build::Jv1(35));
    QDir::setCurrent(dir_.path());
  }

  void init() {
    catcher_ = std::make_unique<MessageCatcher>();
    form_ = std::make_unique<Form27>();
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  }
  void cleanup() {
    form_.reset();
    catcher_.reset();
  }

  // Every sample's fields as this window shows them, one line a field
  // (sample, field, text, text colour, back colour), written where
  // TRIVANE_FIELDS_OUT says: the Windows window's tests compare theirs
  // with these.
  void fieldsOfEverySampleWritten() {
    const QString out = qEnvironmentVariable("TRIVANE_FIELDS_OUT");
    if (out.isEmpty()) QSKIP("TRIVANE_FIELDS_OUT is not set");
    QStringList lines;
    for (const auto& sample : trivane::build::Samples()) {
      ClickFile(QString::fromStdString(sample.name));
      for (trivane::Field f : trivane::kAllFields) {
        const QByteArray name(trivane::FieldName(f).data(),
                              static_cast<qsizetype>(trivane::FieldName(f).size()));
        lines << QStringList{QString::fromStdString(sample.name), name, Text(name),
                             Fore(name).name(), Back(name).name()}
                     .join('\t');
      }
    }
    QFile file(out);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write((lines.join('\n') + '\n').toUtf8());
  }

  void layout() {
    QCOMPARE(form_->windowTitle(), QString("Trivane 2009  V1   by Olmsker"));
    QCOMPARE(form_->size(), QSize(573, 495));
    QCOMPARE(form_->palette().color(QPalette::Window), QColor(0xC0, 0xC0, 0xFF));
    QCOMPARE(form_->windowIcon().availableSizes().value(0), QSize(32, 32));
    for (auto* box : form_->findChildren<QLineEdit*>()) {
      QVERIFY(box->isReadOnly());
      QCOMPARE(box->text(), box->objectName());
      QCOMPARE(box->palette().color(QPalette::Base), QColor(0xFF, 0xE0, 0xC0));
    }
    // Each option's caption fits beside its indicator.
    for (auto* option : form_->findChildren<QRadioButton*>()) {
      const QStyle* style = option->style();
      const int indicator = style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) +
                            style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
      QVERIFY2(
          indicator + option->fontMetrics().horizontalAdvance(option->text()) <= option->width(),
          qPrintable(option->objectName()));
    }
  }

  // Classic 3-D controls: a text box's frame is sunken (dark above, light
  // below), the drive list is flat, without a gradient.
  void classicLook() {
    const QImage box = Control<QLineEdit>("Text1")->grab().toImage();
    QVERIFY(box.pixelColor(box.width() / 2, 0).lightness() <
            box.pixelColor(box.width() / 2, box.height() - 1).lightness());
    const QImage drive = Control<QComboBox>("Drive1")->grab().toImage();
    QCOMPARE(drive.pixelColor(40, 2), QColor(0xFF, 0xE0, 0xC0));
    QCOMPARE(drive.pixelColor(40, drive.height() - 3), QColor(0xFF, 0xE0, 0xC0));
  }

  // Run again at scale factors 1.5 and 2: the text of Text2 stands on the
  // same line as that of Text3 (both begin with a "D").
  void textsShareTheirLine() {
    ClickFile("dmk-dsdd.dmk");
    auto capital_top = [&](const char* field) {
      const QImage image = Control<QLineEdit>(field)->grab().toImage();
      for (int x = 3; x < image.width() - 3; ++x) {
        for (int y = 3; y < image.height() - 3; ++y) {
          if (image.pixelColor(x, y).green() < 100) return y;  // red or black ink
        }
      }
      return -1;
    };
    QVERIFY(capital_top("Text2") > 0);
    QCOMPARE(capital_top("Text2"), capital_top("Text3"));
  }

  void startsFilteredInAnyCase() {
    QVERIFY(Control<QRadioButton>("Option1")->isChecked());
    const QStringList files = Files();
    QVERIFY(files.contains("dmk-newdos80.DMK"));
    QVERIFY(files.contains("jv1-35track.dsk"));
    QVERIFY(!files.contains("readme.txt"));
    QVERIFY(!files.contains("more"));
    QVERIFY(files.indexOf("dmk-newdos80.DMK") < files.indexOf("dmk-sssd.dmk"));  // any case
    QCOMPARE(form_->surface().pixelColor(300, 100), QColor(0xC0, 0xC0, 0xFF));
  }

  void optionsChangeTheListOnly() {
    Control<QRadioButton>("Option4")->click();
    QVERIFY(Files().contains("readme.txt"));
    QCOMPARE(Files().size(), int(trivane::build::Samples().size()) + 1);
    QCOMPARE(Control<QListWidget>("File1")->currentItem(), nullptr);
    QCOMPARE(form_->record().fileend, trivane::Offset{0});
    Control<QRadioButton>("Option2")->click();
    for (const QString& f : Files()) QVERIFY(f.endsWith(".dmk", Qt::CaseInsensitive));
  }

  void clickShowsIdentification() {
    ClickFile("jv1-35track.dsk");
    QCOMPARE(Back("Text12"), QColor(0xFF, 0xC0, 0x80));
    QCOMPARE(Fore("Text2"), QColor(Qt::black));
    ClickFile("dmk-dsdd.dmk");
    QCOMPARE(Back("Text12"), QColor(0xFF, 0xC0, 0xC0));
    QCOMPARE(Fore("Text3"), QColor(Qt::red));
    ClickFile("jv3-dual-density.dsk");
    QCOMPARE(Back("Text12"), QColor(0x00, 0xFF, 0x00));

    // A keyboard selection loads the file too.
    ClickFile("dmk-mixed-damaged.dmk");  // refused: doubled single density
    catcher_->shown.clear();
    QTest::keyClick(Control<QListWidget>("File1"), Qt::Key_Down);
    QCOMPARE(Text("Text16"), QString("  dmk-newdos80.DMK"));
    QCOMPARE(Text("Text7"), QString("  Newdos/80"));
    QCOMPARE(Fore("Text7"), QColor(Qt::red));
    QVERIFY(Text("Text17").startsWith("Pdrives: TI = AL"));
    QCOMPARE(Fore("Text17"), QColor(Qt::blue));
    QCOMPARE(Text("Text18"), QString("This files Track Sectors start at 1"));
    // Every text shown fits its box.
    for (const char* f : {"Text1", "Text2", "Text3", "Text4", "Text5", "Text7", "Text12", "Text16",
                          "Text17", "Text18"}) {
      auto* box = Control<QLineEdit>(f);
      QVERIFY2(box->fontMetrics().horizontalAdvance(box->text()) <= box->width() - 6, f);
    }
    QVERIFY(catcher_->shown.empty());
  }

  void refusedFileShowsItsMessage() {
    ClickFile("jv1-newdos80.dsk");
    ClickFile("notes.dsk");
    const auto& shown = catcher_->shown;
    QCOMPARE(shown.size(), size_t{1});
    QCOMPARE(shown[0].title, QString("Error"));
    QCOMPARE(shown[0].text,
             QString("** ERROR **\n This file does not have an EMULATOR Disk format HEADER\n"
                     "    It may be a Disk file for use with a dedicated program"));
    QVERIFY(shown[0].no_icon);
    QVERIFY(shown[0].only_ok);
    QVERIFY(shown[0].plain_ok);
    for (const char* f : {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7", "Text12",
                          "Text17", "Text18"}) {
      QCOMPARE(Text(f), QString());
    }
    QCOMPARE(Back("Text12"), QColor(0xFF, 0xE0, 0xC0));
  }

  // The reasons are the loader's, shared with the report tool and tested there.
  void unreadableFileShowsAMessage() {
    WriteFile(dir_.filePath("gone.dsk"), trivane::build::Jv1(35));
    Control<QRadioButton>("Option3")->click();
    QFile::remove(dir_.filePath("gone.dsk"));
    ClickFile("jv1-35track.dsk");
    ClickFile("gone.dsk");
    QCOMPARE(catcher_->shown.size(), size_t{1});
    QCOMPARE(catcher_->shown[0].title, QString("Error"));
    QCOMPARE(catcher_->shown[0].text,
             "** ERROR **  Cannot load " + form_->filea() + "\nthe file does not exist");
    QCOMPARE(Text("Text12"), QString());
    QCOMPARE(Text("Text16"), QString("  gone.dsk"));
  }

  void vanishedDirectoryShowsAMessage() {
    QDir(dir_.path()).mkdir("vanishing");
    auto* dir1 = Control<trivane::app::DirList>("Dir1");
    dir1->setPath(dir_.path());
    dir1->setCurrentItem(dir1->findItems("vanishing", Qt::MatchEndsWith).value(0));
    QTest::keyClick(dir1, Qt::Key_Return);
    QVERIFY(catcher_->shown.empty());
    QVERIFY(QDir(dir_.path()).rmdir("vanishing"));
    Control<QRadioButton>("Option4")->click();
    QCOMPARE(catcher_->shown.size(), size_t{1});
    QVERIFY(catcher_->shown[0].text.startsWith("** ERROR **  Cannot list "));
    QVERIFY(catcher_->shown[0].text.endsWith("vanishing\nNo such file or directory"));
    QCOMPARE(Files(), QStringList());
  }

  void secondClickDuringYieldWaitsItsTurn() {
    QStringList done;
    connect(form_.get(), &Form27::fileDone, this,
            [&](const QString& f) { done << QFileInfo(f).fileName(); });
    QTimer::singleShot(0, this, [&] { ClickFile("jv3-dsdd.dsk"); });
    ClickFile("dmk-sssd.dmk");
    QCOMPARE(done, QStringList({"dmk-sssd.dmk", "jv3-dsdd.dsk"}));
    QCOMPARE(Text("Text16"), QString("  jv3-dsdd.dsk"));
    QCOMPARE(Text("Text12"), QString("JV3"));
  }

  void surfaceHoldsTheSummaryBox() {
    ClickFile("jv3-newdos80.dsk");
    const QColor face = QApplication::palette().color(QPalette::Button);
    const QImage& surface = form_->surface();
    QCOMPARE(surface.pixelColor(1200 / 15, 500 / 15), face);
    QCOMPARE(surface.pixelColor(surface.width() - 1, 680 / 15),
             face);  // the box runs past the edge
    QCOMPARE(surface.pixelColor(1200 / 15, 680 / 15 + 1), QColor(0xC0, 0xC0, 0xFF));
    // What the window shows where no control covers the surface.
    QCOMPARE(form_->grab().toImage().pixelColor(520, 40), face);

    const QString shot = qEnvironmentVariable("TRIVANE_SCREENSHOT");
    if (!shot.isEmpty()) QVERIFY(form_->grab().save(shot));
  }

  // A drag from one file to another loads the second.
  void dragLoadsTheFileItEndsOn() {
    ClickFile("jv1-35track.dsk");
    QWidget* view = Control<QListWidget>("File1")->viewport();
    const QPoint to = FileAt("jv3-dsdd.dsk");
    QTest::mousePress(view, Qt::LeftButton, {}, FileAt("jv1-35track.dsk"));
    QMouseEvent move(QEvent::MouseMove, to, view->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     {});
    QApplication::sendEvent(view, &move);
    QTest::mouseRelease(view, Qt::LeftButton, {}, to);
    QCOMPARE(Text("Text16"), QString("  jv3-dsdd.dsk"));
    QCOMPARE(Text("Text12"), QString("JV3"));
  }

  // A name that is not UTF-8 shows with a replacement character and loads.
  void nameThatIsNotUtf8Loads() {
#ifdef _WIN32
    QSKIP("Windows names are UTF-16");
#else
    const std::string bad = QFile::encodeName(dir_.path()).toStdString() +
                            "/bad\xff"
                            "name.dsk";
    QVERIFY(trivane::build::WriteFile(bad, trivane::build::Jv1(35)));
    Control<QRadioButton>("Option4")->click();
    ClickFile(QString("bad") + QChar(0xFFFD) + "name.dsk");
    QVERIFY(catcher_->shown.empty());
    QCOMPARE(Text("Text12"), QString("JV1"));
    std::filesystem::remove(bad);
#endif
  }

  // What "trivane FILE" does: the file's folder, the file chosen and
  // identified; every file listed when the filter hides it.
  void chooseFileAsFromTheCommandLine() {
    QVERIFY(form_->ChooseFile(dir_.filePath("more/GAME.DSK")));
    QCOMPARE(Text("Text16"), QString("  GAME.DSK"));
    QCOMPARE(Text("Text12"), QString("JV1"));
    QVERIFY(form_->ChooseFile(dir_.filePath("readme.txt")));
    QVERIFY(Control<QRadioButton>("Option4")->isChecked());
    QCOMPARE(Text("Text16"), QString("  readme.txt"));
    QVERIFY(!form_->ChooseFile(dir_.filePath("nothing.dsk")));
  }

  void directoriesOpenAndDrivesMove() {
    auto* dir1 = Control<QListWidget>("Dir1");
    const auto items = dir1->findItems("more", Qt::MatchEndsWith);
    QCOMPARE(items.size(), 1);
    dir1->setCurrentItem(items[0]);
    QTest::keyClick(dir1, Qt::Key_Return);
    QCOMPARE(Files(), QStringList({"GAME.DSK"}));
    ClickFile("GAME.DSK");
    QCOMPARE(form_->filea(), QDir::toNativeSeparators(dir_.path()) + "/more/GAME.DSK");
    QCOMPARE(Text("Text16"), QString("  GAME.DSK"));
    QCOMPARE(trivane::app::JoinPath("C:\\", "GAME.DSK", '\\'), QString("C:\\GAME.DSK"));

    auto* drive1 = Control<QComboBox>("Drive1");
    QCOMPARE(drive1->itemText(0), QString("/"));
    drive1->setCurrentIndex(0);
    emit drive1->activated(0);
    QCOMPARE(dir1->item(0)->text(), QString("/"));
    QCOMPARE(dir1->currentRow(), 0);
  }
};

QTEST_MAIN(Form27Test)
#include "form27_test.moc"
