// End-to-end scenarios: tarnivo.exe started with a path, driven through its
// dialog and message boxes, its exit awaited, the files checked.
#include "App.h"
#include "Files.h"
#include "Harness.h"
#include "dialog/win32/ControlIds.h"
#include "tarnivo_version.h"

// After windows.h, which App.h brings in.
#include <tlhelp32.h>

namespace tarnivo::wine {
namespace {

// The program's dialog; nullptr, recorded as a failure, when it does not appear.
HWND DialogOf(Check& check, App& app) {
  const HWND dialog = app.Dialog();
  check.That(dialog != nullptr, "the dialog appears");
  return dialog;
}

const std::wstring kC = L"C:\\tarnivo-e2e";
const std::wstring kD = L"D:\\tarnivo-e2e";

const std::wstring kOverwrite = L"The destination file already exits.\r\nOverwrite ?";
const std::wstring kTransferError =
    L"Error during copy or move.\r\nFile may already exist or is in use.";
const std::wstring kNotFound = L"File not found !!";

// Answers the one message box expected now, checking its text and buttons.
bool ExpectBox(Check& check, App& app, const std::wstring& text, std::initializer_list<int> buttons,
               int answer) {
  const HWND box = app.Box();
  check.That(box != nullptr, "a message box appears: " + Utf8(text));
  if (!box) return false;
  check.Equal(Utf8(BoxText(box)), Utf8(text), "message text");
  for (const int id : {IDOK, IDCANCEL, IDYES, IDNO, IDRETRY}) {
    bool wanted = false;
    for (const int b : buttons) wanted = wanted || b == id;
    check.Equal(HasButton(box, id), wanted, "button " + std::to_string(id) + " shown");
  }
  Answer(box, answer);
  check.That(WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }), "the box closes");
  return true;
}

bool WaitDirPath(HWND dialog, const std::wstring& path) {
  return WaitFor([&] { return DirPath(dialog) == path; });
}

void Open(Check& check, HWND dialog, const std::wstring& entry, const std::wstring& then) {
  check.That(OpenDirEntry(dialog, entry), "the folder list shows " + Utf8(entry));
  check.That(WaitDirPath(dialog, then),
             "the folder list opens " + Utf8(then) + ", has " + Utf8(DirPath(dialog)));
}

void ChooseDrive(Check& check, HWND dialog, wchar_t letter, const std::wstring& root) {
  check.That(SelectDrive(dialog, letter),
             std::string("the drive list has ") + static_cast<char>(letter));
  check.That(WaitDirPath(dialog, root), "the folder list moves to " + Utf8(root));
}

void ChooseMove(Check& check, HWND dialog) {
  Click(dialog, ControlId::optMove);
  check.That(WaitFor([&] { return Checked(dialog, ControlId::optMove); }), "Move is selected");
}

// Picks D:\tarnivo-e2e\<folder> in the lists, presses OK and awaits the end.
void OkIntoFolderOnD(Check& check, App& app, HWND dialog, const std::wstring& folder) {
  ChooseDrive(check, dialog, L'd', L"D:\\");
  Open(check, dialog, L"tarnivo-e2e", kD);
  Open(check, dialog, folder, kD + L"\\" + folder);
  Click(dialog, ControlId::cmdOK);
  check.That(app.Exited(), "the program ends after OK");
}

void ShortAliasTypicalRun(Check& check, const std::wstring& program) {
  const std::wstring folder = kC + L"\\My Documents";
  FreshFolder(folder + L"\\Letters");
  FreshFolder(kD + L"\\Backup");
  const std::wstring file = folder + L"\\Letter to Ann.doc";
  WriteFileText(file, "Dear Ann");
  const std::wstring alias = ShortPath(file);
  check.That(alias != file && alias.find(L' ') == std::wstring::npos,
             "a short alias: " + Utf8(alias));

  App app(program, alias);
  const HWND dialog = DialogOf(check, app);
  if (!dialog) return;
  const std::wstring label = Text(Item(dialog, ControlId::lblFileName));
  check.That(label.rfind(L"C:\\", 0) == 0 && label.size() > 18 &&
                 label.substr(label.size() - 18) == L"\\Letter to Ann.doc",
             "the label shows the long path: " + Utf8(label));
  check.Equal(Utf8(Text(Item(dialog, ControlId::txtFileName))), "Letter to Ann.doc",
              "the stored name");
  check.Equal(Utf8(Text(Item(dialog, ControlId::lstDrive))).substr(0, 2), "c:", "the file's drive");
  check.Equal(Utf8(DirPath(dialog)), Utf8(folder), "the file's folder");
  check.That(Checked(dialog, ControlId::optCopy) && !Checked(dialog, ControlId::optMove),
             "Copy is selected");
  check.That(Checked(dialog, ControlId::optDrive), "Local is selected");
  check.That(app.Focus() == Item(dialog, ControlId::lstDrive), "the drive list has the focus");

  OkIntoFolderOnD(check, app, dialog, L"Backup");
  check.Equal(ReadFileText(kD + L"\\Backup\\Letter to Ann.doc"), "Dear Ann", "the copy");
  check.Equal(ReadFileText(file), "Dear Ann", "the source stays");
}

