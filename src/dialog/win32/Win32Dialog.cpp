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
#include <initguid.h>  // defines the GUIDs oleacc.h declares
#include <oleacc.h>
// clang-format on

namespace tarnivo::win32 {
namespace {

constexpr int kDropDownItems = 8;
constexpr WPARAM kDeviceArrival = 0x8000;         // DBT_DEVICEARRIVAL
constexpr WPARAM kDeviceRemoveComplete = 0x8004;  // DBT_DEVICEREMOVECOMPLETE
constexpr UINT kReselectMessage = WM_APP + 1;     // puts a text box's selection back after a click
constexpr int kIconResource = 1;

// The lists and the network box have no caption of their own: the
// accessibility layer would name each after the static text before it in
// z-order, so the network box after the source file's path. They carry the
// names the other view gives them instead, and the tab order stays.
constexpr struct {
  ControlId id;
  const wchar_t* name;
} kAccessibleNames[] = {
    {ControlId::lstDrive, L"Local"},
    {ControlId::txtNetwork, L"Network"},
    {ControlId::lstDir, L"Folders"},
};

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

Win32Dialog::Win32Dialog(HINSTANCE instance, Win32FileSystem& files, Win32Desktop& desktop,
                         DialogState& state, frmMain& form)
    : instance_(instance), files_(files), desktop_(desktop), state_(state), form_(form) {
  files_.SetCopyProgress([this](Win32FileSystem::CopyPhase phase, std::uint64_t done,
                                std::uint64_t total) { OnCopyProgress(phase, done, total); });
}

Win32Dialog::~Win32Dialog() {
  form_.SetView(nullptr);
  files_.SetCopyProgress(nullptr);
  desktop_.SetOwner(nullptr);
  if (annotations_) {
    for (const auto& [id, name] : kAccessibleNames)
      annotations_->ClearHwndProps(Item(id), OBJID_CLIENT, CHILDID_SELF, &PROPID_ACC_NAME, 1);
    annotations_->Release();
  }
  if (com_) CoUninitialize();
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
      if (!form_.Close()) files_.StopCopy();
      return TRUE;
    case WM_SYSCOMMAND:
      if (copying_ && (wparam & 0xFFF0) == SC_CLOSE) {
        files_.StopCopy();
        return TRUE;
      }
      return FALSE;
    case WM_HELP:
      form_.Press(ControlId::cmdHelp);
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
      if (wparam == kDeviceArrival || wparam == kDeviceRemoveComplete) form_.DrivesChanged();
      return FALSE;
    default:
      return FALSE;
  }
}

void Win32Dialog::OnInit() {
  dpi_ = desktop_.Dpi();
  icon_scale_ = std::max(1, (dpi_ + 48) / 96);
  desktop_.SetOwner(hwnd_);
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
  NameControls();

  icon_big_ =
      static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                                    GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
  icon_small_ = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(kIconResource),
                                              IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                              GetSystemMetrics(SM_CYSMICON), 0));
  if (icon_big_) SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_big_));
  if (icon_small_)
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_small_));

  form_.SetView([this](DialogField field) { Sync(field); });
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
  const HFONT font = desktop_.DialogFont();
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

void Win32Dialog::NameControls() {
  com_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  void* services = nullptr;
  if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IAccPropServices, &services))) {
    return;  // the controls keep the names the system gives them
  }
  annotations_ = static_cast<IAccPropServices*>(services);
  for (const auto& [id, name] : kAccessibleNames)
    annotations_->SetHwndPropStr(Item(id), OBJID_CLIENT, CHILDID_SELF, PROPID_ACC_NAME, name);
}

