#pragma once
// Runs one long method on a worker thread while a modal dialog shows a text, an icon or a looping
// animation, progress, a count and the elapsed time, and offers "&Abort". The method reports
// through the class-level setters, which any thread may call, and polls Aborted().
#include <QString>
#include <cstdint>
#include <functional>

class QWidget;

namespace korrin {

// Bits of TWaitDialogOptions.
enum TWaitDialogOption : uint32_t {
  wdoProgressBar = 1u << 0,
  wdoCountLabel = 1u << 1,
  wdoElapsedLabel = 1u << 2,
  wdoApplicationIcon = 1u << 3,
  wdoHandIcon = 1u << 4,
  wdoQuestionIcon = 1u << 5,
  wdoExclamationIcon = 1u << 6,
  wdoAsteriskIcon = 1u << 7,
  wdoWinlogoIcon = 1u << 8,
  wdoShieldIcon = 1u << 9,
  wdoWarningIcon = 1u << 10,
  wdoErrorIcon = 1u << 11,
  wdoInformationIcon = 1u << 12,
  wdoWaitingIcon = 1u << 13,  // the looping animation in place of the icon
  wdoNoIcon = 1u << 14,
  wdoWaitingGif = 1u << 15,  // the looping animation centred under the text
  wdoCenterText = 1u << 16,
  wdoScreenCenter = 1u << 17,
};
using TWaitDialogOptions = uint32_t;

class TWaitDialogBox {
 public:
  // True when the method ran to its end without an abort request. An exception the method lets
  // escape is raised here again once the dialog has closed.
  static bool WaitForMethod(QWidget* AOwner, const std::function<void()>& AMethod, const QString& ATitle,
                            const QString& AText, TWaitDialogOptions AOptions, const QString& ACountFormat = {});

  static void SetProgressRange(int64_t AMin, int64_t AMax);
  static void SetProgressPos(int64_t AProgress);
  static void IncProgressPos(int64_t AInc);
  static void SetCount(int64_t ACount);
  static bool Aborted();

  // What the dialog shows: the bar's percentage, the count filled into its format ("%s"), and the
  // elapsed time.
  static int ProgressPercent(int64_t AMin, int64_t AMax, int64_t APos);
  static QString CountText(const QString& ACountFormat, int64_t ACount);
  static QString ElapsedText(int64_t ASeconds);
};

}  // namespace korrin
