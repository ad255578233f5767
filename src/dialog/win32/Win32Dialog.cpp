#include "dialog/win32/Win32Dialog.h"

#include <algorithm>

#include "dialog/ControlTable.h"
#include "dialog/win32/ControlIds.h"
#include "dialog/win32/FolderIcons.h"
#include "dialog/win32/HelpWindow.h"
#include "platform/win32/WinText.h"

// clang-format off
#include <windows.h>
#include <commctrl.h>  // after windows.h
// clang-format on

namespace tarnivo::win32 {
namespace {

constexpr int kDropDownItems = 8;
constexpr WPARAM kDeviceArrival = 0x8000;         // DBT_DEVICEARRIVAL
constexpr WPARAM kDeviceRemoveComplete = 0x8004;  // DBT_DEVICEREMOVECOMPLETE
constexpr UINT kReselectMessage = WM_APP + 1;     // puts a text box's selection back after a click
constexpr int kIconResource = 1;

bool IsInputMessage(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

// The first option button of each group starts the group.
bool StartsGroup(const ControlRow& row) {
  if (row.kind != ControlKind::OptionButton) return true;
  for (const ControlRow& other : kControls) {
    if (other.kind == ControlKind::OptionButton && other.group == row.group)
      return other.id == row.id;
  }
  return true;
}

}  // namespace

Win32Dialog::Win32Dialog(HINSTANCE instance, Win32Platform& platform, DialogState& state,
                         frmMain& form)
    : instance_(instance), platform_(platform), state_(state), form_(form) {
  platform_.SetCopyProgress([this](Win32Platform::CopyPhase phase, std::uint64_t done,
                                   std::uint64_t total) { OnCopyProgress(phase, done, total); });
  platform_.SetOwnHelp(
      [this] { ShowHelpWindow(instance_, hwnd_, platform_.DialogFont(), platform_.Dpi()); });
}

Win32Dialog::~Win32Dialog() {
  state_.SetObserver(nullptr);
  platform_.SetCopyProgress(nullptr);
  platform_.SetOwnHelp(nullptr);
  platform_.SetOwner(nullptr);
  if (hwnd_) DestroyWindow(hwnd_);
  if (icon_big_) DestroyIcon(icon_big_);
  if (icon_small_) DestroyIcon(icon_small_);
}

int Win32Dialog::Px(int twips) const { return Pixels(twips, dpi_); }

bool Win32Dialog::Create() {
  // The controls are created at run time, so that they can be placed in
  // pixels from the table's twips.
  const std::vector<WORD> tmpl = EmptyDialogTemplate(
      WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_SETFONT | DS_3DLOOK, 100, 100,
      Widen(std::string(kDialogCaption)));
  CreateDialogIndirectParamW(instance_, reinterpret_cast<LPCDLGTEMPLATEW>(tmpl.data()), nullptr,
                             &DialogProc, reinterpret_cast<LPARAM>(this));
  return hwnd_ != nullptr;
}

void Win32Dialog::Show() {
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  // The control with the lowest tab index takes the focus.
  SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(FirstFocus())), TRUE);
}

int Win32Dialog::Run() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    const HWND help = CurrentHelpWindow();
    if (help && IsDialogMessageW(help, &msg)) continue;
    if (IsDialogMessageW(hwnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

INT_PTR CALLBACK Win32Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<Win32Dialog*>(lparam);
    SetWindowLongPtrW(hwnd, DWLP_USER, lparam);
    self->hwnd_ = hwnd;
    self->OnInit();
    return FALSE;  // Show() places the focus
  }
  auto* self = reinterpret_cast<Win32Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  return self ? self->Handle(message, wparam, lparam) : FALSE;
}

