// The dialog's window and controls as data: both views build the same window
// from this one table. Geometry is in twips (1/1440 inch), from the top left
// of the client area, or of the frame for the controls inside it.
#pragma once

#include <array>
#include <string_view>

namespace tarnivo {

inline constexpr std::string_view kDialogCaption = "Tarnivo";
inline constexpr int kClientWidth = 3690;  // twips, fixed size
inline constexpr int kClientHeight = 4290;
inline constexpr std::string_view kHelpFile = "tarnivo.hlp";
// A copy that ends sooner shows no progress; a longer one shows a bar.
inline constexpr int kProgressDelayMs = 500;

enum class ControlKind { OptionButton, Label, Frame, DriveList, DirList, TextBox, PushButton };

enum class ControlId {
  optCopy,
  optMove,
  lblFileName,
  Label2,
  fraDrive,
  optDrive,
  optNetwork,
  lstDrive,
  txtNetwork,
  lstDir,
  Label3,
  txtFileName,
  cmdOK,
  cmdCancel,
  cmdHelp,
};

// Option buttons in one group exclude each other; 0 is no group.
inline constexpr int kGroupCopyMove = 1;
inline constexpr int kGroupDriveNetwork = 2;

struct ControlRow {
  ControlId id;
  std::string_view name;
  ControlKind kind;
  std::string_view caption;  // '&' marks the access key; "&&" is a plain '&'
  int left, top, width, height;
  int tab_index;
  int group = 0;            // option group, 0 for none
  bool in_frame = false;    // placed inside fraDrive, geometry relative to it
  bool is_default = false;  // Enter presses it
  bool is_cancel = false;   // Escape presses it
};

// In creation order. Labels and the frame take no focus; each option group
// is one tab stop, at its selected button.
inline constexpr std::array<ControlRow, 15> kControls = {{
    {.id = ControlId::optCopy,
     .name = "optCopy",
     .kind = ControlKind::OptionButton,
     .caption = "&Copy",
     .left = 120,
     .top = 120,
     .width = 852,
     .height = 252,
     .tab_index = 7,
     .group = kGroupCopyMove},
    {.id = ControlId::optMove,
     .name = "optMove",
     .kind = ControlKind::OptionButton,
     .caption = "&Move",
     .left = 1080,
     .top = 120,
     .width = 972,
     .height = 252,
     .tab_index = 8,
     .group = kGroupCopyMove},
    {.id = ControlId::lblFileName,
     .name = "lblFileName",
     .kind = ControlKind::Label,
     .caption = "",
     .left = 120,
     .top = 420,
     .width = 3135,
     .height = 255,
     .tab_index = 10},
    {.id = ControlId::Label2,
     .name = "Label2",
     .kind = ControlKind::Label,
     .caption = "to",
     .left = 3360,
     .top = 420,
     .width = 255,
     .height = 255,
     .tab_index = 12},
    {.id = ControlId::fraDrive,
     .name = "fraDrive",
     .kind = ControlKind::Frame,
     .caption = "",
     .left = 120,
     .top = 720,
     .width = 975,
     .height = 615,
     .tab_index = 13},
    {.id = ControlId::optDrive,
     .name = "optDrive",
     .kind = ControlKind::OptionButton,
     .caption = "Local",
     .left = 0,
     .top = 30,
     .width = 975,
     .height = 255,
     .tab_index = 14,
     .group = kGroupDriveNetwork,
     .in_frame = true},
    {.id = ControlId::optNetwork,
     .name = "optNetwork",
     .kind = ControlKind::OptionButton,
     .caption = "Network",
     .left = 0,
     .top = 360,
     .width = 975,
     .height = 255,
     .tab_index = 9,
     .group = kGroupDriveNetwork,
     .in_frame = true},
    {.id = ControlId::lstDrive,
     .name = "lstDrive",
     .kind = ControlKind::DriveList,
     .caption = "",
     .left = 1200,
     .top = 720,
     .width = 2415,
     .height = 315,
     .tab_index = 0},
    {.id = ControlId::txtNetwork,
     .name = "txtNetwork",
     .kind = ControlKind::TextBox,
     .caption = "\\\\",
     .left = 1200,
     .top = 1080,
     .width = 2415,
     .height = 285,
     .tab_index = 11},
    {.id = ControlId::lstDir,
     .name = "lstDir",
     .kind = ControlKind::DirList,
     .caption = "",
     .left = 120,
     .top = 1440,
     .width = 3495,
     .height = 1890,
     .tab_index = 1},
    {.id = ControlId::Label3,
     .name = "Label3",
     .kind = ControlKind::Label,
     .caption = "&as",
     .left = 120,
     .top = 3480,
     .width = 255,
     .height = 255,
     .tab_index = 2},
    {.id = ControlId::txtFileName,
     .name = "txtFileName",
     .kind = ControlKind::TextBox,
     .caption = "Text1",
     .left = 480,
     .top = 3480,
     .width = 3135,
     .height = 288,
     .tab_index = 3},
    {.id = ControlId::cmdOK,
     .name = "cmdOK",
     .kind = ControlKind::PushButton,
     .caption = "OK",
     .left = 120,
     .top = 3840,
     .width = 1095,
     .height = 372,
     .tab_index = 4,
     .is_default = true},
    {.id = ControlId::cmdCancel,
     .name = "cmdCancel",
     .kind = ControlKind::PushButton,
     .caption = "Cancel",
     .left = 1320,
     .top = 3840,
     .width = 1095,
     .height = 372,
     .tab_index = 5,
     .is_cancel = true},
    {.id = ControlId::cmdHelp,
     .name = "cmdHelp",
     .kind = ControlKind::PushButton,
     .caption = "&Help",
     .left = 2520,
     .top = 3840,
     .width = 1095,
     .height = 375,
     .tab_index = 6},
}};

// The row of `id`.
const ControlRow& Control(ControlId id);

// Labels and the frame never take the keyboard focus; other controls do.
bool TakesFocus(const ControlRow& row);

// The control that has the keyboard focus when the dialog is first shown:
// the one with the lowest tab index that takes the focus. => lstDrive.
ControlId FirstFocus();

// The control that a label's access key gives the focus to: the next
// control by tab index that takes the focus. Label3 => txtFileName.
ControlId AccessTarget(ControlId label);

// The access key of a caption, lower-cased: "&as" => 'a', "OK" => 0.
char AccessKey(std::string_view caption);

// Where the access-key letter stands in a caption: "&Copy" => 1, "OK" => npos.
std::string_view::size_type AccessKeyIndex(std::string_view caption);

// Twips to pixels at `dpi`, rounded to nearest: Pixels(3690, 96) => 246.
constexpr int Pixels(int twips, int dpi = 96) { return (twips * dpi + 720) / 1440; }

}  // namespace tarnivo
