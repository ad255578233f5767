// The Wine test driver: runs the platform checks in-process and the
// end-to-end scenarios against tarnivo.exe, one report line per test:
//   PASS <name>   or   FAIL <name>: <what went wrong>
// Usage: tarnivo_wine_driver.exe <path of tarnivo.exe> [name filter]
#include <cstdio>
#include <exception>

#include "Harness.h"
#include "platform/win32/WinText.h"

namespace tarnivo::wine {

std::string Utf8(const std::wstring& text) { return win32::Narrow(text); }

}  // namespace tarnivo::wine

int wmain(int argc, wchar_t** argv) {
  using namespace tarnivo::wine;
  if (argc < 2) {
    std::fputs("usage: tarnivo_wine_driver <tarnivo.exe> [filter]\n", stderr);
    return 2;
  }
  const std::string filter = argc > 2 ? Utf8(argv[2]) : std::string();
  std::vector<TestCase> tests = PlatformChecks();
  for (TestCase& scenario : Scenarios(argv[1])) tests.push_back(std::move(scenario));

  int failed = 0;
  for (const TestCase& test : tests) {
    if (!filter.empty() && test.name.find(filter) == std::string::npos) continue;
    Check check;
    try {
      test.run(check);
    } catch (const std::exception& e) {
      check.failures.push_back(std::string("exception: ") + e.what());
    }
    if (check.failures.empty()) {
      std::printf("PASS %s\n", test.name.c_str());
    } else {
      ++failed;
      std::string why;
      for (const std::string& f : check.failures) why += (why.empty() ? "" : "; ") + f;
      std::printf("FAIL %s: %s\n", test.name.c_str(), why.c_str());
    }
    std::fflush(stdout);
  }
  return failed == 0 ? 0 : 1;
}
