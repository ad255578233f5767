#include "dialog/win32/Win32Desktop.h"

#include "dialog/win32/HelpWindow.h"
#include "platform/win32/WinText.h"

namespace tarnivo::win32 {
namespace {

constexpr wchar_t kTitle[] = L"Tarnivo";

bool IsWinHelpFile(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  unsigned char magic[4] = {};
  DWORD read = 0;
  const bool ok = ReadFile(h, magic, sizeof magic, &read, nullptr) && read == sizeof magic;
  CloseHandle(h);
  return ok && magic[0] == 0x3F && magic[1] == 0x5F && magic[2] == 0x03 && magic[3] == 0x00;
}

// A WinHelp viewer that shows WinHelp files: Windows before Vista, and Wine.
// Later Windows has only a stub that explains where the viewer went.
bool HasWinHelpViewer() {
  wchar_t windows[MAX_PATH + 1];
  const UINT n = GetWindowsDirectoryW(windows, MAX_PATH + 1);
  if (n == 0 || n > MAX_PATH) return false;
  const std::wstring viewer = std::wstring(windows, n) + L"\\winhlp32.exe";
  if (GetFileAttributesW(viewer.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (ntdll && GetProcAddress(ntdll, "wine_get_version")) return true;
  return LOBYTE(LOWORD(GetVersion())) < 6;
}

std::wstring ProgramFolder() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      buffer.resize(n);
      break;
    }
    buffer.resize(buffer.size() * 2);
  }
  return buffer.substr(0, buffer.find_last_of(L'\\') + 1);
}

// A message's line breaks are single carriage returns; the message box wants
// carriage return and line feed.
std::wstring MessageText(const std::string& text) {
  std::wstring out;
  for (const wchar_t c : Widen(text)) {
    out += c;
    if (c == L'\r') out += L'\n';
  }
  return out;
}

}  // namespace

Win32Desktop::~Win32Desktop() {
  if (font_) DeleteObject(font_);
}

int Win32Desktop::Dpi() {
  if (dpi_ == 0) {
    HDC dc = GetDC(nullptr);
    dpi_ = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    if (dpi_ <= 0) dpi_ = 96;
  }
  return dpi_;
}

HFONT Win32Desktop::DialogFont() {
  if (!font_) {
    font_ = CreateFontW(-MulDiv(8, Dpi(), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                        DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_DONTCARE, L"MS Shell Dlg 2");
    if (!font_) font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }
  return font_;
}

std::wstring Win32Desktop::ArgumentsOf(const std::wstring& command_line) {
  std::size_t i = 0;
  const std::size_t n = command_line.size();
  if (n > 0 && command_line[0] == L'"') {
    const std::size_t close = command_line.find(L'"', 1);
    i = close == std::wstring::npos ? n : close + 1;
  } else {
    while (i < n && command_line[i] != L' ' && command_line[i] != L'\t') ++i;
  }
  while (i < n && (command_line[i] == L' ' || command_line[i] == L'\t')) ++i;
  return command_line.substr(i);
}

std::string Win32Desktop::CommandLine() { return Narrow(ArgumentsOf(GetCommandLineW())); }

MessageBoxResult Win32Desktop::ShowMessage(const std::string& text, MessageBoxStyle style) {
  const HWND owner = (owner_ && IsWindowVisible(owner_)) ? owner_ : nullptr;
  UINT flags = static_cast<UINT>(style);
  if (!owner) flags |= MB_SETFOREGROUND;
  const int result = MessageBoxW(owner, MessageText(text).c_str(), kTitle, flags);
  if (result == 0) {
    const DWORD error = GetLastError();
    Fail("MessageBox", error);
  }
  return static_cast<MessageBoxResult>(result);
}

void Win32Desktop::ShowHelp(WindowHandle owner, const std::string& file, int command, int data) {
  const std::wstring path = ProgramFolder() + Widen(file);
  if (IsWinHelpFile(path) && HasWinHelpViewer()) {
    // WinHelpA takes an ANSI path: use the short alias when the long one
    // does not fit the code page.
    std::wstring usable = path;
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, nullptr, 0, nullptr, &lossy);
    if (lossy) {
      wchar_t alias[MAX_PATH + 1];
      const DWORD n = GetShortPathNameW(path.c_str(), alias, MAX_PATH + 1);
      if (n > 0 && n <= MAX_PATH) usable.assign(alias, n);
    }
    const int size =
        WideCharToMultiByte(CP_ACP, 0, usable.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, usable.c_str(), -1, ansi.data(), size, nullptr, nullptr);
    if (WinHelpA(reinterpret_cast<HWND>(owner), ansi.c_str(), static_cast<UINT>(command),
                 static_cast<ULONG_PTR>(data))) {
      return;
    }
  }
  ShowHelpWindow(instance_, owner_, DialogFont(), Dpi());
}

int Win32Desktop::MeasureTextWidth(const std::string& text) {
  HDC dc = GetDC(nullptr);
  if (!dc) {
    const DWORD error = GetLastError();
    Fail("GetDC", error);
  }
  const HGDIOBJ old = SelectObject(dc, DialogFont());
  const std::wstring wide = Widen(text);
  SIZE size{};
  const BOOL ok = GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  if (!ok) {
    const DWORD error = GetLastError();
    Fail("GetTextExtentPoint32", error);
  }
  return MulDiv(size.cx, 1440, Dpi());
}

void Win32Desktop::Terminate() { ExitProcess(0); }

}  // namespace tarnivo::win32
