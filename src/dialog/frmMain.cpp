#include "dialog/frmMain.h"

#include "dialog/ControlTable.h"
#include "paths/Intake.h"
#include "paths/PathText.h"
#include "text/Text.h"

namespace tarnivo {
namespace {

constexpr int kFileNameSelectLength = 255;

}  // namespace

frmMain::frmMain(PlatformServices& platform, DialogState& state)
    : platform_(platform), state_(state) {
  state_.SetDriveChangeHandler([this] { lstDrive_Change(); });
}

frmMain::~frmMain() { state_.SetDriveChangeHandler(nullptr); }

void frmMain::Form_Load() {
  std::string source;
  try {
    source = SourceFromCommandLine(platform_.CommandLine());
  } catch (const PlatformError&) {
    FileFout(platform_);
  }
  state_.SourceFile = source;
  if (state_.SourceFile.empty()) FileFout(platform_);
  try {
    state_.SourceFile = InitDir(platform_, state_.SourceFile);
    state_.SetFileNameLabel(
        KorteFileName(platform_, state_.SourceFile, state_.FileNameLabelWidth()));
    state_.SetText(ControlId::txtFileName,
                   platform_.DirectoryLookup(FileTitle(state_.SourceFile), kLookupAll));
    if (state_.FileName().empty()) FileFout(platform_);
    // May raise lstDrive_Change, which handles its own failures; the two
    // steps below replace whatever it set.
    state_.SelectDriveOf(state_.SourceFile);
    state_.SetDirPath(FilePath(state_.SourceFile));
    state_.SelectCopy();
    state_.SavedDriveIndex = static_cast<std::int16_t>(state_.DriveIndex());
  } catch (const PlatformError&) {
    FileFout(platform_);
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
        answer = platform_.ShowMessage("Drive " + Left(state_.DriveText(), 2) + " is not ready.",
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

void frmMain::cmdCancel_Click() { platform_.Terminate(); }

void frmMain::Form_Unload() { platform_.Terminate(); }

void frmMain::cmdHelp_Click() {
  try {
    platform_.ShowHelp(state_.Window(), std::string(kHelpFile), kHelpContents, 0);
  } catch (const PlatformError&) {
    // The help viewer's failures are not reported.
  }
}

}  // namespace tarnivo
