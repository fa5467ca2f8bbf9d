// What the window benchmarks share: the clock, a prober that keeps the window's slowest
// answer, a message pump, and the real main window made ready for a search.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "app/result_form.h"

namespace quillow::bench {

using Clock = std::chrono::steady_clock;

inline double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Processor time the calling thread has used, user and kernel, in milliseconds.
double ThreadCpuMs();

// Sends the window a message every `period` from another thread and keeps the longest wait
// for its answer.
class Prober {
 public:
  Prober(HWND target, std::chrono::milliseconds period);
  ~Prober();
  Prober(const Prober&) = delete;
  Prober& operator=(const Prober&) = delete;
  double Worst() const { return worst_; }
  int Probes() const { return probes_; }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<double> worst_{0};
  std::atomic<int> probes_{0};
  std::thread thread_;
};

// Dispatches what is waiting, then waits until more comes, at most `wait`. Like the program's
// own loop it sleeps while nothing comes: a loop that polled would take the processor from the
// search it measures.
void PumpOnce(std::chrono::milliseconds wait = std::chrono::milliseconds(50));
void PumpFor(std::chrono::milliseconds d);

// The main window, shown, with "Find files" and "Look in" filled in. `wrap` may put a host of
// the benchmark's own between the search and the window.
class BenchWindow {
 public:
  using Wrap = std::function<std::unique_ptr<search::SearchHost>(search::SearchHost& handOver)>;
  BenchWindow(const std::string& files, const std::string& folder, Wrap wrap = {});
  bool Ok() const { return ok_; }
  app::TResultForm& Form() { return *form_; }
  // Clicks "Begin Search" and pumps until the search has ended and its thread is gone.
  void SearchToEnd();

 private:
  std::unique_ptr<app::TResultForm> form_;
  bool ok_ = false;
};

}  // namespace quillow::bench
