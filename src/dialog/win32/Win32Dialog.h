// The dialog on Win32: a real dialog (so the dialog manager gives tab order,
// option groups, access keys, Enter for OK and Escape for Cancel) whose
// controls are created from the control table at the screen's DPI.
//
// The view only moves values: the user's edits go into DialogState, the
// state's changes come back through its observer, and each event is
// forwarded to frmMain's handler. The drive list's selection goes through
// DialogState::SetDriveIndex, which raises the drive-change handling.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dialog/ControlTable.h"
#include "dialog/DialogState.h"
#include "dialog/DirListModel.h"
#include "dialog/frmMain.h"
#include "platform/win32/Win32Platform.h"

namespace tarnivo::win32 {

class Win32Dialog {
 public:
  Win32Dialog(HINSTANCE instance, Win32Platform& platform, DialogState& state, frmMain& form);
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
  void OnCommand(int id, int code);
  void OnDrawItem(const DRAWITEMSTRUCT& item);
  void OnCopyProgress(Win32Platform::CopyPhase phase, std::uint64_t done, std::uint64_t total);
  void SetProgress(std::uint64_t done, std::uint64_t total);
  void PumpWithoutInput();
  void OpenDirEntry(int index);
  void ReloadDrives();

  // Runs a handler of frmMain, and what waited for it afterwards.
  template <typename F>
  void RunHandler(F&& handler);

  // Observer: one field of the state has changed.
  void Sync(DialogField field);
  void SyncAll();
  void ShowText(ControlId box);
  void ShowSelection(ControlId box);
  void FillDriveList();
  void FillDirList();
  void PlaceDriveGroup();
  void SetRadio(ControlId id, bool checked);

  HWND Item(ControlId id) const { return items_[static_cast<int>(id)]; }
  int Px(int twips) const;
  std::wstring ItemText(ControlId id) const;
  bool FocusInDialog() const;

  HINSTANCE instance_;
  Win32Platform& platform_;
  DialogState& state_;
  frmMain& form_;
  HWND hwnd_ = nullptr;
  HWND items_[16] = {};
  HWND progress_bar_ = nullptr;
  HICON icon_big_ = nullptr;
  HICON icon_small_ = nullptr;
  int dpi_ = 96;
  int icon_scale_ = 1;
  std::vector<DirLine> dir_lines_;

  bool syncing_ = false;         // a value is being shown: its notification is ours
  int handler_depth_ = 0;        // frmMain handlers running (nested through message boxes)
  bool drives_changed_ = false;  // a drive came or went while a handler ran
  HWND parked_focus_ = nullptr;  // a box that lost the focus to another window
  bool copying_ = false;
  bool progress_shown_ = false;
  bool progress_marquee_ = false;
  DWORD copy_start_ = 0;
};

}  // namespace tarnivo::win32
