#include "gui/forms/multi_input_box.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>

#include "common/text.h"
#include "gui/forms/band_dialog.h"

namespace korrin {

namespace {

// One box: the question icon, the text, the fields the caller adds, OK and Cancel.
class TInputDialog : public TBandDialog {
 public:
  TInputDialog(QWidget* AOwner, const QString& ATitle, const QString& AText)
      : TBandDialog(AOwner, ATitle), FOK(new QPushButton(QStringLiteral("OK"))) {
    SetIcon(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
    if (!AText.isEmpty()) AddText(AText);
    FOK->setObjectName(QStringLiteral("OKButton"));
    FOK->setDefault(true);
    auto* cancel = FCancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(FOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    AddButton(FOK);
    AddButton(cancel);
  }

  void SetVerifier(std::function<bool()> Verifier) {
    FVerifier = std::move(Verifier);
    Verify();
  }
  void Verify() { FOK->setEnabled(!FVerifier || FVerifier()); }

  // A one-line field whose letter case is forced as CharCase says, verified after every change.
  QLineEdit* AddEdit(const QString& Value, TEditCharCase CharCase) {
    auto* edit = new QLineEdit(Value);
    edit->setObjectName(QStringLiteral("InputEdit"));
    BandLayout()->addWidget(edit);
    if (CharCase != TEditCharCase::ecNormal)
      connect(edit, &QLineEdit::textEdited, edit, [edit, CharCase](const QString& text) {
        const QString forced = CharCase == TEditCharCase::ecUpperCase ? text.toUpper() : text.toLower();
        if (forced == text) return;
        const int cursor = edit->cursorPosition();
        edit->setText(forced);
        edit->setCursorPosition(cursor);
      });
    connect(edit, &QLineEdit::textChanged, this, [this] { Verify(); });
    return edit;
  }

  // Start, when given, takes the focus in place of the first field.
  bool Run(QWidget* Start = nullptr) {
    // The fields are made after the buttons; the user starts typing in the first field, and Tab
    // runs through the fields, then OK and Cancel.
    QList<QWidget*> fields;
    CollectFields(BandLayout(), fields);
    fields << FOK << FCancel;
    for (qsizetype i = 1; i < fields.size(); ++i) setTabOrder(fields[i - 1], fields[i]);
    if (!Start && fields.size() > 2) Start = fields.first();
    if (Start) {
      Start->setFocus();
      if (auto* edit = qobject_cast<QLineEdit*>(Start)) edit->selectAll();
      if (auto* spin = qobject_cast<QAbstractSpinBox*>(Start)) spin->selectAll();
    }
    return exec() == QDialog::Accepted;
  }

 private:
  static void CollectFields(QLayout* Layout, QList<QWidget*>& Fields) {
    for (int i = 0; i < Layout->count(); ++i) {
      QLayoutItem* item = Layout->itemAt(i);
      if (QWidget* w = item->widget(); w && (w->focusPolicy() & Qt::TabFocus)) Fields << w;
      else if (item->layout()) CollectFields(item->layout(), Fields);
    }
  }

  QPushButton* FOK;
  QPushButton* FCancel;
  std::function<bool()> FVerifier;
};

bool CharAllowed(QChar c, TAllowOnlyOptions allow) {
  switch (c.unicode()) {
    case u' ': return allow & aoSpace;
    case u'.': return allow & aoPeriod;
    case u',': return allow & aoComma;
    case u';': return allow & aoSemicolon;
    case u'-': return allow & aoHyphenMinus;
    case u'+': return allow & aoPlus;
    case u'_': return allow & aoUnderscore;
    case u'*': return allow & aoAsterisk;
    default: break;
  }
  if (c >= u'0' && c <= u'9') return allow & aoDigits;
  if (c >= u'A' && c <= u'Z') return allow & aoCapitalAZ;
  if (c >= u'a' && c <= u'z') return allow & aoSmallAZ;
  return (allow & aoLetters) && c.isLetter();
}

}  // namespace

bool TMultiInputBox::TextAllowed(const QString& Text, bool AAllowEmptyString, TAllowOnlyOptions AAllowOnly) {
  if (Text.isEmpty()) return AAllowEmptyString;
  if (AAllowOnly == 0) return true;
  if (AAllowOnly & aoLetters) AAllowOnly |= aoAZ;
  if (AAllowOnly & aoAZ) AAllowOnly |= aoCapitalAZ | aoSmallAZ;
  for (QChar c : Text)
    if (!CharAllowed(c, AAllowOnly)) return false;
  return true;
}

bool TMultiInputBox::TextInputBox(QWidget* AOwner, const QString& ATitle, const QString& AText, QString& Value,
                                  TEditCharCase ACharCase, bool AAllowEmptyString, TAllowOnlyOptions AAllowOnly) {
  return TextInputBoxEx(AOwner, ATitle, AText, Value, ACharCase,
                        [=](const QString& text) { return TextAllowed(text, AAllowEmptyString, AAllowOnly); });
}

bool TMultiInputBox::CharInputBox(QWidget* AOwner, const QString& ATitle, const QString& AText, QChar& Value,
                                  TEditCharCase ACharCase, TAllowOnlyOptions AAllowOnly) {
  TInputDialog box(AOwner, ATitle, AText);
  QLineEdit* edit = box.AddEdit(Value.isNull() ? QString() : QString(Value), ACharCase);
  edit->setMaxLength(1);
  box.SetVerifier([=] { return TextAllowed(edit->text(), false, AAllowOnly); });
  if (!box.Run()) return false;
  Value = edit->text().at(0);
  return true;
}

bool TMultiInputBox::TextInputBoxEx(QWidget* AOwner, const QString& ATitle, const QString& AText, QString& Value,
                                    TEditCharCase ACharCase, const TInputVerifierFunc& AInputVerifierFunc) {
  TInputDialog box(AOwner, ATitle, AText);
  QLineEdit* edit = box.AddEdit(Value, ACharCase);
  box.SetVerifier([=] { return !AInputVerifierFunc || AInputVerifierFunc(edit->text()); });
  if (!box.Run()) return false;
  Value = edit->text();
  return true;
}

bool TMultiInputBox::NumInputBox(QWidget* AOwner, const QString& ATitle, const QString& AText, int32_t& Value,
                                 int32_t AMin, int32_t AMax) {
  TInputDialog box(AOwner, ATitle, AText);
  auto* spin = new QSpinBox;
  spin->setObjectName(QStringLiteral("InputSpin"));
  spin->setRange(AMin, AMax);
  spin->setGroupSeparatorShown(false);
  spin->setValue(Value);
  box.BandLayout()->addWidget(spin);
  // The spin box's editor, whose every change counts, also those its filter holds as unfinished.
  const QLineEdit* edit = spin->findChild<QLineEdit*>();
  const auto accepted = [=]() -> std::optional<int32_t> {
    const std::optional<int32_t> value = TryStrToInt(edit->text().toStdString());
    if (value && *value >= AMin && *value <= AMax) return value;
    return std::nullopt;
  };
  QObject::connect(edit, &QLineEdit::textChanged, &box, [&box] { box.Verify(); });
  box.SetVerifier([=] { return accepted().has_value(); });
  if (!box.Run()) return false;
  Value = *accepted();
  return true;
}

bool TMultiInputBox::FloatInputBox(QWidget* AOwner, const QString& ATitle, const QString& AText, double& Value,
                                   double AMin, double AMax) {
  TInputDialog box(AOwner, ATitle, AText);
  const QLocale locale;
  QLineEdit* edit = box.AddEdit(locale.toString(Value, 'g', QLocale::FloatingPointShortest), TEditCharCase::ecNormal);
  const auto accepted = [=](double& value) {
    bool ok = false;
    value = locale.toDouble(edit->text(), &ok);
    return ok && value >= AMin && value <= AMax;
  };
  box.SetVerifier([=] {
    double value;
    return accepted(value);
  });
  double value;
  if (!box.Run() || !accepted(value)) return false;
  Value = value;
  return true;
}

bool TMultiInputBox::OptionsSelectBox(QWidget* AOwner, const QString& ATitle, const QString& AText,
                                      const std::vector<TMultiSelectOption>& AOptions, int32_t& AChecked) {
  TInputDialog box(AOwner, ATitle, AText);
  std::vector<QCheckBox*> checks;
  std::vector<QLineEdit*> edits;
  for (size_t i = 0; i < AOptions.size(); ++i) {
    auto* check = new QCheckBox(AOptions[i].Caption);
    check->setObjectName(QStringLiteral("Option%1").arg(i));
    check->setChecked(i < 32 && (static_cast<uint32_t>(AChecked) >> i) & 1u);
    box.BandLayout()->addWidget(check);
    checks.push_back(check);
    QLineEdit* edit = nullptr;
    if (AOptions[i].pValue) {
      edit = new QLineEdit(*AOptions[i].pValue);
      edit->setObjectName(QStringLiteral("OptionEdit%1").arg(i));
      auto* indented = new QHBoxLayout;
      indented->setContentsMargins(16, 0, 0, 0);
      indented->addWidget(edit);
      box.BandLayout()->addLayout(indented);
    }
    edits.push_back(edit);
  }
  // Typing goes into the text of the first checked option that has one: a search box starts in
  // its search text.
  QLineEdit* start = nullptr;
  for (size_t i = 0; i < edits.size() && !start; ++i)
    if (edits[i] && checks[i]->isChecked()) start = edits[i];
  if (!box.Run(start)) return false;
  uint32_t checked = 0;
  for (size_t i = 0; i < checks.size() && i < 32; ++i)
    if (checks[i]->isChecked()) checked |= 1u << i;
  AChecked = static_cast<int32_t>(checked);
  for (size_t i = 0; i < AOptions.size(); ++i)
    if (edits[i]) *AOptions[i].pValue = edits[i]->text();
  return true;
}

}  // namespace korrin
