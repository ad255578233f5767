#include "dialog/gtk/GtkDesktop.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <utility>
#include <vector>

#include "dialog/ControlTable.h"
#include "dialog/HelpPlacement.h"
#include "dialog/gtk/GObjectRef.h"
#include "dialog/gtk/HelpText.h"
#include "dialog/gtk/Style.h"
#include "dialog/gtk/ViewModel.h"
#include "platform/posix/NameMap.h"

#ifndef TARNIVO_DATA_DIR
#define TARNIVO_DATA_DIR "/usr/share/tarnivo"
#endif

namespace tarnivo {
namespace {

using namespace std::chrono_literals;
using view::Connect;
using view::GObjectRef;
using view::Px;

constexpr auto kProgressDelay = std::chrono::milliseconds(kProgressDelayMs);
constexpr auto kPumpInterval = 40ms;  // repaint this often during a copy
constexpr auto kPumpLimit = 20ms;     // and for no longer than this each time

bool IsInputEvent(GdkEventType type) {
  switch (type) {
    case GDK_KEY_PRESS:
    case GDK_KEY_RELEASE:
    case GDK_BUTTON_PRESS:
    case GDK_2BUTTON_PRESS:
    case GDK_3BUTTON_PRESS:
    case GDK_BUTTON_RELEASE:
    case GDK_MOTION_NOTIFY:
    case GDK_SCROLL:
    case GDK_TOUCH_BEGIN:
    case GDK_TOUCH_UPDATE:
    case GDK_TOUCH_END:
    case GDK_TOUCH_CANCEL:
    case GDK_TOUCHPAD_SWIPE:
    case GDK_TOUCHPAD_PINCH:
    case GDK_DRAG_ENTER:
    case GDK_DRAG_MOTION:
    case GDK_DROP_START:
      return true;
    default:
      return false;
  }
}

// --- Message boxes

struct BoxButton {
  const char* caption;  // '&' marks the access key
  MessageBoxResult result;
};

struct BoxStyle {
  const char* icon;
  std::vector<BoxButton> buttons;
  bool can_escape;
  MessageBoxResult escape_result;
};

BoxStyle StyleOf(MessageBoxStyle style) {
  switch (style) {
    case MessageBoxStyle::YesNoInformation:
      return {"dialog-information",
              {{"&Yes", MessageBoxResult::Yes}, {"&No", MessageBoxResult::No}},
              false,
              MessageBoxResult::No};
    case MessageBoxStyle::RetryCancelStop:
      return {"dialog-error",
              {{"&Retry", MessageBoxResult::Retry}, {"Cancel", MessageBoxResult::Cancel}},
              true,
              MessageBoxResult::Cancel};
    case MessageBoxStyle::OkExclamation:
      break;
  }
  return {"dialog-warning", {{"OK", MessageBoxResult::Ok}}, true, MessageBoxResult::Ok};
}

// A box while it is open: its look, its text for the clipboard, its answer.
struct BoxRun {
  BoxStyle look;
  std::string clipboard;
  GMainLoop* loop = nullptr;
  MessageBoxResult result = MessageBoxResult::Cancel;

