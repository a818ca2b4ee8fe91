#include "gui/forms/base_form.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QUrl>
#include <algorithm>

#include "common/text.h"

namespace korrin {

TVForm::TVForm(QWidget* parent) : QWidget(parent) {}

QString TVForm::PleaseEnter(const QString& Values) { return QStringLiteral("Please, enter %1").arg(Values); }

bool TVForm::Box(TMessageKind Kind, const QString& Title, const QString& Text) {
  return ShowMessage(this, {Kind, Title, Text, false});
}

bool TVForm::SysBox(TMessageKind Kind, const QString& Title, const QString& Text) {
  return ShowMessage(this, {Kind, Title, Text, true});
}

bool TVForm::CheckNotEmpty(const QString& AValue, const QString& AName) { return CheckIf(!AValue.isEmpty(), AName); }

bool TVForm::CheckIf(bool AExpression, const QString& AName) {
  if (!AExpression) WarnPleaseEnter(AName);
  return AExpression;
}

bool TVForm::CheckExpr(bool AExpr, const QString& AWarning) {
  if (!AExpr && !AWarning.isEmpty()) Warning(AWarning);
  return AExpr;
}

bool TVForm::CheckFileExists(const QString& AFileName, const QString& ATitle) {
  if (!CheckNotEmpty(AFileName, ATitle)) return false;
  if (QFileInfo(AFileName).isFile()) return true;
  Warning(QStringLiteral("%1 file not found: %2").arg(ATitle, AFileName));
  return false;
}

bool TVForm::CheckStrToInt(const QString& AValue, const QString& AName, int32_t* AIntValue) {
  const auto v = TryStrToInt(AValue.toStdString());
  if (!v) return CheckIf(false, AName);
  if (AIntValue) *AIntValue = *v;
  return true;
}

bool TVForm::CheckStrToInt(const QString& AValue, const QString& AName, int32_t AMin, int32_t* AIntValue) {
  const auto v = TryStrToInt(AValue.toStdString());
  if (!v || *v < AMin) return CheckIf(false, QStringLiteral("%1 (>= %2)").arg(AName).arg(AMin));
  if (AIntValue) *AIntValue = *v;
  return true;
}

bool TVForm::CheckStrToInt(const QString& AValue, const QString& AName, int32_t AMin, int32_t AMax,
                           int32_t* AIntValue) {
  const auto v = TryStrToInt(AValue.toStdString());
  if (!v || *v < AMin || *v > AMax)
    return CheckIf(false, QStringLiteral("%1 (>= %2, <= %3)").arg(AName).arg(AMin).arg(AMax));
  if (AIntValue) *AIntValue = *v;
  return true;
}

bool TVForm::CheckListNotEmpty(const QStringList& List, const QString& AName, bool ANotEmptyLines) {
  const bool ok = ANotEmptyLines ? std::any_of(List.begin(), List.end(), [](const QString& s) { return !s.isEmpty(); })
                                 : !List.isEmpty();
  return CheckIf(ok, AName);
}

bool TVForm::SetComboIndex(QComboBox* ComboBox, int Index) {
  if (Index < 0 || Index >= ComboBox->count()) return false;
  ComboBox->setCurrentIndex(Index);
  return true;
}

bool TVForm::SetComboText(QComboBox* ComboBox, const QString& Text) {
  for (int i = 0; i < ComboBox->count(); ++i) {
    if (ComboBox->itemText(i).compare(Text, Qt::CaseInsensitive) == 0) {
      ComboBox->setCurrentIndex(i);
      return true;
    }
  }
  return false;
}

void TVForm::CenterOnScreen() {
  if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

void TVForm::EnableDroppingFile(QWidget* Control) {
  if (!Control || IsDropFileCtrl(Control)) return;
  fDropFileCtrls.emplace_back(Control);
  // Text boxes take drops on their viewport; the filter sees them there before the box pastes a URL.
  QWidget* target = Control;
  if (auto* area = qobject_cast<QAbstractScrollArea*>(Control)) target = area->viewport();
  Control->setAcceptDrops(true);
  target->setAcceptDrops(true);
  target->installEventFilter(this);
}

bool TVForm::IsDropFileCtrl(const QWidget* Control) const {
  return std::any_of(fDropFileCtrls.begin(), fDropFileCtrls.end(),
                     [Control](const QPointer<QWidget>& c) { return c == Control; });
}

bool TVForm::eventFilter(QObject* watched, QEvent* event) {
  const auto type = event->type();
  if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
    return QWidget::eventFilter(watched, event);
  auto* drop = static_cast<QDropEvent*>(event);
  if (!drop->mimeData()->hasUrls()) return QWidget::eventFilter(watched, event);
  QWidget* control = qobject_cast<QWidget*>(watched);
  if (control && !IsDropFileCtrl(control)) control = control->parentWidget();
  if (!control) return false;
  drop->acceptProposedAction();
  if (type == QEvent::Drop) {
    QStringList files;
    for (const QUrl& url : drop->mimeData()->urls())
      if (url.isLocalFile()) files << url.toLocalFile();
    HandleDropFiles(control, files);
  }
  return true;
}

void TVForm::HandleDropFiles(QWidget* Control, const QStringList& Files) {
  auto* edit = qobject_cast<QLineEdit*>(Control);
  auto* memo = qobject_cast<QPlainTextEdit*>(Control);
  auto* list = qobject_cast<QListWidget*>(Control);
  for (const QString& name : Files) {
    if (list) DoDropFileItem(list, name);
    else if (edit) DoDropFile(edit, name);
  }
  if (memo) DoDropFiles(memo, Files);
}

void TVForm::DoDropFileItem(QListWidget* ListView, const QString& FileName) {
  bool handled = false;
  if (fOnDropFileItem) fOnDropFileItem(ListView, FileName, handled);
  if (handled || !ListView) return;
  auto* item = new QListWidgetItem(FileName, ListView);
  DoFileItemDropped(ListView, FileName, item);
}

void TVForm::DoDropFile(QLineEdit* Edit, const QString& FileName) {
  bool handled = false;
  if (fOnDropFile) fOnDropFile(Edit, FileName, handled);
  if (handled) return;
  Edit->setText(FileName);
  DoFileDropped(Edit, FileName);
}

void TVForm::DoDropFiles(QPlainTextEdit* Memo, const QStringList& Files) {
  bool handled = false;
  if (fOnDropFiles) fOnDropFiles(Memo, Files, handled);
  if (handled || !Memo) return;
  for (const QString& f : Files) Memo->appendPlainText(f);
  DoFilesDropped(Memo, Files);
}

void TVForm::DoFileItemDropped(QListWidget* ListView, const QString& FileName, QListWidgetItem* Item) {
  if (fOnFileItemDropped) fOnFileItemDropped(ListView, FileName, Item);
}

void TVForm::DoFileDropped(QLineEdit* Edit, const QString& FileName) {
  if (fOnFileDropped) fOnFileDropped(Edit, FileName);
}

void TVForm::DoFilesDropped(QPlainTextEdit* Memo, const QStringList& Files) {
  if (fOnFilesDropped) fOnFilesDropped(Memo, Files);
}

QString FormatAppTitleVersion(const QString& AppTitle, const QString& AppVersion, bool No64DebugInfo,
                              const QStringList& Args) {
  QString title = AppTitle + QLatin1Char(' ') + AppVersion;
  if (No64DebugInfo) return title;
  const qsizetype i = Args.indexOf(QStringLiteral("-applabel"));
  if (i >= 0 && i + 1 < Args.size()) title += QLatin1Char(' ') + Args[i + 1];
  return title;
}

QString FormatAppTitleVersion(const QString& AppTitle, const QString& AppVersion, bool No64DebugInfo) {
  return FormatAppTitleVersion(AppTitle, AppVersion, No64DebugInfo, QCoreApplication::arguments().mid(1));
}

void ExploreToFile(const QString& FileName) {
  if (FileName.isEmpty()) return;
  const QFileInfo info(FileName);
  // The portable file-manager call opens a folder; it cannot preselect the file in it.
  if (info.exists() || QFileInfo(info.absolutePath()).isDir())
    QDesktopServices::openUrl(QUrl::fromLocalFile(info.absolutePath()));
}

}  // namespace korrin
