#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>
#include <vector>

#include "gui/forms/base_form.h"
#include "gui/forms/browse_button.h"
#include "gui/forms/dialog_hooks.h"
#include "gui/forms/link_label.h"
#include "tests/support/dialog_recorders.h"

using namespace korrin;

using TMessageRecorder = test::TMessageBoxRecorder;
using TDialogRecorder = test::TFileDialogRecorder;

static void DropFiles(QWidget* target, const QStringList& files) {
  QMimeData mime;
  QList<QUrl> urls;
  for (const QString& f : files) urls << QUrl::fromLocalFile(f);
  mime.setUrls(urls);
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &enter);
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &drop);
}

class FormsTest : public QObject {
  Q_OBJECT

 private slots:
  void messageBoxesAreTitledWithTheCaptionUnlessGivenATitle() {
    TMessageRecorder rec;
    TVForm form;
    form.setWindowTitle("Korrin 2.0");
    form.ErrorMessage("broken");
    form.Warning("Own title", "careful");
    form.InformationFmt("%d files, %s", 3, "done");
    rec.Answer = false;
    QVERIFY(!form.Confirm("Delete?"));
    form.SysWarning("System", "above all");
    QCOMPARE(rec.Shown.size(), size_t{5});
    QCOMPARE(int(rec.Shown[0].Kind), int(TMessageKind::mkError));
    QCOMPARE(rec.Shown[0].Title, QString("Korrin 2.0"));
    QCOMPARE(rec.Shown[1].Title, QString("Own title"));
    QCOMPARE(rec.Shown[2].Text, QString("3 files, done"));
    QCOMPARE(int(rec.Shown[3].Kind), int(TMessageKind::mkConfirm));
    QVERIFY(rec.Shown[4].SystemModal);
  }

  void checksWarnInTheStandardWording() {
    TMessageRecorder rec;
    TVForm form;
    int32_t v = -1;
    QVERIFY(form.CheckStrToInt("7", "Count", 1, 10, &v));
    QCOMPARE(v, 7);
    QVERIFY(!form.CheckStrToInt("0", "Count", 1, 10));
    QVERIFY(!form.CheckStrToInt("abc", "Count", 1));
    QVERIFY(!form.CheckStrToInt("1e3", "Count"));
    QVERIFY(!form.CheckNotEmpty("", "GeoIP2 MMDB File Path"));
    QVERIFY(!form.CheckFileExists("", "MMDB"));
    QVERIFY(!form.CheckFileExists("/nonexistent/x.mmdb", "MMDB"));
    QVERIFY(!form.CheckExpr(false, ""));  // no warning without a text
    QVERIFY(!form.CheckListNotEmpty({"", ""}, "Ranges", true));
    QVERIFY(form.CheckListNotEmpty({"", ""}, "Ranges", false));
    QStringList texts;
    for (const auto& r : rec.Shown) texts << r.Text;
    QCOMPARE(texts, QStringList({"Please, enter Count (>= 1, <= 10)", "Please, enter Count (>= 1)",
                                 "Please, enter Count", "Please, enter GeoIP2 MMDB File Path", "Please, enter MMDB",
                                 "MMDB file not found: /nonexistent/x.mmdb", "Please, enter Ranges"}));
  }

  void titleVersionTakesTheFirstAppLabel() {
    QCOMPARE(FormatAppTitleVersion("Korrin", "2.0", false, {"-x", "-applabel", "Test", "-applabel", "B"}),
             QString("Korrin 2.0 Test"));
    QCOMPARE(FormatAppTitleVersion("Korrin", "2.0", false, {"-applabel"}), QString("Korrin 2.0"));
    QCOMPARE(FormatAppTitleVersion("Korrin", "2.0", true, {"-applabel", "Test"}), QString("Korrin 2.0"));
  }

  void droppedFilesFillEditsMemosAndLists() {
    TVForm form;
    auto* edit = new QLineEdit(&form);
    auto* memo = new QPlainTextEdit(&form);
    auto* list = new QListWidget(&form);
    auto* other = new QLineEdit(&form);
    for (QWidget* w : {static_cast<QWidget*>(edit), static_cast<QWidget*>(memo), static_cast<QWidget*>(list)})
      form.EnableDroppingFile(w);
    form.EnableDroppingFile(edit);  // registering twice changes nothing
    QStringList dropped;
    form.SetOnFileDropped([&](QLineEdit*, const QString& f) { dropped << f; });
    DropFiles(edit, {"/tmp/a.mmdb", "/tmp/b.mmdb"});
    QCOMPARE(edit->text(), QString("/tmp/b.mmdb"));
    QCOMPARE(dropped, QStringList({"/tmp/a.mmdb", "/tmp/b.mmdb"}));
    DropFiles(memo->viewport(), {"/tmp/a.txt", "/tmp/b.txt"});
    QCOMPARE(memo->toPlainText(), QString("/tmp/a.txt\n/tmp/b.txt"));
    DropFiles(list->viewport(), {"/tmp/c.csv"});
    QCOMPARE(list->count(), 1);
    DropFiles(other, {"/tmp/x"});
    QCOMPARE(other->text(), QString());
    // A handler that takes the drop keeps the box as it was.
    form.SetOnDropFile([](QLineEdit*, const QString&, bool& handled) { handled = true; });
    DropFiles(edit, {"/tmp/c.mmdb"});
    QCOMPARE(edit->text(), QString("/tmp/b.mmdb"));
  }

