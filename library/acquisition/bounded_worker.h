// Work on a detached thread under a time budget. The thread and its caller
// share the job's context; when the budget runs out the caller walks away and
// the thread finishes on its own, touching nothing but that context. There is
// no safe way to stop a thread that is stuck inside a device request, so a
// late thread must never write anything the caller has moved on with.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace hwscope {

// Completion signal of one job.
class WorkerGate {
 public:
  void MarkDone() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    cv_.notify_all();
  }
  // True once the job has ended; waits at most `ms` milliseconds (0: poll).
  bool WaitFor(int ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (ms <= 0) return done_;
    return cv_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return done_; });
  }
  bool Done() { return WaitFor(0); }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool done_ = false;
};

enum class WorkerOutcome { kFinished, kTimedOut, kStartFailed };

// Starts `body(*context)` on a detached thread and waits up to `budgetMs` for
// it. The context must have a `WorkerGate gate` member. After kFinished the
// caller may read the context; after kTimedOut it must not read anything the
// thread writes (it may poll the gate).
template <class Context, class Body>
WorkerOutcome RunBounded(const std::shared_ptr<Context>& context, Body body, int budgetMs) {
  try {
    std::thread([context, body]() {
      body(*context);
      context->gate.MarkDone();
    }).detach();
  } catch (const std::system_error&) {
    return WorkerOutcome::kStartFailed;
  }
  return context->gate.WaitFor(budgetMs) ? WorkerOutcome::kFinished : WorkerOutcome::kTimedOut;
}

}  // namespace hwscope
