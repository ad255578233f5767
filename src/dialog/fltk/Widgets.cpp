#include "dialog/fltk/Widgets.h"

#include <FL/fl_draw.H>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <utility>

#include "dialog/fltk/Scale.h"

namespace tarnivo::view {
namespace {

// Sizes in pixels at 96 dpi.
constexpr int kDirLineHeight = 16;
constexpr int kDirIndent = 8;
constexpr int kFolderIconWidth = 17;
constexpr int kFolderIconHeight = 12;

// Draws the frame of a box `line` pixels thick, inside it.
void DrawFrame(int x, int y, int w, int h, int line) {
  fl_rectf(x, y, w, line);
  fl_rectf(x, y + h - line, w, line);
  fl_rectf(x, y, line, h);
  fl_rectf(x + w - line, y, line, h);
}

void DrawPlain(const Fl_Label* label, int x, int y, int w, int h, Fl_Align align) {
  fl_font(label->font, label->size);
  fl_color(label->color);
  const char saved = fl_draw_shortcut;
  fl_draw_shortcut = 0;
  fl_draw(label->value, x, y, w, h, align, label->image, 0);
  fl_draw_shortcut = saved;
}

void MeasurePlain(const Fl_Label* label, int& w, int& h) {
  fl_font(label->font, label->size);
  const char saved = fl_draw_shortcut;
  fl_draw_shortcut = 0;
  fl_measure(label->value, w, h, 0);
  fl_draw_shortcut = saved;
}

bool IsEnterKey() { return Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter; }

bool CommandModifiers() { return Fl::event_state(FL_ALT | FL_CTRL | FL_META) != 0; }

// The first character typed, when it is a letter or digit.
bool TypedLetter(std::string& letter) {
  const char* text = Fl::event_text();
  if (text == nullptr || text[0] == '\0') return false;
  const unsigned char c = static_cast<unsigned char>(text[0]);
  if (c < 0x80 && !std::isalnum(c)) return false;
  letter = text;
  return true;
}

// A folder icon, 16 by 12 pixels at 96 dpi from (x, y); an open one shows
// its front flap folded down. Its points are scaled, not its pixels, and
// its edges stay thin lines.
void DrawFolder(int x, int y, bool open) {
  const Fl_Color edge = fl_rgb_color(128, 96, 0);
  const Fl_Color body = fl_rgb_color(232, 192, 64);
  const Fl_Color light = fl_rgb_color(255, 236, 150);
  const auto at_x = [x](int grid) { return x + Px(grid); };
  const auto at_y = [y](int grid) { return y + Px(grid); };
  const int line = LineWidth();
  const int body_w = at_x(15) - at_x(0), body_h = at_y(12) - at_y(2);
  fl_color(body);
  fl_rectf(at_x(1), at_y(0), at_x(7) - at_x(1), at_y(3) - at_y(0));
  fl_rectf(at_x(0), at_y(2), body_w, body_h);
  fl_color(edge);
  fl_rectf(at_x(1), at_y(0), at_x(7) - at_x(1), line);
  DrawFrame(at_x(0), at_y(2), body_w, body_h, line);
  if (!open) {
    fl_color(light);
    fl_rectf(at_x(0) + line, at_y(2) + line, body_w - 2 * line, line);
    return;
  }
  fl_color(light);
  fl_polygon(at_x(3), at_y(6), at_x(16), at_y(6), at_x(13), at_y(11), at_x(0), at_y(11));
  fl_color(edge);
  fl_line_style(FL_SOLID, line > 1 ? line : 0);
  fl_loop(at_x(3), at_y(6), at_x(16), at_y(6), at_x(13), at_y(11), at_x(0), at_y(11));
  fl_line_style(0);
}

}  // namespace

Fl_Fontsize DialogFontSize() { return Px(kDialogFontPixels); }

Fl_Labeltype PlainTextLabel() {
  static const Fl_Labeltype type = [] {
    Fl::set_labeltype(FL_FREE_LABELTYPE, DrawPlain, MeasurePlain);
    return FL_FREE_LABELTYPE;
  }();
  return type;
}

// --- PushButton

PushButton::PushButton(FocusListener* listener, int x, int y, int w, int h, const char* label)
    : Focusing<Fl_Button>(listener, x, y, w, h, label) {
  labelfont(kDialogFont);
  labelsize(DialogFontSize());
}

int PushButton::handle(int event) {
  switch (event) {
    case FL_KEYBOARD:
      if (Fl::focus() == this && IsEnterKey() && !CommandModifiers()) {
        Press();
        return 1;
      }
      break;
    case FL_SHORTCUT:
      if (active_r() &&
          ((is_default_ && IsEnterKey()) || (is_cancel_ && Fl::event_key() == FL_Escape))) {
        Press();
        return 1;
      }
      break;
    case FL_FOCUS:
    case FL_UNFOCUS:
      // The heavy border follows the focus between push buttons.
      if (parent() != nullptr) {
        for (int i = 0; i < parent()->children(); ++i) {
          if (dynamic_cast<PushButton*>(parent()->child(i)) != nullptr) {
            parent()->child(i)->redraw();
          }
        }
      }
      break;
    default:
      break;
  }
  return Focusing<Fl_Button>::handle(event);
}

bool PushButton::WearsDefaultBorder() const {
  const Fl_Widget* focus = Fl::focus();
  const bool button_focused = focus != nullptr && focus->window() == window() &&
                              dynamic_cast<const PushButton*>(focus) != nullptr;
  return button_focused ? focus == this : is_default_;
}

void PushButton::Press() { do_callback(); }

void PushButton::draw() {
  int x0 = x(), y0 = y(), w0 = w(), h0 = h();
  if (WearsDefaultBorder()) {
    const int line = LineWidth();
    fl_color(FL_FOREGROUND_COLOR);
    DrawFrame(x0, y0, w0, h0, line);
    x0 += line, y0 += line, w0 -= 2 * line, h0 -= 2 * line;
  }
  const Fl_Boxtype box_type = value() ? (down_box() ? down_box() : fl_down(box())) : box();
  draw_box(box_type, x0, y0, w0, h0, color());
  draw_label(x0, y0, w0, h0);
  if (Fl::focus() == this) draw_focus(box_type, x0, y0, w0, h0);
}

// --- OptionButton

OptionButton::OptionButton(FocusListener* listener, int x, int y, int w, int h, const char* label)
    : Focusing<Fl_Round_Button>(listener, x, y, w, h, label) {
  type(FL_RADIO_BUTTON);
  labelfont(kDialogFont);
  labelsize(DialogFontSize());
  selection_color(FL_FOREGROUND_COLOR);
}

int OptionButton::handle(int event) {
  if (event == FL_KEYBOARD && Fl::focus() == this && !CommandModifiers() && parent() != nullptr) {
    const int key = Fl::event_key();
    const bool forward = key == FL_Down || key == FL_Right;
    if (forward || key == FL_Up || key == FL_Left) {
      std::vector<OptionButton*> group;
      for (int i = 0; i < parent()->children(); ++i) {
        if (auto* option = dynamic_cast<OptionButton*>(parent()->child(i))) group.push_back(option);
      }
      const auto at = std::find(group.begin(), group.end(), this);
      const std::size_t n = group.size();
      const std::size_t i = static_cast<std::size_t>(at - group.begin());
      OptionButton* next = group[forward ? (i + 1) % n : (i + n - 1) % n];
      next->take_focus();
      if (next->value() == 0) {
        next->setonly();
        next->do_callback();
      }
      return 1;
    }
  }
  return Focusing<Fl_Round_Button>::handle(event);
}

// --- TextBox

TextBox::TextBox(FocusListener* listener, int x, int y, int w, int h)
    : Focusing<Fl_Input>(listener, x, y, w, h) {
  textfont(kDialogFont);
  textsize(DialogFontSize());
  maximum_size(std::numeric_limits<int>::max());
  when(FL_WHEN_CHANGED);
}

int TextBox::handle(int event) {
  const bool entering_by_click = event == FL_PUSH && Fl::focus() != this;
  const int handled = Focusing<Fl_Input>::handle(event);
  if (event == FL_FOCUS) {
    focus_position_ = position();
    focus_mark_ = mark();
  }
  // A click that enters the box keeps the selection that its focus handling
  // made (the whole text), so typing replaces it; a click inside a box that
  // already has the focus places the caret.
  if (entering_by_click && Fl::focus() == this) position(focus_position_, focus_mark_);
  if (event == FL_UNFOCUS && listener() != nullptr) {
    Fl_Widget* now = Fl::focus();
    if (now != nullptr && now != this && now->top_window() == top_window()) {
      listener()->FocusMovedTo(now);
    }
  }
  return handled;
}

// --- TextLabel, AccessLabel

TextLabel::TextLabel(int x, int y, int w, int h, const char* label) : Fl_Box(x, y, w, h, label) {
  box(FL_NO_BOX);
  labelfont(kDialogFont);
  labelsize(DialogFontSize());
  align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE);
}

