#include "FakeDialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "text/Text.h"

namespace tarnivo::test {

FakeDialog::FakeDialog(SimulatedPlatform& platform) : platform_(platform) {}

FakeDialog::~FakeDialog() = default;

template <class Event>
void FakeDialog::Run(Event event) {
  try {
    event();
  } catch (const ProgramEnded&) {
    // The program ended inside the handler; nothing after it runs.
  }
}

bool FakeDialog::Usable(const char* action) {
  if (!loaded_) {
    ADD_FAILURE() << action << " before the dialog was loaded";
    return false;
  }
  if (Ended()) {
    ADD_FAILURE() << action << " after the program ended";
    return false;
  }
  return true;
}

bool FakeDialog::Load() {
  if (loaded_) {
    ADD_FAILURE() << "the dialog is loaded once";
    return !Ended();
  }
  loaded_ = true;
  state_ = std::make_unique<DialogState>(platform_);
  state_->SetWindow(kWindow);
  form_ = std::make_unique<frmMain>(platform_.Services(), *state_);
  Run([this] { form_->Load(); });
  if (!Ended()) Run([this] { form_->FocusMoved(FirstFocus()); });  // the window is shown
  return !Ended();
}

void FakeDialog::Focus(ControlId control) {
  if (!Usable("Focus")) return;
  if (!TakesFocus(tarnivo::Control(control))) {
    ADD_FAILURE() << "a label or frame takes no focus";
    return;
  }
  Run([this, control] { form_->FocusMoved(control); });
}

void FakeDialog::Tab() {
  if (Usable("Tab")) Focus(state_->NextTabStop(Focused(), true));
}

void FakeDialog::Type(const std::string& text) {
  if (!Usable("Type")) return;
  const ControlId box = Focused();
  if (box != ControlId::txtNetwork && box != ControlId::txtFileName) {
    ADD_FAILURE() << "typing without a text box in focus";
    return;
  }
  const TextBoxValue& value = state_->TextBox(box);
  std::u32string chars = Decode(value.text);
  const std::size_t start =
      std::min<std::size_t>(static_cast<std::size_t>(value.sel_start), chars.size());
  const std::size_t length =
      std::min<std::size_t>(static_cast<std::size_t>(value.sel_length), chars.size() - start);
  const std::u32string typed = Decode(text);
  chars.replace(start, length, typed);
  form_->Edited(box, Encode(chars));
  state_->SetSelection(box, static_cast<int>(start + typed.size()), 0);
}

void FakeDialog::PressEnter() {
  if (!Usable("Enter")) return;
  const ControlId focus = Focused();
  if (focus == ControlId::cmdCancel || focus == ControlId::cmdHelp) {
    return Run([this, focus] { form_->Press(focus); });
  }
  // The default button; the focus stays.
  Run([this] { form_->Press(ControlId::cmdOK); });
}

void FakeDialog::PressEscape() {
  if (Usable("Escape")) Run([this] { form_->Press(ControlId::cmdCancel); });
}

void FakeDialog::PressF1() {
  if (Usable("F1")) Run([this] { form_->Press(ControlId::cmdHelp); });
}

void FakeDialog::PressAccessKey(char key) {
  if (!Usable("access key")) return;
  const char wanted = static_cast<char>(std::tolower(static_cast<unsigned char>(key)));
  for (const ControlRow& row : kControls) {
    if (AccessKey(row.caption) != wanted) continue;
    switch (row.kind) {
      case ControlKind::Label:
        return Focus(AccessTarget(row.id));
      case ControlKind::OptionButton:
        return Choose(row.id);
      case ControlKind::PushButton:
        Focus(row.id);
        if (!Ended()) Run([this, &row] { form_->Press(row.id); });
        return;
      default:
        return Focus(row.id);
    }
  }
}

void FakeDialog::Choose(ControlId option) {
  Focus(option);
  if (!Ended()) form_->Choose(option);
}

void FakeDialog::PickDrive(int index) {
  Focus(ControlId::lstDrive);
  if (!Ended()) Run([this, index] { form_->DriveChosen(index); });
}

void FakeDialog::PickDrive(char letter) {
  const std::vector<std::string>& entries = state_->DriveEntries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(entries[i][0])) ==
        std::tolower(static_cast<unsigned char>(letter))) {
      return PickDrive(static_cast<int>(i));
    }
  }
  ADD_FAILURE() << "no drive " << letter << " in the drive list";
}

bool FakeDialog::OpenFolder(const std::string& folder) {
  Focus(ControlId::lstDir);
  if (Ended()) return false;
  const bool by_path = folder.find('\\') != std::string::npos;
  const std::vector<DirLine>& lines = state_->DirLines();
  const auto line = std::find_if(lines.begin(), lines.end(), [&](const DirLine& l) {
    return by_path ? l.open && EqualsIgnoreCase(l.path, folder)
                   : !l.open && EqualsIgnoreCase(l.text, folder);
  });
  if (line == lines.end()) {
    ADD_FAILURE() << folder << " is not shown in " << state_->DirPath();
    return false;
  }
  const std::string before = state_->DirPath();
  bool opened = false;
  Run([&] { opened = form_->DirLineOpened(static_cast<int>(line - lines.begin())); });
  return opened && (state_->DirPath() != before || line->path == before);
}

void FakeDialog::ClickOK() {
  Focus(ControlId::cmdOK);
  if (!Ended()) Run([this] { form_->Press(ControlId::cmdOK); });
}

void FakeDialog::ClickCancel() {
  Focus(ControlId::cmdCancel);
  if (!Ended()) Run([this] { form_->Press(ControlId::cmdCancel); });
}

void FakeDialog::ClickHelp() {
  Focus(ControlId::cmdHelp);
  if (!Ended()) Run([this] { form_->Press(ControlId::cmdHelp); });
}

void FakeDialog::Close() {
  if (Usable("Close")) Run([this] { form_->Close(); });
}

void FakeDialog::DrivesChanged() {
  if (Usable("drives changed")) form_->DrivesChanged();
}

}  // namespace tarnivo::test
