// Tarnivo on Linux: the POSIX file system under the GTK dialog.
//
//   tarnivo FILE
//
// TARNIVO_DRIVES="C=/;D=/media/usb" pins the drive letters instead of taking
// them from the mount table.
//
// The file manager starts it with the chosen file. The form takes the file
// in and fills the dialog (or says "File not found !!" and ends the
// program), and the dialog runs until a handler ends the program or the
// window is closed.
#include <gtk/gtk.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "dialog/DialogState.h"
#include "dialog/frmMain.h"
#include "dialog/gtk/DialogWindow.h"
#include "dialog/gtk/GtkDesktop.h"
#include "platform/posix/DriveMap.h"
#include "platform/posix/PosixFileSystem.h"

int main(int argc, char** argv) {
  // The arguments are file names, never GTK options: GTK reads none of them.
  g_set_prgname("tarnivo");
  g_set_application_name("Tarnivo");
  if (!gtk_init_check(nullptr, nullptr)) {
    std::fprintf(stderr, "tarnivo: cannot open the display\n");
    return 1;
  }
  tarnivo::PosixFileSystem files(tarnivo::posix::PinnedDrives(std::getenv("TARNIVO_DRIVES")));
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  tarnivo::GtkDesktop desktop(files.CommandLineOf(args));
  files.SetCopyProgress([&desktop](std::uint64_t done, std::uint64_t total) {
    return desktop.CopyProgress(done, total);
  });
  tarnivo::DialogState state(files);
  tarnivo::frmMain form({files, desktop}, state);
  tarnivo::DialogWindow dialog(state, form, desktop);
  form.Load();
  dialog.Show();
  dialog.Run();
  return 0;
}