  void Answer(MessageBoxResult answer) {
    result = answer;
    g_main_loop_quit(loop);
  }
};

// Ctrl+C (or Ctrl+Insert) copies the box; a button's letter presses it;
// Escape gives the escape answer where the box has one.
gboolean OnBoxKey(GtkWidget* box, GdkEventKey* key, gpointer data) {
  auto& run = *static_cast<BoxRun*>(data);
  const guint mods = key->state & gtk_accelerator_get_default_mod_mask();
  const guint lower = gdk_keyval_to_lower(key->keyval);
  if (mods == GDK_CONTROL_MASK && (lower == GDK_KEY_c || lower == GDK_KEY_Insert)) {
    gtk_clipboard_set_text(gtk_widget_get_clipboard(box, GDK_SELECTION_CLIPBOARD),
                           run.clipboard.c_str(), -1);
    return TRUE;
  }
  if (mods == 0 && lower == GDK_KEY_Escape) {
    if (run.look.can_escape) run.Answer(run.look.escape_result);
    return TRUE;
  }
  if ((mods & ~(GDK_SHIFT_MASK | GDK_MOD1_MASK)) != 0) return FALSE;
  const gunichar typed = gdk_keyval_to_unicode(lower);
  for (const BoxButton& button : run.look.buttons) {
    if (typed != 0 && typed == static_cast<gunichar>(AccessKey(button.caption))) {
      run.Answer(button.result);
      return TRUE;
    }
  }
  return FALSE;
}

constexpr const char* kResultKey = "tarnivo-result";

// --- Help

// The folder of the running executable, with its slash.
std::string ExecutableFolder() {
  std::vector<char> buffer(PATH_MAX + 1);
  const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return {};
  std::string path(buffer.data(), static_cast<std::size_t>(n));
  return path.substr(0, path.rfind('/') + 1);
}

std::string FindHelpFile(const std::string& file) {
  if (file.empty() || file.find('/') != std::string::npos) {
    throw PlatformError("not a help file name: " + file);
  }
  const std::string here = ExecutableFolder();
  for (const std::string& folder :
       {here, here + "../share/tarnivo/", std::string(TARNIVO_DATA_DIR) + "/"}) {
    if (!folder.empty() && folder != "/" && std::ifstream(folder + file).good()) {
      return folder + file;
    }
  }
  throw PlatformError("help file not found: " + file);
}

constexpr const char* kTargetKey = "tarnivo-target";

}  // namespace

// The help text in a window of its own: a read-only text view that a screen
// reader reads and the keyboard moves through. A link scrolls to its anchor
// (a click, or Enter on it); Escape closes the window, which stays for the
// next time.
class GtkDesktop::HelpWindow {
 public:
  explicit HelpWindow(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) throw PlatformError("cannot read " + path);
    const view::HelpDocument doc = view::ParseHelp(html);

    window_.reset(gtk_window_new(GTK_WINDOW_TOPLEVEL));
    GtkWindow* window = GTK_WINDOW(window_.get());
    gtk_window_set_title(window, doc.title.empty() ? "Tarnivo Help" : doc.title.c_str());
    gtk_window_set_default_size(window, Width(), Height());
    gtk_widget_set_size_request(window_.get(), Px(240), Px(160));
    Connect(
        window_.get(), "delete-event",
        +[](GtkWidget* widget, GdkEvent*, gpointer) { return gtk_widget_hide_on_delete(widget); },
        nullptr);
    Connect(
        window_.get(), "key-press-event",
        +[](GtkWidget* widget, GdkEventKey* key, gpointer) -> gboolean {
          if (key->keyval != GDK_KEY_Escape) return FALSE;
          gtk_widget_hide(widget);
          return TRUE;
        },
        nullptr);

