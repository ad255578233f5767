#include "dialog/fltk/Scale.h"

#include <FL/Enumerations.H>
#include <FL/Fl.H>
#include <FL/x.H>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tarnivo::view {
namespace {

constexpr int kMinDpi = 48;   // half the usual size
constexpr int kMaxDpi = 960;  // ten times
constexpr int kTwipsPerInch = 1440;
constexpr int kScrollbarWidth = 16;  // FLTK's own, at 96 dpi

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// "144" or "120.6" => whole dots per inch; 0 for anything else.
int ParseDpi(std::string_view value) {
  double dpi = 0;
  const auto [end, error] =
      std::from_chars(value.data(), value.data() + value.size(), dpi, std::chars_format::fixed);
  if (error != std::errc() || end != value.data() + value.size()) return 0;
  if (!(dpi >= kMinDpi && dpi <= kMaxDpi)) return 0;
  return static_cast<int>(std::lround(dpi));
}

int ReadDesktopDpi() {
  fl_open_display();
  const char* resources = XResourceManagerString(fl_display);
  const int dpi = resources != nullptr ? XftDpi(resources) : 0;
  return dpi != 0 ? dpi : kBaseDpi;
}

}  // namespace

int XftDpi(std::string_view resources) {
  int dpi = 0;
  while (!resources.empty()) {
    const auto end = resources.find('\n');
    const std::string_view line = resources.substr(0, end);
    resources = end == std::string_view::npos ? std::string_view() : resources.substr(end + 1);
    const auto colon = line.find(':');
    if (colon == std::string_view::npos || Trim(line.substr(0, colon)) != "Xft.dpi") continue;
    dpi = ParseDpi(Trim(line.substr(colon + 1)));
  }
  return dpi;
}

int DesktopDpi() {
  static const int dpi = [] {
    const int found = ReadDesktopDpi();
    Fl::scrollbar_size(ScalePixels(kScrollbarWidth, found));
#if FL_API_VERSION >= 10400
    // This FLTK would scale every window by Xft.dpi as well.
    Fl::keyboard_screen_scaling(0);
    for (int screen = 0; screen < Fl::screen_count(); ++screen) Fl::screen_scale(screen, 1.0f);
#endif
    return found;
  }();
  return dpi;
}

int Px(int pixels) { return ScalePixels(pixels, DesktopDpi()); }

int LineWidth() { return std::max(1, DesktopDpi() / kBaseDpi); }

int PixelsToTwips(double pixels) {
  return static_cast<int>(std::lround(pixels * kTwipsPerInch / DesktopDpi()));
}

}  // namespace tarnivo::view
