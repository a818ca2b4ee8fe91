#include "gui/forms/wait_dialog_box.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QMovie>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <atomic>
#include <cassert>
#include <exception>
#include <memory>

#include "common/text.h"
#include "gui/forms/band_dialog.h"

namespace korrin {

namespace {

// One wait dialog exists at a time, and the worker reaches it only through these.
std::atomic<int64_t> gProgressMin{0};
std::atomic<int64_t> gProgressMax{100};
std::atomic<int64_t> gProgressPos{0};
std::atomic<int64_t> gCount{0};
std::atomic<bool> gAborted{false};
// A second dialog while one is open would share the stores above; user-interface thread only.
bool gDialogOpen = false;

constexpr TWaitDialogOptions kReportOptions = wdoProgressBar | wdoCountLabel | wdoElapsedLabel;

QLabel* WaitingAnimation(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(QStringLiteral("WaitingAnimation"));
  auto* movie = new QMovie(QStringLiteral(":/WAITING_GIF"), QByteArray(), label);
  label->setMovie(movie);
  label->setFixedSize(32, 32);
  movie->start();
  return label;
}

// The first icon option present wins; without one, the information icon unless the caller asked
// for none or for the animation under the text.
QPixmap OptionIcon(TWaitDialogOptions options, const QStyle* style) {
  struct TIcon {
    TWaitDialogOption Option;
    QStyle::StandardPixmap Pixmap;
  };
  static constexpr TIcon kIcons[] = {
      {wdoApplicationIcon, QStyle::SP_ComputerIcon},
      {wdoHandIcon, QStyle::SP_MessageBoxCritical},
      {wdoQuestionIcon, QStyle::SP_MessageBoxQuestion},
      {wdoExclamationIcon, QStyle::SP_MessageBoxWarning},
      {wdoAsteriskIcon, QStyle::SP_MessageBoxInformation},
      {wdoWinlogoIcon, QStyle::SP_DesktopIcon},
      {wdoShieldIcon, QStyle::SP_VistaShield},
      {wdoWarningIcon, QStyle::SP_MessageBoxWarning},
      {wdoErrorIcon, QStyle::SP_MessageBoxCritical},
      {wdoInformationIcon, QStyle::SP_MessageBoxInformation},
  };
  for (const TIcon& icon : kIcons)
    if (options & icon.Option) {
      if (icon.Option == wdoApplicationIcon && !QApplication::windowIcon().isNull())
        return QApplication::windowIcon().pixmap(32, 32);
      return style->standardIcon(icon.Pixmap).pixmap(32, 32);
    }
  if (options & (wdoWaitingIcon | wdoNoIcon | wdoWaitingGif)) return {};
  return style->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32);
}

class TWaitDialog : public TBandDialog {
 public:
  TWaitDialog(QWidget* AOwner, const std::function<void()>& AMethod, const QString& ATitle, const QString& AText,
              TWaitDialogOptions AOptions, const QString& ACountFormat)
      : TBandDialog(AOwner, ATitle), FMethod(AMethod), FCountFormat(ACountFormat) {
    FStart.start();
    SetScreenCenter(AOptions & wdoScreenCenter);
    if (const QPixmap icon = OptionIcon(AOptions, style()); !icon.isNull()) SetIcon(icon);
    else if (AOptions & wdoWaitingIcon) SetIconWidget(WaitingAnimation(this));
    QLabel* text = AddText(AText);
    if (AOptions & wdoCenterText) text->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    if (AOptions & wdoWaitingGif) {
      BandLayout()->addSpacing(10);
      BandLayout()->addWidget(WaitingAnimation(this), 0, Qt::AlignHCenter);
    }
    if (!(AOptions & kReportOptions)) return;
    BodyLayout()->addSpacing(12);
    if (AOptions & wdoProgressBar) {
      FProgressBar = new QProgressBar(this);
      FProgressBar->setObjectName(QStringLiteral("ProgressBar"));
      FProgressBar->setRange(0, 100);
      FProgressBar->setValue(0);
      FProgressBar->setTextVisible(false);
      BodyLayout()->addWidget(FProgressBar);
    }
    if (AOptions & wdoCountLabel) FCountLabel = AddReportLabel(QStringLiteral("CountLabel"));
    if (AOptions & wdoElapsedLabel) FElapsedLabel = AddReportLabel(QStringLiteral("ElapsedLabel"));
    auto* abort = new QPushButton(QStringLiteral("&Abort"));
    abort->setObjectName(QStringLiteral("AbortButton"));
    abort->setDefault(true);
    connect(abort, &QPushButton::clicked, this, [abort] {
      gAborted = true;
      abort->setEnabled(false);
    });
    AddButton(abort);
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this] { Tick(); });
    timer->start(500);
    Tick();
  }

  ~TWaitDialog() override {
    if (FThread) FThread->wait();
  }

  std::exception_ptr Error() const { return FError; }

 protected:
  void showEvent(QShowEvent* event) override {
    TBandDialog::showEvent(event);
    if (!FThread) Start();
  }
  // The close guard: the title-bar button, Alt+F4 and Escape wait for the method.
  void closeEvent(QCloseEvent* event) override {
    if (FRunning) event->ignore();
    else TBandDialog::closeEvent(event);
  }
  void reject() override {
    if (!FRunning) TBandDialog::reject();
  }

 private:
  QLabel* AddReportLabel(const QString& Name) {
    auto* label = new QLabel(this);
    label->setObjectName(Name);
    label->setTextFormat(Qt::PlainText);
    BodyLayout()->addSpacing(6);
    BodyLayout()->addWidget(label);
    return label;
  }

  void Start() {
    FRunning = true;
    FThread.reset(QThread::create([this] {
      try {
        FMethod();
      } catch (...) {
        FError = std::current_exception();
      }
    }));
    connect(
        FThread.get(), &QThread::finished, this,
        [this] {
          FRunning = false;
          accept();
        },
        Qt::QueuedConnection);
    FThread->start();
  }

  void Tick() {
    if (FProgressBar) {
      const int percent = TWaitDialogBox::ProgressPercent(gProgressMin, gProgressMax, gProgressPos);
      if (FProgressBar->value() != percent) FProgressBar->setValue(percent);
    }
    if (FCountLabel) {
      const QString count = TWaitDialogBox::CountText(FCountFormat, gCount);
      if (FCountLabel->text() != count) FCountLabel->setText(count);
    }
    if (FElapsedLabel) FElapsedLabel->setText(TWaitDialogBox::ElapsedText(FStart.elapsed() / 1000));
  }

  std::function<void()> FMethod;
  QString FCountFormat;
  QElapsedTimer FStart;
  QProgressBar* FProgressBar = nullptr;
  QLabel* FCountLabel = nullptr;
  QLabel* FElapsedLabel = nullptr;
  std::unique_ptr<QThread> FThread;
  bool FRunning = false;
  std::exception_ptr FError;
};

}  // namespace