void QuotedLongPath(Check& check, const std::wstring& program) {
  const std::wstring folder = kC + L"\\quoted path";
  FreshFolder(folder);
  WriteFileText(folder + L"\\Report 2024.txt", "figures");
  App app(program, L"\"" + folder + L"\\Report 2024.txt\"");
  const HWND dialog = DialogOf(check, app);
  if (!dialog) return;
  check.Equal(Utf8(Text(Item(dialog, ControlId::txtFileName))), "Report 2024.txt",
              "the stored name");
  check.Equal(Utf8(DirPath(dialog)), Utf8(folder), "the file's folder");
  SetText(dialog, ControlId::txtFileName, L"Report copy.txt");
  Click(dialog, ControlId::cmdOK);
  check.That(app.Exited(), "the program ends after the copy");
  check.Equal(ReadFileText(folder + L"\\Report copy.txt"), "figures",
              "the copy under its new name");
  check.Equal(ReadFileText(folder + L"\\Report 2024.txt"), "figures", "the source stays");
}

// An existing destination: No leaves everything and the dialog; Yes replaces.
void Overwrite(Check& check, const std::wstring& program) {
  for (const bool yes : {false, true}) {
    FreshFolder(kC + L"\\ow\\src");
    FreshFolder(kC + L"\\ow\\dst");
    WriteFileText(kC + L"\\ow\\src\\data.txt", "new");
    WriteFileText(kC + L"\\ow\\dst\\data.txt", "old");
    App app(program, kC + L"\\ow\\src\\data.txt");
    const HWND dialog = DialogOf(check, app);
    if (!dialog) return;
    Open(check, dialog, L"ow", kC + L"\\ow");
    Open(check, dialog, L"dst", kC + L"\\ow\\dst");
    Click(dialog, ControlId::cmdOK);
    ExpectBox(check, app, kOverwrite, {IDYES, IDNO}, yes ? IDYES : IDNO);
    if (yes) {
      check.That(app.Exited(), "Yes: the program ends");
      check.Equal(ReadFileText(kC + L"\\ow\\dst\\data.txt"), "new", "Yes: the file is replaced");
    } else {
      check.That(!app.Exited(1000), "No: the dialog stays open");
      check.That(app.Box(500) == nullptr, "No: no further message");
      check.Equal(ReadFileText(kC + L"\\ow\\dst\\data.txt"), "old", "No: the old file stays");
      Click(dialog, ControlId::cmdCancel);
      check.That(app.Exited(), "Cancel ends the program");
    }
    check.Equal(ReadFileText(kC + L"\\ow\\src\\data.txt"), "new", "the source stays");
  }
}

void MoveWithinDrive(Check& check, const std::wstring& program) {
  FreshFolder(kC + L"\\mv\\into");
  WriteFileText(kC + L"\\mv\\a.txt", "moving");
  const auto identity = FileIdentity(kC + L"\\mv\\a.txt");
  App app(program, kC + L"\\mv\\a.txt");
  const HWND dialog = DialogOf(check, app);
  if (!dialog) return;
  ChooseMove(check, dialog);
  Open(check, dialog, L"into", kC + L"\\mv\\into");
  Click(dialog, ControlId::cmdOK);
  check.That(app.Exited(), "the program ends after the move");
  check.That(!Exists(kC + L"\\mv\\a.txt"), "the source has gone");
  check.Equal(ReadFileText(kC + L"\\mv\\into\\a.txt"), "moving", "the file is in its new folder");
  check.That(FileIdentity(kC + L"\\mv\\into\\a.txt") == identity, "renamed, not copied");
}

void MoveToOtherDrive(Check& check, const std::wstring& program) {
  FreshFolder(kC + L"\\mvd");
  FreshFolder(kD + L"\\mvd backup");
  WriteFileText(kC + L"\\mvd\\REPORT.DOC", "quarterly");
  App app(program, kC + L"\\MVD\\report.doc");
  const HWND dialog = DialogOf(check, app);
  if (!dialog) return;
  check.Equal(Utf8(Text(Item(dialog, ControlId::txtFileName))), "REPORT.DOC", "the stored name");
  ChooseMove(check, dialog);
  OkIntoFolderOnD(check, app, dialog, L"mvd backup");
  check.Equal(ReadFileText(kD + L"\\mvd backup\\REPORT.DOC"), "quarterly", "the file is on D:");
  check.That(!Exists(kC + L"\\mvd\\REPORT.DOC"), "the source has gone");
}

