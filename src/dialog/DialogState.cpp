#include "dialog/DialogState.h"

#include <algorithm>
#include <utility>

#include "dialog/ControlTable.h"
#include "text/Text.h"

namespace tarnivo {

DialogState::DialogState(FileSystem& files) : files_(files) {
  try {
    const std::string current = files_.CurrentDirectory();
    ReloadDrives();
    for (std::size_t i = 0; i < drive_entries_.size(); ++i) {
      if (EqualsIgnoreCase(Left(drive_entries_[i], 1), Left(current, 1))) {
        drive_index_ = static_cast<int>(i);
      }
    }
    dir_path_ = files_.OpenFolder(current);
  } catch (const PlatformError&) {
    // The controls stay empty; Form_Load fills them or ends the program.
  }
}

std::vector<DialogField> DialogState::TakeChanges() {
  std::vector<DialogField> fields;
  for (DialogField field : kAllFields) {
    if (changed_ & (1u << static_cast<unsigned>(field))) fields.push_back(field);
  }
  changed_ = 0;
  return fields;
}

void DialogState::SetDriveChangeHandler(std::function<void()> handler) {
  drive_change_ = std::move(handler);
}

void DialogState::Changed(DialogField field) { changed_ |= 1u << static_cast<unsigned>(field); }

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
  for (const DriveInfo& drive : files_.DriveList()) entries.push_back(DriveEntryText(drive));
  const std::string selected = LetterAt(drive_entries_, drive_index_);
  const int saved = IndexOfLetter(entries, LetterAt(drive_entries_, SavedDriveIndex));
  drive_entries_ = std::move(entries);
  drive_index_ = IndexOfLetter(drive_entries_, selected);
  if (saved >= 0) SavedDriveIndex = static_cast<std::int16_t>(saved);
  Changed(DialogField::DriveList);
}

void DialogState::SetDirPath(const std::string& folder) {
  if (folder.empty()) throw PlatformError("empty folder");
  dir_path_ = files_.OpenFolder(folder);
  dir_lines_read_ = false;
  Changed(DialogField::DirPath);
}

const std::vector<DirLine>& DialogState::DirLines() {
  if (!dir_lines_read_) {
    std::vector<std::string> subfolders;
    try {
      if (!dir_path_.empty()) subfolders = files_.SubFolders(dir_path_);
    } catch (const PlatformError&) {
      // A folder that cannot be listed shows only the way to it.
    }
    dir_lines_ = tarnivo::DirLines(dir_path_, subfolders);
    dir_lines_read_ = true;
  }
  return dir_lines_;
}

void DialogState::RereadDirLines() {
  dir_lines_read_ = false;
  Changed(DialogField::DirPath);
}

namespace {

// Whether an option button is selected; false for any other control.
bool Selected(const DialogState& state, ControlId id) {
  switch (id) {
    case ControlId::optCopy:
      return state.CopySelected();
    case ControlId::optMove:
      return state.MoveSelected();
    case ControlId::optDrive:
      return !state.NetworkSelected();
    case ControlId::optNetwork:
      return state.NetworkSelected();
    default:
      return false;
  }
}

// The controls in tab order.
std::vector<ControlId> ByTabIndex() {
  std::vector<const ControlRow*> rows;
  for (const ControlRow& row : kControls) rows.push_back(&row);
  std::sort(rows.begin(), rows.end(),
            [](const ControlRow* a, const ControlRow* b) { return a->tab_index < b->tab_index; });
  std::vector<ControlId> ids;
  for (const ControlRow* row : rows) ids.push_back(row->id);
  return ids;
}

}  // namespace

bool DialogState::IsTabStop(ControlId id) const {
  const ControlRow& row = Control(id);
  if (!TakesFocus(row)) return false;
  if (row.kind != ControlKind::OptionButton) return true;
  const ControlRow* first = nullptr;
  bool any_selected = false;
  for (const ControlRow& other : kControls) {
    if (other.group != row.group) continue;
    if (first == nullptr) first = &other;
    any_selected = any_selected || Selected(*this, other.id);
  }
  return any_selected ? Selected(*this, id) : first == &row;
}

ControlId DialogState::NextTabStop(ControlId from, bool forward) const {
  std::vector<ControlId> stops;
  for (ControlId id : ByTabIndex()) {
    if (IsTabStop(id)) stops.push_back(id);
  }
  const auto at = std::find(stops.begin(), stops.end(), from);
  if (at == stops.end()) return forward ? stops.front() : stops.back();
  const std::size_t i = static_cast<std::size_t>(at - stops.begin());
  const std::size_t n = stops.size();
  return stops[forward ? (i + 1) % n : (i + n - 1) % n];
}

}  // namespace tarnivo
