// The program's own help window: the help text that the program carries as a
// resource, in a scrolling read-only box. Used where no WinHelp viewer can
// show the help file. It does not block the dialog; Escape closes it.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/WinApi.h"

namespace tarnivo::win32 {

// An in-memory template of a dialog without items in the 8-point shell font,
// for CreateDialogIndirectParamW; the controls are created at run time.
std::vector<WORD> EmptyDialogTemplate(DWORD style, WORD width, WORD height,
                                      const std::wstring& caption);

// Opens the window near `owner`, or brings it to the front when it is open.
void ShowHelpWindow(HINSTANCE instance, HWND owner, HFONT font, int dpi);

// The help window while it is open (for the message loop), else null.
HWND CurrentHelpWindow();

}  // namespace tarnivo::win32