void TextLabel::draw() {
  draw_box();
  draw_label(x(), y(), w(), h(), align());
}

AccessLabel::AccessLabel(int x, int y, int w, int h, const char* label)
    : TextLabel(x, y, w, h, label) {
  set_flag(SHORTCUT_LABEL);
}

int AccessLabel::handle(int event) {
  if (event == FL_SHORTCUT && target_ != nullptr && test_shortcut()) {
    target_->take_focus();
    return 1;
  }
  return TextLabel::handle(event);
}

// --- PlainGroup

PlainGroup::PlainGroup(int x, int y, int w, int h) : Fl_Group(x, y, w, h) { box(FL_NO_BOX); }

int PlainGroup::handle(int event) {
  if (event == FL_KEYBOARD) return 0;  // the window moves the focus
  return Fl_Group::handle(event);
}

// --- DriveList

DriveList::DriveList(FocusListener* listener, int x, int y, int w, int h)
    : Focusing<Fl_Choice>(listener, x, y, w, h) {
  textfont(kDialogFont);
  textsize(DialogFontSize());
}

void DriveList::SetEntries(const std::vector<std::string>& entries) {
  if (entries == texts_ && !items_.empty()) return;
  // The items point into the texts: build both, then swap them in whole
  // (moving a vector keeps its elements where they are).
  std::vector<std::string> texts = entries;
  std::vector<Fl_Menu_Item> items;
  for (const std::string& text : texts) {
    Fl_Menu_Item item{};
    item.text = text.c_str();
    item.labeltype_ = PlainTextLabel();
    item.labelfont_ = kDialogFont;
    item.labelsize_ = DialogFontSize();
    items.push_back(item);
  }
  items.push_back(Fl_Menu_Item{});
  menu(nullptr);
  texts_ = std::move(texts);
  items_ = std::move(items);
  menu(items_.data());
  redraw();
}