void CancelAndEscape(Check& check, const std::wstring& program) {
  FreshFolder(kC + L"\\cancel");
  WriteFileText(kC + L"\\cancel\\keep.txt", "keep");
  for (const bool escape : {false, true}) {
    App app(program, kC + L"\\cancel\\keep.txt");
    const HWND dialog = DialogOf(check, app);
    if (!dialog) return;
    ChooseMove(check, dialog);
    if (escape) {
      PostKey(app.Focus(), VK_ESCAPE);
    } else {
      Click(dialog, ControlId::cmdCancel);
    }
    check.That(app.Exited(), escape ? "Escape ends the program" : "Cancel ends the program");
    check.Equal(ReadFileText(kC + L"\\cancel\\keep.txt"), "keep", "nothing moved");
  }
}

void NoUsableArgument(Check& check, const std::wstring& program) {
  FreshFolder(kC + L"\\nf");
  for (const std::wstring arguments :
       {L"", L"C:\\tarnivo-e2e\\nf\\missing.txt", L"\\\\server\\share\\x.txt", L"C:\\",
        L"\"C:\\tarnivo-e2e\\nf\\missing file.txt\""}) {
    App app(program, arguments);
    ExpectBox(check, app, kNotFound, {IDOK}, IDOK);
    check.That(app.Exited(), "the program ends: [" + Utf8(arguments) + "]");
    check.That(!app.DialogSeen(), "the dialog never shows: [" + Utf8(arguments) + "]");
  }
}

void DriveNotReady(Check& check, const std::wstring& program) {
  FreshFolder(kC + L"\\nr");
  WriteFileText(kC + L"\\nr\\f.txt", "f");
  App app(program, kC + L"\\nr\\f.txt");
  const HWND dialog = DialogOf(check, app);
  if (!dialog) return;
  check.That(SelectDrive(dialog, L'e'), "the drive list has e:");
  ExpectBox(check, app, L"Drive e: is not ready.", {IDRETRY, IDCANCEL}, IDRETRY);
  ExpectBox(check, app, L"Drive e: is not ready.", {IDRETRY, IDCANCEL}, IDCANCEL);
  check.That(WaitDirPath(dialog, L"C:\\"),
             "Cancel: the folder list shows the root of the previous drive");
  check.Equal(Utf8(Text(Item(dialog, ControlId::lstDrive))).substr(0, 2),
              "c:", "Cancel: the previous drive");
  // With Network selected the drive list no longer moves the folder list.
  Click(dialog, ControlId::optNetwork);
  check.That(WaitFor([&] { return Checked(dialog, ControlId::optNetwork); }),
             "Network is selected");
  check.That(SelectDrive(dialog, L'e'), "e: again");
  check.That(app.Box(1000) == nullptr, "Network: no message for e:");
  check.Equal(Utf8(DirPath(dialog)), "C:\\", "Network: the folder list stays");
  Click(dialog, ControlId::cmdCancel);
  check.That(app.Exited(), "Cancel ends the program");
}

// Destinations refused with the transfer error: the source itself under
// another spelling, device names, names Windows would change.
void RefusedDestinations(Check& check, const std::wstring& program) {
  FreshFolder(kC + L"\\self");
  const std::wstring file = kC + L"\\self\\Letter to Ann.doc";
  WriteFileText(file, "only copy");
  const std::wstring alias = ShortPath(file);
  const std::wstring names[] = {alias.substr(alias.rfind(L'\\') + 1),
                                L"LETTER TO ANN.DOC",
                                L"CON.txt",
                                L"nul",
                                L"Letter to Ann.doc.",
                                L"Letter to Ann.doc "};
  for (const bool move : {false, true}) {
    App app(program, L"\"" + file + L"\"");
    const HWND dialog = DialogOf(check, app);
    if (!dialog) return;
    if (move) ChooseMove(check, dialog);
    for (const std::wstring& name : names) {
      SetText(dialog, ControlId::txtFileName, name);
      Click(dialog, ControlId::cmdOK);
      ExpectBox(check, app, kTransferError, {IDOK}, IDOK);
      check.Equal(ReadFileText(file), "only copy", "the source survives " + Utf8(name));
      check.That(app.Running(), "the dialog stays open after " + Utf8(name));
    }
    Click(dialog, ControlId::cmdCancel);
    check.That(app.Exited(), "Cancel ends the program");
  }
  check.Equal(FolderEntries(kC + L"\\self"), 1, "the folder holds only the source");
}

