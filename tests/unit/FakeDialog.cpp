#include "FakeDialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "text/Text.h"

namespace tarnivo::test {

FakeDialog::FakeDialog(SimulatedPlatform& platform) : platform_(platform) {}

FakeDialog::~FakeDialog() = default;

template <class Handler>
void FakeDialog::Run(Handler handler) {
  try {
    handler();
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
  form_ = std::make_unique<frmMain>(platform_, *state_);
  Run([this] { form_->Form_Load(); });
  focus_ = ControlId::lstDrive;  // the lowest tab index takes the focus when shown
  return !Ended();
}

bool FakeDialog::IsTabStop(const ControlSpec& row) const {
  switch (row.id) {
    case ControlId::optCopy:
      return state_->CopySelected();
    case ControlId::optMove:
      return state_->MoveSelected();
    case ControlId::optDrive:
      return !state_->NetworkSelected();
    case ControlId::optNetwork:
      return state_->NetworkSelected();
    default:
      return row.kind != ControlKind::Label && row.kind != ControlKind::Frame;
  }
}

void FakeDialog::Focus(ControlId control) {
  if (!Usable("Focus") || control == focus_) return;
  const ControlKind kind = tarnivo::Control(control).kind;
  if (kind == ControlKind::Label || kind == ControlKind::Frame) {
    ADD_FAILURE() << "a label or frame takes no focus";
    return;
  }
  const ControlId old = focus_;
  focus_ = control;
  if (old == ControlId::txtNetwork) Run([this] { form_->txtNetwork_LostFocus(); });
  if (control == ControlId::txtNetwork) Run([this] { form_->txtNetwork_GotFocus(); });
  if (control == ControlId::txtFileName) Run([this] { form_->txtFileName_GotFocus(); });
}

void FakeDialog::Tab() {
  if (!Usable("Tab")) return;
  std::vector<ControlSpec> stops;
  for (const ControlSpec& row : kControls) {
    if (IsTabStop(row)) stops.push_back(row);
  }
  std::sort(stops.begin(), stops.end(),
            [](const ControlSpec& a, const ControlSpec& b) { return a.tab_index < b.tab_index; });
  const auto at = std::find_if(stops.begin(), stops.end(),
                               [this](const ControlSpec& s) { return s.id == focus_; });
  const auto next = (at == stops.end() || at + 1 == stops.end()) ? stops.begin() : at + 1;
  Focus(next->id);
}

void FakeDialog::Type(const std::string& text) {
  if (!Usable("Type")) return;
  const bool network = focus_ == ControlId::txtNetwork;
  if (!network && focus_ != ControlId::txtFileName) {
    ADD_FAILURE() << "typing without a text box in focus";
    return;
  }
  std::u32string chars = Decode(network ? state_->NetworkText() : state_->FileName());
  const int sel_start = network ? state_->NetworkSelStart() : state_->FileNameSelStart();
  const int sel_length = network ? state_->NetworkSelLength() : state_->FileNameSelLength();
  const std::size_t start =
      std::min<std::size_t>(static_cast<std::size_t>(sel_start), chars.size());
  const std::size_t length =
      std::min<std::size_t>(static_cast<std::size_t>(sel_length), chars.size() - start);
  const std::u32string typed = Decode(text);
  chars.replace(start, length, typed);
  const int caret = static_cast<int>(start + typed.size());
  if (network) {
    state_->SetNetworkText(Encode(chars));
    state_->SetNetworkSelection(caret, 0);
  } else {
    state_->SetFileName(Encode(chars));
    state_->SetFileNameSelection(caret, 0);
  }
}

void FakeDialog::PressEnter() {
  if (!Usable("Enter")) return;
  if (focus_ == ControlId::cmdCancel) return Run([this] { form_->cmdCancel_Click(); });
  if (focus_ == ControlId::cmdHelp) return Run([this] { form_->cmdHelp_Click(); });
  Run([this] { form_->cmdOK_Click(); });  // the default button; the focus stays
}

void FakeDialog::PressEscape() {
  if (Usable("Escape")) Run([this] { form_->cmdCancel_Click(); });
}

void FakeDialog::PressAccessKey(char key) {
  if (!Usable("access key")) return;
  const char wanted = static_cast<char>(std::tolower(static_cast<unsigned char>(key)));
  for (const ControlSpec& row : kControls) {
    if (AccessKey(row.caption) != wanted) continue;
    switch (row.kind) {
      case ControlKind::Label:  // moves the focus to the control after it in tab order
        for (const ControlSpec& next : kControls) {
          if (next.tab_index == row.tab_index + 1) return Focus(next.id);
        }
        return;
      case ControlKind::OptionButton:
        return Choose(row.id);
      case ControlKind::PushButton:
        if (row.id == ControlId::cmdHelp) return ClickHelp();
        if (row.id == ControlId::cmdCancel) return ClickCancel();
        return ClickOK();
      default:
        return Focus(row.id);
    }
  }
}

void FakeDialog::Choose(ControlId option) {
  Focus(option);
  if (Ended()) return;
  switch (option) {
    case ControlId::optCopy:
      return state_->SelectCopy();
    case ControlId::optMove:
      return state_->SelectMove();
    case ControlId::optDrive:
      return state_->SelectDrive();
    case ControlId::optNetwork:
      return state_->SelectNetwork();
    default:
      ADD_FAILURE() << "not an option button";
  }
}

void FakeDialog::PickDrive(int index) {
  Focus(ControlId::lstDrive);
  if (!Ended()) Run([this, index] { state_->SetDriveIndex(index); });
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
  const std::string current = state_->DirPath();
  std::string path = folder;
  try {
    if (folder.find('\\') == std::string::npos) {
      const std::vector<std::string> shown = platform_.SubFolders(current);
      if (std::none_of(shown.begin(), shown.end(),
                       [&](const std::string& s) { return EqualsIgnoreCase(s, folder); })) {
        ADD_FAILURE() << folder << " is not shown in " << current;
        return false;
      }
      path = current + (CharCount(current) == 3 ? "" : "\\") + folder;
    } else if (!EqualsIgnoreCase(Left(current, CharCount(folder)), folder)) {
      ADD_FAILURE() << folder << " does not lead to " << current;
      return false;
    }
    state_->SetDirPath(path);
  } catch (const PlatformError&) {
    return false;  // the list could not be read or opened; it stays as it was
  }
  return true;
}

void FakeDialog::ClickOK() {
  Focus(ControlId::cmdOK);
  if (!Ended()) Run([this] { form_->cmdOK_Click(); });
}

void FakeDialog::ClickCancel() {
  Focus(ControlId::cmdCancel);
  if (!Ended()) Run([this] { form_->cmdCancel_Click(); });
}

void FakeDialog::ClickHelp() {
  Focus(ControlId::cmdHelp);
  if (!Ended()) Run([this] { form_->cmdHelp_Click(); });
}

void FakeDialog::Close() {
  if (Usable("Close")) closed_ = true;
}

}  // namespace tarnivo::test
