// Under a dark palette every text of the small dialogs and of a link reads as well as the
// desktop's own: each is rendered and its text measured against the background it is painted on.
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "gui/forms/link_label.h"
#include "gui/forms/multi_input_box.h"
#include "gui/forms/wait_dialog_box.h"
#include "tests/support/readable_text.h"
#include "tests/support/when_modal.h"

using namespace korrin;
using namespace korrin::test;

using TOpenBox = std::function<void()>;
Q_DECLARE_METATYPE(TOpenBox)

class DarkPaletteTest : public QObject {
  Q_OBJECT

  QPalette FDesktop;

 private slots:
  void initTestCase() {
    FDesktop = QApplication::palette();
    QApplication::setPalette(DarkPalette());
  }
  void cleanupTestCase() { QApplication::setPalette(FDesktop); }

  void everyDialogTextIsReadable_data() {
    QTest::addColumn<TOpenBox>("open");
    QTest::newRow("go to row") << TOpenBox([] {
      int32_t row = 12;
      TMultiInputBox::NumInputBox(nullptr, "Go to Row", "Please, enter Row", row, 1, 100);
    });
    QTest::newRow("find") << TOpenBox([] {
      QString text = "10.0";
      int32_t checked = 1;
      TMultiInputBox::OptionsSelectBox(nullptr, "Find", {}, {{"Find", &text}, {"Match Case", nullptr}}, checked);
    });
    QTest::newRow("text") << TOpenBox([] {
      QString name = "lab";
      TMultiInputBox::TextInputBox(nullptr, "Save Settings", "Please, enter a name", name);
    });
    QTest::newRow("wait with progress") << TOpenBox([] {
      TWaitDialogBox::WaitForMethod(
          nullptr,
          [] {
            TWaitDialogBox::SetCount(1234567);
            while (!TWaitDialogBox::Aborted()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
          },
          "Count Rows", "Counting...", wdoProgressBar | wdoCountLabel | wdoElapsedLabel, "%s rows.");
    });
    QTest::newRow("wait with animation") << TOpenBox([] {
      TWaitDialogBox::WaitForMethod(
          nullptr, [] { std::this_thread::sleep_for(std::chrono::milliseconds(800)); }, "Reading", "Reading...",
          wdoWaitingIcon | wdoElapsedLabel);
    });
  }
  void everyDialogTextIsReadable() {
    QFETCH(TOpenBox, open);
    QStringList unreadable = {"<not shown>"};
    WhenModal([&](QWidget* box) {
      QTest::qWait(600);  // the wait dialog's labels are filled on its timer
      unreadable = UnreadableTexts(box);
      if (auto* abort = box->findChild<QPushButton*>("AbortButton")) abort->click();
      else box->close();
    });
    open();
    QVERIFY2(unreadable.isEmpty(), qPrintable(unreadable.join("; ")));
  }

  void aLinkIsReadable() {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* link = new TLabelEx;
    link->setObjectName("Link");
    link->SetLink("example.test", "https://example.test/");
    layout->addWidget(link);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(link->font().underline());
    const QStringList unreadable = UnreadableTexts(&window);
    QVERIFY2(unreadable.isEmpty(), qPrintable(unreadable.join("; ")));
  }
};

QTEST_MAIN(DarkPaletteTest)
#include "dark_palette_test.moc"
