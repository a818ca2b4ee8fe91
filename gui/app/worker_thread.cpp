#include "gui/app/worker_thread.h"

#include <QMetaObject>
#include <QObject>

namespace korrin {

void TKorrinThread::Create(QObject* Owner, const std::function<void()>& OnStartThread, TExecute Execute,
                           std::function<void()> OnEndThread) {
  if (OnStartThread) OnStartThread();
  new TKorrinThread(Owner, std::move(Execute), std::move(OnEndThread));
}

TKorrinThread::TKorrinThread(QObject* Owner, TExecute Execute, std::function<void()> OnEndThread)
    : FOwner(Owner), FExecute(std::move(Execute)), FOnEndThread(std::move(OnEndThread)), FThread([this] { Run(); }) {}

TKorrinThread::~TKorrinThread() {
  FThread.join();
  if (FOnEndThread) FOnEndThread();
}

void TKorrinThread::Run() {
  FExecute(*this);
  QMetaObject::invokeMethod(
      FOwner, [this] { delete this; }, Qt::QueuedConnection);
}

void TKorrinThread::Synchronize(const std::function<void()>& Call) {
  QMetaObject::invokeMethod(FOwner, Call, Qt::BlockingQueuedConnection);
}

}  // namespace korrin
