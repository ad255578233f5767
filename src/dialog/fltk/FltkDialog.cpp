#include "dialog/fltk/FltkDialog.h"

#include <FL/Fl.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Image.H>
#include <FL/Fl_Pixmap.H>
#include <FL/fl_ask.H>
#include <FL/x.H>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "dialog/fltk/FltkUi.h"
#include "dialog/fltk/Scale.h"
#include "dialog/fltk/ViewModel.h"
#include "platform/posix/NameMap.h"

namespace tarnivo {
namespace {

#include "tarnivo-16.xpm"
#include "tarnivo-32.xpm"

// The copy's progress bar sits in the gap between the name box and the
// buttons.
view::Rect ProgressRect() {
  const view::Rect name = view::ControlRect(Control(ControlId::txtFileName), view::DesktopDpi());
  const view::Rect list = view::ControlRect(Control(ControlId::lstDir), view::DesktopDpi());
  const view::Rect ok = view::ControlRect(Control(ControlId::cmdOK), view::DesktopDpi());
  const int top = name.y + name.h + 1;
  return {list.x, top, list.w, std::max(2, ok.y - 1 - top)};
}

// The program's icon at `size` pixels from its drawn images: the 16-pixel
// one up to 16, else the 32-pixel one, enlarged pixel for pixel to a whole
// multiple (it stays sharp), smoothly resized to any other size.
std::unique_ptr<Fl_RGB_Image> WindowIcon(int size) {
  static const Fl_Pixmap small_pixmap(tarnivo_16_xpm);
  static const Fl_Pixmap large_pixmap(tarnivo_32_xpm);
  const int base = size <= 16 ? 16 : 32;
  Fl_RGB_Image source(base == 32 ? &large_pixmap : &small_pixmap);
  const Fl_RGB_Scaling scaling = Fl_Image::RGB_scaling();
  Fl_Image::RGB_scaling(size % base == 0 ? FL_RGB_SCALING_NEAREST : FL_RGB_SCALING_BILINEAR);
  std::unique_ptr<Fl_RGB_Image> icon(static_cast<Fl_RGB_Image*>(source.copy(size, size)));
  Fl_Image::RGB_scaling(scaling);
  return icon;
}

}  // namespace

// The top-level window: Tab and Shift+Tab move through the tab stops, and
// F1 presses Help where no control takes it.
class FltkDialog::Window : public Fl_Double_Window {
 public:
  Window(FltkDialog& owner, int w, int h) : Fl_Double_Window(w, h), owner_(owner) {}

  int handle(int event) override {
    const bool plain = !Fl::event_state(FL_CTRL | FL_ALT | FL_META);
    if (event == FL_KEYBOARD && Fl::event_key() == FL_Tab && plain) {
      owner_.MoveTab(!Fl::event_state(FL_SHIFT));
      return 1;
    }
    if ((event == FL_KEYBOARD || event == FL_SHORTCUT) && Fl::event_key() == FL_F + 1 && plain &&
        !Fl::event_state(FL_SHIFT)) {
      owner_.Changed(ControlId::cmdHelp);
      return 1;
    }
    return Fl_Double_Window::handle(event);
  }

