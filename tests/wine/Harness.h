// A small harness for the Wine driver: named tests that collect failed
// expectations, one report line each.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tarnivo::wine {

class Check {
 public:
  void That(bool ok, const std::string& what) {
    if (!ok) failures.push_back(what);
  }
  template <typename A, typename B>
  void Equal(const A& actual, const B& expected, const std::string& what) {
    if (!(actual == expected))
      failures.push_back(what + ": got [" + Show(actual) + "], want [" + Show(expected) + "]");
  }
  std::vector<std::string> failures;

 private:
  static std::string Show(const std::string& s) { return s; }
  static std::string Show(const char* s) { return s; }
  static std::string Show(bool b) { return b ? "true" : "false"; }
  template <typename T>
  static std::string Show(const T& v) {
    return std::to_string(v);
  }
};

struct TestCase {
  std::string name;
  std::function<void(Check&)> run;
};

// The in-process checks of the Win32 platform layer and its helpers.
std::vector<TestCase> PlatformChecks();
// The end-to-end scenarios that drive tarnivo.exe (path in `program`).
std::vector<TestCase> Scenarios(const std::wstring& program);

// UTF-8 for the report.
std::string Utf8(const std::wstring& text);

}  // namespace tarnivo::wine
