// The Linux desktop, in GTK 3: the command line, message boxes, the help
// window, text measurement in the dialog's font, the end of the program, and
// the progress bar that a long copy shows while the dialog takes no input.
#pragma once

#include <gtk/gtk.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "dialog/gtk/GObjectRef.h"
#include "platform/Desktop.h"

namespace tarnivo {

class GtkDesktop final : public Desktop {
 public:
  // What the desktop needs of the dialog once it is built.
  struct DialogParts {
    GtkWindow* window = nullptr;
    int dpi = 96;                   // the scale of its layout: pixels = twips * dpi / 1440
    GtkWidget* label = nullptr;     // the label whose font texts are measured in
    GtkWidget* progress = nullptr;  // a hidden progress bar
    GtkWidget* cancel = nullptr;    // the Cancel button
  };

  // Call after gtk_init. `command_line`: what CommandLine gives, in drive
  // form. Every event of the program passes through the desktop first, so
  // that a copy can hold input back.
  explicit GtkDesktop(std::string command_line);
  ~GtkDesktop() override;

  GtkDesktop(const GtkDesktop&) = delete;
  GtkDesktop& operator=(const GtkDesktop&) = delete;

  std::string CommandLine() override { return command_line_; }

  // A modal alert titled "Tarnivo" over the dialog (centred on the screen
  // before the dialog is shown): the icon and buttons of `style`, the first
  // button focused and the default. Escape and the close control give Cancel
  // on Retry/Cancel and OK on OK; a Yes/No box waits for Yes or No. A
  // button's letter, with or without Alt, presses it; Ctrl+C puts the box's
  // title, text and buttons on the clipboard.
  MessageBoxResult ShowMessage(const std::string& text, MessageBoxStyle style) override;

  // Shows `file` (a name without a folder; HTML), looked up beside the
  // executable, then in ../share/tarnivo and the installed data folder, in
  // a window of its own, transient for `owner` (the dialog's GtkWindow):
  // under X11 beside the dialog where it covers nothing, else clear of its
  // buttons; under Wayland where the compositor puts it. Throws
  // PlatformError when the file is in none of those folders.
  void ShowHelp(WindowHandle owner, const std::string& file, int command, int data) override;

  // Width of `text` as the source label shows it, in twips at the dialog's
  // scale.
  int MeasureTextWidth(const std::string& text) override;

  // Ends the process with status 0 at once: stdio is flushed, no destructor
  // or exit handler runs (a copy is already on the device when it counts as
  // done).
  [[noreturn]] void Terminate() override;

  // Between the steps of a copy: lets the windows repaint (with input held
  // back) and, once the copy has run for kProgressDelayMs, shows the bar.
  // Escape, a click on the dialog's Cancel button or closing the dialog
  // meanwhile asks to stop the copy: false from then on, and no handler runs.
  bool CopyProgress(std::uint64_t done, std::uint64_t total);

  void AttachDialog(const DialogParts& parts);

  // Asks to stop the copy that runs, if any (the dialog was closed).
  void AskToStop();

  // A handler has returned: any copy it made is over, the bar goes away.
  void HandlerEnded();

 private:
  class HelpWindow;

  static void FilterEvent(GdkEvent* event, gpointer self);
  bool AsksToStop(GdkEvent* event) const;
  void PumpEvents();
  void EndProgress();

  std::string command_line_;
  DialogParts dialog_;
  std::unique_ptr<HelpWindow> help_;
  view::GObjectRef<GtkWidget> measure_label_;  // until the dialog is there

  using Clock = std::chrono::steady_clock;
  bool holding_input_ = false;
  bool stop_asked_ = false;
  bool copying_ = false;
  bool bar_shown_ = false;
  std::uint64_t last_done_ = 0;
  Clock::time_point copy_start_;
  Clock::time_point last_pump_;
};

}  // namespace tarnivo
