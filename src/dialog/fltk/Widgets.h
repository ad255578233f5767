// The FLTK widgets of the dialog and its message boxes, shaped after the
// classic dialog controls: push buttons with a default and a cancel button,
// option buttons that arrow keys move between, a drop-down drive list that
// arrow keys step through, a directory list with folder icons, text boxes
// that report focus, a label whose access key focuses another control, a
// frame that only groups, and a thin progress bar.
#pragma once

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/Fl_Round_Button.H>
#include <FL/Fl_Widget.H>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "dialog/fltk/ViewModel.h"

namespace tarnivo::view {

// The dialog font: a classic 8-point dialog face, about 11 pixels at 96 dpi.
inline constexpr Fl_Font kDialogFont = FL_HELVETICA;
inline constexpr Fl_Fontsize kDialogFontPixels = 11;

// The dialog font's size on this desktop: 11, 17 at 144 dpi, 22 at 192.
Fl_Fontsize DialogFontSize();

// A label type that draws its text as it is: no '&' underlining and no '@'
// symbols, for texts that come from file and volume names.
Fl_Labeltype PlainTextLabel();

// Told when the keyboard focus moves to a widget, whichever way it moved.
class FocusListener {
 public:
  virtual ~FocusListener() = default;
  virtual void FocusMovedTo(Fl_Widget* widget) = 0;
};

// A widget that tells its listener when it takes the focus.
template <class Base>
class Focusing : public Base {
 public:
  Focusing(FocusListener* listener, int x, int y, int w, int h, const char* label = nullptr)
      : Base(x, y, w, h, label), listener_(listener) {}

  int handle(int event) override {
    const int handled = Base::handle(event);
    if (event == FL_FOCUS && handled && listener_ != nullptr) listener_->FocusMovedTo(this);
    return handled;
  }

 protected:
  FocusListener* listener() const { return listener_; }

 private:
  FocusListener* listener_;
};

// A push button. Space or Enter presses it while it has the focus; Enter
// presses the default button and Escape the cancel button wherever the focus
// is, unless the focused control uses the key. The button that Enter would
// press wears the heavy border.
class PushButton : public Focusing<Fl_Button> {
 public:
  PushButton(FocusListener* listener, int x, int y, int w, int h, const char* label);
  void SetDefault(bool is_default) { is_default_ = is_default; }
  void SetCancel(bool is_cancel) { is_cancel_ = is_cancel; }
  int handle(int event) override;

 protected:
  void draw() override;

 private:
  bool WearsDefaultBorder() const;
  void Press();
  bool is_default_ = false;
  bool is_cancel_ = false;
};

// An option button. Its group is its parent's option buttons; the arrow keys
// move to the next or previous one and select it.
class OptionButton : public Focusing<Fl_Round_Button> {
 public:
  OptionButton(FocusListener* listener, int x, int y, int w, int h, const char* label);
  int handle(int event) override;
};

// A single-line text box that also reports a focus move when it loses the
// focus to another control of its window (some controls take the focus
// without announcing it). Losing it to another window reports nothing.
class TextBox : public Focusing<Fl_Input> {
 public:
  TextBox(FocusListener* listener, int x, int y, int w, int h);
  int handle(int event) override;

 private:
  int focus_position_ = 0;  // the selection as the focus handling left it
  int focus_mark_ = 0;
};

// A label drawn from its very left edge (FLTK insets labels by 3 pixels),
// so that a text measured to fit the label's width does fit.
class TextLabel : public Fl_Box {
 public:
  TextLabel(int x, int y, int w, int h, const char* label = nullptr);

 protected:
  void draw() override;
};

// A label whose access key moves the focus to `target`.
class AccessLabel : public TextLabel {
 public:
  AccessLabel(int x, int y, int w, int h, const char* label);
  void SetTarget(Fl_Widget* target) { target_ = target; }
  int handle(int event) override;

 private:
  Fl_Widget* target_ = nullptr;
};

// A group that draws nothing and leaves keyboard navigation to its window.
class PlainGroup : public Fl_Group {
 public:
  PlainGroup(int x, int y, int w, int h);
  int handle(int event) override;
};

// The drop-down drive list. Up, Down, Home, End, Page Up and Page Down step
// the selection and a letter jumps to the drive of that letter, each step a
// change; Space, F4 and Alt+Down open the list, with the current drive
// highlighted so that Down moves on from it. `before_open` runs before the
// list opens (the drives are read again there).
class DriveList : public Focusing<Fl_Choice> {
 public:
  DriveList(FocusListener* listener, int x, int y, int w, int h);
  void SetEntries(const std::vector<std::string>& entries);
  const std::vector<std::string>& Entries() const { return texts_; }
  void SetBeforeOpen(std::function<void()> before_open) { before_open_ = std::move(before_open); }
  int handle(int event) override;

 protected:
  void draw() override;

 private:
  void Open();
  void Step(int index);
  std::vector<std::string> texts_;
  std::vector<Fl_Menu_Item> items_;
  std::function<void()> before_open_;
};

// The directory list: folder lines with icons, indented by depth. A click
// highlights a line and a double-click opens it (`on_open` gets the line,
// from 0); Enter tells `on_enter` the highlighted line (-1 for none). A
// letter jumps to the next folder starting with it.
class DirList : public Focusing<Fl_Hold_Browser> {
 public:
  DirList(FocusListener* listener, int x, int y, int w, int h);
  // Shows `lines` with line `current` (from 0; -1 for none) highlighted
  // and in view.
  void SetLines(std::vector<DirLine> lines, int current);
  const std::vector<DirLine>& Lines() const { return lines_; }
  void SetOnOpen(std::function<void(int)> on_open) { on_open_ = std::move(on_open); }
  void SetOnEnter(std::function<void(int)> on_enter) { on_enter_ = std::move(on_enter); }
  int handle(int event) override;

 protected:
  int item_height(void* item) const override;
  int item_width(void* item) const override;
  void item_draw(void* item, int x, int y, int w, int h) const override;

 private:
  void OpenSelected();
  void SelectLine(int line);  // from 1
  std::vector<DirLine> lines_;
  std::function<void(int)> on_open_;
  std::function<void(int)> on_enter_;
  void* double_clicked_ = nullptr;
};

// A thin bar that fills from the left.
class ProgressBar : public Fl_Widget {
 public:
  ProgressBar(int x, int y, int w, int h);
  // `fraction` from 0 to 1.
  void SetFraction(double fraction);

 protected:
  void draw() override;

 private:
  double fraction_ = 0;
};

}  // namespace tarnivo::view
