#include "dialog/fltk/FltkUi.h"

#include <FL/Fl.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Help_View.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <utility>
#include <vector>

#include "dialog/ControlTable.h"
#include "dialog/HelpPlacement.h"
#include "dialog/fltk/Scale.h"
#include "dialog/fltk/ViewModel.h"
#include "dialog/fltk/Widgets.h"
#include "platform/posix/NameMap.h"

#ifndef TARNIVO_DATA_DIR
#define TARNIVO_DATA_DIR "/usr/share/tarnivo"
#endif

namespace tarnivo {
namespace {

using namespace std::chrono_literals;

constexpr auto kProgressDelay = std::chrono::milliseconds(kProgressDelayMs);
constexpr auto kPumpInterval = 40ms;  // repaint this often during a copy

// True while events are pumped in the middle of a copy.
bool g_holding_input = false;
// The dialog and its Cancel button, and whether the user has asked, with
// Escape or a click on Cancel, to stop the copy that runs.
Fl_Window* g_dialog = nullptr;
Fl_Widget* g_cancel = nullptr;
bool g_stop_asked = false;

// Escape anywhere in the program, or a left click on the dialog's Cancel
// button, asks to stop the copy.
bool AsksToStop(int event, Fl_Window* window) {
  if (event == FL_KEYBOARD || event == FL_SHORTCUT) return Fl::event_key() == FL_Escape;
  if (event != FL_PUSH || Fl::event_button() != FL_LEFT_MOUSE) return false;
  if (window == nullptr || window != g_dialog || g_cancel == nullptr) return false;
  return Fl::event_inside(g_cancel) != 0;
}

bool IsInputEvent(int event) {
  switch (event) {
    case FL_PUSH:
    case FL_RELEASE:
    case FL_DRAG:
    case FL_MOUSEWHEEL:
    case FL_KEYBOARD:
    case FL_KEYUP:
    case FL_SHORTCUT:
    case FL_PASTE:
    case FL_DND_ENTER:
    case FL_DND_DRAG:
    case FL_DND_LEAVE:
    case FL_DND_RELEASE:
      return true;
    default:
      return false;
  }
}

// Every event passes here first: input is dropped while a copy runs, except
// what asks to stop the copy.
int DispatchEvent(int event, Fl_Window* window) {
  if (g_holding_input && IsInputEvent(event)) {
    if (!AsksToStop(event, window)) return 0;
    g_stop_asked = true;
    return 1;
  }
  return Fl::handle_(event, window);
}

// --- Message boxes

enum class IconKind { Plain, Stop, Exclamation, Information };

// The box's icon, 32 by 32 pixels at 96 dpi, its points scaled to the
// desktop.
class MessageIcon : public Fl_Widget {
 public:
  static constexpr int kSize = 32;
  MessageIcon(int x, int y, IconKind kind)
      : Fl_Widget(x, y, view::Px(kSize), view::Px(kSize)), kind_(kind) {}

 protected:
  void draw() override {
    using view::Px;
    // Rectangles by their edges on the 32-pixel grid, so that they keep
    // their proportions at any scale.
    const auto rect = [this](int left, int top, int width, int height) {
      fl_rectf(x() + Px(left), y() + Px(top), Px(left + width) - Px(left),
               Px(top + height) - Px(top));
    };
    const auto at_x = [this](int grid) { return x() + Px(grid); };
    const auto at_y = [this](int grid) { return y() + Px(grid); };
    switch (kind_) {
      case IconKind::Stop:
        fl_color(fl_rgb_color(200, 30, 30));
        fl_pie(at_x(1), at_y(1), Px(30), Px(30), 0, 360);
        fl_color(FL_WHITE);
        fl_line_style(FL_SOLID | FL_CAP_ROUND, Px(4));
        fl_line(at_x(10), at_y(10), at_x(22), at_y(22));
        fl_line(at_x(22), at_y(10), at_x(10), at_y(22));
        fl_line_style(0);
        break;
      case IconKind::Exclamation:
        fl_color(fl_rgb_color(250, 210, 40));
        fl_polygon(at_x(16), at_y(2), at_x(31), at_y(29), at_x(1), at_y(29));
        fl_color(FL_BLACK);
        fl_line_style(FL_SOLID, view::LineWidth() > 1 ? view::LineWidth() : 0);
        fl_loop(at_x(16), at_y(2), at_x(31), at_y(29), at_x(1), at_y(29));
        fl_line_style(0);
        rect(14, 10, 4, 11);
        rect(14, 23, 4, 4);
        break;
      case IconKind::Information:
        fl_color(fl_rgb_color(30, 90, 200));
        fl_pie(at_x(1), at_y(1), Px(30), Px(30), 0, 360);
        fl_color(FL_WHITE);
        rect(14, 7, 4, 4);
        rect(14, 13, 4, 12);
        rect(12, 13, 2, 2);
        rect(12, 23, 8, 2);
        break;
      case IconKind::Plain:
        break;
    }
  }

