// Work on many files at once and hand the results on in the files' order:
// reading sectors takes the processor, so two images are read side by side.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace trivane::disktool {

// Calls produce(i) for every i below count on up to `workers` threads, and
// consume(i, result) on this thread for i = 0, 1, ... in order; at most
// `ahead` results wait at any time. consume returns false to stop early.
template <typename Result, typename Produce, typename Consume>
void InOrder(std::size_t count, unsigned workers, std::size_t ahead, Produce produce,
             Consume consume) {
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::optional<Result>> waiting;  // results from index `next_out` on
  std::size_t next_in = 0, next_out = 0;
  bool stop = false;

  auto work = [&] {
    std::unique_lock lock(mutex);
    for (;;) {
      changed.wait(lock, [&] { return stop || next_in >= count || next_in < next_out + ahead; });
      if (stop || next_in >= count) return;
      const std::size_t i = next_in++;
      if (waiting.size() <= i - next_out) waiting.resize(i - next_out + 1);
      lock.unlock();
      Result result = produce(i);
      lock.lock();
      waiting[i - next_out] = std::move(result);
      changed.notify_all();
    }
  };
  std::vector<std::thread> threads;
  for (unsigned t = 0; t < std::max(1u, workers); ++t) threads.emplace_back(work);

  for (; next_out < count;) {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return !waiting.empty() && waiting.front().has_value(); });
    Result result = std::move(*waiting.front());
    waiting.pop_front();
    const std::size_t i = next_out++;
    changed.notify_all();
    lock.unlock();
    if (!consume(i, result)) {
      std::lock_guard guard(mutex);
      stop = true;
      changed.notify_all();
      break;
    }
  }
  for (std::thread& t : threads) t.join();
}

}  // namespace trivane::disktool
