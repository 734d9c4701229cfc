// Long C++ runs called from Python. The work runs on a thread of its own
// without the interpreter lock; the calling Python thread wakes every few
// milliseconds to hand the run's progress events to the caller's callback,
// to run Python's signal handlers (Ctrl-C raises KeyboardInterrupt there) and
// to look at the caller's cancel event. When any of these asks to stop, the
// run is told to stop (RunControl::stopRequested, Cancelled at its next
// cancellation point), the Python thread waits for it, and the Python
// exception (or zelkova.Cancelled) is raised: nothing is left running and
// nothing half-written.
#pragma once

#include <pybind11/pybind11.h>

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

#include "discover/setup/progress.h"

namespace python {

namespace py = pybind11;

// What the work tells the Python thread and how it learns it must stop.
class RunControl {
 public:
  // Queues a progress event for the caller's callback; any thread.
  void post(discover::StepEvent event);
  // Whether the caller asked the run to stop; any thread.
  bool stopRequested() const { return stop_; }
  // Throws Cancelled when the caller asked the run to stop.
  void checkpoint() const;
  // While it lives, `stop` is called once when the caller asks to stop (on
  // the Python thread; at once when it already has), for work whose
  // cancellation points are its own (StepProgress::cancel). Its destructor
  // takes `stop` back, so that it is never called once what it stops is gone.
  class StopHook {
   public:
    StopHook(RunControl& control, std::function<void()> stop);
    ~StopHook();
    StopHook(const StopHook&) = delete;
    StopHook& operator=(const StopHook&) = delete;

   private:
    RunControl& control_;
  };

  // For the runner.
  std::deque<discover::StepEvent> takeEvents();
  void requestStop();

 private:
  mutable std::mutex lock_;
  std::deque<discover::StepEvent> events_;
  std::atomic<bool> stop_{false};
  std::function<void()> onStop_;
};

// Runs `work` as described above; `progress` is None or a callable taking a
// zelkova.Progress, `cancel` None or an object with is_set() (a
// threading.Event). Exceptions of the work are rethrown on the Python thread.
void runInterruptibly(const std::function<void(RunControl&)>& work, const py::object& progress,
                      const py::object& cancel);

// Adds zelkova.Progress, the event a progress callback receives.
void bindProgress(py::module_& module);

}  // namespace python
