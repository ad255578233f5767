// Tarnivo on Linux: the POSIX platform under the FLTK dialog.
//
//   tarnivo FILE
//
// TARNIVO_DRIVES="C=/;D=/media/usb" pins the drive letters instead of taking
// them from the mount table.
//
// The file manager starts it with the chosen file. The dialog is built,
// Form_Load fills it for the file (or says "File not found !!" and ends the
// program), and the dialog runs until a handler ends the program or the
// window is closed.
#include <cstdlib>

#include "dialog/DialogState.h"
#include "dialog/fltk/FltkDialog.h"
#include "dialog/fltk/FltkUi.h"
#include "dialog/frmMain.h"
#include "platform/posix/DriveMap.h"
#include "platform/posix/PosixPlatform.h"

int main(int argc, char** argv) {
  tarnivo::FltkUi ui;
  tarnivo::PosixPlatform platform(argc, argv, &ui,
                                  tarnivo::posix::PinnedDrives(std::getenv("TARNIVO_DRIVES")));
  tarnivo::DialogState state(platform);
  tarnivo::frmMain form(platform, state);
  tarnivo::FltkDialog dialog(platform, state, form, ui);
  form.Form_Load();
  dialog.Show();
  dialog.Run();
  return 0;
}
