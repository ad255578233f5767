// The dialog on Win32: a real dialog (so the dialog manager gives tab order,
// option groups, access keys, Enter for OK and Escape for Cancel) whose
// controls are created from the control table at the screen's DPI.
//
// The view only moves values: what the user does goes to frmMain's events,
// and the fields the form hands back are shown in the controls. Which
// handler runs, which option button is a tab stop and what the directory
// list holds are the form's and the state's to say.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dialog/ControlTable.h"
#include "dialog/DialogState.h"
#include "dialog/DirListModel.h"
#include "dialog/frmMain.h"
#include "dialog/win32/Win32Desktop.h"
#include "platform/win32/Win32FileSystem.h"

struct IAccPropServices;

namespace tarnivo::win32 {

class Win32Dialog {
 public:
  Win32Dialog(HINSTANCE instance, Win32FileSystem& files, Win32Desktop& desktop, DialogState& state,
              frmMain& form);
  ~Win32Dialog();

  Win32Dialog(const Win32Dialog&) = delete;
  Win32Dialog& operator=(const Win32Dialog&) = delete;

  // Creates the window, hidden, with its controls showing the state.
  bool Create();
  // Shows it with the focus on the first control in tab order, the drive
  // list.
  void Show();
  // Runs the message loop until the program ends.
  int Run();

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR Handle(UINT message, WPARAM wparam, LPARAM lparam);

  void OnInit();
  void CreateControls();
  // Gives the controls without a caption of their own an accessible name.
  void NameControls();
  void OnCommand(int id, int code);
  void OnDrawItem(const DRAWITEMSTRUCT& item);
  void OnCopyProgress(Win32FileSystem::CopyPhase phase, std::uint64_t done, std::uint64_t total);
  void SetProgress(std::uint64_t done, std::uint64_t total);
  void PumpWithoutInput();
  void OpenDirEntry(int index);

  // One field of the state to show anew.
  void Sync(DialogField field);
  void ShowText(ControlId box);
  void ShowSelection(ControlId box);
  void FillDriveList();
  void FillDirList();
  void PlaceDriveGroup();
  void SetRadio(ControlId id, bool checked);

  HWND Item(ControlId id) const { return items_[static_cast<int>(id)]; }
  int Px(int twips) const;
  std::wstring ItemText(ControlId id) const;
  // The control that holds the keyboard focus; false when the focus is in
  // another window (a message box, another program).
  bool FocusedControl(ControlId& id) const;

  HINSTANCE instance_;
  Win32FileSystem& files_;
  Win32Desktop& desktop_;
  DialogState& state_;
  frmMain& form_;
  HWND hwnd_ = nullptr;
  HWND items_[16] = {};
  HWND progress_bar_ = nullptr;
  HICON icon_big_ = nullptr;
  HICON icon_small_ = nullptr;
  IAccPropServices* annotations_ = nullptr;  // holds the accessible names
  bool com_ = false;                         // COM initialised here
  int dpi_ = 96;
  int icon_scale_ = 1;
  std::vector<DirLine> dir_lines_;  // as the list box holds them

  bool syncing_ = false;  // a value is being shown: its notification is ours
  bool copying_ = false;
  bool progress_shown_ = false;
  bool progress_marquee_ = false;
  DWORD copy_start_ = 0;
};

}  // namespace tarnivo::win32