int DriveList::handle(int event) {
  switch (event) {
    case FL_PUSH:
      if (Fl::event_button() != FL_LEFT_MOUSE) return 0;
      if (Fl::focus() != this) take_focus();
      Open();
      return 1;
    case FL_KEYBOARD: {
      if (Fl::focus() != this) break;
      const int key = Fl::event_key();
      const int last = static_cast<int>(texts_.size()) - 1;
      if (key == ' ' || key == FL_F + 4 ||
          (Fl::event_state(FL_ALT) && (key == FL_Down || key == FL_Up))) {
        Open();
        return 1;
      }
      if (CommandModifiers()) break;
      switch (key) {
        case FL_Up:
        case FL_Left:
          Step(std::max(0, value() - 1));
          return 1;
        case FL_Down:
        case FL_Right:
          Step(std::min(last, value() + 1));
          return 1;
        case FL_Home:
        case FL_Page_Up:
          Step(0);
          return 1;
        case FL_End:
        case FL_Page_Down:
          Step(last);
          return 1;
        default:
          break;
      }
      std::string letter;
      if (TypedLetter(letter)) {
        const int next = NextLineStartingWith(texts_, value(), letter);
        if (next >= 0) Step(next);
        return 1;
      }
      break;
    }
    default:
      break;
  }
  return Focusing<Fl_Choice>::handle(event);
}