// A folder typed into the network box: taken when the box loses the focus
// (clicking OK), not when Enter presses OK from inside the box.
void TypedFolder(Check& check, const std::wstring& program) {
  FreshFolder(kC + L"\\typed");
  FreshFolder(kD + L"\\typed target");
  WriteFileText(kC + L"\\typed\\t.txt", "typed");
  for (const bool enter : {false, true}) {
    App app(program, kC + L"\\typed\\t.txt");
    const HWND dialog = DialogOf(check, app);
    if (!dialog) return;
    SetText(dialog, ControlId::txtFileName, enter ? L"by enter.txt" : L"by click.txt");
    FocusItem(dialog, ControlId::txtNetwork);
    check.That(WaitFor([&] { return app.Focus() == Item(dialog, ControlId::txtNetwork); }),
               "the box has the focus");
    SetText(dialog, ControlId::txtNetwork, L"  " + kD + L"\\typed target  ");
    if (enter) {
      PostKey(Item(dialog, ControlId::txtNetwork), VK_RETURN);
    } else {
      Click(dialog, ControlId::cmdOK);
    }
    check.That(app.Exited(), "the program ends after the copy");
  }
  check.Equal(ReadFileText(kD + L"\\typed target\\by click.txt"), "typed",
              "click: into the typed folder");
  check.Equal(ReadFileText(kC + L"\\typed\\by enter.txt"), "typed",
              "Enter: into the folder shown before");
}

void KeyboardAccess(Check& check, const std::wstring& program) {
  FreshFolder(kC + L"\\keys");
  WriteFileText(kC + L"\\keys\\k.txt", "keys");
  App app(program, kC + L"\\keys\\k.txt");
  const HWND dialog = DialogOf(check, app);
  if (!dialog) return;

  // Tab goes round the tab stops in tab-index order; each option group is
  // one stop, at its selected button.
  const ControlId order[] = {ControlId::lstDir,     ControlId::txtFileName, ControlId::cmdOK,
                             ControlId::cmdCancel,  ControlId::cmdHelp,     ControlId::optCopy,
                             ControlId::txtNetwork, ControlId::optDrive,    ControlId::lstDrive};
  for (const ControlId next : order) {
    PostKey(app.Focus(), VK_TAB);
    check.That(WaitFor([&] { return app.Focus() == Item(dialog, next); }),
               "Tab reaches " + std::string(Control(next).name) + ", focus on control " +
                   std::to_string(GetDlgCtrlID(app.Focus())));
  }
  PostAltKey(app.Focus(), L'a');
  check.That(WaitFor([&] { return app.Focus() == Item(dialog, ControlId::txtFileName); }),
             "Alt+A moves to the name box");
  DWORD start = 1, end = 0;
  WaitFor([&] {
    SendMessageW(Item(dialog, ControlId::txtFileName), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return start == 0 && end == 5;
  });
  check.That(start == 0 && end == 5, "entering the name box selects the name");
  PostAltKey(app.Focus(), L'm');
  check.That(WaitFor([&] { return Checked(dialog, ControlId::optMove); }), "Alt+M selects Move");
  PostAltKey(app.Focus(), L'c');
  check.That(WaitFor([&] { return Checked(dialog, ControlId::optCopy); }), "Alt+C selects Copy");
  SetText(dialog, ControlId::txtFileName, L"k2.txt");
  PostKey(app.Focus(), VK_RETURN);
  check.That(app.Exited(), "Enter runs OK and the program ends");
  check.Equal(ReadFileText(kC + L"\\keys\\k2.txt"), "keys", "the copy");
  check.Equal(ReadFileText(kC + L"\\keys\\k.txt"), "keys", "the source stays");
}

// The keyboard in the lists: the drive list drops down on the current drive,
// so Down goes on to the next; Enter in the folder list opens a highlighted
// folder, and on the open folder it presses OK.
void KeyboardLists(Check& check, const std::wstring& program) {
  FreshFolder(kC + L"\\lists");
  FreshFolder(kD + L"\\lists in");
  WriteFileText(kC + L"\\lists\\k.txt", "keys");
  App app(program, kC + L"\\lists\\k.txt");
  const HWND dialog = DialogOf(check, app);
  if (!dialog) return;
  const HWND drives = Item(dialog, ControlId::lstDrive);
  PostKey(drives, VK_F4);
  check.That(WaitFor([&] { return SendMessageW(drives, CB_GETDROPPEDSTATE, 0, 0) != 0; }),
             "F4 drops the drive list down");
  PostKey(drives, VK_DOWN);
  PostKey(drives, VK_RETURN);
  check.That(WaitDirPath(dialog, L"D:\\"),
             "Down from c: and Enter: the root of d:, has " + Utf8(DirPath(dialog)));

  const HWND list = Item(dialog, ControlId::lstDir);
  FocusItem(dialog, ControlId::lstDir);
  check.That(WaitFor([&] { return app.Focus() == list; }), "the folder list has the focus");
  const auto highlight = [&](const std::wstring& text) {
    const LRESULT at = SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                    reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(at), 0);
    return at >= 0;
  };
  check.That(highlight(L"tarnivo-e2e"), "tarnivo-e2e is listed");
  PostKey(list, VK_RETURN);
  check.That(WaitDirPath(dialog, kD), "Enter opens the highlighted folder");
  check.That(highlight(L"lists in"), "lists in is listed");
  PostKey(list, VK_RETURN);
  check.That(WaitDirPath(dialog, kD + L"\\lists in"), "Enter opens it");
  check.That(app.Running(), "opening a folder leaves the dialog open");
  PostKey(list, VK_RETURN);  // on the open folder: OK
  check.That(app.Exited(), "Enter on the open folder runs OK");
  check.Equal(ReadFileText(kD + L"\\lists in\\k.txt"), "keys", "the copy in the opened folder");
  check.Equal(ReadFileText(kC + L"\\lists\\k.txt"), "keys", "the source stays");
}

