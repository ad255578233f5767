// The Windows desktop: the command line, message boxes over the dialog, the
// help viewer, text measurement in the dialog's font and the end of the
// program.
#pragma once

#include <string>

#include "platform/Desktop.h"
#include "platform/win32/WinApi.h"

namespace tarnivo::win32 {

class Win32Desktop final : public Desktop {
 public:
  explicit Win32Desktop(HINSTANCE instance) : instance_(instance) {}
  ~Win32Desktop() override;

  Win32Desktop(const Win32Desktop&) = delete;
  Win32Desktop& operator=(const Win32Desktop&) = delete;

  // The dialog's window: owner of message boxes while it is visible, and of
  // the help window.
  void SetOwner(HWND owner) { owner_ = owner; }
  // The dialog's font (8-point MS Shell Dlg 2 at the screen's DPI). Created on
  // first use, owned by the desktop.
  HFONT DialogFont();
  // The screen's DPI, which converts twips to pixels and back.
  int Dpi();

  // The argument part of a Win32 command line: the program's name (quoted or
  // not) and the blanks after it removed.
  //   L"\"C:\\Prog\\tarnivo.exe\"  C:\\A.TXT" => L"C:\\A.TXT"
  static std::wstring ArgumentsOf(const std::wstring& command_line);

  std::string CommandLine() override;
  MessageBoxResult ShowMessage(const std::string& text, MessageBoxStyle style) override;
  // Where a WinHelp viewer exists (Wine, Windows before Vista) and a
  // WinHelp-format file lies beside the program, opens it with WinHelpA;
  // otherwise shows the help text the program carries in a window of its own.
  void ShowHelp(WindowHandle owner, const std::string& file, int command, int data) override;
  int MeasureTextWidth(const std::string& text) override;
  [[noreturn]] void Terminate() override;

 private:
  HINSTANCE instance_;
  HWND owner_ = nullptr;
  HFONT font_ = nullptr;
  int dpi_ = 0;
};

}  // namespace tarnivo::win32
