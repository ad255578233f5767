#include "dialog/win32/HelpWindow.h"

#include <algorithm>
#include <string>
#include <vector>

#include "dialog/HelpPlacement.h"
#include "dialog/win32/ControlIds.h"
#include "platform/win32/WinText.h"

namespace tarnivo::win32 {
namespace {

constexpr int kTextId = 100;
constexpr wchar_t kHelpTitle[] = L"Tarnivo Help";

HWND g_help = nullptr;

struct HelpSetup {
  HWND owner;
  HFONT font;
  int dpi;
};

std::wstring HelpText() {
  HRSRC found = FindResourceW(nullptr, L"HELPTEXT", MAKEINTRESOURCEW(10));  // RT_RCDATA
  HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
  const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (!data) return L"Tarnivo copies or moves one file to any folder.";
  const std::wstring text = Widen(std::string(data, SizeofResource(nullptr, found)));
  std::wstring out;
  out.reserve(text.size() + text.size() / 16);
  for (const wchar_t c : text) {
    if (c == L'\n' && (out.empty() || out.back() != L'\r')) out += L'\r';
    out += c;
  }
  return out;
}

// The window width at which the longest line of `text` fits the text box
// without wrapping, its scroll bar and frame included.
int WidthForLines(HWND window, HWND box, HFONT font, const std::wstring& text) {
  HDC dc = GetDC(box);
  const HGDIOBJ old_font = SelectObject(dc, font);
  int longest = 0;
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = text.find(L'\r', start);
    if (end == std::wstring::npos) end = text.size();
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str() + start, static_cast<int>(end - start), &extent);
    longest = std::max<int>(longest, extent.cx);
    start = end + 2;  // past CR LF
  }
  SelectObject(dc, old_font);
  ReleaseDC(box, dc);
  const DWORD margins = static_cast<DWORD>(SendMessageW(box, EM_GETMARGINS, 0, 0));
  RECT frame{0, 0,
             longest + LOWORD(margins) + HIWORD(margins) + GetSystemMetrics(SM_CXVSCROLL) +
                 4 * GetSystemMetrics(SM_CXEDGE),
             10};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)));
  return frame.right - frame.left;
}

INT_PTR CALLBACK HelpProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto* setup = reinterpret_cast<const HelpSetup*>(lparam);
      const std::wstring help_text = HelpText();
      HWND text =
          CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", help_text.c_str(),
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE |
                              ES_READONLY | ES_AUTOVSCROLL,
                          0, 0, 10, 10, hwnd, reinterpret_cast<HMENU>(kTextId), nullptr, nullptr);
      SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(setup->font), FALSE);
      // Beside the dialog where it covers nothing, else clear of its buttons;
      // never so narrow that the text's own lines wrap.
      const int min_width = WidthForLines(hwnd, text, setup->font, help_text);
      RECT owner{}, ok{}, help{}, work{};
      GetWindowRect(setup->owner, &owner);
      GetWindowRect(GetDlgItem(setup->owner, ItemId(ControlId::cmdOK)), &ok);
      GetWindowRect(GetDlgItem(setup->owner, ItemId(ControlId::cmdHelp)), &help);
      SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
      const ScreenRect place = PlaceHelpWindow(
          {work.left, work.top, work.right - work.left, work.bottom - work.top},
          {owner.left, owner.top, owner.right - owner.left, owner.bottom - owner.top},
          {ok.left, ok.top, help.right - ok.left, help.bottom - ok.top},
          std::max(MulDiv(520, setup->dpi, 96), min_width), MulDiv(420, setup->dpi, 96), min_width,
          MulDiv(8, setup->dpi, 96));
      SetWindowPos(hwnd, nullptr, place.x, place.y, place.w, place.h,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      SetFocus(text);
      PostMessageW(text, EM_SETSEL, 0, 0);
      return FALSE;
    }
    case WM_SIZE:
      MoveWindow(GetDlgItem(hwnd, kTextId), 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE);
      return TRUE;
    case WM_CTLCOLORSTATIC:
      // Read-only text on the window colour, as a document is shown.
      SetBkColor(reinterpret_cast<HDC>(wparam), GetSysColor(COLOR_WINDOW));
      SetTextColor(reinterpret_cast<HDC>(wparam), GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
    case WM_COMMAND:
      if (LOWORD(wparam) == IDCANCEL || LOWORD(wparam) == IDOK) DestroyWindow(hwnd);
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return TRUE;
    case WM_DESTROY:
      if (g_help == hwnd) g_help = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

std::vector<WORD> EmptyDialogTemplate(DWORD style, WORD width, WORD height,
                                      const std::wstring& caption) {
  std::vector<WORD> t = {
      LOWORD(style),
      HIWORD(style),
      0,
      0,  // no extended style
      0,
      0,
      0,
      width,
      height,  // no items; x, y, cx, cy
      0,
      0,  // no menu; the dialog class
  };
  const auto text = [&t](const std::wstring& s) {
    for (const wchar_t c : s) t.push_back(static_cast<WORD>(c));
    t.push_back(0);
  };
  text(caption);
  t.push_back(8);
  text(L"MS Shell Dlg 2");
  return t;
}

void ShowHelpWindow(HINSTANCE instance, HWND owner, HFONT font, int dpi) {
  if (g_help) {
    ShowWindow(g_help, SW_RESTORE);
    SetForegroundWindow(g_help);
    return;
  }
  // An empty resizable dialog; the text box is added at run time.
  const std::vector<WORD> tmpl = EmptyDialogTemplate(
      WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | DS_SETFONT, 200, 160,
      kHelpTitle);
  HelpSetup setup{owner, font, dpi};
  g_help = CreateDialogIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(tmpl.data()),
                                      owner, &HelpProc, reinterpret_cast<LPARAM>(&setup));
  if (g_help) {
    SendMessageW(g_help, WM_SETICON, ICON_SMALL, SendMessageW(owner, WM_GETICON, ICON_SMALL, 0));
    ShowWindow(g_help, SW_SHOW);
  }
}

HWND CurrentHelpWindow() { return g_help; }

}  // namespace tarnivo::win32
