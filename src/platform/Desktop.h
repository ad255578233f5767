// What Tarnivo's logic needs of the desktop it runs on: the command line it
// was started with, modal message boxes, the help viewer, text measurement
// in the dialog's font, and the end of the program.
//
// Each system's desktop lives beside its dialog (src/dialog/win32/, the
// Linux view), since message boxes, help and fonts belong to the toolkit that
// draws the dialog. Every operation either succeeds or throws PlatformError;
// Terminate never returns.
#pragma once

#include <cstdint>
#include <string>

#include "platform/PlatformError.h"

namespace tarnivo {

// A button set plus an icon; the values are the platform's message-box codes.
enum class MessageBoxStyle : int {
  OkExclamation = 48,     // OK, exclamation icon
  YesNoInformation = 68,  // Yes and No, information icon
  RetryCancelStop = 21,   // Retry and Cancel, stop icon
};

// The button that closed a message box.
enum class MessageBoxResult : int { Ok = 1, Cancel = 2, Retry = 4, Yes = 6, No = 7 };

// Help commands of ShowHelp.
inline constexpr int kHelpContents = 3;

// The native window that owns a message box or the help viewer; 0 for none.
using WindowHandle = std::uintptr_t;

class Desktop {
 public:
  virtual ~Desktop() = default;

  // The text the program was started with, without its own name and without
  // the blanks after it, its paths in drive form. A path holding a space
  // comes in double quotes.
  virtual std::string CommandLine() = 0;

  // A modal box titled like the dialog, "Tarnivo". A carriage return (13)
  // breaks a line. The first button is the default; a Retry/Cancel box closed
  // with Escape or its close control gives Cancel, and a Yes/No box waits for
  // an answer.
  virtual MessageBoxResult ShowMessage(const std::string& text, MessageBoxStyle style) = 0;

  // Opens the help viewer on `file` (named without a folder).
  virtual void ShowHelp(WindowHandle owner, const std::string& file, int command, int data) = 0;

  // The width of `text` in the dialog's font, in twips.
  virtual int MeasureTextWidth(const std::string& text) = 0;

  // Ends the program at once; no further step of the caller runs.
  [[noreturn]] virtual void Terminate() = 0;
};

}  // namespace tarnivo
