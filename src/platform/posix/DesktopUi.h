// What the POSIX platform layer asks of the desktop toolkit: message boxes,
// the help viewer, text measurement and progress during a long copy. The FLTK
// program supplies it; tests supply a recording one.
#pragma once

#include <cstdint>
#include <string>

#include "platform/PlatformServices.h"

namespace tarnivo {

class DesktopUi {
 public:
  virtual ~DesktopUi() = default;
  virtual MessageBoxResult ShowMessage(const std::string& text, MessageBoxStyle style) = 0;
  virtual void ShowHelp(WindowHandle owner, const std::string& file, int command, int data) = 0;
  // Width of `text` in the dialog's font, in twips.
  virtual int MeasureTextWidth(const std::string& text) = 0;
  // Called between the steps of a copy; `total` is the file's size. Lets the
  // window repaint and show progress; must not run any dialog handler.
  // Returns false once the user has asked to stop the copy.
  virtual bool CopyProgress(std::uint64_t done, std::uint64_t total) = 0;
};

}  // namespace tarnivo