void DriveList::Open() {
  if (before_open_) before_open_();
  if (items_.size() < 2) return;
  // The current drive is the highlighted entry when the list opens.
  const Fl_Menu_Item* chosen = menu()->pulldown(x(), y(), w(), h(), mvalue(), this);
  if (chosen != nullptr) {
    redraw();
    picked(chosen);
  }
}

// FLTK makes the arrow button as wide as the list is high but at most 20
// pixels; on a scaled desktop it is drawn again at its scaled width, over
// the end of the value.
void DriveList::draw() {
  Focusing<Fl_Choice>::draw();
  constexpr int kArrowWidth = 20;
  const int dx = Fl::box_dx(FL_DOWN_BOX), dy = Fl::box_dy(FL_DOWN_BOX);
  const int arrow_h = h() - 2 * dy;
  const int arrow_w = std::min(arrow_h, Px(kArrowWidth));
  if (arrow_w <= std::min(arrow_h, kArrowWidth)) return;
  const int arrow_x = x() + w() - arrow_w - dx, arrow_y = y() + dy;
  draw_box(FL_UP_BOX, arrow_x, arrow_y, arrow_w, arrow_h, color());
  const int side = std::max(1, (arrow_w - 4) / 3);
  const int x1 = arrow_x + (arrow_w - 2 * side - 1) / 2;
  const int y1 = arrow_y + (arrow_h - side - 1) / 2;
  fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
  fl_polygon(x1, y1, x1 + side, y1 + side, x1 + 2 * side, y1);
}

void DriveList::Step(int index) {
  if (index < 0 || index >= static_cast<int>(texts_.size()) || index == value()) return;
  value(index);
  redraw();
  set_changed();
  do_callback();
}

// --- DirList

DirList::DirList(FocusListener* listener, int x, int y, int w, int h)
    : Focusing<Fl_Hold_Browser>(listener, x, y, w, h) {
  textfont(kDialogFont);
  textsize(DialogFontSize());
  has_scrollbar(VERTICAL);
  // The browser's own full-width highlight is drawn invisibly; item_draw
  // highlights the folder's name only.
  color(FL_BACKGROUND2_COLOR);
  selection_color(FL_BACKGROUND2_COLOR);
}

void DirList::SetLines(std::vector<DirLine> lines, int current) {
  double_clicked_ = nullptr;
  clear();
  lines_ = std::move(lines);
  for (std::size_t i = 0; i < lines_.size(); ++i) add("");
  topline(1);
  if (current >= 0) SelectLine(current + 1);
  redraw();
}

void DirList::SelectLine(int line) {
  if (line < 1 || line > size()) return;
  select(line);
  if (!displayed(line)) {
    if (line < topline()) {
      topline(line);
    } else {
      bottomline(line);
    }
  }
}

void DirList::OpenSelected() {
  const int line = value();
  if (line < 1 || line > static_cast<int>(lines_.size()) || !on_open_) return;
  on_open_(line - 1);
}