void UnicodeName(Check& check, const std::wstring& program) {
  const std::wstring name = L"\u00C4rger \U0001F600 \u65E5\u672C.txt";
  FreshFolder(kC + L"\\uni");
  FreshFolder(kD + L"\\uni");
  WriteFileText(kC + L"\\uni\\" + name, "unicode");
  App app(program, L"\"" + kC + L"\\uni\\" + name + L"\"");
  const HWND dialog = DialogOf(check, app);
  if (!dialog) return;
  check.Equal(Utf8(Text(Item(dialog, ControlId::txtFileName))), Utf8(name), "the name box");
  ChooseMove(check, dialog);
  OkIntoFolderOnD(check, app, dialog, L"uni");
  check.Equal(ReadFileText(kD + L"\\uni\\" + name), "unicode", "moved under its own name");
  check.That(!Exists(kC + L"\\uni\\" + name), "the source has gone");
}

// A 1 GiB copy to D:, stopped while its progress shows: by Escape during a
// copy, by a click on Cancel during a move. Each time no message, nothing on
// D:, the source whole and the dialog back; then Escape ends the program.
void StopLongCopy(Check& check, const std::wstring& program) {
  constexpr long long kSize = 1LL << 30;
  const std::wstring source = kC + L"\\big\\disk image.iso";
  FreshFolder(kC + L"\\big");
  FreshFolder(kD + L"\\big backup");
  check.That(MakeEmptyFile(source, kSize), "a 1 GiB file");
  App app(program, L"\"" + source + L"\"");
  const HWND dialog = DialogOf(check, app);
  if (!dialog) return;
  ChooseDrive(check, dialog, L'd', L"D:\\");
  Open(check, dialog, L"tarnivo-e2e", kD);
  Open(check, dialog, L"big backup", kD + L"\\big backup");
  const HWND bar = GetDlgItem(dialog, win32::kIdProgress);
  const HWND cancel = Item(dialog, ControlId::cmdCancel);
  for (const bool escape : {true, false}) {
    const std::string how = escape ? "Escape during a copy" : "Cancel during a move";
    if (!escape) ChooseMove(check, dialog);
    Click(dialog, ControlId::cmdOK);
    const bool shown = WaitFor([&] { return IsWindowVisible(bar) != FALSE; });
    check.That(shown, how + ": the progress shows");
    if (!shown) return;
    if (escape) {
      PostKey(app.Focus(), VK_ESCAPE);
    } else {
      PostMessageW(cancel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
      PostMessageW(cancel, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    }
    check.That(WaitFor([&] { return !IsWindowVisible(bar); }, 60000), how + ": the progress goes");
    check.That(app.Running(), how + ": the dialog stays");
    check.That(app.Box(500) == nullptr, how + ": no message");
    check.Equal(FolderEntries(kD + L"\\big backup"), 0, how + ": nothing on D:");
    check.Equal(FileSize(source), kSize, how + ": the source is whole");
    check.That(IsWindowVisible(Item(dialog, ControlId::lblFileName)) != FALSE,
               how + ": the label is back");
  }
  PostKey(app.Focus(), VK_ESCAPE);
  check.That(app.Exited(), "then Escape ends the program");
  RemoveTree(kC + L"\\big");
}

// The verb that the setup registers, started as Explorer starts it: its
// command with %1 replaced by the chosen file's long path.
void InstalledVerb(Check& check, const std::wstring&) {
  wchar_t command[1024] = {};
  DWORD size = sizeof command;
  const bool registered =
      RegGetValueW(HKEY_CURRENT_USER, L"Software\\Classes\\*\\shell\\Tarnivo\\command", nullptr,
                   RRF_RT_REG_SZ, nullptr, command, &size) == ERROR_SUCCESS;
  check.That(registered, "the verb's command is registered");
  std::wstring line = command;
  const std::size_t at = line.find(L"%1");
  check.That(at != std::wstring::npos, "the command takes the file as %1: " + Utf8(line));
  if (!registered || at == std::wstring::npos) return;
  const std::wstring folder = kC + L"\\verb\\My Letters";
  FreshFolder(folder);
  FreshFolder(kD + L"\\verb");
  const std::wstring file = folder + L"\\Letter to Ann.doc";
  WriteFileText(file, "by the verb");
  App app(line.replace(at, 2, file));
  const HWND dialog = DialogOf(check, app);
  if (!dialog) return;
  check.Equal(Utf8(Text(Item(dialog, ControlId::txtFileName))), "Letter to Ann.doc",
              "the stored name");
  check.Equal(Utf8(DirPath(dialog)), Utf8(folder), "the file's folder");
  OkIntoFolderOnD(check, app, dialog, L"verb");
  check.Equal(ReadFileText(kD + L"\\verb\\Letter to Ann.doc"), "by the verb", "the copy");
  check.Equal(ReadFileText(file), "by the verb", "the source stays");
}

void LayoutAndHelp(Check& check, const std::wstring& program) {
  FreshFolder(kC + L"\\layout");
  WriteFileText(kC + L"\\layout\\l.txt", "l");
  App app(program, kC + L"\\layout\\l.txt");
  const HWND dialog = DialogOf(check, app);
  if (!dialog) return;
  HDC dc = GetDC(nullptr);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  RECT client{};
  GetClientRect(dialog, &client);
  check.Equal(static_cast<int>(client.right), Pixels(kClientWidth, dpi), "client width");
  check.Equal(static_cast<int>(client.bottom), Pixels(kClientHeight, dpi), "client height");
  for (const ControlId id :
       {ControlId::cmdOK, ControlId::lstDir, ControlId::txtFileName, ControlId::optNetwork}) {
    const ControlRow& row = Control(id);
    const ControlRow& frame = Control(ControlId::fraDrive);
    RECT r{};
    GetWindowRect(Item(dialog, id), &r);
    POINT at{r.left, r.top};
    ScreenToClient(dialog, &at);
    check.Equal(static_cast<int>(at.x), Pixels(row.left + (row.in_frame ? frame.left : 0), dpi),
                std::string(row.name) + " left");
    check.Equal(static_cast<int>(at.y), Pixels(row.top + (row.in_frame ? frame.top : 0), dpi),
                std::string(row.name) + " top");
    check.Equal(static_cast<int>(r.right - r.left), Pixels(row.width, dpi),
                std::string(row.name) + " width");
  }
  const LONG_PTR style = GetWindowLongPtrW(dialog, GWL_STYLE);
  check.That(!(style & WS_THICKFRAME) && !(style & WS_MAXIMIZEBOX), "fixed size");

  Click(dialog, ControlId::cmdHelp);
  const HWND help = app.WindowTitled(L"Tarnivo Help");
  check.That(help != nullptr, "Help shows the help text");
  if (help) {
    const HWND text = GetWindow(help, GW_CHILD);
    check.That(text && Text(text).find(L"Copy / Move") != std::wstring::npos,
               "the help text is there");
    // On this 1024x768 screen it goes beside the dialog, covering nothing.
    RECT placed{}, owner{}, overlap{};
    GetWindowRect(help, &placed);
    GetWindowRect(dialog, &owner);
    check.That(!IntersectRect(&overlap, &placed, &owner),
               "the help window covers no part of the dialog");
    PostMessageW(help, WM_CLOSE, 0, 0);
    check.That(WaitFor([&] { return !IsWindow(help); }), "the help window closes");
  }
  check.That(app.Running(), "the dialog stays after help");
  PostMessageW(dialog, WM_CLOSE, 0, 0);
  check.That(app.Exited(), "closing the window ends the program");
  check.Equal(ReadFileText(kC + L"\\layout\\l.txt"), "l", "nothing changed");
}

// The processor an exe is built for, from its PE header, as a manifest names
// it: "x86", "amd64", or "machine 0x..." for any other.
std::string ExeArchitecture(const std::wstring& program) {
  HANDLE h = CreateFileW(program.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<unreadable>";
  unsigned char head[4096] = {};
  DWORD read = 0;
  ReadFile(h, head, sizeof head, &read, nullptr);
  CloseHandle(h);
  const auto word = [&](DWORD at) { return at + 2 <= read ? head[at] | head[at + 1] << 8 : -1; };
  const DWORD pe = static_cast<DWORD>(word(0x3C)) | static_cast<DWORD>(word(0x3E)) << 16;
  if (read < 64 || pe + 6 > read ||
      std::string(reinterpret_cast<char*>(head + pe), 4) != std::string("PE\0\0", 4)) {
    return "<not a PE file>";
  }
  const int machine = word(pe + 4);
  if (machine == IMAGE_FILE_MACHINE_I386) return "x86";
  if (machine == IMAGE_FILE_MACHINE_AMD64) return "amd64";
  return "machine " + std::to_string(machine);
}

// Where the common controls DLL that a running program has loaded lies, in
// lower case; empty when it has none.
std::string LoadedCommonControls(DWORD pid) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
  if (snapshot == INVALID_HANDLE_VALUE) return "";
  std::wstring path;
  MODULEENTRY32W module{};
  module.dwSize = sizeof module;
  for (BOOL more = Module32FirstW(snapshot, &module); more;
       more = Module32NextW(snapshot, &module)) {
    if (_wcsicmp(module.szModule, L"comctl32.dll") == 0) path = module.szExePath;
  }
  CloseHandle(snapshot);
  for (wchar_t& c : path) c = towlower(c);
  return Utf8(path);
}

BOOL CALLBACK KeepFirstResource(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param) {
  HRSRC info = FindResourceW(module, name, type);
  HGLOBAL loaded = info ? LoadResource(module, info) : nullptr;
  const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (data) reinterpret_cast<std::string*>(param)->assign(data, SizeofResource(module, info));
  return FALSE;
}

// The first resource of a type in a module loaded as data; empty if none.
std::string FirstResource(HMODULE module, const wchar_t* type) {
  std::string found;
  EnumResourceNamesW(module, type, &KeepFirstResource, reinterpret_cast<LONG_PTR>(&found));
  return found;
}

// What an exe says of itself: its icon images, its manifest, its processor
// and its version record.
struct ExeRecord {
  explicit ExeRecord(const std::wstring& path) : machine(ExeArchitecture(path)) {
    if (const HMODULE exe = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
      const std::string group = FirstResource(exe, MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
      for (std::size_t at = 6; at + 14 <= group.size(); at += 14) {
        const auto width = static_cast<unsigned char>(group[at]);
        const auto bits = static_cast<unsigned char>(group[at + 6]);
        icons +=
            std::to_string(width) + "x" + std::to_string(width) + "@" + std::to_string(bits) + " ";
      }
      manifest = FirstResource(exe, MAKEINTRESOURCEW(24));  // RT_MANIFEST
      FreeLibrary(exe);
    }
    DWORD handle = 0;
    info.resize(GetFileVersionInfoSizeW(path.c_str(), &handle));
    VS_FIXEDFILEINFO* found = nullptr;
    UINT length = 0;
    if (!info.empty() &&
        GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()) &&
        VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&found), &length) && found) {
      fixed = *found;
    }
  }
  // A string of the version record (US English, Unicode); "<none>" if missing.
  std::string Version(const wchar_t* key) const {
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + key;
    return !info.empty() &&
                   VerQueryValueW(info.data(), path.c_str(), reinterpret_cast<void**>(&value),
                                  &length) &&
                   value
               ? Utf8(value)
               : std::string("<none>");
  }
  std::string machine;  // "x86", "amd64"
  std::string icons;    // "16x16@8 32x32@8 "
  std::string manifest;
  VS_FIXEDFILEINFO fixed{};
  std::string info;
};

