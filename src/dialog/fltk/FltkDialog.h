// The dialog's window in FLTK. It builds the controls from the control table,
// shows the dialog state in them through the state's observer, copies the
// user's edits back into the state, and forwards events to frmMain's
// handlers. It holds no value of its own: the state is the dialog.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "dialog/ControlTable.h"
#include "dialog/DialogState.h"
#include "dialog/fltk/Widgets.h"
#include "dialog/frmMain.h"

class Fl_Double_Window;

namespace tarnivo {

class FltkUi;

class FltkDialog final : public view::FocusListener {
 public:
  // Builds the window (not shown yet) and starts observing `state`.
  FltkDialog(PlatformServices& platform, DialogState& state, frmMain& form, FltkUi& ui);
  ~FltkDialog() override;

  FltkDialog(const FltkDialog&) = delete;
  FltkDialog& operator=(const FltkDialog&) = delete;

  // Shows the window in the middle of the screen with the focus on the
  // first control in tab order, the drive list.
  void Show();

  // Runs until a handler ends the program; closing the window ends it as
  // Cancel does.
  void Run();

  // Focus events of the text boxes reach their handlers here: losing the
  // network box to another control of the dialog, entering either box.
  void FocusMovedTo(Fl_Widget* widget) override;

 private:
  class Window;

  void Build();
  void Refresh(DialogField field);
  void RefreshDirList();
  static ControlId BoxOf(DialogField field);
  void ShowText(ControlId box);
  void ShowSelection(ControlId box);
  void MoveTab(bool forward);
  void OpenFolder(const std::string& folder);
  void ReloadDrives();
  void Changed(ControlId id);
  template <class Handler>
  void RunHandler(Handler&& handler);

  Fl_Widget* Widget(ControlId id) const { return widgets_[static_cast<std::size_t>(id)]; }
  bool IdOf(const Fl_Widget* widget, ControlId& id) const;
  bool OptionSelected(ControlId id) const;

  static void OnChanged(Fl_Widget* widget, void* self);
  static void OnClose(Fl_Widget* widget, void* self);

  PlatformServices& platform_;
  DialogState& state_;
  frmMain& form_;
  FltkUi& ui_;

  std::unique_ptr<Window> window_;
  std::array<Fl_Widget*, kControls.size()> widgets_{};
  view::DriveList* drive_list_ = nullptr;
  view::DirList* dir_list_ = nullptr;
  Fl_Input* file_name_ = nullptr;
  Fl_Input* network_ = nullptr;
  Fl_Widget* file_name_label_ = nullptr;
  view::ProgressBar* progress_ = nullptr;

  Fl_Widget* logical_focus_ = nullptr;  // the control that last took the focus
  bool in_handler_ = false;
  bool dir_list_stale_ = false;
};

}  // namespace tarnivo
