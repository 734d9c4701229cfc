#include "python/runner.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <optional>
#include <thread>

#include <pybind11/stl.h>

#include "base/errors.h"

namespace python {

namespace {

// How often the Python thread looks at signals and the cancel event: often
// enough that Ctrl-C feels immediate.
constexpr std::chrono::milliseconds kPoll{50};

// The run on its own thread, and its end as the Python thread waits for it.
class WorkThread {
 public:
  WorkThread(const std::function<void(RunControl&)>& work, RunControl& control)
      : thread_([this, &work, &control] {
          try {
            work(control);
          } catch (...) {
            error_ = std::current_exception();
          }
          std::lock_guard<std::mutex> guard(lock_);
          done_ = true;
          wake_.notify_all();
        }) {}
  ~WorkThread() {
    if (thread_.joinable()) thread_.join();
  }
  WorkThread(const WorkThread&) = delete;
  WorkThread& operator=(const WorkThread&) = delete;

  // Waits up to `most` for the end; whether the run has ended.
  bool waitFor(std::chrono::milliseconds most) {
    std::unique_lock<std::mutex> guard(lock_);
    return wake_.wait_for(guard, most, [this] { return done_; });
  }
  void join() { thread_.join(); }
  std::exception_ptr error() const { return error_; }

 private:
  std::mutex lock_;
  std::condition_variable wake_;
  bool done_ = false;
  std::exception_ptr error_;
  std::thread thread_;  // last: started once the rest is in place
};

// Hands the queued events to the callback; a callback that raises stops the
// run like Ctrl-C does.
void deliver(RunControl& control, const py::object& progress) {
  for (discover::StepEvent& event : control.takeEvents())
    if (!progress.is_none()) progress(py::cast(std::move(event)));
}

bool cancelSet(const py::object& cancel) { return !cancel.is_none() && cancel.attr("is_set")().cast<bool>(); }

}  // namespace

void RunControl::post(discover::StepEvent event) {
  std::lock_guard<std::mutex> guard(lock_);
  events_.push_back(std::move(event));
}

void RunControl::checkpoint() const {
  if (stop_) throw Cancelled();
}

std::deque<discover::StepEvent> RunControl::takeEvents() {
  std::lock_guard<std::mutex> guard(lock_);
  std::deque<discover::StepEvent> taken;
  taken.swap(events_);
  return taken;
}

void RunControl::requestStop() {
  std::lock_guard<std::mutex> guard(lock_);
  if (stop_.exchange(true)) return;
  if (onStop_) onStop_();
}

RunControl::StopHook::StopHook(RunControl& control, std::function<void()> stop) : control_(control) {
  std::lock_guard<std::mutex> guard(control_.lock_);
  if (control_.stop_) stop();
  control_.onStop_ = std::move(stop);
}

RunControl::StopHook::~StopHook() {
  std::lock_guard<std::mutex> guard(control_.lock_);
  control_.onStop_ = nullptr;
}

void runInterruptibly(const std::function<void(RunControl&)>& work, const py::object& progress,
                      const py::object& cancel) {
  RunControl control;
  std::exception_ptr pythonSide;  // raised by a callback, a signal handler or the cancel event
  bool cancelled = false;
  std::exception_ptr workError;
  {
    WorkThread thread(work, control);
    for (bool ended = false; !ended;) {
      {
        py::gil_scoped_release released;
        ended = thread.waitFor(kPoll);
      }
      try {
        deliver(control, progress);
        if (PyErr_CheckSignals() != 0) throw py::error_already_set();
        cancelled = cancelSet(cancel);
      } catch (...) {
        pythonSide = std::current_exception();
      }
      if (pythonSide || cancelled) break;
    }
    if (pythonSide || cancelled) control.requestStop();
    py::gil_scoped_release released;
    thread.join();
    workError = thread.error();
  }
  if (pythonSide) std::rethrow_exception(pythonSide);
  if (workError) std::rethrow_exception(workError);  // Cancelled becomes zelkova.Cancelled
  deliver(control, progress);                        // the last lines of a run that ended
}

void bindProgress(py::module_& module) {
  py::class_<discover::StepEvent>(module, "Progress",
                                  "One line of progress: the step it belongs to, the fraction of the step done\n"
                                  "(None when not told), the line as the program shows it on a terminal, and\n"
                                  "whether it is final (a step's summary, a warning) or is replaced by the next.")
      .def_readonly("step", &discover::StepEvent::step)
      .def_property_readonly("fraction",
                             [](const discover::StepEvent& e) -> std::optional<double> {
                               if (e.fraction < 0) return std::nullopt;
                               return e.fraction;
                             })
      .def_readonly("line", &discover::StepEvent::line)
      .def_readonly("final", &discover::StepEvent::final)
      .def("__repr__", [](const discover::StepEvent& e) {
        return "<zelkova.Progress " + py::repr(py::str(e.line)).cast<std::string>() + ">";
      });
}

}  // namespace python
