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

// Resets a flag however the scope is left.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
};

}  // namespace

// The top-level window: Tab and Shift+Tab move through the tab stops.
class FltkDialog::Window : public Fl_Double_Window {
 public:
  Window(FltkDialog& owner, int w, int h) : Fl_Double_Window(w, h), owner_(owner) {}

  int handle(int event) override {
    if (event == FL_KEYBOARD && Fl::event_key() == FL_Tab &&
        !Fl::event_state(FL_CTRL | FL_ALT | FL_META)) {
      owner_.MoveTab(!Fl::event_state(FL_SHIFT));
      return 1;
    }
    return Fl_Double_Window::handle(event);
  }

 private:
  FltkDialog& owner_;
};

FltkDialog::FltkDialog(PlatformServices& platform, DialogState& state, frmMain& form, FltkUi& ui)
    : platform_(platform), state_(state), form_(form), ui_(ui) {
  Build();
  state_.SetObserver([this](DialogField field) { Refresh(field); });
  for (DialogField field :
       {DialogField::FileNameLabel, DialogField::FileName, DialogField::CopyMove,
        DialogField::DriveNetwork, DialogField::DriveList, DialogField::DirPath,
        DialogField::NetworkText}) {
    Refresh(field);
  }
}

FltkDialog::~FltkDialog() {
  state_.SetObserver(nullptr);
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
        drive_list_->SetBeforeOpen([this] { ReloadDrives(); });
        break;
      case ControlKind::DirList:
        widget = dir_list_ = new view::DirList(this, r.x, r.y, r.w, r.h);
        dir_list_->SetOnOpen([this](const std::string& folder) { OpenFolder(folder); });
        dir_list_->SetOnPressOK([this] { Changed(ControlId::cmdOK); });
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
      label->SetTarget(Widget(view::AccessTarget(row.id)));
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

  if (dir_list_stale_) RefreshDirList();
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
    case DialogField::DirPath:
      if (window_->shown()) {
        RefreshDirList();
      } else {
        dir_list_stale_ = true;  // read the folder once, when the window is shown
      }
      break;
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

void FltkDialog::RefreshDirList() {
  dir_list_stale_ = false;
  std::vector<std::string> subfolders;
  try {
    if (!state_.DirPath().empty()) subfolders = platform_.SubFolders(state_.DirPath());
  } catch (const PlatformError&) {
    // A folder that cannot be listed shows only the way to it.
  }
  std::vector<DirLine> lines = DirLines(state_.DirPath(), subfolders);
  for (DirLine& line : lines) line.text = posix::LinuxName(line.text);
  const int current = CurrentDirLine(lines);
  dir_list_->SetLines(std::move(lines), current);
}

// --- From the widgets to the state and the handlers

template <class Handler>
void FltkDialog::RunHandler(Handler&& handler) {
  if (in_handler_ || ui_.Busy()) return;  // no handler starts inside another
  {
    FlagScope running(in_handler_);
    handler();
  }
  ui_.HandlerEnded();
}

void FltkDialog::OnChanged(Fl_Widget* widget, void* self) {
  auto* dialog = static_cast<FltkDialog*>(self);
  ControlId id;
  if (dialog->IdOf(widget, id)) dialog->Changed(id);
}

void FltkDialog::Changed(ControlId id) {
  auto option_on = [this](ControlId option) {
    return static_cast<Fl_Button*>(Widget(option))->value() != 0;
  };
  switch (id) {
    case ControlId::optCopy:
      if (option_on(id)) state_.SelectCopy();
      break;
    case ControlId::optMove:
      if (option_on(id)) state_.SelectMove();
      break;
    case ControlId::optDrive:
      if (option_on(id)) state_.SelectDrive();
      break;
    case ControlId::optNetwork:
      if (option_on(id)) state_.SelectNetwork();
      break;
    case ControlId::txtFileName:
      state_.SetText(id, posix::TypedName(file_name_->value()));
      break;
    case ControlId::txtNetwork:
      state_.SetText(id, posix::TypedPath(network_->value()));
      break;
    case ControlId::lstDrive:
      // The state raises the drive list's change handling when the
      // selection really changes; the list then shows what the state holds
      // (a drive that was not ready has been put back).
      RunHandler([this] {
        try {
          state_.SetDriveIndex(drive_list_->value());
        } catch (const PlatformError&) {
          // No such entry: the list shows the state's selection again.
        }
      });
      Refresh(DialogField::DriveList);
      break;
    case ControlId::cmdOK:
      RunHandler([this] { form_.cmdOK_Click(); });
      break;
    case ControlId::cmdCancel:
      RunHandler([this] { form_.cmdCancel_Click(); });
      break;
    case ControlId::cmdHelp:
      RunHandler([this] { form_.cmdHelp_Click(); });
      break;
    default:
      break;
  }
}

void FltkDialog::OnClose(Fl_Widget*, void* self) {
  auto* dialog = static_cast<FltkDialog*>(self);
  // Closing the window while a copy runs stops the copy and keeps the
  // dialog; an Escape that no control took is not a close.
  if (dialog->ui_.Busy() || dialog->in_handler_) {
    dialog->ui_.AskToStop();
    return;
  }
  if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
  dialog->form_.Form_Unload();
}

void FltkDialog::FocusMovedTo(Fl_Widget* widget) {
  if (widget == nullptr || widget->top_window() != window_.get() || widget == logical_focus_) {
    return;
  }
  Fl_Widget* previous = std::exchange(logical_focus_, widget);
  if (previous == network_) RunHandler([this] { form_.txtNetwork_LostFocus(); });
  if (widget == network_) RunHandler([this] { form_.txtNetwork_GotFocus(); });
  if (widget == file_name_) RunHandler([this] { form_.txtFileName_GotFocus(); });
}

void FltkDialog::MoveTab(bool forward) {
  const std::vector<ControlId> stops =
      view::TabStops([this](ControlId id) { return OptionSelected(id); });
  ControlId current = ControlId::lblFileName;  // not a stop: Tab starts at the first
  IdOf(Fl::focus(), current);
  Widget(view::NextTabStop(stops, current, forward))->take_focus();
}

void FltkDialog::OpenFolder(const std::string& folder) {
  if (in_handler_ || ui_.Busy()) return;
  try {
    state_.SetDirPath(folder);
  } catch (const PlatformError&) {
    // The folder has gone or cannot be read: say so with a beep and show
    // the current folder as it is now.
    fl_beep();
    RefreshDirList();
  }
}

void FltkDialog::ReloadDrives() {
  if (in_handler_ || ui_.Busy()) return;
  try {
    state_.ReloadDrives();
  } catch (const PlatformError&) {
    // The list keeps the drives it had.
  }
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

bool FltkDialog::OptionSelected(ControlId id) const {
  switch (id) {
    case ControlId::optCopy:
      return state_.CopySelected();
    case ControlId::optMove:
      return state_.MoveSelected();
    case ControlId::optDrive:
      return !state_.NetworkSelected();
    case ControlId::optNetwork:
      return state_.NetworkSelected();
    default:
      return false;
  }
}

}  // namespace tarnivo
