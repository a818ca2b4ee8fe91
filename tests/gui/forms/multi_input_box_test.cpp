// The input boxes: OK follows the input, OK hands the value back, Cancel and Escape change nothing.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

#include "gui/forms/multi_input_box.h"
#include "tests/support/when_modal.h"

using namespace korrin;
using korrin::test::WhenModal;

namespace {

QPushButton* OK(QWidget* box) { return box->findChild<QPushButton*>("OKButton"); }

}  // namespace

class MultiInputBoxTest : public QObject {
  Q_OBJECT

 private slots:
  void characterRule_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("allowEmpty");
    QTest::addColumn<uint>("allowOnly");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("period allowed") << "1.5" << false << uint(aoDigits | aoPeriod) << true;
    QTest::newRow("comma not allowed") << "1,5" << false << uint(aoDigits | aoPeriod) << false;
    QTest::newRow("letters of any alphabet")
        << QString::fromUtf8("Ωmega Äpfel") << false << uint(aoLetters | aoSpace) << true;
    QTest::newRow("A-Z is not every letter") << QString::fromUtf8("Äpfel") << false << uint(aoAZ) << false;
    QTest::newRow("A-Z covers both cases") << "aZ" << false << uint(aoAZ) << true;
    QTest::newRow("capitals only") << "aZ" << false << uint(aoCapitalAZ) << false;
    QTest::newRow("signs by their options")
        << "a_b*-+;" << false << uint(aoSmallAZ | aoUnderscore | aoAsterisk | aoHyphenMinus | aoPlus | aoSemicolon)
        << true;
    QTest::newRow("no rule takes anything") << "any !?" << false << 0u << true;
    QTest::newRow("empty refused") << "" << false << 0u << false;
    QTest::newRow("empty allowed") << "" << true << uint(aoDigits) << true;
  }
  void characterRule() {
    QFETCH(QString, text);
    QFETCH(bool, allowEmpty);
    QFETCH(uint, allowOnly);
    QFETCH(bool, accepted);
    QCOMPARE(TMultiInputBox::TextAllowed(text, allowEmpty, allowOnly), accepted);
  }

  void textBoxEnablesOKAsTheRuleSays() {
    QString value = "old";
    bool wasEnabled = true;
    WhenModal([&](QWidget* box) {
      auto* edit = box->findChild<QLineEdit*>("InputEdit");
      edit->clear();
      QTest::keyClicks(edit, "1,5");
      wasEnabled = OK(box)->isEnabled();
      edit->clear();
      QTest::keyClicks(edit, "1.5");
      OK(box)->click();
    });
    QVERIFY(TMultiInputBox::TextInputBox(nullptr, "Title", "Number:", value, TEditCharCase::ecNormal, false,
                                         aoDigits | aoPeriod));
    QVERIFY(!wasEnabled);
    QCOMPARE(value, QString("1.5"));
  }

  void numberBox_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("below the minimum") << "0" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("over the maximum") << "101" << false;
    QTest::newRow("the minimum") << "1" << true;
    QTest::newRow("the maximum") << "100" << true;
  }
  void numberBox() {
    QFETCH(QString, text);
    QFETCH(bool, enabled);
    int32_t value = 7;
    bool okEnabled = !enabled;
    WhenModal([&](QWidget* box) {
      // Past the spin box's own filter, which would refuse some of these keys.
      box->findChild<QSpinBox*>("InputSpin")->findChild<QLineEdit*>()->setText(text);
      okEnabled = OK(box)->isEnabled();
      box->findChild<QPushButton*>("CancelButton")->click();
    });
    QVERIFY(!TMultiInputBox::NumInputBox(nullptr, "Rows", "Rows:", value, 1, 100));
    QCOMPARE(okEnabled, enabled);
    QCOMPARE(value, 7);
  }

  void numberBoxTypedValueIsReturned() {
    int32_t value = 1000;
    WhenModal([&](QWidget* box) {
      auto* spin = box->findChild<QSpinBox*>("InputSpin");
      spin->findChild<QLineEdit*>()->selectAll();
      QTest::keyClicks(spin, "25");
      QVERIFY(OK(box)->isEnabled());
      OK(box)->click();
    });
    QVERIFY(TMultiInputBox::NumInputBox(nullptr, "Rows", "Rows:", value, 1, 2147483647));
    QCOMPARE(value, 25);
  }

  // The box opens with the field focused and its value selected: typing replaces it, and Tab runs
  // on to OK and Cancel.
  void numberBoxTakesTypingAtOnce() {
    int32_t value = 1000;
    QStringList focusOrder;
    WhenModal([&](QWidget*) {
      QWidget* first = QApplication::focusWidget();
      for (int i = 0; i < 3; ++i) {
        QWidget* w = QApplication::focusWidget();
        // The spin box's editor has no name of its own.
        focusOrder << (w->objectName().isEmpty() ? w->parentWidget()->objectName() : w->objectName());
        QTest::keyClick(w, Qt::Key_Tab);
      }
      first->setFocus();
      QTest::keyClicks(first, "25");
      QTest::keyClick(first, Qt::Key_Return);
    });
    QVERIFY(TMultiInputBox::NumInputBox(nullptr, "Rows", "Rows:", value, 1, 2147483647));
    QCOMPARE(focusOrder, QStringList({"InputSpin", "OKButton", "CancelButton"}));
    QCOMPARE(value, 25);
  }

  void floatBox_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("inside") << "2.5" << true;
    QTest::newRow("the maximum") << "10" << true;
    QTest::newRow("over") << "10.5" << false;
    QTest::newRow("no number") << "x" << false;
  }
  void floatBox() {
    QFETCH(QString, text);
    QFETCH(bool, enabled);
    double value = 1.25;
    QString shown;
    bool okEnabled = !enabled;
    WhenModal([&](QWidget* box) {
      auto* edit = box->findChild<QLineEdit*>("InputEdit");
      shown = edit->text();
      edit->setText(text);
      okEnabled = OK(box)->isEnabled();
      if (okEnabled) OK(box)->click();
      else QTest::keyClick(box, Qt::Key_Escape);
    });
    QCOMPARE(TMultiInputBox::FloatInputBox(nullptr, "Share", "Share:", value, 0, 10), enabled);
    QCOMPARE(shown, QString("1.25"));
    QCOMPARE(okEnabled, enabled);
    QCOMPARE(value, enabled ? text.toDouble() : 1.25);
  }

  void charBoxForcesTheCaseAndNeedsOneCharacter() {
    QChar value = 'q';
    bool emptyEnabled = true;
    WhenModal([&](QWidget* box) {
      auto* edit = box->findChild<QLineEdit*>("InputEdit");
      QCOMPARE(edit->text(), QString("q"));
      edit->clear();
      emptyEnabled = OK(box)->isEnabled();
      QTest::keyClicks(edit, "xy");
      QCOMPARE(edit->text(), QString("X"));
      OK(box)->click();
    });
    QVERIFY(TMultiInputBox::CharInputBox(nullptr, "Key", "Key:", value, TEditCharCase::ecUpperCase, aoAZ));
    QVERIFY(!emptyEnabled);
    QCOMPARE(value, QChar('X'));
  }

  void verifierDecides() {
    QString value = "abc";
    WhenModal([&](QWidget* box) {
      QVERIFY(!OK(box)->isEnabled());
      box->findChild<QLineEdit*>("InputEdit")->setText("abcd");
      QVERIFY(OK(box)->isEnabled());
      OK(box)->click();
    });
    QVERIFY(TMultiInputBox::TextInputBoxEx(nullptr, "Name", "Name:", value, TEditCharCase::ecNormal,
                                           [](const QString& text) { return text.size() > 3; }));
    QCOMPARE(value, QString("abcd"));
  }

  void optionsShowTheBitsAndReturnThem() {
    QString with = "<br>";
    const std::vector<TMultiSelectOption> options{{"One", nullptr}, {"Two", &with}, {"Three", nullptr}};
    int32_t checked = 5;
    QList<bool> shown;
    WhenModal([&](QWidget* box) {
      for (int i = 0; i < 3; ++i) {
        auto* check = box->findChild<QCheckBox*>(QString("Option%1").arg(i));
        shown << check->isChecked();
        check->setChecked(false);
      }
      auto* edit = box->findChild<QLineEdit*>("OptionEdit1");
      QCOMPARE(edit->text(), QString("<br>"));
      edit->setText(" / ");
      QVERIFY(box->findChild<QLineEdit*>("OptionEdit0") == nullptr);
      OK(box)->click();
    });
    QVERIFY(TMultiInputBox::OptionsSelectBox(nullptr, "View Options", "", options, checked));
    QCOMPARE(shown, (QList<bool>{true, false, true}));
    QCOMPARE(checked, 0);
    QCOMPARE(with, QString(" / "));
  }

  void escapeChangesNothing() {
    QString with = "x";
    int32_t checked = 3;
    WhenModal([&](QWidget* box) {
      box->findChild<QCheckBox*>("Option0")->setChecked(false);
      box->findChild<QLineEdit*>("OptionEdit1")->setText("changed");
      QTest::keyClick(box, Qt::Key_Escape);
    });
    QVERIFY(!TMultiInputBox::OptionsSelectBox(nullptr, "Options", "Pick:", {{"A", nullptr}, {"B", &with}}, checked));
    QCOMPARE(checked, 3);
    QCOMPARE(with, QString("x"));
  }
};

QTEST_MAIN(MultiInputBoxTest)
#include "multi_input_box_test.moc"
