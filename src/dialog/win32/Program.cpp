#include "dialog/win32/Program.h"

#include "dialog/DialogState.h"
#include "dialog/frmMain.h"
#include "dialog/win32/Win32Desktop.h"
#include "dialog/win32/Win32Dialog.h"
#include "platform/win32/Win32FileSystem.h"

// clang-format off
#include <windows.h>
#include <commctrl.h>  // after windows.h
// clang-format on

namespace tarnivo::win32 {

int RunProgram() {
  // An empty drive is reported to the program, never in a system box of
  // its own ("There is no disk in the drive").
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  const HINSTANCE instance = GetModuleHandleW(nullptr);
  Win32FileSystem files;
  Win32Desktop desktop(instance);
  DialogState state(files);
  frmMain form({files, desktop}, state);
  Win32Dialog dialog(instance, files, desktop, state, form);
  // The dialog is filled before it appears; without a usable source file the
  // program ends here and the dialog is never shown.
  form.Load();
  if (!dialog.Create()) return 1;
  dialog.Show();
  return dialog.Run();
}

}  // namespace tarnivo::win32
