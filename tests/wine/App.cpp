#include "App.h"

#include <cwctype>

#include "dialog/win32/ControlIds.h"

namespace tarnivo::wine {
namespace {

// A program that is busy on a loaded machine answers late, and Wine counts
// it as hung after a few seconds: only the generous time-out gives up.
LRESULT Send(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wparam, lparam, SMTO_NORMAL, kWaitMs, &result))
    return -1;
  return static_cast<LRESULT>(result);
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

struct Collect {
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  auto* collect = reinterpret_cast<Collect*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == collect->pid && IsWindowVisible(window)) collect->found.push_back(window);
  return TRUE;
}

}  // namespace

bool WaitFor(const std::function<bool()>& condition, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeout_ms) return false;
    Sleep(30);
  }
}

App::App(const std::wstring& program, const std::wstring& arguments) {
  std::wstring line = L"\"" + program + L"\"";
  if (!arguments.empty()) line += L" " + arguments;
  Start(program.c_str(), std::move(line));
}

App::App(std::wstring command_line) { Start(nullptr, std::move(command_line)); }

void App::Start(const wchar_t* program, std::wstring command_line) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(program, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, L"C:\\",
                      &startup, &process_)) {
    process_ = {};
  }
}

App::~App() {
  if (!process_.hProcess) return;
  if (Running()) {
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, kWaitMs);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

bool App::Exited(DWORD timeout_ms) {
  return process_.hProcess && WaitForSingleObject(process_.hProcess, timeout_ms) == WAIT_OBJECT_0;
}

std::vector<HWND> App::Windows() {
  Collect collect{process_.dwProcessId, {}};
  EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&collect));
  for (HWND window : collect.found) {
    if (GetDlgItem(window, win32::ItemId(ControlId::lstDrive))) dialog_seen_ = true;
  }
  return collect.found;
}

HWND App::Dialog(DWORD timeout_ms) {
  // Ready once one of its controls has the focus: the program places it
  // right after showing the window, and keys sent before then would be lost.
  HWND found = nullptr;
  WaitFor(
      [&] {
        for (HWND window : Windows()) {
          if (GetDlgItem(window, win32::ItemId(ControlId::lstDrive))) found = window;
        }
        return (found != nullptr && IsChild(found, Focus())) || !Running();
      },
      timeout_ms);
  return found != nullptr && IsChild(found, Focus()) ? found : nullptr;
}

HWND App::Box(DWORD timeout_ms) {
  HWND found = nullptr;
  WaitFor(
      [&] {
        for (HWND window : Windows()) {
          if (ClassOf(window) == L"#32770" && Text(window) == L"Tarnivo" &&
              !GetDlgItem(window, win32::ItemId(ControlId::lstDrive))) {
            found = window;
          }
        }
        return found != nullptr || !Running();
      },
      timeout_ms);
  return found;
}

HWND App::WindowTitled(const std::wstring& title, DWORD timeout_ms) {
  HWND found = nullptr;
  WaitFor(
      [&] {
        for (HWND window : Windows()) {
          if (Text(window) == title) found = window;
        }
        return found != nullptr || !Running();
      },
      timeout_ms);
  return found;
}

HWND App::Focus() {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(process_.dwThreadId, &info)) return nullptr;
  return info.hwndFocus;
}

HWND Item(HWND dialog, ControlId id) { return GetDlgItem(dialog, win32::ItemId(id)); }

std::wstring Text(HWND window) {
  const LRESULT length = Send(window, WM_GETTEXTLENGTH, 0, 0);
  if (length < 0) return L"<no answer>";
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT copied =
      Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

bool Checked(HWND dialog, ControlId id) {
  return Send(Item(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::wstring DirPath(HWND dialog) {
  const HWND list = Item(dialog, ControlId::lstDir);
  const LRESULT count = Send(list, LB_GETCOUNT, 0, 0);
  std::wstring path;
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT data = Send(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0);
    if (!win32::DirItemOpen(static_cast<long>(data))) break;
    const LRESULT length = Send(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    Send(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    // A drive's root line is spelt as the drive list spells it, "c:\\".
    if (path.empty() && text.size() == 3 && text[1] == L':') text[0] = towupper(text[0]);
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    path += text;
  }
  return path;
}

bool SetText(HWND dialog, ControlId id, const std::wstring& text) {
  return Send(Item(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())) == TRUE;
}

bool FocusItem(HWND dialog, ControlId id) {
  return Send(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(dialog, id)), TRUE) >= 0;
}

void Click(HWND dialog, ControlId id) { PostMessageW(Item(dialog, id), BM_CLICK, 0, 0); }

bool SelectDrive(HWND dialog, wchar_t letter) {
  const HWND combo = Item(dialog, ControlId::lstDrive);
  const LRESULT count = Send(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t text[MAX_PATH] = {};
    if (Send(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) >= MAX_PATH) continue;
    Send(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    if (towlower(text[0]) != towlower(letter)) continue;
    // As the user does it: the selection moves, then the list reports it.
    Send(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(win32::ItemId(ControlId::lstDrive), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    return true;
  }
  return false;
}

bool OpenDirEntry(HWND dialog, const std::wstring& text) {
  const HWND list = Item(dialog, ControlId::lstDir);
  const LRESULT count = Send(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = count - 1; i >= 0; --i) {
    wchar_t entry[MAX_PATH] = {};
    if (Send(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0) >= MAX_PATH) continue;
    Send(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(entry));
    if (text != entry) continue;
    Send(list, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(win32::ItemId(ControlId::lstDir), LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(list));
    return true;
  }
  return false;
}

void PostKey(HWND target, UINT vk) {
  PostMessageW(target, WM_KEYDOWN, vk, 1);
  PostMessageW(target, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
}

void PostAltKey(HWND target, wchar_t letter) {
  constexpr LPARAM kAltDown = 1 | (1 << 29);
  PostMessageW(target, WM_SYSCHAR, letter, kAltDown);
}

std::wstring BoxText(HWND box) {
  std::wstring found;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[32] = {};
    GetClassNameW(child, name, 32);
    if (_wcsicmp(name, L"Static") != 0) continue;
    const std::wstring text = Text(child);
    if (!text.empty()) found = text;
  }
  return found;
}

bool HasButton(HWND box, int id) {
  const HWND button = GetDlgItem(box, id);
  return button && IsWindowVisible(button);
}

void Answer(HWND box, int id) {
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

}  // namespace tarnivo::wine