bool Win32Dialog::FocusedControl(ControlId& id) const {
  HWND focus = GetFocus();
  while (focus && GetParent(focus) != hwnd_) focus = GetParent(focus);
  for (const ControlRow& row : kControls) {
    if (focus && Item(row.id) == focus) {
      id = row.id;
      return true;
    }
  }
  return false;
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
  if (copying_ && id == kIdCancel) files_.StopCopy();
  if (syncing_ || copying_) return;
  const auto is = [id](ControlId control) { return id == ItemId(control); };

  if (code == BN_CLICKED && (is(ControlId::optCopy) || is(ControlId::optMove) ||
                             is(ControlId::optDrive) || is(ControlId::optNetwork))) {
    // An automatic option button has checked itself: tell the form.
    if (SendMessageW(GetDlgItem(hwnd_, id), BM_GETCHECK, 0, 0) != BST_CHECKED) return;
    for (const ControlId option :
         {ControlId::optCopy, ControlId::optMove, ControlId::optDrive, ControlId::optNetwork}) {
      if (is(option)) form_.Choose(option);
    }
    return;
  }
  if (is(ControlId::lstDrive) && code == CBN_SELCHANGE) {
    form_.DriveChosen(
        static_cast<int>(SendMessageW(Item(ControlId::lstDrive), CB_GETCURSEL, 0, 0)));
    return;
  }
  if (is(ControlId::lstDir) && code == LBN_DBLCLK) {
    OpenDirEntry(static_cast<int>(SendMessageW(Item(ControlId::lstDir), LB_GETCURSEL, 0, 0)));
    return;
  }
  if (is(ControlId::txtFileName) || is(ControlId::txtNetwork)) {
    const bool network = is(ControlId::txtNetwork);
    const ControlId box = network ? ControlId::txtNetwork : ControlId::txtFileName;
    switch (code) {
      case EN_CHANGE:
        form_.Edited(box, Narrow(ItemText(box)));
        break;
      case EN_SETFOCUS: {
        const bool entered = form_.Focused() != box;
        form_.FocusMoved(box);
        // A click that enters the box goes on to place the caret; the
        // selection the focus handling made is put back after it, so
        // typing replaces the text.
        if (entered && GetKeyState(VK_LBUTTON) < 0) {
          PostMessageW(hwnd_, kReselectMessage, network, 0);
        }
        break;
      }
      case EN_KILLFOCUS: {
        // Losing the focus to a message box or another program is no move.
        ControlId to;
        if (FocusedControl(to)) form_.FocusMoved(to);
        break;
      }
      default:
        break;
    }
    return;
  }
  if (code != BN_CLICKED) return;
  if (id == kIdOk && GetFocus() == Item(ControlId::lstDir)) {
    // Enter in the directory list.
    const auto line = static_cast<int>(SendMessageW(Item(ControlId::lstDir), LB_GETCURSEL, 0, 0));
    if (!form_.DirListEnter(line)) MessageBeep(MB_ICONWARNING);
    return;
  }
  if (id == kIdOk) form_.Press(ControlId::cmdOK);
  if (id == kIdCancel) form_.Press(ControlId::cmdCancel);
  if (is(ControlId::cmdHelp)) form_.Press(ControlId::cmdHelp);
}

void Win32Dialog::OpenDirEntry(int index) {
  // The folder has gone since the list was filled: a beep, and the list
  // shows the open folder as it is now.
  if (!form_.DirLineOpened(index)) MessageBeep(MB_ICONWARNING);
}

void Win32Dialog::SetRadio(ControlId id, bool checked) {
  const HWND button = Item(id);
  SendMessageW(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  LONG_PTR style = GetWindowLongPtrW(button, GWL_STYLE);
  style =
      state_.IsTabStop(id) ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
  SetWindowLongPtrW(button, GWL_STYLE, style);
}

void Win32Dialog::PlaceDriveGroup() {
  // Local and Network stand together in the tab order (the dialog manager's
  // groups are runs of siblings), at the tab index of the one that is the
  // group's stop.
  const ControlRow& selected = Control(
      state_.IsTabStop(ControlId::optNetwork) ? ControlId::optNetwork : ControlId::optDrive);
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
  dir_lines_ = state_.DirLines();
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
      if (escape || cancel) files_.StopCopy();
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

void Win32Dialog::OnCopyProgress(Win32FileSystem::CopyPhase phase, std::uint64_t done,
                                 std::uint64_t total) {
  if (!hwnd_) return;
  switch (phase) {
    case Win32FileSystem::CopyPhase::Begin:
      copying_ = true;
      progress_shown_ = false;
      copy_start_ = GetTickCount();
      break;
    case Win32FileSystem::CopyPhase::Step:
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
    case Win32FileSystem::CopyPhase::End:
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