    GtkWidget* scroll = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroll), GTK_POLICY_NEVER,
                                   GTK_POLICY_AUTOMATIC);
    view_ = gtk_text_view_new();
    GtkTextView* view = GTK_TEXT_VIEW(view_);
    gtk_text_view_set_editable(view, FALSE);
    gtk_text_view_set_wrap_mode(view, GTK_WRAP_WORD_CHAR);
    gtk_text_view_set_left_margin(view, Px(10));
    gtk_text_view_set_right_margin(view, Px(10));
    gtk_text_view_set_top_margin(view, Px(8));
    gtk_text_view_set_bottom_margin(view, Px(8));
    atk_object_set_name(gtk_widget_get_accessible(view_), gtk_window_get_title(window));
    Fill(doc);
    Connect(view_, "event-after", +OnEvent, this);
    gtk_container_add(GTK_CONTAINER(scroll), view_);
    gtk_container_add(GTK_CONTAINER(window_.get()), scroll);
    gtk_widget_show_all(scroll);
  }

  // 480 by 460 pixels at 96 dpi, and the narrowest that reads well.
  static int Width() { return Px(480); }
  static int Height() { return Px(460); }
  static int MinWidth() { return Px(320); }

  GtkWindow* Window() const { return GTK_WINDOW(window_.get()); }

  void Show(GtkWindow* owner, int dialog_dpi) {
    GtkWindow* window = Window();
    gtk_window_set_transient_for(window, owner);
    if (owner != nullptr && !gtk_widget_get_visible(window_.get())) Place(owner, dialog_dpi);
    gtk_window_present(window);
  }

 private:
  // Beside the dialog where it covers nothing, else clear of its buttons;
  // only X11 lets a program place its windows.
  void Place(GtkWindow* owner, int dpi) {
    GdkWindow* dialog = gtk_widget_get_window(GTK_WIDGET(owner));
    if (dialog == nullptr || !view::PlacesWindows()) return;
    GdkRectangle frame, work;
    gdk_window_get_frame_extents(dialog, &frame);
    int x = 0, y = 0;
    gdk_window_get_origin(dialog, &x, &y);
    GdkMonitor* monitor = gdk_display_get_monitor_at_window(gdk_window_get_display(dialog), dialog);
    if (monitor == nullptr) return;
    gdk_monitor_get_workarea(monitor, &work);
    const int border = std::max(0, x - frame.x);
    const int title = std::max(0, y - frame.y - border);
    const view::Rect ok = view::ControlRect(Control(ControlId::cmdOK), dpi);
    const view::Rect help = view::ControlRect(Control(ControlId::cmdHelp), dpi);
    const ScreenRect buttons{x + ok.x, y + ok.y, help.x + help.w - ok.x, help.y + help.h - ok.y};
    const ScreenRect place = PlaceHelpWindow({work.x, work.y, work.width, work.height},
                                             {frame.x, frame.y, frame.width, frame.height}, buttons,
                                             Width(), Height(), MinWidth(), Px(16));
    gtk_window_move(Window(), place.x, place.y);
    gtk_window_resize(Window(), std::max(1, place.w - 2 * border),
                      std::max(1, place.h - title - border));
  }

  static GtkTextIter At(GtkTextBuffer* buffer, const std::string& text, std::size_t byte) {
    GtkTextIter iter;
    gtk_text_buffer_get_iter_at_offset(
        buffer, &iter, static_cast<int>(g_utf8_pointer_to_offset(text.data(), text.data() + byte)));
    return iter;
  }

  void Fill(const view::HelpDocument& doc) {
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view_));
    gtk_text_buffer_set_text(buffer, doc.text.c_str(), static_cast<int>(doc.text.size()));
    GdkRGBA link;
    gtk_style_context_get_color(gtk_widget_get_style_context(view_), GTK_STATE_FLAG_LINK, &link);
    const int table_tab = TableTab(doc);
    std::map<view::HelpStyle, GtkTextTag*> tags = {
        {view::HelpStyle::Heading,
         gtk_text_buffer_create_tag(buffer, nullptr, "weight", PANGO_WEIGHT_BOLD, "scale",
                                    PANGO_SCALE_X_LARGE, "pixels-below-lines", Px(4), nullptr)},
        {view::HelpStyle::Subheading,
         gtk_text_buffer_create_tag(buffer, nullptr, "weight", PANGO_WEIGHT_BOLD, "scale",
                                    PANGO_SCALE_LARGE, nullptr)},
        {view::HelpStyle::Bold,
         gtk_text_buffer_create_tag(buffer, nullptr, "weight", PANGO_WEIGHT_BOLD, nullptr)},
        {view::HelpStyle::Code,
         gtk_text_buffer_create_tag(buffer, nullptr, "family", "monospace", nullptr)},
        {view::HelpStyle::Indent,
         gtk_text_buffer_create_tag(buffer, nullptr, "left-margin", Px(34), nullptr)},
    };
    PangoTabArray* tabs = pango_tab_array_new_with_positions(1, TRUE, PANGO_TAB_LEFT, table_tab);
    tags[view::HelpStyle::Table] =
        gtk_text_buffer_create_tag(buffer, nullptr, "tabs", tabs, "left-margin", Px(10), "indent",
                                   -table_tab, "pixels-below-lines", Px(3), nullptr);
    pango_tab_array_free(tabs);
    for (const view::HelpSpan& span : doc.spans) {
      GtkTextIter begin = At(buffer, doc.text, span.begin);
      GtkTextIter end = At(buffer, doc.text, span.end);
      GtkTextTag* tag = nullptr;
      if (span.style == view::HelpStyle::Link) {
        tag = gtk_text_buffer_create_tag(buffer, nullptr, "underline", PANGO_UNDERLINE_SINGLE,
                                         "foreground-rgba", &link, nullptr);
        g_object_set_data_full(G_OBJECT(tag), kTargetKey, g_strdup(span.target.c_str()), g_free);
      } else {
        tag = tags[span.style];
      }
      gtk_text_buffer_apply_tag(buffer, tag, &begin, &end);
    }
    for (const view::HelpAnchor& anchor : doc.anchors) {
      GtkTextIter at = At(buffer, doc.text, anchor.at);
      gtk_text_buffer_create_mark(buffer, anchor.name.c_str(), &at, TRUE);
    }
    GtkTextIter start;
    gtk_text_buffer_get_start_iter(buffer, &start);
    gtk_text_buffer_place_cursor(buffer, &start);
  }

  // Where a table's second column starts: past its widest first cell.
  int TableTab(const view::HelpDocument& doc) const {
    int widest = 0;
    for (const view::HelpSpan& span : doc.spans) {
      if (span.style != view::HelpStyle::Table) continue;
      const std::string table = doc.text.substr(span.begin, span.end - span.begin);
      for (std::size_t line = 0; line < table.size();) {
        const std::size_t end = std::min(table.find('\n', line), table.size());
        const std::string row = table.substr(line, end - line);
        widest = std::max(widest, view::TextSize(view_, row.substr(0, row.find('\t'))).width);
        line = end + 1;
      }
    }
    return widest + Px(16);
  }

  // Follows the link under `iter`, if any.
  bool Follow(GtkTextIter* iter) {
    GSList* tags = gtk_text_iter_get_tags(iter);
    const char* target = nullptr;
    for (GSList* tag = tags; tag != nullptr && target == nullptr; tag = tag->next) {
      target = static_cast<const char*>(g_object_get_data(G_OBJECT(tag->data), kTargetKey));
    }
    g_slist_free(tags);
    if (target == nullptr) return false;
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view_));
    GtkTextMark* mark = gtk_text_buffer_get_mark(buffer, target);
    if (mark == nullptr) return false;
    GtkTextIter at;
    gtk_text_buffer_get_iter_at_mark(buffer, &at, mark);
    gtk_text_buffer_place_cursor(buffer, &at);
    gtk_text_view_scroll_to_mark(GTK_TEXT_VIEW(view_), mark, 0, TRUE, 0, 0);
    return true;
  }

  static void OnEvent(GtkWidget* widget, GdkEvent* event, gpointer data) {
    auto* self = static_cast<HelpWindow*>(data);
    GtkTextView* view = GTK_TEXT_VIEW(widget);
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(view);
    GtkTextIter iter;
    if (event->type == GDK_KEY_PRESS &&
        (event->key.keyval == GDK_KEY_Return || event->key.keyval == GDK_KEY_KP_Enter)) {
      gtk_text_buffer_get_iter_at_mark(buffer, &iter, gtk_text_buffer_get_insert(buffer));
      self->Follow(&iter);
    } else if (event->type == GDK_BUTTON_RELEASE && event->button.button == GDK_BUTTON_PRIMARY &&
               !gtk_text_buffer_get_has_selection(buffer)) {
      int x = 0, y = 0;
      gtk_text_view_window_to_buffer_coords(view, GTK_TEXT_WINDOW_WIDGET,
                                            static_cast<int>(event->button.x),
                                            static_cast<int>(event->button.y), &x, &y);
      if (gtk_text_view_get_iter_at_location(view, &iter, x, y)) self->Follow(&iter);
    }
  }

  view::WindowPtr window_;
  GtkWidget* view_ = nullptr;
};