INT_PTR Win32Dialog::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_DRAWITEM:
      if (static_cast<int>(wparam) != ItemId(ControlId::lstDir)) return FALSE;
      OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
      return TRUE;
    case WM_CLOSE:
      // Closing the window ends the program like Cancel; while a copy is
      // under way it stops the copy instead, and the dialog stays.
      if (!copying_) RunHandler([this] { form_.Form_Unload(); });
      platform_.StopCopy();
      return TRUE;
    case WM_SYSCOMMAND:
      if (copying_ && (wparam & 0xFFF0) == SC_CLOSE) {
        platform_.StopCopy();
        return TRUE;
      }
      return FALSE;
    case WM_HELP:
      if (!copying_) RunHandler([this] { form_.cmdHelp_Click(); });
      return TRUE;
    case WM_SETCURSOR:
      if (!copying_ || !progress_shown_) return FALSE;
      SetCursor(LoadCursorW(nullptr, IDC_WAIT));
      SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case kReselectMessage:
      Sync(wparam ? DialogField::NetworkSelection : DialogField::FileNameSelection);
      return TRUE;
    case WM_DEVICECHANGE:
      if (wparam == kDeviceArrival || wparam == kDeviceRemoveComplete) ReloadDrives();
      return FALSE;
    default:
      return FALSE;
  }
}

void Win32Dialog::OnInit() {
  dpi_ = platform_.Dpi();
  icon_scale_ = std::max(1, (dpi_ + 48) / 96);
  platform_.SetOwner(hwnd_);
  state_.SetWindow(reinterpret_cast<WindowHandle>(hwnd_));

  // A fixed client area of the table's size, centred in the work area.
  RECT frame{0, 0, Px(kClientWidth), Px(kClientHeight)};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);

  CreateControls();

  icon_big_ =
      static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                                    GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
  icon_small_ = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(kIconResource),
                                              IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                              GetSystemMetrics(SM_CYSMICON), 0));
  if (icon_big_) SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_big_));
  if (icon_small_)
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_small_));

  state_.SetObserver([this](DialogField field) { Sync(field); });
  SyncAll();
}

void Win32Dialog::CreateControls() {
  std::vector<const ControlRow*> order;
  for (const ControlRow& row : kControls) {
    if (row.kind != ControlKind::Frame) order.push_back(&row);  // the frame draws nothing
  }
  // Creation order is the dialog manager's tab order.
  std::stable_sort(order.begin(), order.end(), [](const ControlRow* a, const ControlRow* b) {
    return a->tab_index < b->tab_index;
  });
  const ControlRow& frame = Control(ControlId::fraDrive);
  const HFONT font = platform_.DialogFont();
  HDC dc = GetDC(hwnd_);
  const HGDIOBJ old_font = SelectObject(dc, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old_font);
  ReleaseDC(hwnd_, dc);

  for (const ControlRow* row : order) {
    const int left = Px(row->left + (row->in_frame ? frame.left : 0));
    const int top = Px(row->top + (row->in_frame ? frame.top : 0));
    const int width = Px(row->width);
    int height = Px(row->height);
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD ex_style = 0;
    const wchar_t* window_class = L"BUTTON";
    switch (row->kind) {
      case ControlKind::OptionButton:
        style |= BS_AUTORADIOBUTTON;
        break;
      case ControlKind::Label:
        window_class = L"STATIC";
        // The source path may hold '&' and may be wider than the label: it
        // keeps its end (the file name) visible.
        style |= row->id == ControlId::lblFileName
                     ? SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_PATHELLIPSIS
                     : SS_LEFT;
        break;
      case ControlKind::DriveList:
        window_class = L"COMBOBOX";
        style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
        height += kDropDownItems * (metrics.tmHeight + 2);
        break;
      case ControlKind::DirList:
        window_class = L"LISTBOX";
        style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
                 WS_VSCROLL | WS_TABSTOP;
        ex_style = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::TextBox:
        window_class = L"EDIT";
        style |= ES_AUTOHSCROLL | WS_TABSTOP;
        ex_style = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::PushButton:
        style |= (row->is_default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP;
        break;
      case ControlKind::Frame:
        break;
    }
    if (StartsGroup(*row)) style |= WS_GROUP;
    const std::wstring caption =
        row->kind == ControlKind::Label && row->id == ControlId::lblFileName
            ? L""
            : Widen(std::string(row->caption));
    HWND item = CreateWindowExW(
        ex_style, window_class, caption.c_str(), style, left, top, width, height, hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(ItemId(row->id))), instance_, nullptr);
    SendMessageW(item, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    items_[static_cast<int>(row->id)] = item;
  }

  // The text boxes take names of any length.
  SendMessageW(Item(ControlId::txtFileName), EM_SETLIMITTEXT, 0, 0);
  SendMessageW(Item(ControlId::txtNetwork), EM_SETLIMITTEXT, 0, 0);
  // The closed drive list is as high as the table says.
  const int field = Px(Control(ControlId::lstDrive).height) - 6;
  if (field > 0)
    SendMessageW(Item(ControlId::lstDrive), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
  SendMessageW(Item(ControlId::lstDrive), CB_SETITEMHEIGHT, 0, metrics.tmHeight + 3);
  SendMessageW(Item(ControlId::lstDir), LB_SETITEMHEIGHT, 0,
               std::max<int>(metrics.tmHeight, kFolderIconSize * icon_scale_) + 1);

  // The bar that stands in for the source label during a long copy.
  const ControlRow& label = Control(ControlId::lblFileName);
  const ControlRow& to = Control(ControlId::Label2);
  progress_bar_ = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD, Px(label.left), Px(label.top),
                                  Px(to.left + to.width - label.left), Px(label.height), hwnd_,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdProgress)),
                                  instance_, nullptr);
  SendMessageW(progress_bar_, PBM_SETRANGE32, 0, 1000);
}

