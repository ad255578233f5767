// The dialog's window in FLTK. It builds the controls from the control table,
// shows the fields frmMain hands it, and forwards what the user does to
// frmMain's events. It holds no value and no rule of its own: the state is
// the dialog, and the form decides what each event does.
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
  // Builds the window (not shown yet).
  FltkDialog(DialogState& state, frmMain& form, FltkUi& ui);
  ~FltkDialog() override;

  FltkDialog(const FltkDialog&) = delete;
  FltkDialog& operator=(const FltkDialog&) = delete;

  // Shows the window, filled from the state, in the middle of the screen
  // with the focus on the first control in tab order, the drive list.
  void Show();

  // Runs until a handler ends the program; closing the window ends it as
  // Cancel does.
  void Run();

  // Every focus move to a control of the dialog goes to the form.
  void FocusMovedTo(Fl_Widget* widget) override;

 private:
  class Window;

  void Build();
  void Refresh(DialogField field);
  static ControlId BoxOf(DialogField field);
  void ShowText(ControlId box);
  void ShowSelection(ControlId box);
  void MoveTab(bool forward);
  void Changed(ControlId id);
  // After an event that may have run a handler: a copy it made is over.
  void EventEnded();

  Fl_Widget* Widget(ControlId id) const { return widgets_[static_cast<std::size_t>(id)]; }
  bool IdOf(const Fl_Widget* widget, ControlId& id) const;

  static void OnChanged(Fl_Widget* widget, void* self);
  static void OnClose(Fl_Widget* widget, void* self);

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
};

}  // namespace tarnivo