 private:
  IconKind kind_;
};

// The box's window: Ctrl+C copies its text; the close button and an
// unclaimed Escape give the escape answer when the box has one.
class MessageWindow : public Fl_Window {
 public:
  MessageWindow(int w, int h, std::string clipboard)
      : Fl_Window(w, h), clipboard_(std::move(clipboard)) {}

  int handle(int event) override {
    if ((event == FL_KEYBOARD || event == FL_SHORTCUT) && Fl::event_state(FL_CTRL) &&
        (Fl::event_key() == 'c' || Fl::event_key() == FL_Insert)) {
      Fl::copy(clipboard_.c_str(), static_cast<int>(clipboard_.size()), 1);
      return 1;
    }
    return Fl_Window::handle(event);
  }

 private:
  std::string clipboard_;
};

struct BoxButton {
  const char* caption;
  MessageBoxResult result;
};

struct BoxStyle {
  IconKind icon;
  std::vector<BoxButton> buttons;
  bool can_escape;
  MessageBoxResult escape_result;
};

BoxStyle StyleOf(MessageBoxStyle style) {
  switch (style) {
    case MessageBoxStyle::YesNoInformation:
      return {IconKind::Information,
              {{"&Yes", MessageBoxResult::Yes}, {"&No", MessageBoxResult::No}},
              false,
              MessageBoxResult::No};
    case MessageBoxStyle::RetryCancelStop:
      return {IconKind::Stop,
              {{"&Retry", MessageBoxResult::Retry}, {"Cancel", MessageBoxResult::Cancel}},
              true,
              MessageBoxResult::Cancel};
    case MessageBoxStyle::OkExclamation:
      return {IconKind::Exclamation, {{"OK", MessageBoxResult::Ok}}, true, MessageBoxResult::Ok};
  }
  return {IconKind::Plain, {{"OK", MessageBoxResult::Ok}}, true, MessageBoxResult::Ok};
}

struct BoxAnswer {
  MessageWindow* window;
  bool can_escape;
  MessageBoxResult escape_result;
  MessageBoxResult result;
  bool answered = false;
  std::vector<std::pair<const Fl_Widget*, MessageBoxResult>> buttons;
};

void Answer(BoxAnswer& answer, MessageBoxResult result) {
  answer.result = result;
  answer.answered = true;
  answer.window->hide();
}

void OnBoxButton(Fl_Widget* button, void* data) {
  auto* answer = static_cast<BoxAnswer*>(data);
  for (const auto& [widget, result] : answer->buttons) {
    if (widget == button) Answer(*answer, result);
  }
}

void OnBoxClose(Fl_Widget*, void* data) {
  auto* answer = static_cast<BoxAnswer*>(data);
  if (answer->can_escape) Answer(*answer, answer->escape_result);
}

// The folder of the running executable, with its slash.
std::string ExecutableFolder() {
  std::vector<char> buffer(PATH_MAX + 1);
  const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return {};
  std::string path(buffer.data(), static_cast<std::size_t>(n));
  return path.substr(0, path.rfind('/') + 1);
}

bool IsReadableFile(const std::string& path) { return std::ifstream(path).good(); }

// FLTK reads its options from shared preference files the first time one is
// asked for, and writes those files back when they lack its options group:
// ~/.fltk/fltk.org/fltk.prefs, and /etc/fltk/fltk.org/fltk.prefs when run as
// root. Tarnivo writes no files, so it marks the options as read (through
// an explicit instantiation, which may name a private member) and sets
// FLTK's defaults itself.
template <unsigned char* Flag>
struct OptionsReadMark {
  friend void MarkFltkOptionsRead() { *Flag = 1; }
};
template struct OptionsReadMark<&Fl::options_read_>;
void MarkFltkOptionsRead();

void UseDefaultFltkOptions() {
  MarkFltkOptionsRead();
  Fl::option(Fl::OPTION_ARROW_FOCUS, false);
  Fl::option(Fl::OPTION_VISIBLE_FOCUS, true);
  Fl::option(Fl::OPTION_DND_TEXT, true);
  Fl::option(Fl::OPTION_SHOW_TOOLTIPS, true);
  Fl::option(Fl::OPTION_FNFC_USES_GTK, false);
}

}  // namespace

namespace view {

// The help viewer: the help file's HTML in a window of its own, which
// Escape closes.
class HelpWindow : public Fl_Double_Window {
 public:
  HelpWindow() : Fl_Double_Window(Width(), Height(), "Tarnivo Help") {
    view_ = new Fl_Help_View(0, 0, w(), h());
    view_->textfont(FL_HELVETICA);
    view_->textsize(Px(12));
    view_->box(FL_FLAT_BOX);
    resizable(view_);
    end();
    size_range(Px(240), Px(160));
  }