template <typename F>
void Win32Dialog::RunHandler(F&& handler) {
  struct Depth {
    int& depth;
    explicit Depth(int& d) : depth(d) { ++depth; }
    ~Depth() { --depth; }
    Depth(const Depth&) = delete;
    Depth& operator=(const Depth&) = delete;
  };
  {
    Depth depth(handler_depth_);
    handler();
  }
  if (handler_depth_ == 0 && drives_changed_) {
    drives_changed_ = false;
    ReloadDrives();
  }
}

bool Win32Dialog::FocusInDialog() const {
  const HWND focus = GetFocus();
  return focus && (focus == hwnd_ || IsChild(hwnd_, focus));
}

std::wstring Win32Dialog::ItemText(ControlId id) const {
  const HWND item = Item(id);
  const int length = GetWindowTextLengthW(item);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(item, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return text;
}

void Win32Dialog::OnCommand(int id, int code) {
  // Cancel pressed while a copy runs (a click, or an accessibility tool's
  // press) stops the copy; nothing else runs meanwhile.
  if (copying_ && id == kIdCancel) platform_.StopCopy();
  if (syncing_ || copying_) return;
  const auto is = [id](ControlId control) { return id == ItemId(control); };

  if (code == BN_CLICKED && (is(ControlId::optCopy) || is(ControlId::optMove) ||
                             is(ControlId::optDrive) || is(ControlId::optNetwork))) {
    // An automatic option button has checked itself: tell the state.
    if (SendMessageW(GetDlgItem(hwnd_, id), BM_GETCHECK, 0, 0) != BST_CHECKED) return;
    if (is(ControlId::optCopy)) state_.SelectCopy();
    if (is(ControlId::optMove)) state_.SelectMove();
    if (is(ControlId::optDrive)) state_.SelectDrive();
    if (is(ControlId::optNetwork)) state_.SelectNetwork();
    return;
  }
  if (is(ControlId::lstDrive) && code == CBN_SELCHANGE) {
    const auto index =
        static_cast<int>(SendMessageW(Item(ControlId::lstDrive), CB_GETCURSEL, 0, 0));
    RunHandler([this, index] {
      try {
        state_.SetDriveIndex(index);  // raises the drive-change handling
      } catch (const PlatformError&) {
        // No entry selected: nothing changed.
      }
    });
    return;
  }
  if (is(ControlId::lstDir) && code == LBN_DBLCLK) {
    OpenDirEntry(static_cast<int>(SendMessageW(Item(ControlId::lstDir), LB_GETCURSEL, 0, 0)));
    return;
  }
  if (is(ControlId::txtFileName) || is(ControlId::txtNetwork)) {
    const bool network = is(ControlId::txtNetwork);
    const ControlId box_id = network ? ControlId::txtNetwork : ControlId::txtFileName;
    const HWND box = GetDlgItem(hwnd_, id);
    switch (code) {
      case EN_CHANGE:
        state_.SetText(box_id, Narrow(ItemText(box_id)));
        break;
      case EN_SETFOCUS:
        // The focus coming back from a message box or another program is
        // not an entry into the box.
        if (parked_focus_ == box) {
          parked_focus_ = nullptr;
        } else {
          if (network) {
            RunHandler([this] { form_.txtNetwork_GotFocus(); });
          } else {
            RunHandler([this] { form_.txtFileName_GotFocus(); });
          }
          // A click that enters the box goes on to place the caret; the
          // selection the focus handling made is put back after it, so
          // typing replaces the text.
          if (GetKeyState(VK_LBUTTON) < 0) PostMessageW(hwnd_, kReselectMessage, network, 0);
        }
        break;
      case EN_KILLFOCUS:
        if (!FocusInDialog()) {
          parked_focus_ = box;
        } else if (network) {
          RunHandler([this] { form_.txtNetwork_LostFocus(); });
        }
        break;
      default:
        break;
    }
    return;
  }
  if (code != BN_CLICKED) return;
  if (id == kIdOk && GetFocus() == Item(ControlId::lstDir)) {
    // Enter in the directory list: a highlighted folder other than the
    // open one is opened; on the open folder Enter presses OK.
    const auto line = static_cast<int>(SendMessageW(Item(ControlId::lstDir), LB_GETCURSEL, 0, 0));
    if (EnterInDirList(dir_lines_, line) == DirListEnter::OpenHighlighted) {
      OpenDirEntry(line);
      return;
    }
  }
  if (id == kIdOk) RunHandler([this] { form_.cmdOK_Click(); });
  if (id == kIdCancel) RunHandler([this] { form_.cmdCancel_Click(); });
  if (is(ControlId::cmdHelp)) RunHandler([this] { form_.cmdHelp_Click(); });
}

void Win32Dialog::OpenDirEntry(int index) {
  if (index < 0 || index >= static_cast<int>(dir_lines_.size())) return;
  const std::string path = dir_lines_[static_cast<std::size_t>(index)].path;
  if (path == state_.DirPath()) return;
  try {
    state_.SetDirPath(path);
  } catch (const PlatformError&) {
    // The folder has gone since the list was filled.
    MessageBeep(MB_ICONWARNING);
    FillDirList();
  }
}

void Win32Dialog::ReloadDrives() {
  // Never under a running handler: the drive-change handling reads the list.
  if (handler_depth_ > 0) {
    drives_changed_ = true;
    return;
  }
  try {
    state_.ReloadDrives();  // keeps the selected and the saved drive by letter
  } catch (const PlatformError&) {
    // The list keeps the drives it had.
  }
}

void Win32Dialog::SetRadio(ControlId id, bool checked) {
  const HWND button = Item(id);
  SendMessageW(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  // An option group is one tab stop, at its selected button.
  LONG_PTR style = GetWindowLongPtrW(button, GWL_STYLE);
  style = checked ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
  SetWindowLongPtrW(button, GWL_STYLE, style);
}

void Win32Dialog::PlaceDriveGroup() {
  // Local and Network stand together in the tab order (the dialog manager's
  // groups are runs of siblings), at the tab index of the selected one.
  const ControlRow& selected =
      Control(state_.NetworkSelected() ? ControlId::optNetwork : ControlId::optDrive);
  HWND after = HWND_TOP;
  int best = -1;
  for (const ControlRow& row : kControls) {
    if (row.group == kGroupDriveNetwork || row.kind == ControlKind::Frame) continue;
    if (row.tab_index < selected.tab_index && row.tab_index > best) {
      best = row.tab_index;
      after = Item(row.id);
    }
  }
  constexpr UINT kFlags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW;
  SetWindowPos(Item(ControlId::optDrive), after, 0, 0, 0, 0, kFlags);
  SetWindowPos(Item(ControlId::optNetwork), Item(ControlId::optDrive), 0, 0, 0, 0, kFlags);
}

void Win32Dialog::Sync(DialogField field) {
  if (!hwnd_) return;
  const bool was_syncing = syncing_;
  syncing_ = true;
  switch (field) {
    case DialogField::FileNameLabel:
      SetWindowTextW(Item(ControlId::lblFileName), Widen(state_.FileNameLabel()).c_str());
      break;
    case DialogField::FileName:
    case DialogField::NetworkText:
      ShowText(field == DialogField::FileName ? ControlId::txtFileName : ControlId::txtNetwork);
      break;
    case DialogField::FileNameSelection:
    case DialogField::NetworkSelection:
      ShowSelection(field == DialogField::FileNameSelection ? ControlId::txtFileName
                                                            : ControlId::txtNetwork);
      break;
    case DialogField::CopyMove:
      SetRadio(ControlId::optCopy, state_.CopySelected());
      SetRadio(ControlId::optMove, state_.MoveSelected());
      break;
    case DialogField::DriveNetwork:
      SetRadio(ControlId::optDrive, !state_.NetworkSelected());
      SetRadio(ControlId::optNetwork, state_.NetworkSelected());
      PlaceDriveGroup();
      break;
    case DialogField::DriveList:
      FillDriveList();
      break;
    case DialogField::DirPath:
      FillDirList();
      break;
  }
  syncing_ = was_syncing;
}

void Win32Dialog::ShowText(ControlId box) {
  const std::wstring text = Widen(state_.TextBox(box).text);
  if (ItemText(box) != text) SetWindowTextW(Item(box), text.c_str());
}

void Win32Dialog::ShowSelection(ControlId box) {
  const TextBoxValue& value = state_.TextBox(box);
  SendMessageW(Item(box), EM_SETSEL, Utf16Offset(value.text, value.sel_start),
               Utf16Offset(value.text, value.sel_start + value.sel_length));
}

void Win32Dialog::SyncAll() {
  for (const DialogField field :
       {DialogField::FileNameLabel, DialogField::FileName, DialogField::CopyMove,
        DialogField::DriveNetwork, DialogField::DriveList, DialogField::DirPath,
        DialogField::NetworkText}) {
    Sync(field);
  }
}

void Win32Dialog::FillDriveList() {
  const HWND list = Item(ControlId::lstDrive);
  const std::vector<std::string>& entries = state_.DriveEntries();
  bool same =
      static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0)) == static_cast<int>(entries.size());
  for (std::size_t i = 0; same && i < entries.size(); ++i) {
    const auto length = SendMessageW(list, CB_GETLBTEXTLEN, i, 0);
    std::wstring text(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
    SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(std::max<LRESULT>(length, 0)));
    same = text == Widen(entries[i]);
  }
  // Only a changed set of drives is filled again: a selection change must not
  // disturb a list that the user is moving through.
  if (!same) {
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (const std::string& entry : entries) {
      SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(entry).c_str()));
    }
  }
  if (SendMessageW(list, CB_GETCURSEL, 0, 0) != state_.DriveIndex()) {
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(state_.DriveIndex()), 0);
  }
}