// The version numbers and texts an exe of this project carries.
void CheckVersion(Check& check, const ExeRecord& exe) {
  const DWORD ms = MAKELONG(TARNIVO_VERSION_MINOR, TARNIVO_VERSION_MAJOR);
  const DWORD ls = MAKELONG(TARNIVO_VERSION_TWEAK, TARNIVO_VERSION_PATCH);
  check.Equal(exe.fixed.dwFileVersionMS, ms, "file version major, minor");
  check.Equal(exe.fixed.dwFileVersionLS, ls, "file version patch, build");
  check.Equal(exe.fixed.dwProductVersionMS, ms, "product version major, minor");
  check.Equal(exe.fixed.dwProductVersionLS, ls, "product version patch, build");
  for (const wchar_t* key : {L"FileVersion", L"ProductVersion"}) {
    check.Equal(exe.Version(key), TARNIVO_VERSION_TEXT, Utf8(key));
  }
  check.Equal(exe.icons, "16x16@8 32x32@8 ", "icon images");
}

// The exe's own record: the icon in two sizes, the version, the manifest for
// its own processor, and the common controls 6 that the manifest brings in.
void ExeResources(Check& check, const std::wstring& program) {
  const ExeRecord exe(program);
  CheckVersion(check, exe);
  check.Equal(exe.Version(L"FileDescription"), "Copy files from the explorer to any folder",
              "FileDescription");
  const std::string& manifest = exe.manifest;
  check.That(manifest.find("Microsoft.Windows.Common-Controls") != std::string::npos &&
                 manifest.find("version=\"6.0.0.0\"") != std::string::npos,
             "the manifest asks for common controls 6");
  check.That(manifest.find("<dpiAware>true</dpiAware>") != std::string::npos,
             "the manifest is DPI-aware");
  // Both the program's identity and the dependency name the exe's processor.
  const std::string& machine = exe.machine;
  const std::string key = "processorArchitecture=\"";
  int named = 0;
  for (std::size_t at = manifest.find(key); at != std::string::npos;
       at = manifest.find(key, at + 1), ++named) {
    const std::size_t from = at + key.size();
    check.Equal(manifest.substr(from, manifest.find('"', from) - from), machine,
                "manifest architecture");
  }
  check.Equal(named, 2, "architectures named in the manifest");

  FreshFolder(kC + L"\\res");
  WriteFileText(kC + L"\\res\\r.txt", "r");
  App app(program, kC + L"\\res\\r.txt");
  const HWND dialog = DialogOf(check, app);
  if (!dialog) return;
  // Version 6 comes from its side-by-side folder for the exe's processor,
  // C:\windows\winsxs\amd64_microsoft.windows.common-controls_<key>_6.0.<build>_...;
  // the old one from system32.
  const std::string loaded = LoadedCommonControls(app.ProcessId());
  check.That(
      loaded.find("\\winsxs\\" + machine +
                  "_microsoft.windows.common-controls_6595b64144ccf1df_6.") != std::string::npos,
      "common controls 6 for " + machine + " are loaded, got [" + loaded + "]");
  PostMessageW(dialog, WM_CLOSE, 0, 0);
  check.That(app.Exited(), "closing the window ends the program");
}

