// Owners for GTK's reference-counted objects.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <utility>

namespace tarnivo::view {

// Holds one reference to a GObject and drops it when it goes.
//   GObjectRef<GtkCssProvider> css(gtk_css_provider_new());   // takes over the new reference
//   auto theme = GObjectRef<GtkIconTheme>::Share(gtk_icon_theme_get_default());
template <class T>
class GObjectRef {
 public:
  GObjectRef() = default;
  explicit GObjectRef(T* adopted) : object_(adopted) {}
  static GObjectRef Share(T* object) {
    if (object != nullptr) g_object_ref(object);
    return GObjectRef(object);
  }
  GObjectRef(GObjectRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  GObjectRef& operator=(GObjectRef&& other) noexcept {
    Reset(std::exchange(other.object_, nullptr));
    return *this;
  }
  GObjectRef(const GObjectRef&) = delete;
  GObjectRef& operator=(const GObjectRef&) = delete;
  ~GObjectRef() { Reset(); }

  T* get() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  void Reset(T* adopted = nullptr) {
    if (object_ != nullptr) g_object_unref(object_);
    object_ = adopted;
  }

 private:
  T* object_ = nullptr;
};

// A top-level window, destroyed (taken off the screen and out of GTK's list
// of windows) when its owner goes.
struct WindowDestroyer {
  void operator()(GtkWidget* window) const { gtk_widget_destroy(window); }
};
using WindowPtr = std::unique_ptr<GtkWidget, WindowDestroyer>;

// A cairo surface, destroyed when its owner goes.
struct SurfaceDestroyer {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDestroyer>;

// A signal handler: a function without captures, given the instance's
// arguments and `data`.
//   Connect(button, "clicked", +[](GtkButton*, gpointer self) {...}, this);
template <class Function>
gulong Connect(gpointer instance, const char* signal, Function* handler, gpointer data,
               bool after = false) {
  return g_signal_connect_data(instance, signal, reinterpret_cast<GCallback>(handler), data,
                               nullptr, after ? G_CONNECT_AFTER : GConnectFlags{});
}

}  // namespace tarnivo::view