GtkDesktop::GtkDesktop(std::string command_line) : command_line_(std::move(command_line)) {
  view::InstallStyle();
  gdk_event_handler_set(FilterEvent, this, nullptr);
}

GtkDesktop::~GtkDesktop() {
  gdk_event_handler_set(
      +[](GdkEvent* event, gpointer) { gtk_main_do_event(event); }, nullptr, nullptr);
}

void GtkDesktop::AttachDialog(const DialogParts& parts) { dialog_ = parts; }

void GtkDesktop::AskToStop() {
  if (copying_) stop_asked_ = true;
}

// Every event of the program passes here first: while a copy holds input
// back, input is dropped, except what asks to stop the copy.
void GtkDesktop::FilterEvent(GdkEvent* event, gpointer data) {
  auto* self = static_cast<GtkDesktop*>(data);
  if (self->holding_input_ && IsInputEvent(event->type)) {
    if (self->AsksToStop(event)) self->stop_asked_ = true;
    return;
  }
  gtk_main_do_event(event);
}

// Escape anywhere in the program, or a left click on the dialog's Cancel
// button.
bool GtkDesktop::AsksToStop(GdkEvent* event) const {
  if (event->type == GDK_KEY_PRESS) return event->key.keyval == GDK_KEY_Escape;
  if (event->type != GDK_BUTTON_PRESS || event->button.button != GDK_BUTTON_PRIMARY) return false;
  for (GtkWidget* widget = gtk_get_event_widget(event); widget != nullptr;
       widget = gtk_widget_get_parent(widget)) {
    if (widget == dialog_.cancel) return true;
  }
  return false;
}

