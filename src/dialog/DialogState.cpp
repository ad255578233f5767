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

DialogField TextField(ControlId box) {
  return box == ControlId::txtFileName ? DialogField::FileName : DialogField::NetworkText;
}

DialogField SelectionField(ControlId box) {
  return box == ControlId::txtFileName ? DialogField::FileNameSelection
                                       : DialogField::NetworkSelection;
}

TextBoxValue& DialogState::Box(ControlId box) {
  return box == ControlId::txtFileName ? file_name_ : network_;
}

const TextBoxValue& DialogState::TextBox(ControlId box) const {
  return box == ControlId::txtFileName ? file_name_ : network_;
}

void DialogState::SetText(ControlId box, const std::string& text) {
  TextBoxValue& value = Box(box);
  if (text == value.text) return;
  value.text = text;
  Changed(TextField(box));
}

void DialogState::SetSelection(ControlId box, int start, int length) {
  TextBoxValue& value = Box(box);
  value.sel_start = start;
  value.sel_length = length;
  Changed(SelectionField(box));
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

namespace {

// The letter of entry `index`, "" outside the list.
std::string LetterAt(const std::vector<std::string>& entries, int index) {
  if (index < 0 || index >= static_cast<int>(entries.size())) return {};
  return Left(entries[static_cast<std::size_t>(index)], 1);
}

// The position of the entry with `letter` in `entries`; -1 when none has it.
int IndexOfLetter(const std::vector<std::string>& entries, const std::string& letter) {
  for (std::size_t i = 0; i < entries.size() && !letter.empty(); ++i) {
    if (Left(entries[i], 1) == letter) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

void DialogState::ReloadDrives() {
  std::vector<std::string> entries;
  for (const DriveInfo& drive : platform_.DriveList()) entries.push_back(DriveEntryText(drive));
  const std::string selected = LetterAt(drive_entries_, drive_index_);
  const int saved = IndexOfLetter(entries, LetterAt(drive_entries_, SavedDriveIndex));
  drive_entries_ = std::move(entries);
  drive_index_ = IndexOfLetter(drive_entries_, selected);
  if (saved >= 0) SavedDriveIndex = static_cast<std::int16_t>(saved);
  Changed(DialogField::DriveList);
}

void DialogState::SetDirPath(const std::string& folder) {
  if (folder.empty()) throw PlatformError("empty folder");
  dir_path_ = platform_.OpenFolder(folder);
  Changed(DialogField::DirPath);
}

}  // namespace tarnivo
