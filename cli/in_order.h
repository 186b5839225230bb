// Work on many files at once and hand the results on in the files' order:
// reading images takes the processor, so two are read side by side.
//
// A result waits in the slot of its index modulo `ahead`, marked ready when it
// is whole. The workers and the thread that hands results on meet only at
// those marks and at the count handed on, so a file that takes microseconds is
// not slowed by a lock taken for each; a thread with nothing to do sleeps on a
// condition, and the lock is taken to wake it only while one sleeps. A file is
// taken only when its result will have a slot: taken sooner, it would hold
// back the files before it.
#pragma once

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "cli/escaped.h"
#include "cli/output.h"

namespace trivane::cli {

// As many workers as the machine has cores.
inline unsigned Workers() {
  return std::max(1u, std::thread::hardware_concurrency());
}

template <typename Result, typename Produce>
class InOrderRun {
 public:
  InOrderRun(std::size_t count, std::size_t ahead, Produce& produce)
      : count_(count), ahead_(ahead), produce_(produce), slots_(ahead) {}

  // Calls consume for each result in order, working on files itself while the
  // next result is not ready; workers - 1 more threads work beside it.
  template <typename Consume>
  void Run(unsigned workers, Consume& consume) {
    std::vector<std::thread> threads;
    for (unsigned t = 1; t < workers; ++t) threads.emplace_back([this] { Work(); });
    for (std::size_t i = 0; i < count_;) {
      Slot& slot = slots_[i % ahead_];
      if (!slot.ready.load(std::memory_order_acquire)) {
        if (const std::size_t j = Take(i); j < count_) {
          Make(j);
          continue;
        }
        Sleep([&] { return slot.ready.load(); });
      }
      const bool go = consume(i, *slot.result);
      slot.result.reset();
      slot.ready.store(false);
      if (!go) stop_ = true;
      // Stopping hands on every place at once, so that no worker waits on.
      handed_.store(go ? ++i : count_);
      Wake();
      if (!go) break;
    }
    for (std::thread& t : threads) t.join();
  }

 private:
  struct Slot {
    std::optional<Result> result;
    std::atomic<bool> ready{false};
  };

  // The next file to work on, taken only where its result has a slot once
  // `handed` results were handed on; count when there is none.
  std::size_t Take(std::size_t handed) {
    std::size_t j = next_.load();
    while (j < count_ && j < handed + ahead_ && !next_.compare_exchange_weak(j, j + 1)) {
    }
    return j < count_ && j < handed + ahead_ ? j : count_;
  }

  void Make(std::size_t i) {
    Slot& slot = slots_[i % ahead_];
    slot.result.emplace(produce_(i));
    slot.ready.store(true);
    Wake();
  }

  // Sleeps until `done` holds. The sleepers are counted before `done` is
  // asked, and a change is stored before they are counted (both in the one
  // order of all atomic operations), so a change is never missed. Not the
  // atomics' own wait: built without a futex, as with MinGW's GCC 12, it let
  // a worker sleep on after its last change, and the run never ended.
  template <typename Done>
  void Sleep(const Done& done) {
    std::unique_lock lock(mutex_);
    ++sleepers_;
    changed_.wait(lock, done);
    --sleepers_;
  }

  // Wakes the sleepers, if any, after a change.
  void Wake() {
    if (sleepers_.load() == 0) return;
    { const std::lock_guard hold(mutex_); }
    changed_.notify_all();
  }

  void Work() {
    for (std::size_t h = handed_.load(); !stop_ && next_.load() < count_; h = handed_.load()) {
      if (const std::size_t j = Take(h); j < count_) {
        Make(j);
      } else {
        Sleep([&] { return handed_.load() != h; });
      }
    }
  }

  const std::size_t count_, ahead_;
  Produce& produce_;
  std::vector<Slot> slots_;
  std::atomic<std::size_t> next_{0}, handed_{0};
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::condition_variable changed_;
  std::atomic<int> sleepers_{0};
};

// Calls produce(i) for every i below count on up to `workers` threads, and
// consume(i, result) on this thread for i = 0, 1, ... in order; at most
// `ahead` results wait at any time. consume returns false to stop early.
// One file, or one worker, is worked on here alone: a thread would only cost
// its start.
template <typename Result, typename Produce, typename Consume>
void InOrder(std::size_t count, unsigned workers, std::size_t ahead, Produce produce,
             Consume consume) {
  if (count <= 1 || workers <= 1) {
    for (std::size_t i = 0; i < count; ++i) {
      if (!consume(i, produce(i))) return;
    }
    return;
  }
  InOrderRun<Result, Produce>(count, std::max<std::size_t>(ahead, 1), produce)
      .Run(workers, consume);
}

// One file's output, its line or block, and why it could not be read.
struct Shown {
  std::string out, error;
};

// Works on the files side by side, `ahead` results a worker waiting at most,
// and writes each one's output in the files' order: JSON lines as they are
// (a line says its own error), text blocks with a blank line between them
// and each error on stderr as "PROGRAM: FILE: ERROR". 0 when every file was
// read and written, else 1.
template <typename Produce>
int WriteInOrder(const char* program, const std::vector<std::string>& files, bool json,
                 std::size_t ahead, Produce produce) {
  Output output(program);
  int status = 0;
  bool written = true, blocks = false;
  const auto consume = [&](std::size_t i, const Shown& shown) {
    if (!shown.error.empty()) {
      status = 1;
      if (!json) std::cerr << program << ": " << Escaped(files[i]) << ": " << shown.error << "\n";
    }
    if (!json && !shown.out.empty() && std::exchange(blocks, true)) written = output.Write("\n");
    return written = written && output.Write(shown.out);
  };
  const unsigned workers = Workers();
  InOrder<Shown>(files.size(), workers, ahead * workers, produce, consume);
  return written && output.Finish() ? status : 1;
}

}  // namespace trivane::cli
