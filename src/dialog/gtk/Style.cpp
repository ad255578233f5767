#include "dialog/gtk/Style.h"

#include <gtk/gtk.h>

#include <cmath>
#include <string>

#include "dialog/gtk/GObjectRef.h"
#include "dialog/gtk/ViewModel.h"

namespace tarnivo::view {
namespace {

constexpr int kMinDpi = 48;   // half the usual size
constexpr int kMaxDpi = 960;  // ten times

// "@6" in `css` becomes Px(6) pixels: "padding: @1 @4" => "padding: 2px 8px" at 192 dpi.
std::string Scaled(const char* css) {
  std::string out;
  for (const char* c = css; *c != '\0'; ++c) {
    if (*c != '@') {
      out += *c;
      continue;
    }
    int pixels = 0;
    while (c[1] >= '0' && c[1] <= '9') pixels = pixels * 10 + (*++c - '0');
    out += std::to_string(Px(pixels)) + "px";
  }
  return out;
}

// Sizes in pixels at 96 dpi, marked '@'.
constexpr const char* kCss = R"(
window.tarnivo-dialog entry { min-height: 0; padding: 0 @3; }
window.tarnivo-dialog button { min-height: 0; min-width: 0; padding: 0 @4; }
window.tarnivo-dialog combobox button { padding: 0 @2 0 @3; }
window.tarnivo-dialog combobox arrow { min-width: @12; min-height: @12; -gtk-icon-transform: scale(1); }
window.tarnivo-dialog radiobutton { padding: 0; }
window.tarnivo-dialog radiobutton label { margin: 0; }
window.tarnivo-dialog radiobutton radio { margin: 0 @3 0 0; min-width: @11; min-height: @11; }
window.tarnivo-dialog progressbar trough, window.tarnivo-dialog progressbar progress {
  min-height: 0; min-width: 0; border-radius: 0; }
window.tarnivo-dialog treeview { -GtkTreeView-vertical-separator: 0; -GtkTreeView-horizontal-separator: 0; }
window.tarnivo-message button { min-height: @21; min-width: @57; padding: 0 @8; }
)";

}  // namespace

int DesktopDpi() {
  static const int dpi = [] {
    GdkScreen* screen = gdk_screen_get_default();
    if (screen == nullptr) return kBaseDpi;
    // GTK's settings hand the desktop's resolution to the screen.
    gtk_settings_get_for_screen(screen);
    const double found = gdk_screen_get_resolution(screen);
    return found >= kMinDpi && found <= kMaxDpi ? static_cast<int>(std::lround(found)) : kBaseDpi;
  }();
  return dpi;
}

int Px(int pixels) { return ScalePixels(pixels, DesktopDpi()); }

GtkRequisition TextSize(GtkWidget* widget, const std::string& text) {
  GObjectRef<PangoLayout> layout(gtk_widget_create_pango_layout(widget, text.c_str()));
  GtkRequisition size{};
  pango_layout_get_pixel_size(layout.get(), &size.width, &size.height);
  return size;
}

bool PlacesWindows() {
  GdkDisplay* display = gdk_display_get_default();
  return display != nullptr && g_str_has_prefix(G_OBJECT_TYPE_NAME(display), "GdkX11");
}

void InstallStyle() {
  static bool installed = false;
  GdkScreen* screen = gdk_screen_get_default();
  if (installed || screen == nullptr) return;
  installed = true;
  GObjectRef<GtkCssProvider> css(gtk_css_provider_new());
  const std::string text = Scaled(kCss);
  gtk_css_provider_load_from_data(css.get(), text.c_str(), -1, nullptr);
  gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(css.get()),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

}  // namespace tarnivo::view
