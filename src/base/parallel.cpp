#include "base/parallel.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

int availableProcessors() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof(set), &set) == 0) {
    const int count = CPU_COUNT(&set);
    if (count > 0) return count;
  }
  const unsigned hw = std::thread::hardware_concurrency();
  return hw > 0 ? static_cast<int>(hw) : 1;
}

void parallelFor(int threads, std::size_t n, const std::function<void(std::size_t)>& body) {
  const std::size_t workers = std::min<std::size_t>(threads > 1 ? static_cast<std::size_t>(threads) : 1, n);
  if (workers <= 1) {
    for (std::size_t i = 0; i < n; ++i) body(i);
    return;
  }
  std::atomic<std::size_t> next{0};
  std::mutex failureLock;
  std::size_t failedAt = n;
  std::exception_ptr failure;
  auto work = [&] {
    for (std::size_t i; (i = next.fetch_add(1)) < n;) {
      try {
        body(i);
      } catch (...) {
        std::lock_guard<std::mutex> guard(failureLock);
        if (i < failedAt) {
          failedAt = i;
          failure = std::current_exception();
        }
      }
    }
  };
  std::vector<std::thread> pool;
  for (std::size_t t = 1; t < workers; ++t) pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();
  if (failure) std::rethrow_exception(failure);
}

namespace {

// Stops and joins the producer threads on every way out of the pipeline.
class ProducerPool {
 public:
  ProducerPool(std::size_t count, const std::function<void()>& work, std::atomic<bool>& stop, std::mutex& lock,
               std::condition_variable& wake)
      : stop_(stop), lock_(lock), wake_(wake) {
    for (std::size_t t = 0; t < count; ++t) threads_.emplace_back(work);
  }
  ~ProducerPool() {
    {
      std::lock_guard<std::mutex> guard(lock_);
      stop_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : threads_) t.join();
  }

 private:
  std::atomic<bool>& stop_;
  std::mutex& lock_;
  std::condition_variable& wake_;
  std::vector<std::thread> threads_;
};

}  // namespace

void parallelPipeline(int threads, std::size_t n, const std::function<void(std::size_t)>& produce,
                      const std::function<void(std::size_t)>& consume, std::size_t ahead) {
  if (threads <= 1 || n <= 1) {
    for (std::size_t i = 0; i < n; ++i) {
      produce(i);
      consume(i);
    }
    return;
  }
  if (ahead == 0) ahead = n;
  std::vector<char> done(n, 0);
  std::vector<std::exception_ptr> errors(n);
  std::mutex lock;
  std::condition_variable changed;  // an item produced or consumed, or the pool stopping
  std::atomic<std::size_t> next{0};
  std::atomic<bool> stop{false};
  std::size_t consumed = 0;
  auto work = [&] {
    for (std::size_t i; !stop && (i = next.fetch_add(1)) < n;) {
      {
        std::unique_lock<std::mutex> guard(lock);
        changed.wait(guard, [&] { return stop || i < consumed + ahead; });
        if (stop) return;
      }
      std::exception_ptr error;
      try {
        produce(i);
      } catch (...) {
        error = std::current_exception();
      }
      {
        std::lock_guard<std::mutex> guard(lock);
        errors[i] = error;
        done[i] = 1;
      }
      changed.notify_all();
    }
  };
  ProducerPool pool(std::min<std::size_t>(static_cast<std::size_t>(threads), n), work, stop, lock, changed);
  for (std::size_t i = 0; i < n; ++i) {
    {
      std::unique_lock<std::mutex> guard(lock);
      changed.wait(guard, [&] { return done[i] != 0; });
    }
    if (errors[i]) std::rethrow_exception(errors[i]);
    consume(i);
    {
      std::lock_guard<std::mutex> guard(lock);
      consumed = i + 1;
    }
    changed.notify_all();
  }
}
