// Runs a function when a scope is left, however it is left (a return, an
// exception, a test's unwinding end of the program). A helper below every
// layer, beside the text helpers.
//   bool busy = true;
//   { ScopeExit idle([&] { busy = false; }); ... }   // busy is false here
#pragma once

#include <utility>

namespace tarnivo {

template <class F>
class ScopeExit {
 public:
  explicit ScopeExit(F f) : f_(std::move(f)) {}
  ~ScopeExit() { f_(); }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

 private:
  F f_;
};

}  // namespace tarnivo