 private:
  FltkDialog& owner_;
};

FltkDialog::FltkDialog(DialogState& state, frmMain& form, FltkUi& ui)
    : state_(state), form_(form), ui_(ui) {
  Build();
}

FltkDialog::~FltkDialog() {
  form_.SetView(nullptr);
  ui_.AttachDialog(nullptr, nullptr, nullptr);
}

void FltkDialog::Build() {
  const view::Rect client = view::ClientRect(view::DesktopDpi());
  window_ = std::make_unique<Window>(*this, client.w, client.h);
  window_->copy_label(std::string(kDialogCaption).c_str());
  window_->xclass("tarnivo");
  window_->callback(OnClose, this);

  view::PlainGroup* frame = nullptr;
  for (const ControlRow& row : kControls) {
    const view::Rect r = view::ControlRect(row, view::DesktopDpi());
    const std::string caption(row.caption);
    Fl_Widget* widget = nullptr;
    switch (row.kind) {
      case ControlKind::OptionButton:
        widget = new view::OptionButton(this, r.x, r.y, r.w, r.h, nullptr);
        widget->copy_label(caption.c_str());
        break;
      case ControlKind::Label:
        if (AccessKey(row.caption) != 0) {
          widget = new view::AccessLabel(r.x, r.y, r.w, r.h, nullptr);
        } else {
          widget = new view::TextLabel(r.x, r.y, r.w, r.h);
          widget->labeltype(view::PlainTextLabel());
          // A text still wider than its label is cut off at the right.
          widget->align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
        }
        widget->copy_label(caption.c_str());
        break;
      case ControlKind::Frame:
        frame = new view::PlainGroup(r.x, r.y, r.w, r.h);
        frame->end();
        widget = frame;
        break;
      case ControlKind::DriveList:
        widget = drive_list_ = new view::DriveList(this, r.x, r.y, r.w, r.h);
        drive_list_->SetBeforeOpen([this] { form_.DrivesChanged(); });
        break;
      case ControlKind::DirList:
        widget = dir_list_ = new view::DirList(this, r.x, r.y, r.w, r.h);
        dir_list_->SetOnOpen([this](int line) {
          // The folder has gone or cannot be read: a beep, and the list
          // shows the open folder as it is now.
          if (!form_.DirLineOpened(line)) fl_beep();
        });
        dir_list_->SetOnEnter([this](int line) {
          if (!form_.DirListEnter(line)) fl_beep();
          EventEnded();
        });
        break;
      case ControlKind::TextBox:
        widget = new view::TextBox(this, r.x, r.y, r.w, r.h);
        break;
      case ControlKind::PushButton: {
        auto* button = new view::PushButton(this, r.x, r.y, r.w, r.h, nullptr);
        button->copy_label(caption.c_str());
        button->SetDefault(row.is_default);
        button->SetCancel(row.is_cancel);
        widget = button;
        break;
      }
    }
    if (row.in_frame && frame != nullptr) frame->add(widget);
    widget->callback(OnChanged, this);
    widgets_[static_cast<std::size_t>(row.id)] = widget;
  }

  for (const ControlRow& row : kControls) {
    if (auto* label = dynamic_cast<view::AccessLabel*>(Widget(row.id))) {
      label->SetTarget(Widget(AccessTarget(row.id)));
    }
  }
  file_name_ = static_cast<Fl_Input*>(Widget(ControlId::txtFileName));
  network_ = static_cast<Fl_Input*>(Widget(ControlId::txtNetwork));
  file_name_label_ = Widget(ControlId::lblFileName);

  const view::Rect bar = ProgressRect();
  progress_ = new view::ProgressBar(bar.x, bar.y, bar.w, bar.h);
  progress_->hide();
  window_->end();
  ui_.AttachDialog(window_.get(), progress_, Widget(ControlId::cmdCancel));
}

void FltkDialog::Show() {
  // The drawn sizes and the same at the desktop's scale: the window manager
  // takes the one that suits its title bar and task list.
  std::vector<int> sizes = {16, 32, view::Px(16), view::Px(32)};
  std::sort(sizes.begin(), sizes.end());
  sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
  std::vector<std::unique_ptr<Fl_RGB_Image>> images;
  std::vector<const Fl_RGB_Image*> icons;
  for (int size : sizes) icons.push_back((images.emplace_back(WindowIcon(size))).get());
  Fl_Window::default_icons(icons.data(), static_cast<int>(icons.size()));

  form_.SetView([this](DialogField field) { Refresh(field); });
  window_->position((Fl::w() - window_->w()) / 2, (Fl::h() - window_->h()) / 2);
  window_->show();
  state_.SetWindow(static_cast<WindowHandle>(fl_xid(window_.get())));
  Widget(FirstFocus())->take_focus();
}

void FltkDialog::Run() {
  while (window_->shown()) Fl::wait();
}

// --- From the state to the widgets

void FltkDialog::Refresh(DialogField field) {
  switch (field) {
    case DialogField::FileNameLabel:
      file_name_label_->copy_label(posix::LinuxName(state_.FileNameLabel()).c_str());
      file_name_label_->redraw();
      break;
    case DialogField::FileName:
    case DialogField::NetworkText:
      ShowText(BoxOf(field));
      break;
    case DialogField::FileNameSelection:
    case DialogField::NetworkSelection:
      ShowSelection(BoxOf(field));
      break;
    case DialogField::CopyMove:
      static_cast<Fl_Button*>(Widget(ControlId::optCopy))->value(state_.CopySelected());
      static_cast<Fl_Button*>(Widget(ControlId::optMove))->value(state_.MoveSelected());
      break;
    case DialogField::DriveNetwork:
      static_cast<Fl_Button*>(Widget(ControlId::optDrive))->value(!state_.NetworkSelected());
      static_cast<Fl_Button*>(Widget(ControlId::optNetwork))->value(state_.NetworkSelected());
      break;
    case DialogField::DriveList:
      drive_list_->SetEntries(state_.DriveEntries());
      drive_list_->value(state_.DriveIndex());
      drive_list_->redraw();
      break;
    case DialogField::DirPath: {
      std::vector<DirLine> lines = state_.DirLines();
      for (DirLine& line : lines) line.text = posix::LinuxName(line.text);
      const int current = CurrentDirLine(lines);
      dir_list_->SetLines(std::move(lines), current);
      break;
    }
  }
}

ControlId FltkDialog::BoxOf(DialogField field) {
  return field == DialogField::FileName || field == DialogField::FileNameSelection
             ? ControlId::txtFileName
             : ControlId::txtNetwork;
}

void FltkDialog::ShowText(ControlId box) {
  auto* input = static_cast<Fl_Input*>(Widget(box));
  const std::string text = posix::LinuxName(state_.TextBox(box).text);
  if (text != input->value()) input->value(text.c_str());
}

void FltkDialog::ShowSelection(ControlId box) {
  // The drive form and the name shown have the same characters, one for one.
  const TextBoxValue& value = state_.TextBox(box);
  const std::string text = posix::LinuxName(value.text);
  static_cast<Fl_Input*>(Widget(box))
      ->position(view::ByteOffset(text, value.sel_start + value.sel_length),
                 view::ByteOffset(text, value.sel_start));
}

// --- From the widgets to the state and the handlers

void FltkDialog::EventEnded() { ui_.HandlerEnded(); }

void FltkDialog::OnChanged(Fl_Widget* widget, void* self) {
  auto* dialog = static_cast<FltkDialog*>(self);
  ControlId id;
  if (dialog->IdOf(widget, id)) dialog->Changed(id);
}

void FltkDialog::Changed(ControlId id) {
  switch (Control(id).kind) {
    case ControlKind::OptionButton:
      if (static_cast<Fl_Button*>(Widget(id))->value() != 0) form_.Choose(id);
      break;
    case ControlKind::TextBox: {
      const char* typed = static_cast<Fl_Input*>(Widget(id))->value();
      form_.Edited(id,
                   id == ControlId::txtNetwork ? posix::TypedPath(typed) : posix::TypedName(typed));
      break;
    }
    case ControlKind::DriveList:
      form_.DriveChosen(drive_list_->value());
      break;
    case ControlKind::PushButton:
      form_.Press(id);
      EventEnded();
      break;
    default:
      break;
  }
}

void FltkDialog::OnClose(Fl_Widget*, void* self) {
  auto* dialog = static_cast<FltkDialog*>(self);
  // Closing the window while a copy runs stops the copy and keeps the
  // dialog; an Escape that no control took is not a close.
  if (dialog->form_.Running()) {
    dialog->ui_.AskToStop();
    return;
  }
  if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
  dialog->form_.Close();
}

void FltkDialog::FocusMovedTo(Fl_Widget* widget) {
  ControlId id;
  if (widget != nullptr && widget->top_window() == window_.get() && IdOf(widget, id)) {
    form_.FocusMoved(id);
  }
}

void FltkDialog::MoveTab(bool forward) {
  ControlId current = ControlId::lblFileName;  // not a stop: Tab starts at the first
  IdOf(Fl::focus(), current);
  Widget(state_.NextTabStop(current, forward))->take_focus();
}

bool FltkDialog::IdOf(const Fl_Widget* widget, ControlId& id) const {
  for (const ControlRow& row : kControls) {
    if (widget != nullptr && Widget(row.id) == widget) {
      id = row.id;
      return true;
    }
  }
  return false;
}

}  // namespace tarnivo