void Win32Dialog::FillDirList() {
  const HWND list = Item(ControlId::lstDir);
  std::vector<std::string> subfolders;
  try {
    if (!state_.DirPath().empty()) subfolders = platform_.SubFolders(state_.DirPath());
  } catch (const PlatformError&) {
    // A folder that cannot be listed shows only the way to it.
  }
  dir_lines_ = DirLines(state_.DirPath(), subfolders);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const DirLine& line : dir_lines_) {
    const auto index =
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(line.text).c_str()));
    if (index >= 0)
      SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(index),
                   DirItemData(line.depth, line.open));
  }
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(CurrentDirLine(dir_lines_)), 0);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void Win32Dialog::OnDrawItem(const DRAWITEMSTRUCT& item) {
  const HDC dc = item.hDC;
  const RECT& rc = item.rcItem;
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
  if (item.itemID == static_cast<UINT>(-1) || item.itemID >= static_cast<UINT>(dir_lines_.size())) {
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &rc);
    return;
  }
  const DirLine& entry = dir_lines_[item.itemID];
  const int icon = kFolderIconSize * icon_scale_;
  const int indent = (kFolderIconSize / 2 + 1) * icon_scale_;
  const int x = rc.left + 2 * icon_scale_ + entry.depth * indent;
  DrawFolderIcon(dc, x, rc.top + (rc.bottom - rc.top - icon) / 2, icon_scale_, entry.open);

  const std::wstring text = Widen(entry.text);
  RECT text_rect{x + icon + 3 * icon_scale_, rc.top, rc.right, rc.bottom};
  SIZE extent{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  RECT mark{text_rect.left - 1, rc.top, std::min<LONG>(text_rect.left + extent.cx + 2, rc.right),
            rc.bottom};
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  if (selected) {
    SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &mark, nullptr, 0, nullptr);
  }
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  SetBkMode(dc, TRANSPARENT);
  text_rect.left += 1;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &text_rect,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &mark);
}

