// The window, offscreen: its layout, the file chooser, loading and the
// identification shown in its controls.
#include "app/form27.h"

#ifndef _WIN32
#include <unistd.h>
#endif

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <fstream>

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
  void ClickFile(const QString& name) {
    auto* list = Control<QListWidget>("File1");
    const auto items = list->findItems(name, Qt::MatchExactly);
    QVERIFY2(items.size() == 1, qPrintable(name));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(items[0]).center());
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
    QCOMPARE(files, [&] {
      QStringList s = files;
      s.sort(Qt::CaseInsensitive);
      return s;
    }());
    QCOMPARE(form_->surface().pixelColor(300, 100), QColor(0xC0, 0xC0, 0xFF));
  }

  void optionsChangeTheListOnly() {
    Control<QRadioButton>("Option4")->click();
    QVERIFY(Files().contains("readme.txt"));
    QCOMPARE(Files().size(), int(trivane::build::Samples().size()) + 1);
    QCOMPARE(Control<QListWidget>("File1")->currentItem(), nullptr);
    QCOMPARE(Text("Text16"), QString("Text16"));
    QCOMPARE(form_->record().fileend, trivane::Offset{0});
    Control<QRadioButton>("Option2")->click();
    for (const QString& f : Files()) QVERIFY(f.endsWith(".dmk", Qt::CaseInsensitive));
  }

  void pathRule() {
    using trivane::app::JoinPath;
    QCOMPARE(JoinPath("/", "GAME.DSK", '/'), QString("/GAME.DSK"));
    QCOMPARE(JoinPath("/home/games", "GAME.DSK", '/'), QString("/home/games/GAME.DSK"));
    QCOMPARE(JoinPath("C:\\", "GAME.DSK", '\\'), QString("C:\\GAME.DSK"));
    QCOMPARE(JoinPath("C:\\GAMES", "GAME.DSK", '\\'), QString("C:\\GAMES\\GAME.DSK"));
    ClickFile("jv1-35track.dsk");
    QCOMPARE(form_->filea(), QDir::toNativeSeparators(dir_.path()) + "/jv1-35track.dsk");
    QCOMPARE(Text("Text16"), QString("  jv1-35track.dsk"));
  }

  void clickShowsIdentification() {
    ClickFile("jv1-35track.dsk");
    QCOMPARE(Text("Text12"), QString("JV1"));
    QCOMPARE(Back("Text12"), QColor(0xFF, 0xC0, 0x80));
    QCOMPARE(Text("Text1"), QString(" 35 Track"));
    QCOMPARE(Fore("Text2"), QColor(Qt::black));

    ClickFile("dmk-dsdd.dmk");
    QCOMPARE(Text("Text12"), QString("DMK"));
    QCOMPARE(Back("Text12"), QColor(0xFF, 0xC0, 0xC0));
    QCOMPARE(Text("Text3"), QString("  D/Sided"));
    QCOMPARE(Fore("Text3"), QColor(Qt::red));

    ClickFile("jv3-dual-density.dsk");
    QCOMPARE(Text("Text12"), QString("JV3"));
    QCOMPARE(Back("Text12"), QColor(0x00, 0xFF, 0x00));
    QCOMPARE(Text("Text6"), QString("    This Disk has Dual Density"));

    // A keyboard selection loads the file too.
    ClickFile("dmk-from-1.dmk");
    QTest::keyClick(Control<QListWidget>("File1"), Qt::Key_Down);
    QCOMPARE(Text("Text16"), QString("  dmk-newdos80.DMK"));
    QCOMPARE(Text("Text7"), QString("  Newdos/80"));
    QCOMPARE(Fore("Text7"), QColor(Qt::red));
    QCOMPARE(Text("Text17"), QString("Pdrives: TI = AL  TD = G  TC = 80   SPT = 36  TSR = 1  "
                                     "GPL = 2  DDSL = 17  DDGA = 2"));
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

  void unreadableFilesShowAMessage() {
    WriteFile(dir_.filePath("gone.dsk"), trivane::build::Jv1(35));
    WriteFile(dir_.filePath("folder.dsk"), trivane::build::Jv1(35));
    { std::ofstream(dir_.filePath("huge.dsk").toStdString()).put('x'); }
    QFile::resize(dir_.filePath("huge.dsk"), 64 * 1024 * 1024 + 1);
    Control<QRadioButton>("Option3")->click();
    QFile::remove(dir_.filePath("gone.dsk"));
    QFile::remove(dir_.filePath("folder.dsk"));
    QDir(dir_.path()).mkdir("folder.dsk");

    const std::pair<const char*, const char*> cases[] = {
        {"gone.dsk", "the file does not exist"},
        {"folder.dsk", "it is a directory, not a file"},
        {"huge.dsk", "it is larger than 64 MiB, too large to be a disk image"}};
    for (const auto& [name, reason] : cases) {
      ClickFile("jv1-35track.dsk");
      catcher_->shown.clear();
      ClickFile(name);
      const auto& shown = catcher_->shown;
      QCOMPARE(shown.size(), size_t{1});
      QCOMPARE(shown[0].title, QString("Error"));
      QCOMPARE(shown[0].text, "** ERROR **  Cannot load " + form_->filea() + "\n" + reason);
      QCOMPARE(Text("Text12"), QString());
      QCOMPARE(Text("Text16"), QString("  ") + name);
    }
    QFile::remove(dir_.filePath("huge.dsk"));
    QDir(dir_.path()).rmdir("folder.dsk");
  }

  void fileWithoutPermissionShowsAMessage() {
#ifdef _WIN32
    QSKIP("read permission is not a file mode on Windows");
#else
    if (::geteuid() == 0) QSKIP("root reads every file");
#endif
    WriteFile(dir_.filePath("locked.dsk"), trivane::build::Jv1(35));
    QFile::setPermissions(dir_.filePath("locked.dsk"), QFileDevice::WriteOwner);
    Control<QRadioButton>("Option4")->click();
    ClickFile("locked.dsk");
    QCOMPARE(catcher_->shown.size(), size_t{1});
    QVERIFY(catcher_->shown[0].text.endsWith("it cannot be opened: Permission denied"));
    QFile::remove(dir_.filePath("locked.dsk"));
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
    auto* list = Control<QListWidget>("File1");
    const QPoint from =
        list->visualItemRect(list->findItems("jv1-35track.dsk", Qt::MatchExactly)[0]).center();
    const QPoint to =
        list->visualItemRect(list->findItems("jv3-dsdd.dsk", Qt::MatchExactly)[0]).center();
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, to, list->viewport()->mapToGlobal(to), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(list->viewport(), &move);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, to);
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

  void directoriesOpenAndDrivesMove() {
    auto* dir1 = Control<QListWidget>("Dir1");
    const auto items = dir1->findItems("more", Qt::MatchEndsWith);
    QCOMPARE(items.size(), 1);
    dir1->setCurrentItem(items[0]);
    QTest::keyClick(dir1, Qt::Key_Return);
    QCOMPARE(Files(), QStringList({"GAME.DSK"}));
    ClickFile("GAME.DSK");
    QCOMPARE(form_->filea(), QDir::toNativeSeparators(dir_.path()) + "/more/GAME.DSK");

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