int DirList::handle(int event) {
  switch (event) {
    case FL_KEYBOARD: {
      if (Fl::focus() != this || CommandModifiers()) break;
      const int key = Fl::event_key();
      const int page = std::max(1, h() / Px(kDirLineHeight) - 1);
      switch (key) {
        case FL_Enter:
        case FL_KP_Enter:
          if (on_enter_) on_enter_(value() - 1);
          return 1;
        case FL_Home:
          SelectLine(1);
          return 1;
        case FL_End:
          SelectLine(size());
          return 1;
        case FL_Page_Up:
          SelectLine(std::max(1, value() - page));
          return 1;
        case FL_Page_Down:
          SelectLine(std::min(size(), value() + page));
          return 1;
        default:
          break;
      }
      std::string letter;
      if (TypedLetter(letter)) {
        std::vector<std::string> texts;
        for (const DirLine& line : lines_) texts.push_back(line.text);
        const int next = NextLineStartingWith(texts, value() - 1, letter);
        if (next >= 0) SelectLine(next + 1);
        return 1;
      }
      break;
    }
    case FL_PUSH: {
      if (Fl::focus() != this && Fl::event_button() == FL_LEFT_MOUSE) take_focus();
      const int handled = Focusing<Fl_Hold_Browser>::handle(event);
      double_clicked_ =
          Fl::event_clicks() != 0 && Fl::event_button() == FL_LEFT_MOUSE ? selection() : nullptr;
      return handled;
    }
    case FL_RELEASE: {
      const int handled = Focusing<Fl_Hold_Browser>::handle(event);
      void* item = std::exchange(double_clicked_, nullptr);
      if (item != nullptr && item == selection()) OpenSelected();
      return handled;
    }
    default:
      break;
  }
  return Focusing<Fl_Hold_Browser>::handle(event);
}

int DirList::item_height(void*) const { return Px(kDirLineHeight); }

int DirList::item_width(void*) const { return w(); }

void DirList::item_draw(void* item, int x, int y, int w, int h) const {
  const int n = lineno(item) - 1;
  if (n < 0 || n >= static_cast<int>(lines_.size())) return;
  const DirLine& line = lines_[static_cast<std::size_t>(n)];
  const int icon_x = x + Px(2 + line.depth * kDirIndent);
  DrawFolder(icon_x, y + (h - Px(kFolderIconHeight)) / 2, line.open);

  fl_font(textfont(), textsize());
  const int text_x = icon_x + Px(kFolderIconWidth + 2);
  const int text_w = static_cast<int>(std::ceil(fl_width(line.text.c_str()))) + Px(4);
  const bool selected = item_selected(item) != 0;
  Fl_Color ink = active_r() ? textcolor() : fl_inactive(textcolor());
  if (selected) {
    const Fl_Color mark = active_r() ? FL_SELECTION_COLOR : fl_inactive(FL_SELECTION_COLOR);
    fl_color(mark);
    fl_rectf(text_x, y, std::min(text_w, x + w - text_x), h);
    ink = fl_contrast(textcolor(), mark);
  }
  fl_color(ink);
  fl_push_clip(x, y, w, h);
  fl_draw(line.text.c_str(), text_x + Px(2), y + h - fl_descent() - (h - fl_height()) / 2);
  fl_pop_clip();  // the browser draws the focus box round the line
}

// --- ProgressBar

ProgressBar::ProgressBar(int x, int y, int w, int h) : Fl_Widget(x, y, w, h) {
  color(FL_DARK2);
  selection_color(FL_SELECTION_COLOR);
}

void ProgressBar::SetFraction(double fraction) {
  fraction = std::clamp(fraction, 0.0, 1.0);
  const bool moved = std::lround(fraction * w()) != std::lround(fraction_ * w());
  fraction_ = fraction;
  if (moved) redraw();
}

void ProgressBar::draw() {
  const int filled = static_cast<int>(std::lround(fraction_ * w()));
  fl_color(color());
  fl_rectf(x(), y(), w(), h());
  fl_color(selection_color());
  fl_rectf(x(), y(), filled, h());
}

}  // namespace tarnivo::view
