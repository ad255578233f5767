#include "dialog/frmMain.h"

#include <utility>

#include "dialog/ControlTable.h"
#include "paths/Intake.h"
#include "paths/PathText.h"
#include "text/ScopeExit.h"
#include "text/Text.h"

namespace tarnivo {
namespace {

constexpr int kFileNameSelectLength = 255;

}  // namespace

frmMain::frmMain(PlatformServices platform, DialogState& state)
    : platform_(platform), state_(state) {
  state_.SetDriveChangeHandler([this] { lstDrive_Change(); });
}

frmMain::~frmMain() { state_.SetDriveChangeHandler(nullptr); }

// --- Events

void frmMain::SetView(std::function<void(DialogField)> show) {
  show_ = std::move(show);
  state_.TakeChanges();
  if (!show_) return;
  for (DialogField field : kAllFields) show_(field);
}

void frmMain::ShowChanges() {
  for (DialogField field : state_.TakeChanges()) {
    if (show_) show_(field);
  }
}

template <class Event>
bool frmMain::Dispatch(Event&& event) {
  if (running_) return false;
  {
    running_ = true;
    const ScopeExit idle([this] { running_ = false; });  // Terminate unwinds in the tests
    event();
    if (std::exchange(drives_changed_, false)) {
      try {
        state_.ReloadDrives();
      } catch (const PlatformError&) {
        // The list keeps the drives it had.
      }
    }
  }
  ShowChanges();
  return true;
}

void frmMain::Load() {
  Dispatch([this] { Form_Load(); });
}

bool frmMain::FocusMoved(ControlId to) {
  if (to == focus_) return true;
  const ControlId from = std::exchange(focus_, to);
  return Dispatch([this, from, to] {
    if (from == ControlId::txtNetwork) txtNetwork_LostFocus();
    if (to == ControlId::txtNetwork) txtNetwork_GotFocus();
    if (to == ControlId::txtFileName) txtFileName_GotFocus();
  });
}

bool frmMain::Press(ControlId button) {
  switch (button) {
    case ControlId::cmdOK:
      return Dispatch([this] { cmdOK_Click(); });
    case ControlId::cmdCancel:
      return Dispatch([this] { cmdCancel_Click(); });
    case ControlId::cmdHelp:
      return Dispatch([this] { cmdHelp_Click(); });
    default:
      return false;
  }
}

void frmMain::Choose(ControlId option) {
  switch (option) {
    case ControlId::optCopy:
      state_.SelectCopy();
      break;
    case ControlId::optMove:
      state_.SelectMove();
      break;
    case ControlId::optDrive:
      state_.SelectDrive();
      break;
    case ControlId::optNetwork:
      state_.SelectNetwork();
      break;
    default:
      return;
  }
  if (!running_) ShowChanges();
}

void frmMain::Edited(ControlId box, const std::string& text) {
  state_.SetText(box, text);
  if (!running_) ShowChanges();
}

bool frmMain::DriveChosen(int index) {
  // Afterwards the list shows the state's selection, whatever was picked.
  state_.Reshow(DialogField::DriveList);
  return Dispatch([this, index] {
    try {
      state_.SetDriveIndex(index);  // raises lstDrive_Change when it changes
    } catch (const PlatformError&) {
      // No such entry: nothing changed.
    }
  });
}

bool frmMain::DirLineOpened(int line) {
  bool opened = true;
  Dispatch([this, line, &opened] {
    const std::vector<DirLine>& lines = state_.DirLines();
    if (line < 0 || line >= static_cast<int>(lines.size())) return;
    const std::string path = lines[static_cast<std::size_t>(line)].path;
    if (path == state_.DirPath()) return;
    try {
      state_.SetDirPath(path);
    } catch (const PlatformError&) {
      opened = false;  // the folder has gone since the list was read
      state_.RereadDirLines();
    }
  });
  return opened;
}

bool frmMain::DirListEnter(int highlighted) {
  if (EnterInDirList(state_.DirLines(), highlighted) == DirListEnter::OpenHighlighted) {
    return DirLineOpened(highlighted);
  }
  return Press(ControlId::cmdOK);
}

void frmMain::DrivesChanged() {
  // Never under a running handler, since the drive-change handling reads the
  // list: a refused reload follows the handler.
  drives_changed_ = true;
  Dispatch([] {});
}

bool frmMain::Close() {
  return Dispatch([this] { Form_Unload(); });
}

// --- Handlers

void frmMain::Form_Load() {
  std::string source;
  try {
    source = SourceFromCommandLine(platform_.desktop.CommandLine());
  } catch (const PlatformError&) {
    FileFout(platform_.desktop);
  }
  state_.SourceFile = source;
  if (state_.SourceFile.empty()) FileFout(platform_.desktop);
  try {
    state_.SourceFile = InitDir(platform_, state_.SourceFile);
    state_.SetFileNameLabel(
        KorteFileName(platform_.desktop, state_.SourceFile, state_.FileNameLabelWidth()));
    state_.SetText(ControlId::txtFileName,
                   platform_.files.DirectoryLookup(FileTitle(state_.SourceFile), kLookupAll));
    if (state_.FileName().empty()) FileFout(platform_.desktop);
    // May raise lstDrive_Change, which handles its own failures; the two
    // steps below replace whatever it set.
    state_.SelectDriveOf(state_.SourceFile);
    state_.SetDirPath(FilePath(state_.SourceFile));
    state_.SelectCopy();
    state_.SavedDriveIndex = static_cast<std::int16_t>(state_.DriveIndex());
  } catch (const PlatformError&) {
    FileFout(platform_.desktop);
  }
}

void frmMain::lstDrive_Change() {
  if (state_.NetworkSelected()) return;
  for (;;) {
    try {
      state_.SetDirPath(Left(state_.DriveText(), 2) + "\\");
      break;
    } catch (const PlatformError&) {
      MessageBoxResult answer = MessageBoxResult::Cancel;
      try {
        answer =
            platform_.desktop.ShowMessage("Drive " + Left(state_.DriveText(), 2) + " is not ready.",
                                          MessageBoxStyle::RetryCancelStop);
      } catch (const PlatformError&) {
        // A box that cannot be shown counts as Cancel.
      }
      if (answer != MessageBoxResult::Retry) {
        // A selection change of its own: the nested handling shows the
        // restored drive's root.
        try {
          state_.SetDriveIndex(state_.SavedDriveIndex);
        } catch (const PlatformError&) {
          // The saved drive has left the list; the selection stays.
        }
        return;
      }
    }
  }
  state_.SavedDriveIndex = static_cast<std::int16_t>(state_.DriveIndex());
}

void frmMain::txtNetwork_GotFocus() {
  state_.SetSelection(ControlId::txtNetwork, 0, static_cast<int>(CharCount(state_.NetworkText())));
}

void frmMain::txtNetwork_LostFocus() {
  try {
    state_.SetDirPath(TrimSpaces(state_.NetworkText()));
  } catch (const PlatformError&) {
    // An unreachable or malformed folder leaves the directory list as it was.
  }
}

void frmMain::txtFileName_GotFocus() {
  state_.SetSelection(ControlId::txtFileName, 0, kFileNameSelectLength);
}

void frmMain::cmdCancel_Click() { platform_.desktop.Terminate(); }

void frmMain::Form_Unload() { platform_.desktop.Terminate(); }

void frmMain::cmdHelp_Click() {
  try {
    platform_.desktop.ShowHelp(state_.Window(), std::string(kHelpFile), kHelpContents, 0);
  } catch (const PlatformError&) {
    // The help viewer's failures are not reported.
  }
}

}  // namespace tarnivo
