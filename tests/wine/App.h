// Drives a running tarnivo.exe from outside, as a user would, with window
// messages: finds its dialog and message boxes, sets values, clicks, types
// keys, and waits for the effects. Every wait has a generous time-out.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "dialog/ControlTable.h"
#include "platform/win32/WinApi.h"

namespace tarnivo::wine {

inline constexpr DWORD kWaitMs = 20000;

// Polls `condition` until it holds or `timeout_ms` has passed.
bool WaitFor(const std::function<bool()>& condition, DWORD timeout_ms = kWaitMs);

class App {
 public:
  // Starts `program` with the command line `"program" arguments` (or just
  // `"program"` when `arguments` is empty), in C:\.
  App(const std::wstring& program, const std::wstring& arguments);
  // Starts a whole command line, as Explorer starts a registered verb's
  // command: the program is the line's first, possibly quoted, word.
  explicit App(std::wstring command_line);
  ~App();  // ends the program if it still runs
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  bool Started() const { return process_.hProcess != nullptr; }
  bool Exited(DWORD timeout_ms = kWaitMs);
  bool Running() { return !Exited(0); }
  DWORD ProcessId() const { return process_.dwProcessId; }

  // The main dialog once it is visible and has the focus; null after the
  // time-out.
  HWND Dialog(DWORD timeout_ms = kWaitMs);
  // A visible message box titled "Tarnivo"; null after the time-out.
  HWND Box(DWORD timeout_ms = kWaitMs);
  // Another visible window of the program with this title.
  HWND WindowTitled(const std::wstring& title, DWORD timeout_ms = kWaitMs);
  // The control that has the keyboard focus in the program.
  HWND Focus();
  // Has any dialog of the program been visible since the start?
  bool DialogSeen() const { return dialog_seen_; }

 private:
  std::vector<HWND> Windows();
  void Start(const wchar_t* program, std::wstring command_line);
  PROCESS_INFORMATION process_{};
  bool dialog_seen_ = false;
};

// Reading and setting the controls of the dialog.
HWND Item(HWND dialog, ControlId id);
std::wstring Text(HWND window);
bool Checked(HWND dialog, ControlId id);
std::wstring DirPath(HWND dialog);  // the folder the directory list has open
bool SetText(HWND dialog, ControlId id, const std::wstring& text);
bool FocusItem(HWND dialog, ControlId id);
void Click(HWND dialog, ControlId id);
bool SelectDrive(HWND dialog, wchar_t letter);
bool OpenDirEntry(HWND dialog, const std::wstring& text);
void PostKey(HWND target, UINT vk);
void PostAltKey(HWND target, wchar_t letter);

// A message box: its text (CR LF as the box shows it), its buttons, an answer.
std::wstring BoxText(HWND box);
bool HasButton(HWND box, int id);
void Answer(HWND box, int id);

}  // namespace tarnivo::wine