MessageBoxResult GtkDesktop::ShowMessage(const std::string& text, MessageBoxStyle style) {
  // A copy has just failed: what was typed or clicked while it ran was
  // meant for the busy dialog, not for this box.
  if (copying_ && dialog_.window != nullptr) PumpEvents();
  EndProgress();
  BoxRun run{StyleOf(style), {}, g_main_loop_new(nullptr, FALSE)};
  const std::string title(kDialogCaption);
  std::vector<std::string> captions;
  for (const BoxButton& button : run.look.buttons) captions.emplace_back(button.caption);
  run.clipboard = view::MessageClipboardText(title, text, captions);

  view::WindowPtr owner(gtk_window_new(GTK_WINDOW_TOPLEVEL));
  GtkWindow* box = GTK_WINDOW(owner.get());
  gtk_window_set_title(box, title.c_str());
  gtk_window_set_resizable(box, FALSE);
  gtk_window_set_modal(box, TRUE);
  gtk_window_set_type_hint(box, GDK_WINDOW_TYPE_HINT_DIALOG);
  gtk_style_context_add_class(gtk_widget_get_style_context(owner.get()), view::kMessageClass);
  if (dialog_.window != nullptr && gtk_widget_get_visible(GTK_WIDGET(dialog_.window))) {
    gtk_window_set_transient_for(box, dialog_.window);
    gtk_window_set_position(box, GTK_WIN_POS_CENTER_ON_PARENT);
  } else if (view::PlacesWindows()) {
    gtk_window_set_position(box, GTK_WIN_POS_CENTER);
  }
  atk_object_set_role(gtk_widget_get_accessible(owner.get()), ATK_ROLE_ALERT);

  GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, Px(16));
  gtk_container_set_border_width(GTK_CONTAINER(column), static_cast<guint>(Px(12)));
  GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, Px(12));
  GtkWidget* icon = gtk_image_new_from_icon_name(run.look.icon, GTK_ICON_SIZE_DIALOG);
  gtk_image_set_pixel_size(GTK_IMAGE(icon), Px(32));
  gtk_widget_set_valign(icon, GTK_ALIGN_START);
  GtkWidget* message = gtk_label_new(view::MessageLines(text).c_str());
  gtk_label_set_xalign(GTK_LABEL(message), 0);
  gtk_widget_set_margin_end(message, Px(12));
  gtk_box_pack_start(GTK_BOX(row), icon, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(row), message, TRUE, TRUE, 0);
  GtkWidget* buttons = gtk_button_box_new(GTK_ORIENTATION_HORIZONTAL);
  gtk_button_box_set_layout(GTK_BUTTON_BOX(buttons), GTK_BUTTONBOX_CENTER);
  gtk_box_set_spacing(GTK_BOX(buttons), Px(6));
  GtkWidget* first = nullptr;
  for (const BoxButton& button : run.look.buttons) {
    GtkWidget* widget = gtk_button_new_with_mnemonic(view::MnemonicCaption(button.caption).c_str());
    g_object_set_data(G_OBJECT(widget), kResultKey, GINT_TO_POINTER(button.result));
    Connect(
        widget, "clicked",
        +[](GtkButton* clicked, gpointer data) {
          static_cast<BoxRun*>(data)->Answer(static_cast<MessageBoxResult>(
              GPOINTER_TO_INT(g_object_get_data(G_OBJECT(clicked), kResultKey))));
        },
        &run);
    gtk_container_add(GTK_CONTAINER(buttons), widget);
    if (first == nullptr) first = widget;
  }
  gtk_box_pack_start(GTK_BOX(column), row, TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(column), buttons, FALSE, FALSE, 0);
  gtk_container_add(GTK_CONTAINER(box), column);
  gtk_widget_set_can_default(first, TRUE);
  gtk_window_set_default(box, first);
  gtk_widget_grab_focus(first);
  Connect(owner.get(), "key-press-event", +OnBoxKey, &run);
  Connect(
      owner.get(), "delete-event",
      +[](GtkWidget*, GdkEvent*, gpointer data) -> gboolean {
        // The close control answers as Escape does; a Yes/No box stays.
        auto& closing = *static_cast<BoxRun*>(data);
        if (closing.look.can_escape) closing.Answer(closing.look.escape_result);
        return TRUE;
      },
      &run);

  gtk_widget_show_all(owner.get());
  g_main_loop_run(run.loop);
  g_main_loop_unref(run.loop);
  return run.result;
}

