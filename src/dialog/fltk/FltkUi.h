// The Linux desktop, in FLTK: the command line, message boxes, the help
// viewer, text measurement in the dialog font, the end of the program, and
// the progress bar that a long copy shows while the dialog takes no input.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Desktop.h"

class Fl_Widget;
class Fl_Window;

namespace tarnivo {

namespace view {
class HelpWindow;
class ProgressBar;
}  // namespace view

class FltkUi final : public Desktop {
 public:
  // `command_line`: what CommandLine gives, in drive form.
  explicit FltkUi(std::string command_line);
  ~FltkUi() override;

  FltkUi(const FltkUi&) = delete;
  FltkUi& operator=(const FltkUi&) = delete;

  std::string CommandLine() override { return command_line_; }

  // A modal box titled "Tarnivo" over the dialog (or the screen's centre
  // before the dialog is shown): the icon and buttons of `style`, the first
  // button the default. Escape and the window's close button give Cancel on
  // Retry/Cancel and OK on OK; a Yes/No box waits for Yes or No. Ctrl+C puts
  // the box's text on the clipboard.
  MessageBoxResult ShowMessage(const std::string& text, MessageBoxStyle style) override;

  // Opens `file` (a name without a folder) in the help viewer: looked up
  // beside the executable, then in the installed data folder. Throws
  // PlatformError when it is in neither.
  void ShowHelp(WindowHandle owner, const std::string& file, int command, int data) override;

  // Width of `text` in the dialog font, in twips at the desktop's scale (15
  // per pixel at 96 dpi, 7.5 at 192).
  int MeasureTextWidth(const std::string& text) override;

  // Ends the process with status 0 at once: no destructor or exit handler
  // runs (a copy is already on the device when it counts as done).
  [[noreturn]] void Terminate() override;

  // Between the steps of a copy: lets the window repaint (with its input
  // held back) and, once the copy has run for kProgressDelayMs, shows the bar.
  // Escape, or a click on the dialog's Cancel button, meanwhile asks to stop
  // the copy (false from then on) and runs no handler.
  bool CopyProgress(std::uint64_t done, std::uint64_t total);

  // The dialog window, its (hidden) progress bar and its Cancel button.
  void AttachDialog(Fl_Window* dialog, view::ProgressBar* bar, Fl_Widget* cancel);

  // Asks to stop the copy that runs, if any (the window was closed).
  void AskToStop();

  // True while the window repaints during a copy: no handler may start.
  bool Busy() const;

  // A handler has returned: any copy it made is over, the bar goes away.
  void HandlerEnded();

 private:
  void EndProgress();
  void PumpEvents();

  std::string command_line_;
  Fl_Window* dialog_ = nullptr;
  view::ProgressBar* bar_ = nullptr;
  std::unique_ptr<view::HelpWindow> help_;

  using Clock = std::chrono::steady_clock;
  bool copying_ = false;
  bool bar_shown_ = false;
  std::uint64_t last_done_ = 0;
  Clock::time_point copy_start_;
  Clock::time_point last_pump_;
};

}  // namespace tarnivo