void Win32Dialog::PumpWithoutInput() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (IsInputMessage(msg.message)) {
      // Input is blocked during the copy, except Escape and a click on
      // Cancel, which stop it.
      const bool escape = msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE;
      const bool cancel = msg.message == WM_LBUTTONDOWN && msg.hwnd == Item(ControlId::cmdCancel);
      if (escape || cancel) platform_.StopCopy();
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void Win32Dialog::SetProgress(std::uint64_t done, std::uint64_t total) {
  // A copy that does not tell its progress gets a bar that only moves.
  const bool marquee = total == 0;
  if (marquee != progress_marquee_) {
    progress_marquee_ = marquee;
    LONG_PTR style = GetWindowLongPtrW(progress_bar_, GWL_STYLE);
    style = marquee ? (style | PBS_MARQUEE) : (style & ~static_cast<LONG_PTR>(PBS_MARQUEE));
    SetWindowLongPtrW(progress_bar_, GWL_STYLE, style);
    SendMessageW(progress_bar_, PBM_SETMARQUEE, marquee ? TRUE : FALSE, 30);
  }
  if (!marquee)
    SendMessageW(progress_bar_, PBM_SETPOS, static_cast<WPARAM>(done * 1000 / total), 0);
}

void Win32Dialog::OnCopyProgress(Win32Platform::CopyPhase phase, std::uint64_t done,
                                 std::uint64_t total) {
  if (!hwnd_) return;
  switch (phase) {
    case Win32Platform::CopyPhase::Begin:
      copying_ = true;
      progress_shown_ = false;
      copy_start_ = GetTickCount();
      break;
    case Win32Platform::CopyPhase::Step:
      if (!progress_shown_ &&
          GetTickCount() - copy_start_ >= static_cast<DWORD>(kProgressDelayMs)) {
        progress_shown_ = true;
        ShowWindow(Item(ControlId::lblFileName), SW_HIDE);
        ShowWindow(Item(ControlId::Label2), SW_HIDE);
        ShowWindow(progress_bar_, SW_SHOW);
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
      }
      if (progress_shown_) SetProgress(done, total);
      PumpWithoutInput();
      break;
    case Win32Platform::CopyPhase::End:
      if (progress_shown_) {
        SetProgress(0, 1);
        ShowWindow(progress_bar_, SW_HIDE);
        ShowWindow(Item(ControlId::lblFileName), SW_SHOW);
        ShowWindow(Item(ControlId::Label2), SW_SHOW);
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
      }
      progress_shown_ = false;
      copying_ = false;
      break;
  }
}

}  // namespace tarnivo::win32