void GtkDesktop::ShowHelp(WindowHandle owner, const std::string& file, int /*command*/,
                          int /*data*/) {
  if (!help_) help_ = std::make_unique<HelpWindow>(FindHelpFile(file));
  help_->Show(owner != 0 ? reinterpret_cast<GtkWindow*>(owner) : nullptr, dialog_.dpi);
}

int GtkDesktop::MeasureTextWidth(const std::string& text) {
  GtkWidget* label = dialog_.label;
  if (label == nullptr) {
    if (!measure_label_)
      measure_label_.Reset(GTK_WIDGET(g_object_ref_sink(gtk_label_new(nullptr))));
    label = measure_label_.get();
  }
  const std::string shown = posix::LinuxName(text);  // as the label shows it
  return view::PixelsToTwips(view::TextSize(label, shown).width, dialog_.dpi);
}

void GtkDesktop::Terminate() {
  // Nothing is left to write: a copy is on the device before it counts as
  // done. Exit handlers and the toolkit's destructors are not run, so
  // nothing can hold the end up or run another step of the dialog.
  std::fflush(stdout);
  std::fflush(stderr);
  std::_Exit(0);
}

bool GtkDesktop::CopyProgress(std::uint64_t done, std::uint64_t total) {
  const Clock::time_point now = Clock::now();
  if (!copying_ || done < last_done_) {
    copying_ = true;
    stop_asked_ = false;
    copy_start_ = now;
    last_pump_ = now;
  }
  last_done_ = done;
  if (dialog_.window == nullptr || !gtk_widget_get_visible(GTK_WIDGET(dialog_.window))) {
    return !stop_asked_;
  }
  bool pump = now - last_pump_ >= kPumpInterval;
  if (!bar_shown_ && now - copy_start_ >= kProgressDelay) {
    bar_shown_ = true;
    gtk_widget_show(dialog_.progress);
    if (GdkWindow* window = gtk_widget_get_window(GTK_WIDGET(dialog_.window))) {
      GObjectRef<GdkCursor> wait(gdk_cursor_new_from_name(gdk_window_get_display(window), "wait"));
      gdk_window_set_cursor(window, wait.get());
    }
    pump = true;
  }
  if (bar_shown_) {
    const double fraction =
        total == 0 ? 1.0 : static_cast<double>(done) / static_cast<double>(total);
    gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(dialog_.progress), std::min(1.0, fraction));
  }
  if (pump) {
    last_pump_ = now;
    PumpEvents();
  }
  return !stop_asked_;
}

void GtkDesktop::PumpEvents() {
  holding_input_ = true;
  const Clock::time_point start = Clock::now();
  while (gtk_events_pending() && Clock::now() - start < kPumpLimit) gtk_main_iteration_do(FALSE);
  holding_input_ = false;
}

void GtkDesktop::HandlerEnded() { EndProgress(); }

void GtkDesktop::EndProgress() {
  copying_ = false;
  stop_asked_ = false;
  last_done_ = 0;
  if (!bar_shown_) return;
  bar_shown_ = false;
  gtk_widget_hide(dialog_.progress);
  if (GdkWindow* window = gtk_widget_get_window(GTK_WIDGET(dialog_.window))) {
    gdk_window_set_cursor(window, nullptr);
  }
}

}  // namespace tarnivo