  // 480 by 460 pixels at 96 dpi, but never larger than the screen (Px
  // opens the display that the screen's size comes from).
  static int Width() {
    const int wanted = Px(480);
    return std::min(wanted, Fl::w());
  }
  static int Height() {
    const int wanted = Px(460);
    return std::min(wanted, Fl::h());
  }

  // Throws PlatformError when the file cannot be read.
  void Load(const std::string& path) {
    if (view_->load(path.c_str()) != 0) throw PlatformError("cannot read " + path);
    if (view_->title() != nullptr && view_->title()[0] != '\0') copy_label(view_->title());
    view_->topline(0);
  }

 private:
  Fl_Help_View* view_;
};

}  // namespace view

FltkUi::FltkUi(std::string command_line) : command_line_(std::move(command_line)) {
  UseDefaultFltkOptions();
  Fl::event_dispatch(DispatchEvent);
}

FltkUi::~FltkUi() { Fl::event_dispatch(nullptr); }

void FltkUi::AttachDialog(Fl_Window* dialog, view::ProgressBar* bar, Fl_Widget* cancel) {
  dialog_ = dialog;
  bar_ = bar;
  g_dialog = dialog;
  g_cancel = cancel;
}

bool FltkUi::Busy() const { return g_holding_input; }

void FltkUi::AskToStop() {
  if (copying_) g_stop_asked = true;
}

MessageBoxResult FltkUi::ShowMessage(const std::string& text, MessageBoxStyle style) {
  // A copy has just failed: what was typed or clicked while it ran was
  // meant for the busy dialog, not for this box.
  if (copying_ && dialog_ != nullptr && dialog_->shown()) PumpEvents();
  EndProgress();
  fl_open_display();
  const BoxStyle look = StyleOf(style);
  const std::string lines = view::MessageLines(text);

  using view::Px;
  // Pixels at 96 dpi.
  const int kMargin = Px(12), kIcon = Px(MessageIcon::kSize), kButtonW = Px(75), kButtonH = Px(23),
            kGap = Px(6);
  fl_font(view::kDialogFont, view::DialogFontSize());
  int text_w = 0, text_h = 0;
  fl_measure(lines.c_str(), text_w, text_h, 0);
  const int text_x = kMargin + (look.icon == IconKind::Plain ? 0 : kIcon + kMargin);
  const int body_h = std::max(look.icon == IconKind::Plain ? 0 : kIcon, text_h);
  const int n = static_cast<int>(look.buttons.size());
  const int buttons_w = n * kButtonW + (n - 1) * kGap;
  const int win_w = std::max({text_x + text_w + kMargin * 2, buttons_w + kMargin * 2, Px(160)});
  const int buttons_y = kMargin + body_h + Px(16);
  const int win_h = buttons_y + kButtonH + kMargin;

  std::vector<std::string> captions;
  for (const BoxButton& button : look.buttons) captions.push_back(button.caption);
  MessageWindow window(win_w, win_h,
                       view::MessageClipboardText(std::string(kDialogCaption), text, captions));
  window.copy_label(std::string(kDialogCaption).c_str());
  BoxAnswer answer{&window, look.can_escape, look.escape_result, look.escape_result, false, {}};

  if (look.icon != IconKind::Plain) new MessageIcon(kMargin, kMargin, look.icon);
  auto* message = new view::TextLabel(text_x, kMargin + std::max(0, (body_h - text_h) / 2),
                                      text_w + Px(4), text_h);
  message->labeltype(view::PlainTextLabel());
  message->copy_label(lines.c_str());

  std::vector<view::PushButton*> buttons;
  int x = (win_w - buttons_w) / 2;
  for (const BoxButton& row : look.buttons) {
    auto* button = new view::PushButton(nullptr, x, buttons_y, kButtonW, kButtonH, row.caption);
    button->callback(OnBoxButton, &answer);
    answer.buttons.emplace_back(button, row.result);
    if (row.result == look.escape_result && look.can_escape) button->SetCancel(true);
    buttons.push_back(button);
    x += kButtonW + kGap;
  }
  buttons.front()->SetDefault(true);
  window.end();
  window.callback(OnBoxClose, &answer);
  window.set_modal();

  // Centred over the dialog, or on the screen before the dialog is shown.
  int cx = Fl::w() / 2, cy = Fl::h() / 2;
  if (dialog_ != nullptr && dialog_->shown() && dialog_->visible()) {
    cx = dialog_->x() + dialog_->w() / 2;
    cy = dialog_->y() + dialog_->h() / 2;
  }
  window.position(std::max(0, cx - win_w / 2), std::max(0, cy - win_h / 2));
  window.show();
  buttons.front()->take_focus();
  while (!answer.answered && window.shown()) Fl::wait();
  return answer.result;
}

void FltkUi::ShowHelp(WindowHandle owner, const std::string& file, int /*command*/, int /*data*/) {
  if (file.empty() || file.find('/') != std::string::npos) {
    throw PlatformError("not a help file name: " + file);
  }
  std::string path;
  const std::string here = ExecutableFolder();
  for (const std::string& folder :
       {here, here + "../share/tarnivo/", std::string(TARNIVO_DATA_DIR) + "/"}) {
    if (!folder.empty() && folder != "/" && IsReadableFile(folder + file)) {
      path = folder + file;
      break;
    }
  }
  if (path.empty()) throw PlatformError("help file not found: " + file);

  if (!help_) help_ = std::make_unique<view::HelpWindow>();
  help_->Load(path);
  // Beside the dialog where it covers nothing, else clear of its buttons.
  if (Fl_Window* window = owner != 0 ? fl_find(static_cast<Window>(owner)) : nullptr) {
    const int gap = view::Px(16), min_width = view::Px(320);
    int wx = 0, wy = 0, ww = 0, wh = 0;
    Fl::screen_work_area(wx, wy, ww, wh, window->x(), window->y());
    const int border = std::max(0, (window->decorated_w() - window->w()) / 2);
    const int title = std::max(0, window->decorated_h() - window->h() - border);
    const ScreenRect dialog{window->x() - border, window->y() - title, window->decorated_w(),
                            window->decorated_h()};
    const view::Rect ok = view::ControlRect(Control(ControlId::cmdOK), view::DesktopDpi());
    const view::Rect help = view::ControlRect(Control(ControlId::cmdHelp), view::DesktopDpi());
    const ScreenRect buttons{window->x() + ok.x, window->y() + ok.y, help.x + help.w - ok.x,
                             help.y + help.h - ok.y};
    const ScreenRect place =
        PlaceHelpWindow({wx, wy, ww, wh}, dialog, buttons, view::HelpWindow::Width(),
                        view::HelpWindow::Height(), min_width, gap);
    help_->resize(place.x + border, place.y + title, place.w - 2 * border,
                  place.h - title - border);
  }
  help_->show();
}

int FltkUi::MeasureTextWidth(const std::string& text) {
  fl_open_display();
  fl_font(view::kDialogFont, view::DialogFontSize());
  const std::string shown = posix::LinuxName(text);  // as the label shows it
  return view::PixelsToTwips(fl_width(shown.data(), static_cast<int>(shown.size())));
}

void FltkUi::Terminate() {
  // Nothing is left to write: a copy is on the device before it counts as
  // done. Exit handlers and the toolkit's static destructors are not run, so
  // nothing can hold the end up or run another step of the dialog.
  std::fflush(stdout);
  std::fflush(stderr);
  std::_Exit(0);
}

bool FltkUi::CopyProgress(std::uint64_t done, std::uint64_t total) {
  const Clock::time_point now = Clock::now();
  if (!copying_ || done < last_done_) {
    copying_ = true;
    g_stop_asked = false;
    copy_start_ = now;
    last_pump_ = now;
  }
  last_done_ = done;
  if (dialog_ == nullptr || bar_ == nullptr || !dialog_->shown()) return !g_stop_asked;

  bool pump = now - last_pump_ >= kPumpInterval;
  if (!bar_shown_ && now - copy_start_ >= kProgressDelay) {
    bar_shown_ = true;
    bar_->show();
    dialog_->cursor(FL_CURSOR_WAIT);
    pump = true;
  }
  if (bar_shown_) {
    bar_->SetFraction(total == 0 ? 1.0 : static_cast<double>(done) / static_cast<double>(total));
  }
  if (pump) {
    last_pump_ = now;
    PumpEvents();
  }
  return !g_stop_asked;
}

void FltkUi::PumpEvents() {
  g_holding_input = true;
  Fl::check();
  g_holding_input = false;
}

void FltkUi::HandlerEnded() { EndProgress(); }

void FltkUi::EndProgress() {
  copying_ = false;
  g_stop_asked = false;
  last_done_ = 0;
  if (!bar_shown_) return;
  bar_shown_ = false;
  bar_->hide();
  if (dialog_ != nullptr) {
    dialog_->cursor(FL_CURSOR_DEFAULT);
    dialog_->redraw();
  }
}

}  // namespace tarnivo
