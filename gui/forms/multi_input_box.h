#pragma once
// Small modal input dialogs built at run time: text, one character, an integer with a spin box,
// a decimal number, and a list of check-box options some with a text field. Each enables OK only
// for acceptable input; each returns true when confirmed and changes the value only then.
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

class QWidget;

namespace korrin {

// Bits of TAllowOnlyOptions.
enum TAllowOnlyOption : uint32_t {
  aoCapitalAZ = 1u << 0,
  aoSmallAZ = 1u << 1,
  aoAZ = 1u << 2,
  aoLetters = 1u << 3,  // any letter, of any alphabet
  aoDigits = 1u << 4,
  aoSpace = 1u << 5,
  aoPeriod = 1u << 6,
  aoComma = 1u << 7,
  aoSemicolon = 1u << 8,
  aoHyphenMinus = 1u << 9,
  aoPlus = 1u << 10,
  aoUnderscore = 1u << 11,
  aoAsterisk = 1u << 12,
};
using TAllowOnlyOptions = uint32_t;

enum class TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

using TInputVerifierFunc = std::function<bool(const QString& Text)>;

struct TMultiSelectOption {
  QString Caption;
  QString* pValue = nullptr;  // shows a text field under the check box
};

class TMultiInputBox {
 public:
  static bool TextInputBox(QWidget* AOwner, const QString& ATitle, const QString& AText, QString& Value,
                           TEditCharCase ACharCase = TEditCharCase::ecNormal, bool AAllowEmptyString = false,
                           TAllowOnlyOptions AAllowOnly = 0);
  static bool CharInputBox(QWidget* AOwner, const QString& ATitle, const QString& AText, QChar& Value,
                           TEditCharCase ACharCase = TEditCharCase::ecNormal, TAllowOnlyOptions AAllowOnly = 0);
  static bool TextInputBoxEx(QWidget* AOwner, const QString& ATitle, const QString& AText, QString& Value,
                             TEditCharCase ACharCase, const TInputVerifierFunc& AInputVerifierFunc);
  static bool NumInputBox(QWidget* AOwner, const QString& ATitle, const QString& AText, int32_t& Value, int32_t AMin,
                          int32_t AMax);
  static bool FloatInputBox(QWidget* AOwner, const QString& ATitle, const QString& AText, double& Value, double AMin,
                            double AMax);
  // Option i is checked when bit i of AChecked is set.
  static bool OptionsSelectBox(QWidget* AOwner, const QString& ATitle, const QString& AText,
                               const std::vector<TMultiSelectOption>& AOptions, int32_t& AChecked);

  // The character rule of the text and character boxes.
  static bool TextAllowed(const QString& Text, bool AAllowEmptyString, TAllowOnlyOptions AAllowOnly);
};

}  // namespace korrin
