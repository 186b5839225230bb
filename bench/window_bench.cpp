// The window's own times: a click on the largest image to the last field
// written, and creating the window to its first showing.
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

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
    QDir::setCurrent(dir_.path());
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
