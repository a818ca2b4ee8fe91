#pragma once
// A worker thread of the main window (a generation job, a reverse lookup batch). It runs its body
// on a thread of its own and, once the body has returned, frees itself on the thread of its owner,
// where the end is reported; meanwhile the body reaches the owner's thread only through blocking
// synchronised calls.
#include <functional>
#include <thread>

class QObject;

namespace korrin {

class TKorrinThread {
 public:
  using TExecute = std::function<void(TKorrinThread& Thread)>;

  // Creates the thread running; `OnStartThread` runs before the body can, `OnEndThread` on
  // `Owner`'s thread after it has returned. The owner must outlive the thread.
  static void Create(QObject* Owner, const std::function<void()>& OnStartThread, TExecute Execute,
                     std::function<void()> OnEndThread);

  // Runs `Call` on the owner's thread and waits until it has.
  void Synchronize(const std::function<void()>& Call);

 private:
  TKorrinThread(QObject* Owner, TExecute Execute, std::function<void()> OnEndThread);
  ~TKorrinThread();
  void Run();

  QObject* FOwner;
  TExecute FExecute;
  std::function<void()> FOnEndThread;
  std::thread FThread;
};

}  // namespace korrin
