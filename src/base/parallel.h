// A small parallel loop. Work items write only their own results, so the
// outcome is the same for every number of threads.
#pragma once

#include <cstddef>
#include <functional>

// Number of processors this process may run on (its affinity mask), at least 1.
int availableProcessors();

// Runs body(i) for every i in [0, n) on up to `threads` threads. When items
// throw, the exception of the lowest index is rethrown after all have ended,
// which is the one a loop in index order would have met first.
void parallelFor(int threads, std::size_t n, const std::function<void(std::size_t)>& body);

// Runs produce(i) for every i in [0, n) on up to `threads` threads while the
// calling thread runs consume(i) in index order, each as soon as produce(i)
// has finished. No item is produced more than `ahead` items before it is
// consumed (0: no bound), so at most that many results are held at once. An
// exception of produce(i) or consume(i) is rethrown when the calling thread
// reaches index i, after the other threads have stopped.
void parallelPipeline(int threads, std::size_t n, const std::function<void(std::size_t)>& produce,
                      const std::function<void(std::size_t)>& consume, std::size_t ahead = 0);
