// The desktop's scale and the look of Tarnivo's windows in GTK.
//
// The scale is the desktop's font resolution as GTK reads it: Xft.dpi under
// X11 (from XSETTINGS, or the X resource that xrdb sets), the text scaling
// of the session under Wayland; 96 without one. GTK's own window scale
// (GDK_SCALE, a 2x desktop) comes on top of it and needs nothing here: all
// sizes below are in GTK's logical pixels.
#pragma once

#include <gtk/gtk.h>

#include <string>

namespace tarnivo::view {

// The desktop's dots per inch (48 to 960), read once.
int DesktopDpi();

// `pixels` at 96 dpi on this desktop: Px(16) => 32 at 192 dpi.
int Px(int pixels);

// The size of `text` in pixels, on one line in `widget`'s font.
GtkRequisition TextSize(GtkWidget* widget, const std::string& text);

// True where the program places its own windows (X11); under Wayland the
// compositor places them and a program has no global positions.
bool PlacesWindows();

// Installs, once, the style sheet of Tarnivo's windows: the dialog's controls
// trimmed to the classic dialog's compact padding (its layout is fixed; the
// theme's roomier padding would not fit it), message boxes spaced at the
// desktop's scale. Colours, fonts and shapes stay the theme's.
void InstallStyle();

// The style classes of the windows.
inline constexpr const char* kDialogClass = "tarnivo-dialog";
inline constexpr const char* kMessageClass = "tarnivo-message";

}  // namespace tarnivo::view
