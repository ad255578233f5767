#include "Handlers.h"

#include <ostream>

namespace tarnivo::test {

const Shown kAskOverwrite{"The destination file already exits.\rOverwrite ?",
                          MessageBoxStyle::YesNoInformation};
const Shown kTransferError{"Error during copy or move.\rFile may already exist or is in use.",
                           MessageBoxStyle::OkExclamation};
const Shown kFileNotFound{"File not found !!", MessageBoxStyle::OkExclamation};

std::ostream& operator<<(std::ostream& out, const Shown& shown) {
  std::string text = shown.text;
  for (char& c : text) {
    if (c == '\r') c = '|';
  }
  return out << "\"" << text << "\" (" << static_cast<int>(shown.style) << ")";
}

MessageBoxResult ScriptedUi::ShowMessage(const std::string& text, MessageBoxStyle style) {
  shown.push_back({text, style});
  switch (style) {
    case MessageBoxStyle::YesNoInformation:
      return yes_no;
    case MessageBoxStyle::RetryCancelStop:
      return MessageBoxResult::Cancel;
    case MessageBoxStyle::OkExclamation:
      break;
  }
  return MessageBoxResult::Ok;
}

int ScriptedUi::MeasureTextWidth(const std::string& text) {
  return static_cast<int>(text.size()) * 100;
}

ProgramRun::ProgramRun(TempTree& tree, const std::string& drives,
                       const std::string& source_native) {
  files_ = tree.Platform(drives);
  ui.command_line = files_->CommandLineOf({source_native});
  state_ = std::make_unique<DialogState>(*files_);
  form_ = std::make_unique<frmMain>(PlatformServices{*files_, ui}, *state_);
}

ProgramRun::~ProgramRun() = default;

bool ProgramRun::Load() {
  try {
    form_->Load();
  } catch (const ProgramEnded&) {
    return false;
  }
  return true;
}

void ProgramRun::Choose(bool move, const std::string& folder, const std::string& name) {
  form_->Choose(move ? ControlId::optMove : ControlId::optCopy);
  state_->SelectDriveOf(folder);  // raises the drive change: the list goes to the root
  state_->SetDirPath(folder);
  form_->Edited(ControlId::txtFileName, name);
}

void ProgramRun::TypeFolder(const std::string& text) {
  form_->FocusMoved(ControlId::txtNetwork);
  form_->Edited(ControlId::txtNetwork, text);
  form_->FocusMoved(ControlId::cmdOK);  // a click on OK leaves the box
}

bool ProgramRun::Ok() {
  try {
    form_->Press(ControlId::cmdOK);
  } catch (const ProgramEnded&) {
    return true;
  }
  return false;
}

}  // namespace tarnivo::test
