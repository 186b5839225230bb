// The contents window, offscreen: files and extracting them, the sector
// picture, the hex view, and opening it from the main window.
#include <QComboBox>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <fstream>

#include "app/contents_window.h"
#include "app/file_lists.h"
#include "app/file_view.h"
#include "app/flux_view.h"
#include "app/form27.h"
#include "app/new_disk_dialog.h"
#include "app/shelf_window.h"
#include "app/tape_window.h"
#include "builder/dos_images.h"
#include "builder/flux_images.h"
#include "builder/samples.h"
#include "fs/trsdos/format.h"
#include "ops/convert.h"
#include "ops/drives.h"
#include "ops/tapes.h"
#include "present/flux_view.h"
#include "present/texts.h"
#include "tape/tape.h"

using trivane::app::ContentsWindow;
namespace build = trivane::build;

namespace {

// Answers each message box with the button of the given text, recording its text.
class Answer : public QObject {
 public:
  explicit Answer(QString button) : button_(std::move(button)) {
    connect(&timer_, &QTimer::timeout, this, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      asked << box->text();
      for (QAbstractButton* b : box->buttons()) {
        if (b->text().remove('&') == button_) return b->click();
      }
      box->buttons().first()->click();
    });
    timer_.start(5);
  }
  QStringList asked;

 private:
  QString button_;
  QTimer timer_;
};

