#include "dialog/DialogState.h"

#include <utility>

#include "dialog/ControlTable.h"
#include "text/Text.h"

namespace tarnivo {

DialogState::DialogState(PlatformServices& platform) : platform_(platform) {
  try {
    const std::string current = platform_.CurrentDirectory();
    ReloadDrives();
    for (std::size_t i = 0; i < drive_entries_.size(); ++i) {
      if (EqualsIgnoreCase(Left(drive_entries_[i], 1), Left(current, 1))) {
        drive_index_ = static_cast<int>(i);
      }
    }
    dir_path_ = platform_.OpenFolder(current);
  } catch (const PlatformError&) {
    // The controls stay empty; Form_Load fills them or ends the program.
  }
}

void DialogState::SetObserver(std::function<void(DialogField)> observer) {
  observer_ = std::move(observer);
}

void DialogState::SetDriveChangeHandler(std::function<void()> handler) {
  drive_change_ = std::move(handler);
}

void DialogState::Changed(DialogField field) {
  if (observer_) observer_(field);
}

void DialogState::SetFileNameLabel(const std::string& caption) {
  file_name_label_ = caption;
  Changed(DialogField::FileNameLabel);
}

int DialogState::FileNameLabelWidth() const { return Control(ControlId::lblFileName).width; }

void DialogState::SetFileName(const std::string& text) {
  if (text == file_name_) return;
  file_name_ = text;
  Changed(DialogField::FileName);
}

void DialogState::SetFileNameSelection(int start, int length) {
  file_name_sel_start_ = start;
  file_name_sel_length_ = length;
  Changed(DialogField::FileNameSelection);
}

void DialogState::SelectCopy() {
  copy_selected_ = true;
  move_selected_ = false;
  Changed(DialogField::CopyMove);
}

void DialogState::SelectMove() {
  copy_selected_ = false;
  move_selected_ = true;
  Changed(DialogField::CopyMove);
}

void DialogState::SelectDrive() {
  network_selected_ = false;
  Changed(DialogField::DriveNetwork);
}

void DialogState::SelectNetwork() {
  network_selected_ = true;
  Changed(DialogField::DriveNetwork);
}

std::string DialogState::DriveEntryText(const DriveInfo& drive) {
  std::string text{static_cast<char>(drive.letter - 'A' + 'a'), ':'};
  if (!drive.label.empty()) text += " [" + drive.label + "]";
  return text;
}

std::string DialogState::DriveText() const {
  if (drive_index_ < 0 || drive_index_ >= static_cast<int>(drive_entries_.size())) return {};
  return drive_entries_[static_cast<std::size_t>(drive_index_)];
}

void DialogState::SetDriveIndex(int index) {
  if (index < 0 || index >= static_cast<int>(drive_entries_.size())) {
    throw PlatformError("no drive at index " + std::to_string(index));
  }
  if (index == drive_index_) return;
  drive_index_ = index;
  Changed(DialogField::DriveList);
  if (drive_change_) drive_change_();
}

void DialogState::SelectDriveOf(const std::string& path) {
  const std::string letter = Left(path, 1);
  for (std::size_t i = 0; i < drive_entries_.size(); ++i) {
    if (EqualsIgnoreCase(Left(drive_entries_[i], 1), letter)) {
      SetDriveIndex(static_cast<int>(i));
      return;
    }
  }
  throw PlatformError("no drive for " + path);
}

void DialogState::ReloadDrives() {
  const std::string selected = Left(DriveText(), 1);
  std::vector<std::string> entries;
  for (const DriveInfo& drive : platform_.DriveList()) entries.push_back(DriveEntryText(drive));
  drive_entries_ = std::move(entries);
  drive_index_ = -1;
  for (std::size_t i = 0; i < drive_entries_.size(); ++i) {
    if (!selected.empty() && Left(drive_entries_[i], 1) == selected) {
      drive_index_ = static_cast<int>(i);
    }
  }
  Changed(DialogField::DriveList);
}

void DialogState::SetDirPath(const std::string& folder) {
  if (folder.empty()) throw PlatformError("empty folder");
  dir_path_ = platform_.OpenFolder(folder);
  Changed(DialogField::DirPath);
}

void DialogState::SetNetworkText(const std::string& text) {
  if (text == network_text_) return;
  network_text_ = text;
  Changed(DialogField::NetworkText);
}

void DialogState::SetNetworkSelection(int start, int length) {
  network_sel_start_ = start;
  network_sel_length_ = length;
  Changed(DialogField::NetworkSelection);
}

}  // namespace tarnivo