  void browseStartsFromTheEditAndFillsItOnlyWhenConfirmed() {
    QTemporaryDir dir;
    QFile file(dir.filePath("db.mmdb"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    TDialogRecorder dialogs;
    TVForm form;
    auto* edit = new QLineEdit(&form);
    auto* button = new TButtonEx("Browse...", &form);
    QStringList paths;
    TFileDialogRequest dialog;
    dialog.Filter = "MMDB files (*.mmdb);;All files (*)";
    button->SetBrowse(edit, dialog, [&](TButtonEx*, const QString& p) { paths << p; });

    edit->setText(dir.path());
    button->click();  // cancelled
    QCOMPARE(dialogs.Requests.back().Directory, dir.path());
    QCOMPARE(dialogs.Requests.back().FileName, QString());
    QCOMPARE(dialogs.Requests.back().Filter, dialog.Filter);
    QCOMPARE(edit->text(), dir.path());
    QVERIFY(paths.isEmpty());

    edit->setText(file.fileName());
    dialogs.Answer = {dir.filePath("other.mmdb")};
    button->click();
    QCOMPARE(dialogs.Requests.back().Directory, dir.path());
    QCOMPARE(dialogs.Requests.back().FileName, QString("db.mmdb"));
    QCOMPARE(int(dialogs.Requests.back().Kind), int(TFileDialogKind::fdOpenFile));
    QCOMPARE(edit->text(), dir.filePath("other.mmdb"));
    QCOMPARE(paths, QStringList({dir.filePath("other.mmdb")}));

    // Binding the edit registered it for dropped files with the window.
    DropFiles(edit, {"/tmp/dropped.mmdb"});
    QCOMPARE(edit->text(), QString("/tmp/dropped.mmdb"));
  }

  void browseIntoAMemoAddsEveryChosenFile() {
    TDialogRecorder dialogs;
    TVForm form;
    auto* memo = new QPlainTextEdit(&form);
    auto* button = new TButtonEx("Browse...", &form);
    button->SetBrowse(memo, {});
    memo->setPlainText("/srv/one.txt\n\n");
    dialogs.Answer = {"/srv/a.txt", "/srv/b.txt"};
    button->click();
    QCOMPARE(int(dialogs.Requests.back().Kind), int(TFileDialogKind::fdOpenFiles));
    QCOMPARE(dialogs.Requests.back().Directory, QString("/srv"));
    QCOMPARE(dialogs.Requests.back().FileName, QString());
    QVERIFY(memo->toPlainText().endsWith("/srv/a.txt\n/srv/b.txt"));
  }

  void folderAndListBrowsing() {
    TDialogRecorder dialogs;
    TVForm form;
    auto* edit = new QLineEdit("/var", &form);
    auto* list = new QListWidget(&form);
    auto* folder = new TButtonEx("...", &form);
    auto* files = new TButtonEx("...", &form);
    QStringList got;
    folder->SetBrowseFolder(edit, [&](TButtonEx*, const QString& p) { got << p; });
    files->SetBrowseList(list, {}, [&](TButtonEx*, const QStringList& l) { got << l; });
    dialogs.Answer = {"/usr"};
    folder->click();
    QCOMPARE(dialogs.Requests.back().Title, QString("Select Directory"));
    QCOMPARE(dialogs.Requests.back().Directory, QString("/var"));
    QCOMPARE(edit->text(), QString("/usr"));
    dialogs.Answer = {"/usr/a", "/usr/b"};
    files->click();
    QCOMPARE(list->count(), 2);
    QCOMPARE(got, QStringList({"/usr", "/usr/a", "/usr/b"}));
  }

  void linkLabelRunsItsClosureRatherThanItsLink() {
    TLabelEx label("maker");
    int clicks = 0;
    label.SetLink("https://korrin.example.org/");
    label.SetLink("Maker", [&](TLabelEx*) { ++clicks; });
    label.resize(80, 20);
    QTest::mouseClick(&label, Qt::LeftButton);
    QCOMPARE(clicks, 1);
    QCOMPARE(label.text(), QString("Maker"));
    QCOMPARE(label.cursor().shape(), Qt::PointingHandCursor);
  }

  void clickHandlerReceivesTheButton() {
    TButtonEx button("Run");
    TButtonEx* sender = nullptr;
    button.SetClickHandler([&](TButtonEx* b) { sender = b; });
    button.click();
    QCOMPARE(sender, &button);
  }
};

QTEST_MAIN(FormsTest)
#include "forms_test.moc"
