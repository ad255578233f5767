// The OK button: copies or moves the source into the chosen folder under the
// chosen name, asks before replacing a file, reports any failure with one
// message and leaves the dialog open, and ends the program on success.
#include "dialog/frmMain.h"
#include "text/Text.h"

namespace tarnivo {
namespace {

// A name that could make the existence check or the deletion reach anything
// but one file in the chosen folder: empty, a pattern, a path, or a name
// that stands for a folder.
bool IsUnsafeName(const std::string& name) {
  return name.empty() || name == "." || name == ".." ||
         name.find_first_of("*?\\/:") != std::string::npos;
}

}  // namespace

void frmMain::cmdOK_Click() {
  const std::string folder = state_.DirPath();
  const std::string name = state_.FileName();
  const char* separator = CharCount(folder) == 3 ? "" : "\\";
  const std::string destination = folder + separator + name;
  FileSystem& files = platform_.files;

  try {
    if (IsUnsafeName(name)) throw PlatformError("unsafe name: " + name);
    // The overwrite question below would offer to replace the source itself.
    if (EqualsIgnoreCase(destination, state_.SourceFile) ||
        files.SameFile(state_.SourceFile, destination)) {
      throw PlatformError("destination is the source");
    }

    // A Yes replaces the old file only once the new one is complete: it is
    // never deleted first, so a copy that fails or is stopped leaves it.
    Existing existing = Existing::Refuse;
    if (!files.DirectoryLookup(destination, kLookupFiles).empty()) {
      const MessageBoxResult answer = platform_.desktop.ShowMessage(
          "The destination file already exits.\rOverwrite ?", MessageBoxStyle::YesNoInformation);
      if (answer == MessageBoxResult::No) return;
      existing = Existing::Replace;
    }

    // A copy the user stopped leaves the files and the dialog as they were,
    // without a message; a move to another drive keeps its source. A copy
    // replaces an ordinary file at the destination by itself.
    if (state_.CopySelected()) {
      if (files.CopyFile(state_.SourceFile, destination) == CopyOutcome::Stopped) return;
    } else if (EqualsIgnoreCase(Left(state_.SourceFile, 1), Left(destination, 1))) {
      if (files.RenameFile(state_.SourceFile, destination, existing) == CopyOutcome::Stopped) {
        return;
      }
    } else {
      if (files.CopyFile(state_.SourceFile, destination) == CopyOutcome::Stopped) return;
      files.DeleteFile(state_.SourceFile);
    }
  } catch (const PlatformError&) {
    ReportTransferError();
    return;
  }
  platform_.desktop.Terminate();
}

void frmMain::ReportTransferError() {
  try {
    platform_.desktop.ShowMessage(
        "Error during copy or move.\rFile may already exist or is in use.",
        MessageBoxStyle::OkExclamation);
  } catch (const PlatformError&) {
    // Nothing more can be said; the dialog stays open.
  }
}

}  // namespace tarnivo
