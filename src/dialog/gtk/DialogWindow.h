// The dialog's window in GTK 3. It builds the controls from the control
// table at the desktop's scale, shows the fields frmMain hands it, and
// forwards what the user does to frmMain's events. It holds no value and no
// rule of its own: the state is the dialog, and the form decides what each
// event does. Names cross it through the private-use mapping (NameMap.h):
// the widgets show and take Linux names, the form sees drive form.
#pragma once

#include <gio/gunixmounts.h>
#include <gtk/gtk.h>

#include <array>
#include <string>
#include <vector>

#include "dialog/ControlTable.h"
#include "dialog/DialogState.h"
#include "dialog/frmMain.h"
#include "dialog/gtk/GObjectRef.h"
#include "dialog/gtk/GtkDesktop.h"

namespace tarnivo {

class DialogWindow {
 public:
  // Builds the window (not shown yet) and tells the desktop its scale, its
  // font and its progress bar, so that texts can be measured before it shows.
  DialogWindow(DialogState& state, frmMain& form, GtkDesktop& desktop);
  ~DialogWindow();

  DialogWindow(const DialogWindow&) = delete;
  DialogWindow& operator=(const DialogWindow&) = delete;

  // Shows the window, filled from the state, in the middle of the screen
  // with the focus on the first control in tab order, the drive list.
  void Show();

  // Runs until a handler ends the program; closing the window ends it as
  // Cancel does.
  void Run();

  // The scale of the layout, in dots per inch: the desktop's, or more where
  // its font needs more room than the twips give.
  int Dpi() const { return dpi_; }

 private:
  void Build();
  GtkWidget* NewControl(const ControlRow& row);
  GtkWidget* NewFolderList();
  void Layout();
  void LoadFolderIcons();

  void Refresh(DialogField field);
  void ShowText(ControlId box);
  void ShowSelection(ControlId box);
  void ShowDrives();
  void ShowFolders();

  static void OnChanged(GtkWidget* widget, gpointer self);
  void Defer(ControlId id);
  void Changed(ControlId id);
  bool OnKey(GdkEventKey* key);
  void OnFocus(GtkWidget* focus);
  void Pressed(ControlId button);
  void StepDrive(int index);
  int CursorLine() const;
  void SetCursorLine(int line);

  GtkWidget* Widget(ControlId id) const { return widgets_[static_cast<std::size_t>(id)]; }
  // The widget placed at the control's rectangle (the folder list's frame).
  GtkWidget* Outer(ControlId id) const;
  // The control that `widget` is, or is part of.
  bool IdOf(GtkWidget* widget, ControlId& id) const;

  DialogState& state_;
  frmMain& form_;
  GtkDesktop& desktop_;

  view::WindowPtr window_;
  GtkWidget* fixed_ = nullptr;
  std::array<GtkWidget*, kControls.size()> widgets_{};
  GtkWidget* folder_frame_ = nullptr;
  GtkWidget* progress_ = nullptr;
  GtkCellRenderer* folder_icon_renderer_ = nullptr;
  GtkCellRenderer* folder_text_renderer_ = nullptr;
  view::GObjectRef<GUnixMountMonitor> mounts_;
  view::GObjectRef<GtkTreeModel> folders_;
  std::array<view::SurfacePtr, 2> folder_icons_;  // closed, open
  std::vector<std::string> drives_shown_;
  int dpi_ = 96;
  bool showing_ = false;             // while the widgets take the state's values
  std::vector<ControlId> deferred_;  // changes that run from the main loop
  guint deferred_source_ = 0;
};

}  // namespace tarnivo
