// The windows' own times: a click on the largest image to the last field
// written; creating the main window to its first showing; opening the
// contents window of the largest sample and of a 64 MiB image to its first
// showing; a repaint of the hex view of the 64 MiB image.
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "app/contents_window.h"
#include "app/form27.h"
#include "builder/samples.h"

using trivane::app::Form27;

class WindowBench : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    for (const auto& sample : trivane::build::Samples()) {
      QVERIFY(trivane::build::WriteFile(
          dir_.filePath(QString::fromStdString(sample.name)).toStdString(), sample.bytes));
    }
    // A 64 MiB JV1 image, at the size limit: 262,144 sectors.
    trivane::build::Bytes big = trivane::build::Jv1(1);
    big.resize(64 * 1024 * 1024, 0xE5);
    QVERIFY(trivane::build::WriteFile(dir_.filePath("big.dsk").toStdString(), big));
    QDir::setCurrent(dir_.path());
  }

  void contentsShown_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("largest sample") << "dmk-newdos80.DMK";
    QTest::newRow("64 MiB") << "big.dsk";
  }
  void contentsShown() {
    QFETCH(QString, name);
    QBENCHMARK {
      trivane::app::ContentsWindow w(name, dir_.filePath(name).toStdString());
      w.setAttribute(Qt::WA_DeleteOnClose, false);
      w.show();
      QVERIFY(QTest::qWaitForWindowExposed(&w));
    }
  }

  // One full repaint of the hex view, scrolled into the middle of 64 MiB.
  void hexRepaint() {
    trivane::app::ContentsWindow w("big.dsk", dir_.filePath("big.dsk").toStdString());
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.ShowTab(trivane::app::ContentsWindow::kHex);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* hex = w.hex_view();
    QVERIFY(hex->GoTo(32 * 1024 * 1024));
    QBENCHMARK {
      hex->viewport()->repaint();
    }
  }

  void startToShown() {
    QBENCHMARK {
      Form27 form;
      form.show();
      QVERIFY(QTest::qWaitForWindowExposed(&form));
    }
  }

  // The click's handling runs to the last field written before it returns;
  // the repaint that follows is not counted.
  void clickToLastField() {
    Form27 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* list = form.findChild<QListWidget*>("File1");
    const auto item = list->findItems("dmk-newdos80.DMK", Qt::MatchExactly).value(0);
    QVERIFY(item != nullptr);
    const QPoint at = list->visualItemRect(item).center();
    QBENCHMARK {
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    }
    QCOMPARE(form.findChild<QLineEdit*>("Text7")->text(), QString("  Newdos/80"));
  }
};

QTEST_MAIN(WindowBench)
#include "window_bench.moc"