bool TWaitDialogBox::WaitForMethod(QWidget* AOwner, const std::function<void()>& AMethod, const QString& ATitle,
                                   const QString& AText, TWaitDialogOptions AOptions, const QString& ACountFormat) {
  assert(!gDialogOpen && "one wait dialog at a time");
  gDialogOpen = true;
  struct TOpenMark {
    ~TOpenMark() { gDialogOpen = false; }
  } openMark;
  gAborted = false;
  gProgressMin = 0;
  gProgressMax = 100;
  gProgressPos = 0;
  gCount = 0;
  std::exception_ptr error;
  {
    TWaitDialog dialog(AOwner, AMethod, ATitle, AText, AOptions, ACountFormat);
    dialog.exec();
    error = dialog.Error();
  }
  if (error) std::rethrow_exception(error);
  return !gAborted;
}

void TWaitDialogBox::SetProgressRange(int64_t AMin, int64_t AMax) {
  gProgressMin = AMin;
  gProgressMax = AMax;
}

void TWaitDialogBox::SetProgressPos(int64_t AProgress) { gProgressPos = AProgress; }

void TWaitDialogBox::IncProgressPos(int64_t AInc) { gProgressPos += AInc; }

void TWaitDialogBox::SetCount(int64_t ACount) { gCount = ACount; }

bool TWaitDialogBox::Aborted() { return gAborted; }

int TWaitDialogBox::ProgressPercent(int64_t AMin, int64_t AMax, int64_t APos) {
  if (AMax <= AMin) return 0;
  // In floating point: the 64-bit product of a large position and 100 would overflow.
  const long double share = (static_cast<long double>(APos) - AMin) * 100 / (static_cast<long double>(AMax) - AMin);
  return share < 0 ? 0 : share > 100 ? 100 : static_cast<int>(share);
}

QString TWaitDialogBox::CountText(const QString& ACountFormat, int64_t ACount) {
  const QString count = QString::fromStdString(FormatCount(ACount));
  if (!ACountFormat.contains(QStringLiteral("%s"))) return ACountFormat.isEmpty() ? count : ACountFormat;
  return QString(ACountFormat).replace(ACountFormat.indexOf(QStringLiteral("%s")), 2, count);
}

QString TWaitDialogBox::ElapsedText(int64_t ASeconds) {
  return QString::asprintf("Elapsed: %d:%.2d:%.2d", static_cast<int>(ASeconds / 3600),
                           static_cast<int>(ASeconds / 60 % 60), static_cast<int>(ASeconds % 60));
}

}  // namespace korrin
