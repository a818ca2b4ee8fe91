// The main window driven as a user drives it: typing into its boxes, clicking its buttons and
// answering its message boxes and file dialogs through the seams.
#include <functional>

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QToolTip>
#include <QtTest>
#include <memory>
#include <vector>

#include "common/exception.h"
#include "dns/dns_record.h"
#include "dns/reverse_lookup.h"
#include "generator/generation_engine.h"
#include "gui/app/main_window.h"
#include "gui/app/memo_lines.h"
#include "gui/app/progress_tracker.h"
#include "gui/app/version.h"
#include "gui/forms/dialog_hooks.h"
#include "gui/forms/line_list_edit.h"
#include "gui/forms/link_label.h"
#include "mmdb/mmdb_file_buffer.h"
#include "tests/support/dialog_recorders.h"
#include "tests/support/fake_dns_server.h"
#include "tests/support/mnemonics.h"
#include "tests/support/readable_text.h"
#include "tests/support/when_modal.h"

using namespace korrin;

namespace {

using namespace korrin::test;

// Every box the window shows, recorded and acknowledged.
using TBoxes = TMessageBoxRecorder;

// Answers the save dialog with one file name.
struct TSaveAs : TFileDialogRecorder {
  explicit TSaveAs(const QString& file) : TFileDialogRecorder({file}) {}
};

// Answers "hN.example" for addresses ending in an odd number N, refuses the others.
std::unique_ptr<TFakeDnsServer> OddServer() {
  return std::make_unique<TFakeDnsServer>([](const TBytes& q) {
    const std::string name = QuestionName(q);
    const int last = std::stoi(name.substr(0, name.find('.')));
    if (last % 2 == 0) return std::vector<TFakeDatagram>{{Cat({Header(QueryId(q), 0x8185, 1, 0, 0, 0), Question(q)})}};
    const TBytes reply = Cat({Header(QueryId(q), 0x8180, 1, 1, 0, 0), Question(q),
                              Record({0xC0, 12}, kDnsTypePTR, WireName("h" + std::to_string(last) + ".example"))});
    return std::vector<TFakeDatagram>{{reply}};
  });
}

// Never answers: every query waits its full time.
std::unique_ptr<TFakeDnsServer> SilentServer() {
  return std::make_unique<TFakeDnsServer>([](const TBytes&) { return std::vector<TFakeDatagram>{}; });
}

QByteArray ReadFile(const QString& name) {
  QFile f(name);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// A copy of a test database grown past the size up to which a database is read whole, so that
// the window maps it as it maps a large one: the gap before the metadata is a hole in the file,
// an unused stretch of the data section.
QString LargeDatabase(const QString& folder) {
  const QByteArray bytes = ReadFile(KORRIN_TEST_DATA_DIR "/test-data/GeoIP2-Country-Test.mmdb");
  const qsizetype metadata = bytes.lastIndexOf("\xAB\xCD\xEFMaxMind.com");
  QFile f(folder + "/large.mmdb");
  if (metadata < 0 || !f.open(QIODevice::WriteOnly) || f.write(bytes.left(metadata)) != metadata ||
      !f.seek(kMMDBReadWholeLimit + metadata) || f.write(bytes.mid(metadata)) != bytes.size() - metadata)
    qFatal("cannot write %s", qPrintable(f.fileName()));
  return f.fileName();
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TForm1> W;
  std::unique_ptr<TBoxes> Boxes;

  template <typename T>
  T* C(const char* name) {
    T* w = W->findChild<T*>(QString::fromLatin1(name));
    if (!w) qFatal("no control %s", name);
    return w;
  }
  // The text of a box or a list as the user sees it, lines joined by "\n".
  QString Text(const char* name) {
    if (auto* list = W->findChild<TLineListEdit*>(QString::fromLatin1(name))) {
      const TTextLines lines = list->Lines();
      const std::string_view text = lines.Text();
      return QString::fromUtf8(text.data(), qsizetype(text.size())).chopped(lines.empty() ? 0 : 1);
    }
    return C<QPlainTextEdit>(name)->toPlainText();
  }
  void SetText(const char* name, const QString& text) {
    if (auto* list = W->findChild<TLineListEdit*>(QString::fromLatin1(name))) {
      TTextLines lines;
      if (!text.isEmpty())
        for (const QString& line : text.split('\n')) lines.push_back(line.toStdString());
      list->SetLines(std::move(lines));
    } else {
      C<QPlainTextEdit>(name)->setPlainText(text);
    }
  }
  void TypeRanges(const QString& ranges) {
    auto* memo = C<QPlainTextEdit>("Memo1");
    memo->clear();
    const QStringList lines = ranges.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
      if (i) QTest::keyClick(memo, Qt::Key_Return);
      QTest::keyClicks(memo, lines[i]);
    }
  }
  // Clicks "Generate IPs" and waits until the lines have been delivered.
  void Generate() {
    QTest::mouseClick(C<QPushButton>("StartButton"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!W->Busy(), 120000);
  }
  // On the button's circle: a click beside a short caption misses it, as it would for a user.
  void ClickRadio(const char* name) {
    auto* radio = C<QRadioButton>(name);
    QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2));
    QVERIFY(radio->isChecked());
  }
  // The fields the field chooser's drop-down lists when the user opens it.
  QStringList FieldsOffered() {
    auto* combo = C<QComboBox>("MMDBFieldComboBox");
    combo->showPopup();
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i) texts << combo->itemText(i);
    combo->hidePopup();
    return texts;
  }
  void ActivateWindow() {
    W->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(W.get()));
  }
  // Run outside ctest without XDG_CONFIG_HOME, an empty path would name the current folder.
  static void ClearConfig() {
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty()) qFatal("XDG_CONFIG_HOME must name the test's own configuration folder");
    QDir(config).removeRecursively();
  }
  void NewWindow() {
    W = std::make_unique<TForm1>();
    W->show();
    QVERIFY(QTest::qWaitForWindowExposed(W.get()));
  }
  // A new window made while the application's font has this size, as the desktop would set it.
  void NewWindowAtFontSize(int Points) {
    W.reset();
    const QFont desktop = QApplication::font();
    QFont font = desktop;
    font.setPointSize(Points);
    QApplication::setFont(font);
    NewWindow();
    QApplication::setFont(desktop);
  }
  // A new window over a settings file of these bytes, as another version or a damaged disk left it.
  void NewWindowOverSettings(const QByteArray& bytes) {
    W.reset();
    QDir().mkpath(QFileInfo(SettingsFile()).path());
    QFile f(SettingsFile());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    NewWindow();
  }

 private slots:
  void init() {
    ClearConfig();
    Boxes = std::make_unique<TBoxes>();
    NewWindow();
  }
  void cleanup() {
    W.reset();
    Boxes.reset();
  }

  void firstStartShowsTheInitialValues() {
    QVERIFY(W->windowTitle().startsWith("Korrin "));
    QVERIFY(W->windowTitle().contains(" (build "));
    QCOMPARE(Text("Memo1"), QString());
    QCOMPARE(Text("Memo7"),
             QString("127.0.0.1/24\nA=192.168.1.100/16/24\nfdc7:200d:3e17::/120\nB=fdc7:200d:3e17::fb05/48/60"));
    for (const char* box :
         {"CheckBox1", "CheckBox2", "CheckBox3", "CheckBox4", "CheckBox5", "CheckBox6", "CheckBox7", "CheckBox8"})
      QVERIFY2(!C<QCheckBox>(box)->isChecked(), box);
    QCOMPARE(C<QLineEdit>("Edit3")->text(), QString("80"));
    QVERIFY(C<QLineEdit>("Edit4")->text().count('#') == 1);
    QCOMPARE(C<QComboBox>("ComboBox1")->currentText(), QString("#"));
    QCOMPARE(C<QLineEdit>("Edit5")->text(), QString("1"));
    QCOMPARE(C<QLineEdit>("Edit6")->text(), QString("1"));
    QCOMPARE(C<QLineEdit>("Edit7")->text(), QString("1"));
    QCOMPARE(C<QComboBox>("ComboBox5")->currentText(), QString("Whitespace"));
    QVERIFY(C<QLineEdit>("Edit8")->isHidden());
    QCOMPARE(C<QLineEdit>("Edit8")->text(), QString("|"));
    QVERIFY(C<QRadioButton>("RadioButton1")->isChecked());
    QCOMPARE(C<QLineEdit>("Edit1")->text(), QString("10"));
    QCOMPARE(C<QLineEdit>("Edit2")->text(), QString("10"));
    QCOMPARE(C<QLineEdit>("Edit9")->text(), QString());
    QVERIFY(C<QPushButton>("StartButton")->isEnabled());
    QVERIFY(!C<QPushButton>("BreakButton")->isEnabled());
    QCOMPARE(C<QLabel>("ProgressLabel")->text(), QString("0 %"));
    QCOMPARE(C<QLabel>("ElapsedLabel")->text(), QString("0:00:00"));
    QCOMPARE(C<QLabel>("StatusLabel")->text(), QString());  // the tracker's empty status
    for (const char* b : {"SettingsSaveButton", "SettingsLoadButton", "SettingsDeleteButton"})
      QVERIFY2(!C<QPushButton>(b)->isEnabled(), b);
    QCOMPARE(C<QLabel>("Label2")->text(), QString("IPs (0):"));
    for (const char* combo : {"ComboBox2", "ComboBox3", "ComboBox4"})
      QCOMPARE(C<QComboBox>(combo)->currentText(), QString("End-Of-Line"));
    QCOMPARE(C<QLabel>("Label4")->text(), QString("Resolved IPs - IP,Domain (0):"));
    QCOMPARE(C<QLabel>("Label5")->text(), QString("Unresolved IPs (0):"));
    QCOMPARE(C<QLabel>("Label7")->text(), QString("0"));
    QCOMPARE(Text("Memo5"), Text("Memo8"));
    QCOMPARE(MemoLineCount(C<QPlainTextEdit>("Memo5")), 2);
    QVERIFY(C<QPushButton>("Button1")->text().startsWith("&Use "));
    QCOMPARE(C<QLabel>("Label22")->text(), QString("%1-Bit Edition").arg(sizeof(void*) * 8));
    QVERIFY(C<QLabel>("Label14")->text().endsWith(QString::number(QDate::currentDate().year() - 2000)));
    // 633 pixels, or what the desktop's font needs, as far as the right panel leaves room.
    auto* splitter = C<QSplitter>("Splitter1");
    QCOMPARE(
        C<QWidget>("LeftPanel")->width(),
        std::min(std::max(633, C<QWidget>("LeftPanel")->minimumSizeHint().width()),
                 splitter->width() - splitter->handleWidth() - C<QWidget>("RightPanel")->minimumSizeHint().width()));
    auto* link = dynamic_cast<TLabelEx*>(C<QLabel>("Label15"));
    QVERIFY(link &&
            link->Link().endsWith("?referer=korrin&ver=" + QString::fromStdString(GetFileVersion(false, 2, 0))));
    QVERIFY(Boxes->Shown.empty());
  }

  void theDatabaseBoxIsBrowsedAndTakesDroppedFiles() {
    auto* edit = C<QLineEdit>("Edit9");
    TFileDialogRecorder dialogs({"/data/GeoLite2-Country.mmdb"});
    QTest::mouseClick(C<QPushButton>("Button11"), Qt::LeftButton);
    QCOMPARE(edit->text(), QString("/data/GeoLite2-Country.mmdb"));
    QVERIFY(dialogs.Last().Filter.startsWith("MMDB files (*.mmdb)"));
    dialogs.Answer.clear();  // cancelled: the box keeps its text
    QTest::mouseClick(C<QPushButton>("Button11"), Qt::LeftButton);
    QCOMPARE(dialogs.Last().Directory, QString("/data"));
    QCOMPARE(dialogs.Last().FileName, QString("GeoLite2-Country.mmdb"));
    QCOMPARE(edit->text(), QString("/data/GeoLite2-Country.mmdb"));
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile("/tmp/a.mmdb"), QUrl::fromLocalFile("/tmp/b.mmdb")});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(edit, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(edit, &drop);
    QCOMPARE(edit->text(), QString("/tmp/b.mmdb"));
    // The viewer opens beside the window, which stays usable: no modal window is left.
    QTest::mouseClick(C<QPushButton>("Button4"), Qt::LeftButton);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QStringList viewed;
    for (QWidget* window : QApplication::topLevelWidgets())
      if (window->isVisible() && window->findChild<QWidget*>("SourceView", Qt::FindDirectChildrenOnly)) {
        viewed << window->windowTitle();
        window->close();
      }
    QCOMPARE(viewed, QStringList{"/tmp/b.mmdb - GeoIP2 MMDB"});
  }

  void generateDeliversTheLinesAndTheCount() {
    TypeRanges("10.0.0.0/30");
    Generate();
    QCOMPARE(Text("Memo2"), QString("10.0.0.0\n10.0.0.1\n10.0.0.2\n10.0.0.3"));
    QCOMPARE(C<QLabel>("StatusLabel")->text(), QString("4 IPs generated."));
    QCOMPARE(C<QLabel>("Label2")->text(), QString("IPs (4):"));
    QCOMPARE(C<QLabel>("ProgressLabel")->text(), QString("100 %"));
    QVERIFY(C<QPushButton>("StartButton")->isEnabled());
    QVERIFY(!C<QPushButton>("BreakButton")->isEnabled());
    QTest::mouseClick(C<QCheckBox>("CheckBox3"), Qt::LeftButton);
    QCOMPARE(C<QLabel>("Label2")->text(), QString("Name IPs (4):"));
    QVERIFY(Boxes->Shown.empty());
  }

  void appendKeepsTheOldLinesAndOffReplacesThem() {
    auto* memo2 = C<TLineListEdit>("Memo2");
    QTest::keyClicks(memo2, "typed");
    TypeRanges("10.0.0.0/31");
    C<QCheckBox>("CheckBox5")->setChecked(true);
    Generate();
    QCOMPARE(Text("Memo2"), QString("typed\n10.0.0.0\n10.0.0.1"));
    C<QCheckBox>("CheckBox5")->setChecked(false);
    TypeRanges("10.0.0.8/31");
    Generate();
    QCOMPARE(Text("Memo2"), QString("10.0.0.8\n10.0.0.9"));
  }

  void optionsReachTheEngine() {
    TypeRanges("A=10.0.0.0/30");
    ClickRadio("RadioButton2");
    C<QLineEdit>("Edit1")->setText("2");
    C<QCheckBox>("CheckBox8")->setChecked(true);
    C<QCheckBox>("CheckBox3")->setChecked(true);
    C<QLineEdit>("Edit4")->setText("h#-%s");
    C<QComboBox>("ComboBox5")->setCurrentIndex(4);
    QVERIFY(!C<QLineEdit>("Edit8")->isHidden());
    C<QLineEdit>("Edit8")->clear();  // an empty custom delimiter stays empty
    C<QCheckBox>("CheckBox2")->setChecked(true);
    C<QLineEdit>("Edit3")->setText("80,81");
    Generate();
    QCOMPARE(Text("Memo2"), QString("h1-A10.0.0.1:80\nh2-A10.0.0.1:81\nh3-A10.0.0.2:80\nh4-A10.0.0.2:81"));
  }

  void withNamesOffTheEngineGetsTheCounterDefaults() {
    C<QLineEdit>("Edit5")->setText("x");
    C<QLineEdit>("Edit6")->setText("7");
    C<QComboBox>("ComboBox5")->setCurrentIndex(2);
    C<QLineEdit>("Edit3")->setText("443");
    QVERIFY(W->CopySettingsToUtils());
    const TKorrinUtils& u = W->Utils();
    QVERIFY(!u.GenerateNames());
    QCOMPARE(u.FirstCounter(), 1);
    QCOMPARE(u.CounterStep(), 1);
    QCOMPARE(u.CounterDigits(), 1);
    QCOMPARE(u.NameDelimiter(), std::string(","));  // the delimiter also parts the address from its country
    QCOMPARE(u.CounterSymbol(), std::string());
    QCOMPARE(u.PortNumbers(), std::string());
    QCOMPARE(u.GenerateCountMode(), TGenerateCounts::gcAllCount);
    C<QCheckBox>("CheckBox3")->setChecked(true);
    QVERIFY_THROWS_EXCEPTION(korrin::Exception, W->CopySettingsToUtils());
    C<QLineEdit>("Edit5")->setText("$10");
    QVERIFY(W->CopySettingsToUtils());
    QCOMPARE(u.FirstCounter(), 16);
    QCOMPARE(u.CounterStep(), 7);
    QCOMPARE(u.NameDelimiter(), std::string(","));
  }

  void anEngineErrorShowsOneErrorBoxAndItsStatus() {
    TypeRanges("10.0.0.0/8");
    ClickRadio("RadioButton2");
    C<QLineEdit>("Edit1")->setText("2000000");
    Generate();
    const QString message = "Too many IPs (2,000,000)\r\nMax. IP count: 1,000,000";
    QCOMPARE(Boxes->Texts(), QStringList{message});
    QCOMPARE(int(Boxes->Shown[0].Kind), int(TMessageKind::mkError));
    QCOMPARE(Boxes->Shown[0].Title, W->windowTitle());
    QCOMPARE(C<QLabel>("StatusLabel")->text(), message);
    QVERIFY(C<QPushButton>("StartButton")->isEnabled());
  }

  // The engine names a typo; the window shows its message as it shows every engine error, its
  // counts with thousands separators.
  void aTypoShowsTheEnginesMessage_data() {
    QTest::addColumn<QString>("ports");
    QTest::addColumn<QString>("radio");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("message");
    QTest::newRow("port item") << "80,htps,443"
                               << "RadioButton1"
                               << "10"
                               << "port 'htps' is not a number from 1 to 65,535";
    QTest::newRow("port 65536") << "65536"
                                << "RadioButton1"
                                << "10"
                                << "port '65536' is not a number from 1 to 65,535";
    QTest::newRow("reversed range") << "80-70"
                                    << "RadioButton2"
                                    << "10"
                                    << "port range '80-70' ends below its start";
    QTest::newRow("total 0") << ""
                             << "RadioButton2"
                             << "0"
                             << "Too few IPs (0)\r\nMin. IP count: 1";
    QTest::newRow("each -1") << ""
                             << "RadioButton3"
                             << "-1"
                             << "Too few IPs (-1)\r\nMin. IP count: 1";
  }
  void aTypoShowsTheEnginesMessage() {
    QFETCH(QString, ports);
    QFETCH(QString, radio);
    QFETCH(QString, count);
    QFETCH(QString, message);
    TypeRanges("10.0.0.0/30");
    C<QCheckBox>("CheckBox2")->setChecked(!ports.isEmpty());
    C<QLineEdit>("Edit3")->setText(ports);
    C<QLineEdit>("Edit1")->setText(count);
    C<QLineEdit>("Edit2")->setText(count);
    ClickRadio(radio.toLatin1().constData());
    Generate();
    QCOMPARE(Boxes->Texts(), QStringList{message});
    QCOMPARE(int(Boxes->Shown[0].Kind), int(TMessageKind::mkError));
    QCOMPARE(C<QLabel>("StatusLabel")->text(), message);
    QCOMPARE(C<TLineListEdit>("Memo2")->LineCount(), size_t(0));
  }

  void aCountThatIsNoIntegerStartsNothing() {
    auto* memo2 = C<TLineListEdit>("Memo2");
    QTest::keyClicks(memo2, "kept");
    TypeRanges("10.0.0.0/30");
    C<QLineEdit>("Edit1")->setText("1e3");
    ClickRadio("RadioButton2");
    QTest::mouseClick(C<QPushButton>("StartButton"), Qt::LeftButton);
    QCOMPARE(Boxes->Texts(), QStringList{"'1e3' is not a valid integer value"});
    QVERIFY(!W->Busy());
    QVERIFY(W->Progress().Terminated());
    QCOMPARE(Text("Memo2"), QString("kept"));
    QVERIFY(C<QPushButton>("StartButton")->isEnabled());
    // With "All IPs" the box is not read.
    ClickRadio("RadioButton1");
    Generate();
    QCOMPARE(memo2->LineCount(), size_t(4));
    QCOMPARE(Boxes->Shown.size(), size_t{1});
  }

  void countryCodesComeFromTheChosenDatabase() {
    TypeRanges("81.2.69.160\n2001:218::1");
    C<QCheckBox>("CheckBox7")->setChecked(true);
    C<QLineEdit>("Edit9")->setText(KORRIN_TEST_DATA_DIR "/test-data/GeoIP2-Country-Test.mmdb");
    Generate();
    QCOMPARE(Text("Memo2"), QString("81.2.69.160 GB\n2001:218::1 JP"));
    C<QLineEdit>("Edit9")->setText("/nonexistent/x.mmdb");
    Generate();
    QCOMPARE(Boxes->Texts(), QStringList{"MMDB File not found"});
    QCOMPARE(C<QLabel>("StatusLabel")->text(), QString("MMDB File not found"));
  }

  // A large database written over while a run looks addresses up in it: the user is told it
  // changed, and what was there before the run stays.
  void aDatabaseChangedDuringARunIsToldAndTheListsStay_data() {
    QTest::addColumn<bool>("cut");
    QTest::newRow("cut short") << true;
    QTest::newRow("written over in place by another database") << false;
  }
  void aDatabaseChangedDuringARunIsToldAndTheListsStay() {
    QFETCH(bool, cut);
    const QTemporaryDir folder;
    const QString database = LargeDatabase(folder.path());
    C<QCheckBox>("CheckBox7")->setChecked(true);
    C<QLineEdit>("Edit9")->setText(database);
    C<QComboBox>("ComboBox5")->setCurrentIndex(2);
    TypeRanges("81.2.69.160\n2001:218::1");
    Generate();
    const QString list = "81.2.69.160,GB\n2001:218::1,JP";
    QCOMPARE(Text("Memo2"), list);
    const QString ranges = "10.0.0.0/12";  // a million look-ups: the change lands while they run
    TypeRanges(ranges);
    QTest::mouseClick(C<QPushButton>("StartButton"), Qt::LeftButton);
    // The run has opened the database before it walks the addresses.
    QTRY_VERIFY_WITH_TIMEOUT(W->Progress().Position() >= 1000, 60000);
    QFile file(database);
    if (cut) {
      QVERIFY(file.resize(1 << 20));
    } else {
      QVERIFY(file.open(QIODevice::ReadWrite));
      file.write(ReadFile(KORRIN_TEST_DATA_DIR "/test-data/GeoLite2-City-Test.mmdb"));
      file.close();
    }
    QTRY_VERIFY_WITH_TIMEOUT(!W->Busy(), 120000);
    const QString message =
        "The file \"" + database + "\" changed while it was in use. Open it again once it has been written in full.";
    QCOMPARE(Boxes->Texts(), QStringList{message});
    QCOMPARE(int(Boxes->Shown[0].Kind), int(TMessageKind::mkError));
    QCOMPARE(C<QLabel>("StatusLabel")->text(), message);
    QCOMPARE(Text("Memo2"), list);
    QCOMPARE(Text("Memo1"), ranges);
    QVERIFY(C<QCheckBox>("CheckBox7")->isChecked());
    QCOMPARE(C<QLineEdit>("Edit9")->text(), database);
    QCOMPARE(C<QComboBox>("ComboBox5")->currentIndex(), 2);
    QCOMPARE(C<QComboBox>("MMDBFieldComboBox")->currentText(), QString("country_code"));
    QVERIFY(C<QPushButton>("StartButton")->isEnabled());
  }

  // The field chooser offers what the opened database holds; the column follows the choice, a
  // value holding the delimiter comes quoted, and the choice outlives a restart.
  void theFieldChooserOffersTheDatabasesFields() {
    auto* combo = C<QComboBox>("MMDBFieldComboBox");
    const auto items = [this] { return FieldsOffered(); };
    QCOMPARE(C<QLabel>("Label25")->buddy(), combo);
    QCOMPARE(items(), QStringList{"country_code"});
    QCOMPARE(combo->currentText(), QString("country_code"));
    C<QLineEdit>("Edit9")->setText(KORRIN_TEST_DATA_DIR "/test-data/GeoLite2-ASN-Test.mmdb");
    const QStringList asnFields{"country_code", "autonomous_system_number", "autonomous_system_organization"};
    QCOMPARE(items(), asnFields);
    QCOMPARE(combo->currentText(), QString("country_code"));
    combo->setCurrentIndex(2);
    TypeRanges("1.0.0.1\n23.32.0.1\n10.0.0.1");
    C<QCheckBox>("CheckBox7")->setChecked(true);
    C<QComboBox>("ComboBox5")->setCurrentIndex(2);
    Generate();
    QCOMPARE(Text("Memo2"), QString("1.0.0.1,Google Inc.\n23.32.0.1,\"Akamai Technologies, Inc.\"\n10.0.0.1,"));
    // A database the path does not name offers the country code alone and keeps what was chosen.
    C<QLineEdit>("Edit9")->setText("/nonexistent/x.mmdb");
    QCOMPARE(items(), QStringList{"country_code"});
    QCOMPARE(combo->currentText(), QString("autonomous_system_organization"));
    C<QLineEdit>("Edit9")->setText(KORRIN_TEST_DATA_DIR "/test-data/GeoLite2-ASN-Test.mmdb");
    W->close();
    NewWindow();
    QCOMPARE(items(), asnFields);
    QCOMPARE(C<QComboBox>("MMDBFieldComboBox")->currentText(), QString("autonomous_system_organization"));
  }

  // Neither the start nor typing the path reads the database: the fields are read as the user is
  // about to see them, from the drop-down or from the keys, and read again once the file changed.
  void theFieldChooserReadsTheDatabaseWhenItsFieldsAreWanted_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("the drop-down") << "drop-down";
    QTest::newRow("the keys") << "keys";
  }
  void theFieldChooserReadsTheDatabaseWhenItsFieldsAreWanted() {
    QFETCH(QString, how);
    const QTemporaryDir folder;
    const QString database = folder.filePath("geo.mmdb");
    QVERIFY(QFile::copy(KORRIN_TEST_DATA_DIR "/test-data/GeoLite2-ASN-Test.mmdb", database));
    // A database the settings name at the start.
    C<QLineEdit>("Edit9")->setText(database);
    W->close();
    NewWindow();
    auto* combo = C<QComboBox>("MMDBFieldComboBox");
    // Not read yet: the chooser holds the country code alone until its fields are wanted.
    QCOMPARE(combo->count(), 1);
    const auto offered = [&] {
      if (how == "drop-down") return FieldsOffered();
      // Tabbing into the chooser and stepping down through its fields.
      combo->setFocus(Qt::TabFocusReason);
      QStringList texts{combo->currentText()};
      for (int i = 1; i < combo->count(); ++i) {
        QTest::keyClick(combo, Qt::Key_Down);
        texts << combo->currentText();
      }
      C<QLineEdit>("Edit9")->setFocus();
      combo->setCurrentIndex(0);
      return texts;
    };
    const QStringList asnFields{"country_code", "autonomous_system_number", "autonomous_system_organization"};
    QCOMPARE(offered(), asnFields);
    // Rewritten in place with another database, and a database set after the start.
    {
      QFile file(database);
      QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
      const QByteArray country = ReadFile(KORRIN_TEST_DATA_DIR "/test-data/GeoIP2-Country-Test.mmdb");
      QCOMPARE(file.write(country), country.size());
    }
    const QStringList countryFields = offered();
    QVERIFY(countryFields != asnFields);
    QVERIFY(countryFields.contains("country.iso_code"));
    C<QLineEdit>("Edit9")->setText(KORRIN_TEST_DATA_DIR "/test-data/GeoLite2-ASN-Test.mmdb");
    QCOMPARE(combo->count(), countryFields.size());
    QCOMPARE(offered(), asnFields);
  }

  void countryResolutionWithoutAFileAsksForIt() {
    auto* memo2 = C<TLineListEdit>("Memo2");
    QTest::keyClicks(memo2, "kept");
    TypeRanges("10.0.0.0/30");
    C<QCheckBox>("CheckBox7")->setChecked(true);
    QTest::mouseClick(C<QPushButton>("StartButton"), Qt::LeftButton);
    QCOMPARE(Boxes->Texts(), QStringList{"Please, enter GeoIP2 MMDB File Path"});
    QCOMPARE(int(Boxes->Shown[0].Kind), int(TMessageKind::mkWarning));
    QVERIFY(!W->Busy());
    QCOMPARE(Text("Memo2"), QString("kept"));
  }

  void breakDuringALongJobEndsTerminatedWithTheLinesDelivered() {
    TypeRanges("10.0.0.0/12\n11.0.0.0/12");  // 2,097,152 addresses: far more than a Break lets through
    QTest::mouseClick(C<QPushButton>("StartButton"), Qt::LeftButton);
    auto* breakButton = C<QPushButton>("BreakButton");
    QVERIFY(breakButton->isEnabled());
    QVERIFY(!C<QPushButton>("StartButton")->isEnabled());
    // The run's lines will replace the list: it takes no typing meanwhile and says why.
    auto* output = C<TLineListEdit>("Memo2");
    output->setFocus();
    QTest::keyClicks(output, "typed");
    QCOMPARE(output->LineCount(), size_t(0));
    QTRY_COMPARE(QToolTip::text(), QString("The list is being generated; it can be edited when the run ends."));
    QVERIFY(!C<QPushButton>("Button10")->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(W->Progress().Position() >= 1000, 60000);
    QTest::mouseClick(breakButton, Qt::LeftButton);
    QVERIFY(!breakButton->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!W->Busy(), 120000);
    QCOMPARE(C<QLabel>("StatusLabel")->text(), QString("Terminated."));
    const size_t lines = C<TLineListEdit>("Memo2")->LineCount();
    QVERIFY2(lines >= 1000 && lines < 2097152, qPrintable(QString::number(lines)));
    QCOMPARE(C<TLineListEdit>("Memo2")->Lines()[0], std::string_view("10.0.0.0"));
    QVERIFY(C<QPushButton>("StartButton")->isEnabled());
    QVERIFY(Boxes->Shown.empty());
    QVERIFY(!output->IsReadOnly());
    QVERIFY(C<QPushButton>("Button10")->isEnabled());
  }

  void randomOrderWithATotalGivesAFairSample() {
    TypeRanges("10.0.0.0/24");
    ClickRadio("RadioButton2");
    C<QLineEdit>("Edit1")->setText("2");
    C<QCheckBox>("CheckBox1")->setChecked(true);
    // Each run draws afresh; two fair picks of a /24 share a half in about 127 of 255 runs.
    int sameHalf = 0;
    for (int run = 0; run < 60; ++run) {
      Generate();
      const QStringList two = Text("Memo2").split('\n');
      QCOMPARE(two.size(), 2);
      QVERIFY(two[0] != two[1]);
      QVERIFY(two[0].startsWith("10.0.0.") && two[1].startsWith("10.0.0."));
      sameHalf += (two[0].section('.', 3).toInt() < 128) == (two[1].section('.', 3).toInt() < 128);
    }
    QVERIFY2(sameHalf > 10 && sameHalf < 50, qPrintable(QString::number(sameHalf)));
  }

  void shuffleKeepsEveryLine() {
    TypeRanges("10.0.0.0/26");
    Generate();
    const QStringList before = Text("Memo2").split('\n');
    QTest::mouseClick(C<QPushButton>("Button10"), Qt::LeftButton);
    QStringList after = Text("Memo2").split('\n');
    QCOMPARE(after.size(), 64);
    QVERIFY(after != before);  // 1 in 64! to fail by chance
    after.sort();
    QStringList sorted = before;
    sorted.sort();
    QCOMPARE(after, sorted);
    QTest::mouseClick(C<QPushButton>("Button2"), Qt::LeftButton);
    QCOMPARE(C<QLabel>("Label2")->text(), QString("IPs (0):"));
    QTest::mouseClick(C<QPushButton>("Button10"), Qt::LeftButton);  // an empty list stays empty
    QCOMPARE(Text("Memo2"), QString());
  }

  void saveToFileWritesTheChosenDelimiterOnlyBetweenLines() {
    QTemporaryDir dir;
    TypeRanges("10.0.0.0/31\n10.0.0.4/32");
    Generate();
    const QString file = dir.filePath("ips.txt");
    const struct {
      int index;
      QByteArray content;
    } cases[] = {
        {0, "10.0.0.0\r\n10.0.0.1\r\n10.0.0.4"}, {1, "10.0.0.0,10.0.0.1,10.0.0.4"}, {2, "10.0.0.0;10.0.0.1;10.0.0.4"}};
    TSaveAs saveAs(file);
    for (const auto& c : cases) {
      C<QComboBox>("ComboBox2")->setCurrentIndex(c.index);
      QTest::mouseClick(C<QPushButton>("Button3"), Qt::LeftButton);
      QCOMPARE(ReadFile(file), c.content);
    }
    QTest::mouseClick(C<QPushButton>("Button2"), Qt::LeftButton);
    QTest::mouseClick(C<QPushButton>("Button3"), Qt::LeftButton);
    QCOMPARE(ReadFile(file), QByteArray());
    QVERIFY(Boxes->Shown.empty());
  }

  void aFileThatCannotBeWrittenIsReported() {
    TSaveAs saveAs("/nonexistent-folder/ips.txt");
    QTest::mouseClick(C<QPushButton>("Button3"), Qt::LeftButton);
    QCOMPARE(Boxes->Shown.size(), size_t{1});
    QCOMPARE(int(Boxes->Shown[0].Kind), int(TMessageKind::mkError));
  }

  void closingDuringAJobEndsItFirst() {
    TypeRanges("10.0.0.0/12");
    QTest::mouseClick(C<QPushButton>("StartButton"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(W->Progress().Position() >= 100, 60000);
    W->close();
    QTRY_VERIFY_WITH_TIMEOUT(!W->isVisible(), 60000);
    QVERIFY(!W->Busy());
    QCOMPARE(C<QLabel>("StatusLabel")->text(), QString("Terminated."));
  }

  void destroyingTheWindowDuringAJobWaitsForIt() {
    TypeRanges("10.0.0.0/12");
    QTest::mouseClick(C<QPushButton>("StartButton"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(W->Progress().Position() >= 100, 60000);
    W.reset();  // no use after free under the sanitizers
  }

  void reverseLookupFillsBothResultLists() {
    const auto server = OddServer();
    SetText("Memo2", "10.0.0.1\n10.0.0.2:80\n10.0.0.2:81\nmail 10.0.0.3 US\n10.0.0.4");
    SetText("Memo3", "old");
    SetText("Memo5", QString::fromStdString(server->Address()));
    QTest::mouseClick(C<QPushButton>("Button5"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!W->Busy(), 30000);
    QCOMPARE(Text("Memo3"), QString("10.0.0.1,h1.example\n10.0.0.3,h3.example"));
    QCOMPARE(Text("Memo4"), QString("10.0.0.2\n10.0.0.4"));
    QCOMPARE(C<QLabel>("Label4")->text(), QString("Resolved IPs - IP,Domain (2):"));
    QCOMPARE(C<QLabel>("Label5")->text(), QString("Unresolved IPs (2):"));
    QCOMPARE(C<QLabel>("Label7")->text(), QString("4"));
    QCOMPARE(C<QProgressBar>("ProgressBar1")->value(), 4);
    QCOMPARE(server->Queries().size(), size_t{4});
    QVERIFY(C<QPushButton>("Button5")->isEnabled());
    QTest::mouseClick(C<QPushButton>("Button8"), Qt::LeftButton);
    QCOMPARE(Text("Memo3") + Text("Memo4"), QString());
    QVERIFY(Boxes->Shown.empty());
  }

  void reverseLookupWithoutServersSaysSo() {
    SetText("Memo4", "old");
    SetText("Memo5", "\n\n");
    QTest::mouseClick(C<QPushButton>("Button5"), Qt::LeftButton);
    QCOMPARE(Boxes->Texts(), QStringList{"No DNS Servers specified"});
    QCOMPARE(Boxes->Shown[0].Title, QString("Error"));
    QCOMPARE(Text("Memo4"), QString());
    QVERIFY(!W->Busy());
    QTest::mouseClick(C<QPushButton>("Button1"), Qt::LeftButton);
    QCOMPARE(Text("Memo5"), Text("Memo8"));
  }

  void aWaitingQueryKeepsTheWindowAnsweringAndBreakEndsTheBatch() {
    const auto server = SilentServer();
    SetText("Memo2", "10.0.0.1\n10.0.0.2\n10.0.0.3");
    SetText("Memo5", QString::fromStdString(server->Address()));
    C<QSpinBox>("QueriesInFlightSpinBox")->setValue(1);
    QTest::mouseClick(C<QPushButton>("Button5"), Qt::LeftButton);
    QVERIFY(!C<QPushButton>("Button5")->isEnabled());  // no second, nested batch
    QTRY_COMPARE_WITH_TIMEOUT(server->Queries().size(), size_t{1}, 5000);
    // The window answers during the query's wait.
    QTest::mouseClick(C<QPushButton>("Button1"), Qt::LeftButton);
    QCOMPARE(Text("Memo5"), Text("Memo8"));
    // Break does not wait out the query's five seconds: the query is dropped.
    QTest::mouseClick(C<QPushButton>("Button9"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!W->Busy(), 2000);
    QCOMPARE(Text("Memo4"), QString());
    QCOMPARE(C<QLabel>("Label7")->text(), QString("0"));
    QCOMPARE(server->Queries().size(), size_t{1});
  }

  void theListsAndCountsGrowWhileTheBatchRuns() {
    // Addresses up to .3 are answered at once (.2 with no such name), the rest never.
    const auto server = std::make_unique<TFakeDnsServer>([](const TBytes& q) {
      const std::string name = QuestionName(q);
      const int last = std::stoi(name.substr(0, name.find('.')));
      if (last > 3) return std::vector<TFakeDatagram>{};
      const TBytes reply = last == 2 ? Cat({Header(QueryId(q), 0x8183, 1, 0, 0, 0), Question(q)})
                                     : Cat({Header(QueryId(q), 0x8180, 1, 1, 0, 0), Question(q),
                                            Record({0xC0, 12}, kDnsTypePTR, WireName("h.example"))});
      return std::vector<TFakeDatagram>{{reply}};
    });
    // The lines of the comma delimiter, which the window's choice names.
    C<QComboBox>("ComboBox5")->setCurrentIndex(2);
    SetText("Memo2", "a,10.0.0.1,US\nb,10.0.0.2,US\nc,10.0.0.3,US\nd,10.0.0.4,US");
    C<QPlainTextEdit>("Memo5")->setPlainText(QString::fromStdString(server->Address()));
    QTest::mouseClick(C<QPushButton>("Button5"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(C<QLabel>("Label7")->text(), QString("3"), 3000);
    QVERIFY(W->Busy());
    QCOMPARE(Text("Memo3"), QString("10.0.0.1,h.example\n10.0.0.3,h.example"));
    QCOMPARE(Text("Memo4"), QString("10.0.0.2"));
    QCOMPARE(C<QLabel>("Label4")->text(), QString("Resolved IPs - IP,Domain (2):"));
    QCOMPARE(C<QProgressBar>("ProgressBar1")->maximum(), 4);
    auto* resolved = C<TLineListEdit>("Memo3");
    resolved->setFocus();
    QTest::keyClick(resolved, Qt::Key_Delete);
    QCOMPARE(Text("Memo3"), QString("10.0.0.1,h.example\n10.0.0.3,h.example"));
    QTRY_COMPARE(QToolTip::text(), QString("The lookup adds to this list; it can be edited when the lookup ends."));
    QTest::mouseClick(C<QPushButton>("Button9"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!W->Busy(), 2000);
    QCOMPARE(C<QLabel>("Label7")->text(), QString("3"));
  }

  void aServerThatNeverAnswersIsNamedInTheStatus() {
    const auto good = OddServer();
    const auto silent = SilentServer();
    const QString silentAddress = QString::fromStdString(silent->Address());
    SetText("Memo2", "10.0.0.1\n10.0.0.3");
    C<QPlainTextEdit>("Memo5")->setPlainText(QString::fromStdString(good->Address()) + "\n" + silentAddress);
    QTest::mouseClick(C<QPushButton>("Button5"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!W->Busy(), 30000);
    // 10.0.0.3 waited out the silent server and was asked of the other one.
    QCOMPARE(Text("Memo3"), QString("10.0.0.1,h1.example\n10.0.0.3,h3.example"));
    QCOMPARE(C<QLabel>("StatusLabel")->text(),
             "Looked up 2 of 2: 2 resolved\nDNS server " + silentAddress + " answered no query");
  }

  void theStatusCountsEachReasonAndBreakSaysWhereItStopped() {
    // .1 is answered, .2 has no such name, .3 is refused, the rest are never answered.
    const auto server = std::make_unique<TFakeDnsServer>([](const TBytes& q) {
      const std::string name = QuestionName(q);
      const int last = std::stoi(name.substr(0, name.find('.')));
      if (last >= 4) return std::vector<TFakeDatagram>{};
      const TBytes reply = last == 1 ? Cat({Header(QueryId(q), 0x8180, 1, 1, 0, 0), Question(q),
                                            Record({0xC0, 12}, kDnsTypePTR, WireName("h.example"))})
                                     : Cat({Header(QueryId(q), last == 2 ? 0x8183 : 0x8185, 1, 0, 0, 0), Question(q)});
      return std::vector<TFakeDatagram>{{reply}};
    });
    W->Lookup().Options().WaitingTime = 600000;
    SetText("Memo2", "10.0.0.1\n10.0.0.2\n10.0.0.3\n10.0.0.4\n10.0.0.5");
    SetText("Memo5", QString::fromStdString(server->Address()));
    QTest::mouseClick(C<QPushButton>("Button5"), Qt::LeftButton);
    const QString counts = "3 of 5: 1 resolved, 1 NXDOMAIN, 1 REFUSED";
    QTRY_COMPARE_WITH_TIMEOUT(C<QLabel>("StatusLabel")->text(), "Looking up " + counts, 5000);
    QTest::mouseClick(C<QPushButton>("Button9"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!W->Busy(), 2000);
    QCOMPARE(C<QLabel>("StatusLabel")->text(), "Stopped after " + counts);
    // The generation's progress, which repaints the same line every second, keeps it.
    QTest::qWait(1200);
    QCOMPARE(C<QLabel>("StatusLabel")->text(), "Stopped after " + counts);
  }

  void theStatusWarnsWhenNoServerAnswersForAWait() {
    const auto server = SilentServer();
    W->Lookup().Options().WaitingTime = 300;
    W->Lookup().Options().Retries = 0;
    QStringList addresses;
    for (int i = 1; i <= 40; ++i) addresses << QStringLiteral("10.0.0.%1").arg(i);
    SetText("Memo2", addresses.join('\n'));
    SetText("Memo5", QString::fromStdString(server->Address()));
    C<QSpinBox>("QueriesInFlightSpinBox")->setValue(1);
    QTest::mouseClick(C<QPushButton>("Button5"), Qt::LeftButton);
    const QRegularExpression running(
        "^Looking up ([1-9]\\d*) of 40: \\1 timed out\n"
        "No DNS server has answered for 0.3 s: the queries are timing out$");
    QTRY_VERIFY_WITH_TIMEOUT(running.match(C<QLabel>("StatusLabel")->text()).hasMatch(), 10000);
    QTest::mouseClick(C<QPushButton>("Button9"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!W->Busy(), 2000);
    const QString stopped = C<QLabel>("StatusLabel")->text();
    const QRegularExpression end("^Stopped after ([1-9]\\d*) of 40: \\1 timed out\nDNS server " +
                                 QRegularExpression::escape(QString::fromStdString(server->Address())) +
                                 " answered no query$");
    QVERIFY2(end.match(stopped).hasMatch(), qPrintable(stopped));
  }

  void closingDuringABatchEndsItFirst() {
    const auto server = SilentServer();
    SetText("Memo2", "10.0.0.1\n10.0.0.2\n10.0.0.3");
    SetText("Memo5", QString::fromStdString(server->Address()));
    C<QSpinBox>("QueriesInFlightSpinBox")->setValue(1);
    QTest::mouseClick(C<QPushButton>("Button5"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(server->Queries().size(), size_t{1}, 5000);
    W->close();
    QVERIFY(W->isVisible());  // the batch thread ends first
    QVERIFY(C<QLabel>("StatusLabel")->text().startsWith("Closing when the running DNS query ends"));
    QTRY_VERIFY_WITH_TIMEOUT(!W->isVisible(), 2000);
    QCOMPARE(server->Queries().size(), size_t{1});
  }

  static QString SettingsFile() {
    return QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).filePath("Korrin2/korrin2.ini");
  }

  void theChoicesAndStoredSetsPersistAcrossARestart() {
    TypeRanges("10.0.0.0/30\n\n; comment");
    C<QCheckBox>("CheckBox4")->setChecked(true);
    SetText("Memo6", "*.0");
    C<QCheckBox>("CheckBox7")->setChecked(true);
    C<QLineEdit>("Edit9")->setText("/data/country.mmdb");
    ClickRadio("RadioButton2");
    C<QLineEdit>("Edit1")->setText("007");
    C<QCheckBox>("CheckBox3")->setChecked(true);
    C<QComboBox>("ComboBox1")->setCurrentText("@");
    C<QComboBox>("ComboBox5")->setCurrentIndex(4);
    C<QLineEdit>("Edit8")->setText("::");
    C<QComboBox>("ComboBox3")->setCurrentIndex(2);
    SetText("Memo5", "127.0.0.1");
    C<QSpinBox>("QueriesInFlightSpinBox")->setValue(7);
    QTest::keyClicks(C<QLineEdit>("SettingsNameEdit"), "Night run");
    QTest::mouseClick(C<QPushButton>("SettingsSaveButton"), Qt::LeftButton);
    W->close();
    QVERIFY(QFile::exists(SettingsFile()));
    NewWindow();
    QCOMPARE(Text("Memo1"), QString("10.0.0.0/30\n; comment"));  // empty lines are not kept
    QVERIFY(C<QCheckBox>("CheckBox4")->isChecked());
    QCOMPARE(Text("Memo6"), QString("*.0"));
    QVERIFY(C<QCheckBox>("CheckBox7")->isChecked());
    QCOMPARE(C<QLineEdit>("Edit9")->text(), QString("/data/country.mmdb"));
    QVERIFY(C<QRadioButton>("RadioButton2")->isChecked());
    QCOMPARE(C<QLineEdit>("Edit1")->text(), QString("7"));
    QVERIFY(C<QCheckBox>("CheckBox3")->isChecked());
    QCOMPARE(C<QLabel>("Label2")->text(), QString("Name IPs (0):"));
    QCOMPARE(C<QComboBox>("ComboBox1")->currentText(), QString("@"));
    QCOMPARE(C<QComboBox>("ComboBox5")->currentIndex(), 4);
    QVERIFY(!C<QLineEdit>("Edit8")->isHidden());
    QCOMPARE(C<QLineEdit>("Edit8")->text(), QString("::"));
    QCOMPARE(C<QComboBox>("ComboBox3")->currentIndex(), 2);
    QCOMPARE(Text("Memo5"), QString("127.0.0.1"));
    QCOMPARE(C<QSpinBox>("QueriesInFlightSpinBox")->value(), 7);
    QCOMPARE(C<QListView>("SettingsListBox")->model()->rowCount(), 1);
    QCOMPARE(C<QListView>("SettingsListBox")->model()->index(0, 0).data().toString(), QString("Night run"));
    QVERIFY(Boxes->Shown.empty());
  }

  void onlyAnAcceptedStartWritesTheSettingsFile() {
    TypeRanges("10.0.0.0/30");
    C<QLineEdit>("Edit1")->setText("1e3");
    ClickRadio("RadioButton2");
    QTest::mouseClick(C<QPushButton>("StartButton"), Qt::LeftButton);
    QVERIFY(!QFile::exists(SettingsFile()));
    C<QLineEdit>("Edit1")->setText("2");
    Generate();
    QVERIFY(ReadFile(SettingsFile()).contains("TotalCount=2\r\n"));
  }

  void aStoredSetSavesLoadsAndDeletes() {
    auto* name = C<QLineEdit>("SettingsNameEdit");
    auto* list = C<QListView>("SettingsListBox");
    QAbstractItemModelTester modelChecks(list->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QTest::keyClicks(name, "A");
    for (const char* b : {"SettingsSaveButton", "SettingsLoadButton", "SettingsDeleteButton"})
      QVERIFY2(C<QPushButton>(b)->isEnabled(), b);
    TypeRanges("10.1.0.0/24");
    C<QCheckBox>("CheckBox1")->setChecked(true);
    ClickRadio("RadioButton3");
    QTest::mouseClick(C<QPushButton>("SettingsSaveButton"), Qt::LeftButton);
    QCOMPARE(list->model()->rowCount(), 1);

    TypeRanges("192.168.0.0/16");
    C<QCheckBox>("CheckBox1")->setChecked(false);
    ClickRadio("RadioButton1");
    name->setText("a");  // names match without regard to case
    QTest::mouseClick(C<QPushButton>("SettingsLoadButton"), Qt::LeftButton);
    QCOMPARE(Text("Memo1"), QString("10.1.0.0/24"));
    QVERIFY(C<QCheckBox>("CheckBox1")->isChecked());
    QVERIFY(C<QRadioButton>("RadioButton3")->isChecked());

    name->clear();
    QVERIFY(!C<QPushButton>("SettingsLoadButton")->isEnabled());
    list->show();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(0, 0)).center());
    QCOMPARE(name->text(), QString("A"));
    QTest::mouseClick(C<QPushButton>("SettingsDeleteButton"), Qt::LeftButton);
    QCOMPARE(list->model()->rowCount(), 0);
    QTest::mouseClick(C<QPushButton>("SettingsLoadButton"), Qt::LeftButton);
    QTest::mouseClick(C<QPushButton>("SettingsDeleteButton"), Qt::LeftButton);
    QCOMPARE(Boxes->Texts(), QStringList({"Settings \"A\" not found", "Settings \"A\" not found"}));
    QCOMPARE(Boxes->Shown[0].Title, QString("Load Settings"));
    QCOMPARE(Boxes->Shown[1].Title, QString("Delete Settings"));
    QCOMPARE(int(Boxes->Shown[1].Kind), int(TMessageKind::mkWarning));
  }

  void aDamagedSettingsFileStillOpensTheWindow() {
    NewWindowOverSettings(
        "Mode=7\r\nTotalCount=abc\r\nNameDelimiter=9\r\nIPRangeN=3\r\nIPRange1=10.0.0.0/30\r\nIPRange3=10.9.0.0/"
        "30\r\n\xff\xfe");
    QVERIFY(C<QRadioButton>("RadioButton1")->isChecked());
    QCOMPARE(C<QLineEdit>("Edit1")->text(), QString("10"));
    QCOMPARE(C<QComboBox>("ComboBox5")->currentIndex(), 0);
    QCOMPARE(Text("Memo1"), QString("10.0.0.0/30\n10.9.0.0/30"));
  }

  // A settings file the window cannot read (here a folder of that name, whoever runs the test):
  // the window says so and keeps it unless the user agrees to replace it, and then keeps it beside.
  void anUnreadableSettingsFileIsReplacedOnlyWithConsent() {
    W.reset();
    QVERIFY(QDir().mkpath(SettingsFile()));
    QFile inside(SettingsFile() + "/inside");
    QVERIFY(inside.open(QIODevice::WriteOnly));
    inside.close();
    Boxes->Answer = true;  // keep it
    NewWindow();
    QCOMPARE(Boxes->Shown.size(), size_t{1});
    QVERIFY(Boxes->Texts()[0].startsWith("Cannot open file \"" + SettingsFile() + "\". Is a directory"));
    QVERIFY(Boxes->Texts()[0].contains("Keep the settings file as it is?"));
    TypeRanges("10.0.0.0/30");
    Generate();
    QCOMPARE(Text("Memo2"), QString("10.0.0.0\n10.0.0.1\n10.0.0.2\n10.0.0.3"));
    W->close();
    QVERIFY(QFileInfo(SettingsFile()).isDir());
    QCOMPARE(Boxes->Shown.size(), size_t{1});

    Boxes->Answer = false;  // replace it
    NewWindow();
    TypeRanges("10.9.0.0/30");
    W->close();
    QVERIFY(QFileInfo(SettingsFile()).isFile());
    QVERIFY(ReadFile(SettingsFile()).contains("IPRange1=10.9.0.0/30\r\n"));
    QVERIFY(QFile::exists(SettingsFile() + ".unreadable/inside"));
  }

  // A save that fails at a start (the file turned unreadable after the window read it) warns once
  // and the run goes on: generating needs no disk.
  void aFailedSaveWarnsAndTheRunGoesOn() {
    QVERIFY(QDir().mkpath(SettingsFile()));
    TypeRanges("10.0.0.0/31");
    Generate();
    QCOMPARE(Text("Memo2"), QString("10.0.0.0\n10.0.0.1"));
    QCOMPARE(Boxes->Shown.size(), size_t{1});
    QCOMPARE(int(Boxes->Shown[0].Kind), int(TMessageKind::mkWarning));
    QVERIFY(Boxes->Texts()[0].endsWith("The settings were not saved; the run goes on."));
    Generate();
    QCOMPARE(Boxes->Shown.size(), size_t{1});  // the same reason is not repeated
    // Once a save works again, the next failure is told anew, though its reason is the same.
    QVERIFY(QDir(SettingsFile()).removeRecursively());
    Generate();
    QVERIFY(QFileInfo(SettingsFile()).isFile());
    QCOMPARE(Boxes->Shown.size(), size_t{1});
    QVERIFY(QFile::remove(SettingsFile()));
    QVERIFY(QDir().mkpath(SettingsFile()));
    Generate();
    QCOMPARE(Boxes->Shown.size(), size_t{2});
    QCOMPARE(Boxes->Texts()[1], Boxes->Texts()[0]);
  }

  void typedFirstLastRangesGenerateEveryAddress() {
    TypeRanges("10.0.0.1-10.0.0.5");
    Generate();
    QCOMPARE(Text("Memo2"), QString("10.0.0.1\n10.0.0.2\n10.0.0.3\n10.0.0.4\n10.0.0.5"));
    QCOMPARE(C<QLabel>("StatusLabel")->text(), QString("5 IPs generated."));
    QVERIFY(!C<QCheckBox>("CheckBox6")->toolTip().isEmpty());
  }

  void aBadLineIsNamedInTheStatusAfterTheResult() {
    TypeRanges("10.0.0.0/30\n10.0.0.256/30\n; comment\n1.2.3.4.5");
    Generate();
    QCOMPARE(Text("Memo2"), QString("10.0.0.0\n10.0.0.1\n10.0.0.2\n10.0.0.3"));
    QCOMPARE(C<QLabel>("StatusLabel")->text(),
             QString("4 IPs generated. 2 range lines skipped: line 2 '10.0.0.256/30': IPv4 part '256' is not a "
                     "number from 0 to 255"));
    QVERIFY(Boxes->Shown.empty());
  }

  // Ranges that repeat addresses are named after the result; "Each address once" takes the ranges
  // as one set and is kept with the other choices.
  void eachAddressOnceTakesTheRangesAsOneSet() {
    TypeRanges("10.0.0.0/30\n10.0.0.2/31");
    Generate();
    QCOMPARE(Text("Memo2"), QString("10.0.0.0\n10.0.0.1\n10.0.0.2\n10.0.0.3\n10.0.0.2\n10.0.0.3"));
    QCOMPARE(C<QLabel>("StatusLabel")->text(),
             QString("6 IPs generated. 2 addresses repeat: line 2 '10.0.0.2/31' repeats addresses of the lines "
                     "before it"));
    C<QCheckBox>("UniqueCheckBox")->setChecked(true);
    Generate();
    QCOMPARE(Text("Memo2"), QString("10.0.0.0\n10.0.0.1\n10.0.0.2\n10.0.0.3"));
    QCOMPARE(C<QLabel>("StatusLabel")->text(), QString("4 IPs generated."));
    W->close();
    NewWindow();
    QVERIFY(C<QCheckBox>("UniqueCheckBox")->isChecked());
    QVERIFY(Boxes->Shown.empty());
  }

  void aTypoInTheExclusionsIsNamedInAnErrorBoxAndNothingIsGenerated() {
    TypeRanges("10.0.0.0/30");
    C<QCheckBox>("CheckBox4")->setChecked(true);
    SetText("Memo6", "10.0.0.1 # gateway\n10.0.0.256");
    Generate();
    const QString message = "'10.0.0.256' is an invalid exclusion: IPv4 part '256' is not a number from 0 to 255";
    QCOMPARE(Boxes->Texts(), QStringList{message});
    QCOMPARE(Text("Memo2"), QString());
    SetText("Memo6", "10.0.0.1 # gateway\n[10.0.0.2]");
    Generate();
    QCOMPARE(Text("Memo2"), QString("10.0.0.0\n10.0.0.3"));
  }

  // A file written before the range forms and network exclusions: the same choices, the same lines.
  void anOlderSettingsFileLoadsAsBefore() {
    NewWindowOverSettings(
        "IPRangeN=2\r\nIPRange1=A=10.0.0.0/29\r\nIPRange2=; note\r\nExclude=1\r\nExcludeN=1\r\n"
        "Exclude1=*.[1-3]\r\nEscapeIPv6=1\r\n");
    QCOMPARE(Text("Memo1"), QString("A=10.0.0.0/29\n; note"));
    QVERIFY(C<QCheckBox>("CheckBox4")->isChecked());
    QCOMPARE(Text("Memo6"), QString("*.[1-3]"));
    Generate();
    QCOMPARE(Text("Memo2"), QString("10.0.0.0\n10.0.0.4\n10.0.0.5\n10.0.0.6\n10.0.0.7"));
    QCOMPARE(C<QLabel>("StatusLabel")->text(), QString("5 IPs generated."));
  }

  void editsInTheListAreWhatSaveAndTheLookupRead() {
    const auto server = OddServer();
    TypeRanges("10.0.0.0/30");
    Generate();
    auto* list = C<TLineListEdit>("Memo2");
    list->SetCursor({1, 8});
    QTest::keyClicks(list, "1");
    list->SetCursor({2, 0});
    QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(Text("Memo2"), QString("10.0.0.0\n10.0.0.11\n10.0.0.3"));
    QCOMPARE(C<QLabel>("Label2")->text(), QString("IPs (3):"));
    QTemporaryDir dir;
    TSaveAs saveAs(dir.filePath("ips.txt"));
    ActivateWindow();
    list->setFocus();
    QTest::keyClick(list, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(ReadFile(dir.filePath("ips.txt")), QByteArray("10.0.0.0\r\n10.0.0.11\r\n10.0.0.3"));
    SetText("Memo5", QString::fromStdString(server->Address()));
    QTest::mouseClick(C<QPushButton>("Button5"), Qt::LeftButton);
    QTest::keyClicks(C<TLineListEdit>("Memo3"), "typed while the batch runs");
    QTRY_VERIFY_WITH_TIMEOUT(!W->Busy(), 15000);
    QCOMPARE(Text("Memo3"), QString("10.0.0.11,h11.example\n10.0.0.3,h3.example"));
    QCOMPARE(Text("Memo4"), QString("10.0.0.0"));
    QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Text("Memo2"), QString("10.0.0.0\n10.0.0.11\n10.0.0.2\n10.0.0.3"));
    QVERIFY(Boxes->Shown.empty());
  }

  // Tab never types into a box (a tab would be saved and used as part of a range, mask or
  // server); around the database box it runs from the path to its buttons.
  void tabMovesTheFocusFromEveryBox() {
    ActivateWindow();
    C<QCheckBox>("CheckBox4")->setChecked(true);
    for (const char* name : {"Memo1", "Memo6", "Memo5", "Memo2"}) {
      QWidget* box = C<QWidget>(name);
      box->setFocus();
      QVERIFY2(box->hasFocus(), name);
      QTest::keyClick(box, Qt::Key_Tab);
      QVERIFY2(!box->hasFocus(), name);
      QVERIFY2(!Text(name).contains('\t'), name);
    }
    C<QLineEdit>("Edit9")->setFocus();
    QStringList order;
    for (int i = 0; i < 2; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      order << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(order, QStringList({"Button4", "Button11"}));
  }

  void theKeyboardRunsAndBreaksAndTheFocusStays() {
    ActivateWindow();
    TypeRanges("10.0.0.0/22");
    auto* ranges = C<QPlainTextEdit>("Memo1");
    ranges->setFocus();
    QTest::keyClick(ranges, Qt::Key_Return, Qt::ControlModifier);
    QTRY_VERIFY_WITH_TIMEOUT(!W->Busy(), 60000);
    QCOMPARE(Text("Memo1"), QString("10.0.0.0/22"));
    QCOMPARE(C<QLabel>("StatusLabel")->text(), QString("1,024 IPs generated."));
    QCOMPARE(C<QLabel>("Label2")->text(), QString("IPs (1,024):"));

    auto* start = C<QPushButton>("StartButton");
    start->setFocus();
    QTest::keyClick(start, Qt::Key_Space);
    QTRY_VERIFY_WITH_TIMEOUT(!W->Busy(), 60000);
    QCOMPARE(QApplication::focusWidget(), start);

    TypeRanges("10.0.0.0/12\n11.0.0.0/12");
    QTest::keyClick(ranges, Qt::Key_Return, Qt::ControlModifier);
    QVERIFY(W->Busy());
    QTRY_VERIFY_WITH_TIMEOUT(W->Progress().Position() >= 1000, 60000);
    QTest::keyClick(ranges, Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!W->Busy(), 120000);
    QCOMPARE(C<QLabel>("StatusLabel")->text(), QString("Terminated."));
  }

  void everyInputAndButtonHasANameOfItsOwnForAScreenReader() {
    QStringList names;
    for (QWidget* w : W->findChildren<QWidget*>()) {
      const bool input = qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractScrollArea*>(w) ||
                         qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
                         qobject_cast<QAbstractButton*>(w);
      QWidget* parent = w->parentWidget();
      if (!input || !w->isVisibleTo(W.get()) || qobject_cast<QComboBox*>(parent) ||
          qobject_cast<QAbstractSpinBox*>(parent))
        continue;
      QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
      QString name = a->text(QAccessible::Name);
      // On Linux a combo box's name is its value; the reader names it by its label relation.
      if (qobject_cast<QComboBox*>(w)) {
        name = w->accessibleName();
        for (const auto& [label, relation] : a->relations(QAccessible::Label))
          if (name.isEmpty()) name = label->text(QAccessible::Name);
      }
      QVERIFY2(!name.isEmpty(), qPrintable(w->objectName()));
      names << name;
    }
    QVERIFY(names.size() > 20);
    QVERIFY2(QSet<QString>(names.begin(), names.end()).size() == names.size(), qPrintable(names.join('|')));
    QCOMPARE(QAccessible::queryAccessibleInterface(C<QLineEdit>("Edit1"))->text(QAccessible::Name),
             QString("Total Count"));
    QCOMPARE(QAccessible::queryAccessibleInterface(C<QLineEdit>("Edit2"))->text(QAccessible::Name),
             QString("Count for Each Range"));
    QCOMPARE(QAccessible::queryAccessibleInterface(C<TLineListEdit>("Memo2"))->text(QAccessible::Name),
             QString("IPs (0):"));
  }

  void ctrlQClosesTheWindow() {
    ActivateWindow();
    QVERIFY(W->isVisible());
    QTest::keyClick(W.get(), Qt::Key_Q, Qt::ControlModifier);
    QTRY_VERIFY(!W->isVisible());
  }

  // Alt and a letter reach the boxes through their labels and toggle the check boxes.
  void altKeysReachTheInputs_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("input");
    QTest::newRow("ranges") << int(Qt::Key_I) << "Memo1";
    QTest::newRow("servers") << int(Qt::Key_D) << "Memo5";
    QTest::newRow("queries in flight") << int(Qt::Key_Q) << "QueriesInFlightSpinBox";
    QTest::newRow("database") << int(Qt::Key_M) << "Edit9";
    QTest::newRow("counter symbol") << int(Qt::Key_C) << "ComboBox1";
    QTest::newRow("exclude") << int(Qt::Key_X) << "CheckBox4";
    QTest::newRow("country") << int(Qt::Key_Y) << "CheckBox7";
  }
  void altKeysReachTheInputs() {
    QFETCH(int, key);
    QFETCH(QString, input);
    ActivateWindow();
    auto* target = W->findChild<QWidget*>(input);
    auto* check = qobject_cast<QCheckBox*>(target);
    const bool wasChecked = check && check->isChecked();
    QTest::keyClick(W.get(), Qt::Key(key), Qt::AltModifier);
    QTRY_COMPARE(QApplication::focusWidget(), target);
    if (check) QTRY_COMPARE(check->isChecked(), !wasChecked);
  }

  // No two controls claim one Alt key: the letters a caption can give and a digit go to the most used
  // controls (there are more controls than keys).
  void noTwoControlsShareAnAltKey() {
    const QStringList repeated = RepeatedMnemonics(W.get());
    QVERIFY2(repeated.isEmpty(), qPrintable(repeated.join("; ")));
    QVERIFY(Mnemonics(W.get()).size() >= 25);
  }

  void everyInputHasATooltipWithItsSyntax() {
    int inputs = 0;
    for (QWidget* w : W->findChildren<QWidget*>()) {
      const bool input = qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w) ||
                         qobject_cast<QComboBox*>(w) || qobject_cast<TLineListEdit*>(w) ||
                         qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w) || qobject_cast<QListView*>(w) ||
                         qobject_cast<QAbstractSpinBox*>(w);
      bool insideCombo = false;
      for (QWidget* p = w->parentWidget(); p && !insideCombo; p = p->parentWidget())
        insideCombo = qobject_cast<QComboBox*>(p) != nullptr || qobject_cast<QAbstractSpinBox*>(p) != nullptr;
      if (!input || insideCombo) continue;
      ++inputs;
      QVERIFY2(!w->toolTip().isEmpty(), qPrintable(w->objectName()));
    }
    QVERIFY(inputs >= 35);
    const struct {
      const char* name;
      const char* example;
    } syntax[] = {{"Memo1", "10.0.0.1-10.0.0.5"}, {"Memo1", "/16/24"}, {"Memo6", "*.0"}, {"Memo6", "10.0.0.0/25"},
                  {"Edit3", "3128-3130"},         {"Edit4", "%s"},     {"Edit4", "%1"},  {"Memo5", ":5353"},
                  {"Memo5", "[2001:db8::53]"}};
    for (const auto& s : syntax) QVERIFY2(C<QWidget>(s.name)->toolTip().contains(s.example), s.name);
    QCOMPARE(C<QLabel>("Label3")->text(), QString("GeoIP2 &MMDB File:"));
  }

  // At the desktop's font sizes no caption is cut, the window fits a 1366x768 screen, and
  // growing the window gives the room to the lists.
  void layoutAtLargerFonts_data() {
    QTest::addColumn<int>("points");
    QTest::newRow("10 pt") << 10;
    QTest::newRow("12 pt") << 12;
  }
  void layoutAtLargerFonts() {
    QFETCH(int, points);
    NewWindowAtFontSize(points);
    const QSize least = W->minimumSizeHint();
    QVERIFY2(least.width() <= 1366 && least.height() <= 768 - 64,
             qPrintable(QString("%1x%2").arg(least.width()).arg(least.height())));
    W->resize(1366, 768 - 64);
    QCoreApplication::processEvents();
    for (QWidget* w : W->findChildren<QWidget*>()) {
      auto* label = qobject_cast<QLabel*>(w);
      auto* button = qobject_cast<QAbstractButton*>(w);
      if (!w->isVisible() || (!label && !button) || (label && label->wordWrap())) continue;
      const QSize need = w->minimumSizeHint();
      QVERIFY2(w->width() >= need.width() && w->height() >= need.height(), qPrintable(QString("%1: %2x%3 < %4x%5")
                                                                                          .arg(w->objectName())
                                                                                          .arg(w->width())
                                                                                          .arg(w->height())
                                                                                          .arg(need.width())
                                                                                          .arg(need.height())));
    }
    auto* output = C<QWidget>("Memo2");
    auto* resolved = C<QWidget>("Memo3");
    const QSize before(output->height(), resolved->width());
    W->resize(1366 + 200, 768 - 64 + 200);
    QCoreApplication::processEvents();
    QVERIFY(output->height() >= before.width() + 150);
    QVERIFY(resolved->width() + output->width() >= before.height() + 150);
  }

  // The window opens within the free area of its screen whatever the font, centred on it; at the
  // default font its layout fits half of a 1920-pixel screen without scrolling.
  void theWindowFitsItsScreen_data() {
    QTest::addColumn<int>("points");
    QTest::newRow("default font") << 0;
    QTest::newRow("12 pt") << 12;
    QTest::newRow("14 pt") << 14;
  }
  void theWindowFitsItsScreen() {
    QFETCH(int, points);
    if (points) NewWindowAtFontSize(points);
    else
      QVERIFY2(C<QWidget>("WindowContent")->minimumSizeHint().width() <= 1920 / 2,
               qPrintable(QString::number(C<QWidget>("WindowContent")->minimumSizeHint().width())));
    const QRect screen = W->screen()->availableGeometry();
    QVERIFY2(screen.contains(W->frameGeometry()), qPrintable(QString("%1,%2 %3x%4")
                                                                 .arg(W->frameGeometry().x())
                                                                 .arg(W->frameGeometry().y())
                                                                 .arg(W->frameGeometry().width())
                                                                 .arg(W->frameGeometry().height())));
    QVERIFY(std::abs(W->geometry().center().x() - screen.center().x()) <= 1);
  }

  void sizePlaceAndSplitterAreRestored() {
    W->setGeometry(40, 70, 700, 500);
    auto* splitter = C<QSplitter>("Splitter1");
    splitter->setSizes({400, splitter->width() - splitter->handleWidth() - 400});
    const QList<int> sizes = splitter->sizes();
    W->close();
    NewWindow();
    QCOMPARE(W->geometry(), QRect(40, 70, 700, 500));
    QCOMPARE(C<QSplitter>("Splitter1")->sizes(), sizes);
  }

  // The database's viewer, opened by "View..." beside the window.
  QWidget* OpenViewer() {
    C<QLineEdit>("Edit9")->setText(KORRIN_TEST_DATA_DIR "/test-data/GeoIP2-Country-Test.mmdb");
    QTest::mouseClick(C<QPushButton>("Button4"), Qt::LeftButton);
    for (QWidget* window : QApplication::topLevelWidgets())
      if (window->isVisible() && window->findChild<QWidget*>("SourceView", Qt::FindDirectChildrenOnly)) return window;
    return nullptr;
  }

  void theViewersSizeIsKept() {
    QWidget* viewer = OpenViewer();
    QVERIFY(viewer);
    viewer->resize(viewer->minimumSizeHint().width() + 5, 400);
    const QSize kept = viewer->size();
    viewer->close();
    W->close();
    NewWindow();
    viewer = OpenViewer();
    QVERIFY(viewer);
    QCOMPARE(viewer->size(), kept);
    viewer->close();
    // One kept on a larger screen opens within this one.
    NewWindowOverSettings("ViewerSize=5000x4000\r\n");
    viewer = OpenViewer();
    QVERIFY(viewer);
    QVERIFY(W->screen()->availableGeometry().contains(viewer->frameGeometry()));
    viewer->close();
  }

  // A place saved on a larger screen, or one that is gone, is brought onto this one.
  void aPlaceOffThisScreenIsBroughtOntoIt() {
    QWidget elsewhere;
    elsewhere.setGeometry(3000, 2000, 2500, 1600);
    NewWindowOverSettings("WindowGeometry=" + elsewhere.saveGeometry().toBase64() + "\r\n");
    QVERIFY(W->screen()->availableGeometry().contains(W->frameGeometry()));
    NewWindowOverSettings("WindowGeometry=bm90IGEgZ2VvbWV0cnk=\r\nWindowSplitter=%%%\r\n");
    QVERIFY(W->screen()->availableGeometry().contains(W->frameGeometry()));
  }

  // Under a dark palette every caption, the link and the texts of a run read as well as the
  // desktop's own.
  void textsAreReadableUnderADarkPalette() {
    const QPalette desktop = QApplication::palette();
    QApplication::setPalette(DarkPalette());
    NewWindow();
    W->resize(C<QWidget>("WindowContent")->minimumSizeHint());  // every text in view
    TypeRanges("10.0.0.0/30");
    Generate();
    const QStringList unreadable = UnreadableTexts(W.get());
    QApplication::setPalette(desktop);
    QVERIFY2(unreadable.isEmpty(), qPrintable(unreadable.join("; ")));
  }

  // With KORRIN_SCREENSHOT_DIR set: the window after a million-line run, scrolled to the middle
  // of the list, at 10 and 12 pt, and at 10 pt under a dark palette.
  void screenshotAfterAMillionLines_data() {
    QTest::addColumn<int>("points");
    QTest::addColumn<bool>("dark");
    QTest::addColumn<QString>("file");
    QTest::newRow("10 pt") << 10 << false << "main-window-10pt.png";
    QTest::newRow("12 pt") << 12 << false << "main-window-12pt.png";
    QTest::newRow("dark") << 10 << true << "main-window-dark.png";
  }
  void screenshotAfterAMillionLines() {
    QFETCH(int, points);
    QFETCH(bool, dark);
    QFETCH(QString, file);
    const QString folder = qEnvironmentVariable("KORRIN_SCREENSHOT_DIR");
    if (folder.isEmpty()) QSKIP("set KORRIN_SCREENSHOT_DIR to a folder to write the screenshots");
    const QPalette desktop = QApplication::palette();
    if (dark) QApplication::setPalette(DarkPalette());
    NewWindowAtFontSize(points);
    // The window's default size, not the test screen's.
    W->resize(C<QWidget>("WindowContent")->minimumSizeHint().expandedTo(QSize(1047, 686)));
    TypeRanges("10.0.0.0/12");
    Generate();
    auto* list = C<TLineListEdit>("Memo2");
    QCOMPARE(list->LineCount(), size_t(1048576));
    list->SetCursor({524288, 0});
    list->ScrollToLine(524288 - 5);
    const bool saved = W->grab().save(QDir(folder).filePath(file));
    QApplication::setPalette(desktop);
    QVERIFY(saved);
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