std::string Slurp(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

class ContentsTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;

  QString Write(const QString& name, const build::Bytes& bytes) {
    const QString path = dir_.filePath(name);
    if (!build::WriteFile(path.toStdString(), bytes)) qFatal("cannot write %s", qPrintable(name));
    return path;
  }
  std::unique_ptr<ContentsWindow> Open(const QString& path) {
    auto w = std::make_unique<ContentsWindow>(path, path.toStdString());
    if (!w->ok()) qFatal("%s", qPrintable(w->error()));
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    w->show();
    return w;
  }

 private slots:
  void filesListAndExtractByteIdentical() {
    const build::DosDisk disk = build::NewdosDisk(2, 2, true, false);
    auto w = Open(Write("newdos.dsk", build::DosJv3(disk, build::LayOut(disk))));
    QCOMPARE(w->files_view()->model()->rowCount(), 11);  // BOOT/SYS, DIR/SYS, 9 files
    QVERIFY(w->findChild<QLabel*>("summary")->text().startsWith("NEWDOS/80"));
    const QString out = dir_.filePath("out");
    QDir().mkpath(out);
    w->choose_folder = [&] { return out; };
    w->Extract();
    for (const build::DosFile& f : disk.files) {
      if (f.deleted != build::Deletion::kNone) continue;
      QCOMPARE(Slurp(out + "/" + QString::fromStdString(f.name + "." + f.ext)),
               std::string(f.bytes.begin(), f.bytes.end()));
    }
    QCOMPARE(w->extracted()->text(), QString("11 files written"));
    { std::ofstream(out.toStdString() + "/FILE0.BAS") << "mine"; }
    {
      Answer skip("No to all");  // asked once for all eleven
      w->Extract();
      QCOMPARE(skip.asked, QStringList{"BOOT.SYS is there already. Replace it?"});
    }
    QCOMPARE(Slurp(out + "/FILE0.BAS"), std::string("mine"));
    QCOMPARE(w->extracted()->text(), QString("0 files written; 11 skipped (hover)"));
  }

  // Damaged files: one question for all of them; a folder that takes no
  // files: one message.
  void damagedFilesAndAFolderThatTakesNone() {
    const build::DosDisk disk = build::BigNewdosDisk(false);
    auto w = Open(
        Write("big.dmk", build::DosDmk(disk, build::LayOut(disk), build::BigNewdosBadSectors())));
    const QString out = dir_.filePath("big");
    w->choose_folder = [&] { return out; };
    {
      Answer all("Yes to all");
      w->Extract();
      QCOMPARE(all.asked.size(), 1);
      QVERIFY(all.asked[0].startsWith("FILE3/DAT could not be read whole"));
    }
    QCOMPARE(w->extracted()->text(), QString("11 files written, 2 of them with damage (hover)"));
    QCOMPARE(Slurp(out + "/SCATTER.BAS").size(), size_t{9000});
#ifndef _WIN32
    w->choose_folder = [] { return QString("/sys"); };
    Answer ok("OK");
    w->Extract();
    QCOMPARE(ok.asked.size(), 1);
    QVERIFY2(ok.asked[0].startsWith("Files cannot be written to /sys:"), qPrintable(ok.asked[0]));
#endif
  }

  void crcErrorInPictureAndFindings() {
    const build::DosDisk disk = build::TrsdosDisk(0);
    auto w = Open(Write("hurt.dmk", build::DosDmk(disk, build::LayOut(disk), {{6, 0, 2}})));
    QStringList findings;
    for (int i = 0; i < w->findings()->count(); ++i) findings << w->findings()->item(i)->text();
    QVERIFY2(findings.filter("crc-error FILE7/DAT").size() == 1, qPrintable(findings.join('\n')));
    auto* map = w->sector_map();
    const int index = 6 * 10 + 2;  // cylinder 6, sector 2 of ten a track
    const QImage picture = map->grab().toImage();
    QCOMPARE(picture.pixelColor(map->CellOf(index).center()),
             trivane::app::SectorMap::ColourOf(trivane::present::SectorState::kCrcError));
    QCOMPARE(picture.pixelColor(map->CellOf(index + 1).center()),
             trivane::app::SectorMap::ColourOf(trivane::present::SectorState::kGoodSingle));
    // The README's pictures: the files tab, the sector picture.
    const QString shot = qEnvironmentVariable("TRIVANE_CONTENTS_SCREENSHOT");
    if (!shot.isEmpty()) {
      QVERIFY(w->grab().save(shot + "-files.png"));
      w->ShowTab(ContentsWindow::kSectors);
      QVERIFY(w->grab().save(shot + "-sectors.png"));
    }
    emit map->sectorClicked(index);
    QCOMPARE(w->tabs()->currentIndex(), int(ContentsWindow::kHex));
    QCOMPARE(w->hex_view()->size(), 256);
  }

  // A disk read from flux: the sectors good on some revolutions only
  // marked in the picture, and a tab of each track's flux histogram.
  void fluxMarksAndHistogram() {
    const build::DosDisk disk = build::TrsdosDisk(0);
    const trivane::disk::Disk d =
        trivane::disk::ReadDisk(trivane::ImageBuffer(build::DosDmk(disk, build::LayOut(disk))));
    std::mt19937 random(4);
    auto w = Open(Write("worn.scp", build::WornScp(d, 3, random)));
    const trivane::disk::Disk& read = w->disk();
    int some = -1, all = -1;
    for (int k = 0; k < static_cast<int>(read.sectors.size()); ++k)
      (trivane::present::GoodOnSomeRevolutions(read, k) ? some : all) = k;
    QVERIFY(some >= 0 && all >= 0);
    w->ShowTab(ContentsWindow::kSectors);
    auto* map = w->sector_map();
    const QImage picture = map->grab().toImage();
    const trivane::present::Rgb mark = trivane::present::kRevolutionsMarkColour;
    QCOMPARE(picture.pixelColor(map->CellOf(some).center()), QColor(mark.r, mark.g, mark.b));
    QCOMPARE(picture.pixelColor(map->CellOf(all).center()),
             trivane::app::SectorMap::ColourOf(trivane::present::SectorState::kGoodSingle));
    QCOMPARE(w->tabs()->count(), 4);
    QCOMPARE(w->tabs()->tabText(3), QString(trivane::present::kFluxTab));
    auto* page = w->findChild<trivane::app::FluxPage*>();
    QVERIFY(page != nullptr);
    QCOMPARE(page->tracks()->count(), d.cylinders * d.heads);
    page->tracks()->setCurrentIndex(2);
    page->revolutions()->setCurrentIndex(1);
    QCOMPARE(page->caption()->text().left(36), QString("cylinder 2 head 0, revolution 2 of 3"));
    // FM: the 2- and 4-cell peaks, worn flux a little off.
    const QRegularExpression fm("; peaks at (3.9|4.0|4.1) and (7.8|7.9|8.0|8.1) \u00b5s$");
    QVERIFY2(fm.match(page->caption()->text()).hasMatch(), qPrintable(page->caption()->text()));
    const QString shot = qEnvironmentVariable("TRIVANE_CONTENTS_SCREENSHOT");
    if (!shot.isEmpty()) {
      w->tabs()->setCurrentIndex(3);
      QVERIFY(w->grab().save(shot + "-flux.png"));
    }
  }

  // The Shelf window: a folder indexed, a search, a hit opened, the
  // duplicates.
  void shelfIndexesFindsAndOpens() {
    const QString folder = dir_.filePath("shelf");
    QDir().mkpath(folder);
    const build::DosDisk disk = build::TrsdosDisk(0x51);
    const build::Bytes bytes = build::DosJv3(disk, build::LayOut(disk));
    QVERIFY(build::WriteFile((folder + "/ldos.dsk").toStdString(), bytes));
    QVERIFY(build::WriteFile((folder + "/copy.dsk").toStdString(), bytes));
    trivane::app::ShelfWindow w((dir_.filePath("shelf.db")).toStdString());
    QVERIFY(w.ok());
    w.show();
    w.Index(folder);
    QCOMPARE(w.status()->text(), QString("read 2, unchanged 0, dropped 0"));
    w.Search(QString::fromStdString(disk.files[0].name.substr(0, 3)));
    QVERIFY(w.results()->rowCount() >= 2);
    QCOMPARE(w.results()->horizontalHeaderItem(2)->text(), QString("File"));
    QString opened;
    w.open_image = [&](const QString& image) { opened = image; };
    emit w.results()->cellDoubleClicked(0, 2);
    QCOMPARE(opened, w.results()->item(0, 0)->text());
    w.ShowDuplicates();
    QCOMPARE(w.results()->item(0, 0)->text(), QString("the same disk"));
    QCOMPARE(w.results()->item(0, 1)->text(), folder + "/copy.dsk, " + folder + "/ldos.dsk");
    const QString shot = qEnvironmentVariable("TRIVANE_CONTENTS_SCREENSHOT");
    if (!shot.isEmpty()) {
      w.Search(QString::fromStdString(disk.files[0].name.substr(0, 3)));
      QVERIFY(w.grab().save(shot + "-shelf.png"));
    }
  }

  void hexViewGoesToAndFinds() {
    auto w = Open(Write("plain.dsk", build::Jv1(35)));
    auto* hex = w->hex_view();
    QCOMPARE(hex->RowText(0).left(30), QString("00000000  00 fe 11 e5 e5 e5 e5"));
    QVERIFY(hex->GoTo(0x1234));
    QCOMPARE(hex->selection_start(), 0x1234);
    QVERIFY(hex->top_row() <= 0x123 && hex->top_row() + 40 >= 0x123);
    hex->GoTo(0);
    QVERIFY(hex->Find(QByteArray::fromHex("fe11"), true));
    QCOMPARE(hex->selection_start(), 1);
    QCOMPARE(hex->SelectedHex(), QString("fe 11"));
    QVERIFY(!hex->Find("not there", true));

    // Words that look like hex are found as text unless asked for as hex;
    // every go-to and find says what came of it.
    QLabel* status = w->hex_status();
    w->GoToOffset("ffffff");
    QCOMPARE(status->text(), QString("offset past the end (size 89600, 0x15e00)"));
    w->GoToOffset("zz");
    QCOMPARE(status->text(), QString("not an offset in hex: zz"));
    w->GoToOffset("0");
    w->FindInHex("e5 e5", true, true);
    QCOMPARE(status->text(), QString("match 1 of 89596 at 0x3"));
    w->FindInHex("e5e5", false, true);
    QCOMPARE(status->text(), QString("not found"));
    w->FindInHex("fe 1", true, true);
    QCOMPARE(status->text(), QString("not hex bytes: fe 1"));

    // The highlight lies on the selected byte's characters.
    hex->resize(900, 300);
    hex->GoTo(0x21);
    const QImage shot = hex->viewport()->grab().toImage();
    const QString row = hex->RowText(2);
    const int x = 4 + hex->fontMetrics().horizontalAdvance(row.left(13)) + 1;
    const int y =
        hex->fontMetrics().height() * 2 + 1 - int(hex->top_row()) * hex->fontMetrics().height();
    QVERIFY(shot.pixelColor(x, y) != hex->palette().color(QPalette::Base));
    const int before = 4 + hex->fontMetrics().horizontalAdvance(row.left(12)) - 2;
    QCOMPARE(shot.pixelColor(before, y), hex->palette().color(QPalette::Base));
  }

  // The picture of an 80-cylinder two-headed disk fills the window and
  // follows its size; the files table shows a whole 12-character name.
  void pictureFillsItsSpaceAndNamesFit() {
    build::DosDisk disk = build::BigNewdosDisk(false);
    disk.files[0].name = "FROZFLAM";
    disk.files[0].ext = "CMD";
    auto w = Open(
        Write("big80.dmk", build::DosDmk(disk, build::LayOut(disk), build::BigNewdosBadSectors())));
    auto* view = w->files_view();
    const int needed = view->fontMetrics().horizontalAdvance("FROZFLAM/CMD");
    QVERIFY(view->columnWidth(0) > needed);
    QCOMPARE(view->model()->columnCount(), 6);
    w->ShowTab(ContentsWindow::kSectors);
    auto* map = w->sector_map();
    w->resize(1200, 1000);
    QApplication::processEvents();
    const int large = map->cell();
    QVERIFY2(large > trivane::app::SectorMap::kCell, qPrintable(QString::number(large)));
    QVERIFY(map->CellOf(0).bottom() < map->height());
    w->resize(700, 500);
    QApplication::processEvents();
    QVERIFY(map->cell() < large);
    const QString shot = qEnvironmentVariable("TRIVANE_CONTENTS_SCREENSHOT");
    if (!shot.isEmpty()) {
      w->resize(900, 760);
      QApplication::processEvents();
      QVERIFY(w->grab().save(shot + "-big-sectors.png"));
      w->ShowTab(ContentsWindow::kFiles);
      QVERIFY(w->grab().save(shot + "-big-files.png"));
      w->ShowImage();
      w->ShowTab(ContentsWindow::kHex);
      w->FindInHex("FROZFLAM", false, true);
      QVERIFY(w->grab().save(shot + "-big-hex.png"));
    }
    // A damaged file: its bytes as read, the bad sector's range marked.
    w->ShowFile(*w->filesystem().Find("FILE3/DAT", false));
    const QImage hurt = w->hex_view()->viewport()->grab().toImage();
    QVERIFY(w->hex_view()->size() == 5000);
    auto* hex = w->hex_view();
    const QString row = hex->RowText(hex->top_row());
    QVERIFY(hurt.pixelColor(4 + hex->fontMetrics().horizontalAdvance(row.left(11)), 2) !=
            hex->palette().color(QPalette::Base));
    if (!shot.isEmpty()) QVERIFY(w->grab().save(shot + "-damaged-file.png"));
  }

  // The main window refuses it; its contents window reads every sector.
  void doubledSingleDensityOpens() {
    for (const auto& s : build::Samples()) {
      if (s.name != "dmk-doubled-sd.dmk") continue;
      auto w = Open(Write("doubled.dmk", s.bytes));
      QVERIFY(w->sector_map()->sizeHint().height() >= 40 * trivane::app::SectorMap::kCell);
      emit w->sector_map()->sectorClicked(0);
      QCOMPARE(w->hex_view()->size(), 256);
      QCOMPARE(w->hex_view()->RowText(0).mid(10, 5), QString("00 01"));
    }
  }

  // A double-click in File1 opens the window, once per image.
  // Save as: a container that holds the disk writes it proved; one that
  // cannot shows the losses first and writes nothing when declined; the
  // image itself is never written over. New disk makes one its DOS reads.
  void saveAsAndNewDisk() {
    const build::DosDisk disk = build::Ldos53DataDisk(true);
    const QString image = Write("ldos-dd.dsk", build::DosJv3(disk, build::LayOut(disk)));
    auto w = Open(image);
    w->SaveAs(dir_.filePath("copy.dmk"), trivane::disk::Container::kDmk);
    QCOMPARE(w->saved()->text(), QString("Saved as copy.dmk (DMK), read back and verified"));
    auto copy = Open(dir_.filePath("copy.dmk"));
    QCOMPARE(copy->filesystem().List(false).size(), w->filesystem().List(false).size());
    QStringList shown;
    w->accept_losses = [&](const QStringList& lines) {
      shown = lines;
      return false;
    };
    w->SaveAs(dir_.filePath("lost.jv1"), trivane::disk::Container::kJv1);
    QVERIFY(!shown.isEmpty());
    QVERIFY(!QFile::exists(dir_.filePath("lost.jv1")));
    const std::string before = Slurp(image);
    w->SaveAs(image, trivane::disk::Container::kDmk);
    QVERIFY(w->saved()->text().startsWith("Not saved"));
    QCOMPARE(Slurp(image), before);

    trivane::app::NewDiskDialog ask;
    ask.dos->setCurrentText("LDOS");
    ask.container->setCurrentText("JV3");
    ask.density->setCurrentText("double");
    ask.name->setText("fresh");
    QCOMPARE(ask.Suffix(), QString("jv3"));
    QCOMPARE(ask.Make(dir_.filePath("fresh.jv3")), std::string());
    auto fresh = Open(dir_.filePath("fresh.jv3"));
    QCOMPARE(fresh->filesystem().Family(), std::string("LDOS"));
    QCOMPARE(fresh->filesystem().Facts().at(0).rfind("disk \"FRESH\"", 0), 0u);
    ask.dos->setCurrentText("TRSDOS 2.3");
    QCOMPARE(ask.Make(dir_.filePath("no.jv3")),
             std::string("TRSDOS 2.3 formats single density only"));
  }

  // Files added, renamed and deleted in the window, each proved and
  // written; Undo puts the image back as it was; a write-protected image
  // offers no change.
  void changesAndUndo() {
    const trivane::ops::Proved blank = trivane::ops::NewImage(
        trivane::trsdos::FormatDisk({trivane::trsdos::Family::kLdos, 0, 0, 0, "", "01/02/85"}),
        trivane::disk::Container::kDmk, {});
    const QString image = Write("changing.dmk", blank.bytes);
    const QString host = Write("hello.bas", build::Bytes{'1', '0', ' ', 'E', 'N', 'D', '\r'});
    auto w = Open(image);
    w->confirm = [](const QString&) { return true; };
    w->ask_name = [](const QString&, const QString&) { return QString("WORLD/BAS"); };
    w->PutHostFiles({host});
    QCOMPARE(w->changed()->text(), QString("Put HELLO/BAS: written, read back and verified"));
    QCOMPARE(w->filesystem().List(false).size(), 3u);
    QCOMPARE(w->filesystem().List(false)[1].name, std::string("HELLO/BAS"));
    w->files_view()->selectRow(1);
    w->RenameSelected();
    QCOMPARE(w->filesystem().List(false)[1].name, std::string("WORLD/BAS"));
    w->files_view()->selectRow(1);
    w->DeleteSelected();
    QCOMPARE(w->filesystem().List(false).size(), 2u);
    w->Undo();
    QCOMPARE(Slurp(image), std::string(blank.bytes.begin(), blank.bytes.end()));
    QVERIFY(!w->findChild<QPushButton*>("undo")->isEnabled());

    const build::DosDisk disk = build::TrsdosDisk(0);
    auto locked = Open(Write("locked.dsk", build::DosJv3(disk, build::LayOut(disk))));
    QVERIFY(!locked->findChild<QPushButton*>("add_files")->isEnabled());
    QVERIFY(locked->changed()->text().contains("write-protected"));
  }

  // A hard disk opens with one entry a drive; a drive chosen is shown and
  // changed as a floppy, its choice kept when the image is read again.
  void hardDiskDrives() {
    const QString image = Write("hard.hdv", build::NewHardDisk(40, 3, 2));
    const QString host = Write("hello.txt", build::Bytes{'h', 'i', '\r'});
    auto w = Open(image);
    auto* drives = w->findChild<QComboBox*>("drives");
    QVERIFY(drives != nullptr && drives->isVisible());
    QCOMPARE(drives->count(), 2);
    QCOMPARE(drives->itemText(1), QString("Drive 1: LDOSHDB, LDOS 5.3"));
    QVERIFY(w->findChild<QLabel*>("summary")->text().contains("LDOSHDA"));
    drives->setCurrentIndex(1);
    emit drives->activated(1);
    QVERIFY(w->filesystem().Facts()[0].find("LDOSHDB") != std::string::npos);
    w->confirm = [](const QString&) { return true; };
    w->PutHostFiles({host});
    QCOMPARE(w->changed()->text(), QString("Put HELLO/TXT: written, read back and verified"));
    QCOMPARE(w->filesystem().List(false).size(), 3u);
    QCOMPARE(w->findChild<QComboBox*>("drives")->currentIndex(), 1);
    const auto back = trivane::disk::ReadDisk(trivane::ImageBuffer([&] {
      const std::string b = Slurp(image);
      return build::Bytes(b.begin(), b.end());
    }()));
    QCOMPARE(trivane::ops::OpenDrives(back).list[0].fs->List(false).size(), 2u);
    QCOMPARE(trivane::ops::OpenDrives(back).list[1].fs->List(false).size(), 3u);
  }

  // A double-click shows a file as its owner reads it: a BASIC program
  // listed, the other views chosen, find; a 64 KiB file quickly.
  void fileViews() {
    build::DosDisk disk = build::TrsdosDisk(0x51);
    disk.files[0].bytes = {0xFF, 0x0B, 0x6A, 0x0A, 0x00, 0xB2, ' ',
                           '"',  'H',  'I',  '"',  0x00, 0x00, 0x00};
    disk.files[1].bytes.assign(65536, 0);
    for (std::size_t k = 0; k < disk.files[1].bytes.size(); ++k)
      disk.files[1].bytes[k] = std::uint8_t(k * 7 + 1);
    disk.layout.cylinders = 40;
    auto w = Open(Write("views.dmk", build::DosDmk(disk, build::LayOut(disk))));
    const auto basic = w->filesystem().Find("FILE0/BAS", false);
    const auto big = w->filesystem().Find("FILE1/DAT", false);
    QVERIFY(basic && big);
    auto* view = w->OpenView(*basic);
    QVERIFY(view->why()->text().startsWith("Model I/III BASIC"));
    QCOMPARE(view->text()->toPlainText(), QString("10 PRINT \"HI\"\n"));
    view->kind()->setCurrentText("hex");
    QVERIFY(view->hex_shown());
    QVERIFY(view->Find("HI"));
    QApplication::processEvents();  // what was pending before is not the view's
    QElapsedTimer clock;
    clock.start();
    auto* large = w->OpenView(*big);
    QApplication::processEvents();
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    qInfo("a 64 KiB file read from the disk and shown in %.1f ms", ms);
    QVERIFY(large->why()->text().startsWith("hex"));
    QVERIFY(large->hex_shown());
    QVERIFY(ms < 1000);
  }

  // A tape of a SYSTEM program (its second block's checksum spoilt) and a
  // BASIC program: listed, viewed, extracted, saved as WAV, never over itself.
  void tapeWindow() {
    namespace tape = trivane::tape;
    std::vector<std::uint8_t> code(256);
    for (std::size_t k = 0; k < code.size(); ++k) code[k] = std::uint8_t(k * 3 + 1);
    const std::vector<std::uint8_t> tail = {0xC3, 0x00, 0x60, 0xA7, 0x5B};
    tape::Tape t;
    t.programs = {tape::SystemProgram("GAME", {{0x6000, code}, {0x6100, tail}}, 0x6000),
                  tape::BasicProgram("HI", {0x0B, 0x6A, 0x0A, 0x00, 0xB2, ' ', '"', 'H', 'I', '"',
                                            0x00, 0x00, 0x00})};
    build::Bytes cas = tape::WriteCas(t);
    const auto at = std::search(cas.begin(), cas.end(), tail.begin(), tail.end());
    QVERIFY(at != cas.end());
    *at ^= 0xFF;
    const QString path = Write("tape.cas", cas);
    QDir::setCurrent(dir_.path());
    trivane::app::Form27 form;
    {
      Answer ok("OK");  // the identification refuses a tape, as any file it cannot decode
      QVERIFY(form.ChooseFile(path));  // listed with every file
      QCOMPARE(ok.asked.size(), 1);
      QVERIFY(ok.asked[0].contains("File format faulty"));
    }
    emit form.findChild<trivane::app::FileList*>("File1")->contentsRequested(0, false);
    QCOMPARE(form.findChildren<ContentsWindow*>().size(), 0);
    const auto windows = form.findChildren<trivane::app::TapeWindow*>();
    QCOMPARE(windows.size(), 1);
    trivane::app::TapeWindow& w = *windows[0];
    QCOMPARE(w.summary()->text(), QString("CAS tape, 2 programs, 1 bad checksum"));
    QStringList row;
    for (int c = 0; c < w.programs()->columnCount(); ++c) row << w.programs()->item(0, c)->text();
    QCOMPARE(row.join('|'), QString("system|GAME|500|2|1 bad|6000-6104|6000|261"));
    QCOMPARE(w.programs()->item(1, 0)->text(), QString("basic"));
    QCOMPARE(w.programs()->item(1, 5)->text(), QString());
    QVERIFY(w.OpenView(0)->why()->text().contains("block 2: given as read"));
    QCOMPARE(w.OpenView(1)->text()->toPlainText(), QString("10 PRINT \"HI\"\n"));

    const QString out = dir_.filePath("tape-out");
    w.choose_folder = [&] { return out; };
    w.Extract();
    QCOMPARE(w.status()->text(), "2 files written to " + out);
    const trivane::ops::OpenedTape read = trivane::ops::OpenTape(path.toStdString());
    const std::vector<std::uint8_t> module = trivane::ops::FileOf(read.tape.programs[0], 0).bytes;
    QCOMPARE(Slurp(out + "/GAME.CMD"), std::string(module.begin(), module.end()));
    QCOMPARE(Slurp(out + "/H.BAS").substr(0, 2), std::string("\xFF\x0B"));
    w.programs()->selectRow(1);
    w.Extract();
    QVERIFY2(w.status()->text().startsWith("0 files written to " + out + "; H.BAS not written"),
             qPrintable(w.status()->text()));

    w.SaveAs(dir_.filePath("tape.wav"), tape::Container::kWav);
    QCOMPARE(w.status()->text(), QString("Saved as tape.wav (WAV), read back and verified"));
    const trivane::ops::OpenedTape wav =
        trivane::ops::OpenTape(dir_.filePath("tape.wav").toStdString());
    QCOMPARE(wav.tape.programs.size(), std::size_t{2});
    QVERIFY(wav.tape.programs[0].data == read.tape.programs[0].data);
    QVERIFY(wav.tape.programs[1].data == read.tape.programs[1].data);
    const std::string before = Slurp(path);
    w.SaveAs(path, tape::Container::kWav);
    QCOMPARE(w.status()->text(), QString("Not saved: the tape itself is never written over"));
    QCOMPARE(Slurp(path), before);
  }

  // Every real tape, as CAS and as WAV, opens as one good SYSTEM program.
  void realTapesOpen() {
    const QDir real(TRIVANE_REAL_TAPES);
    if (!real.exists()) QSKIP("the real tapes are not here");
    const QStringList tapes = real.entryList({"*.cas", "*.wav"}, QDir::Files);
    QCOMPARE(tapes.size(), 12);
    for (const QString& name : tapes) {
      trivane::app::TapeWindow w(name, real.filePath(name).toStdString());
      QVERIFY2(w.ok(), qPrintable(w.error()));
      QVERIFY2(w.summary()->text().endsWith("tape, 1 program, every checksum good"),
               qPrintable(name));
      QCOMPARE(w.programs()->item(0, 0)->text(), QString("system"));
    }
  }

  void mainWindowOpensItOnce() {
    const build::DosDisk disk = build::TrsdosDisk(0x51);
    Write("ldos.dsk", build::DosJv3(disk, build::LayOut(disk)));
    QDir::setCurrent(dir_.path());
    trivane::app::Form27 form;
    form.show();
    auto* list = form.findChild<trivane::app::FileList*>("File1");
    list->setCurrentItem(list->findItems("ldos.dsk", Qt::MatchExactly).value(0));
    emit list->contentsRequested(1, false);
    emit list->contentsRequested(0, false);
    const auto windows = form.findChildren<ContentsWindow*>();
    QCOMPARE(windows.size(), 1);
    QCOMPARE(windows[0]->tabs()->currentIndex(), int(ContentsWindow::kFiles));
    QVERIFY(windows[0]->isVisible());
  }
};

QTEST_MAIN(ContentsTest)
#include "contents_test.moc"