// The setup beside the program: built for the same processor, with the
// program's icon, a version record of its own and no request for
// administrator rights.
void SetupRecord(Check& check, const std::wstring& program) {
  const std::wstring setup = program.substr(0, program.rfind(L'\\') + 1) +
                             L"tarnivo-" TARNIVO_VERSION_TEXT +
                             (sizeof(void*) == 8 ? L"-win64" : L"-win32") + L"-setup.exe";
  const ExeRecord exe(setup);
  check.Equal(exe.machine, TARNIVO_MANIFEST_ARCH, "the setup's processor");
  CheckVersion(check, exe);
  check.Equal(exe.Version(L"ProductName"), "Tarnivo", "ProductName");
  check.Equal(exe.Version(L"FileDescription"), "Tarnivo Setup", "FileDescription");
  check.That(exe.manifest.find("level=\"asInvoker\"") != std::string::npos,
             "the setup runs as the user");
}

}  // namespace

std::vector<TestCase> Scenarios(const std::wstring& program) {
  const auto with = [program](void (*scenario)(Check&, const std::wstring&)) {
    return [program, scenario](Check& check) { scenario(check, program); };
  };
  return {
      {"e2e: short alias command line, copy to D:", with(ShortAliasTypicalRun)},
      {"e2e: quoted long path, copy under a new name", with(QuotedLongPath)},
      {"e2e: overwrite No keeps the file, Yes replaces it", with(Overwrite)},
      {"e2e: move within C: renames", with(MoveWithinDrive)},
      {"e2e: move to D: copies then deletes", with(MoveToOtherDrive)},
      {"e2e: Cancel and Escape change nothing", with(CancelAndEscape)},
      {"e2e: no usable argument: File not found", with(NoUsableArgument)},
      {"e2e: drive not ready: Retry, Cancel", with(DriveNotReady)},
      {"e2e: refused destinations keep the source", with(RefusedDestinations)},
      {"e2e: typed folder: click takes it, Enter does not", with(TypedFolder)},
      {"e2e: tab order, access keys, Enter", with(KeyboardAccess)},
      {"e2e: drive list drops down on its drive, Enter in the folder list", with(KeyboardLists)},
      {"e2e: Unicode name moved to D:", with(UnicodeName)},
      {"e2e: layout, help, close box", with(LayoutAndHelp)},
      {"e2e: a long copy and move stopped by Escape and Cancel", with(StopLongCopy)},
      {"exe: icon, manifest and version record", with(ExeResources)},
      {"setup: icon, version record, no administrator rights", with(SetupRecord)},
      {"setup: the registered verb opens the dialog, a copy through it works", with(InstalledVerb)},
  };
}

}  // namespace tarnivo::wine
