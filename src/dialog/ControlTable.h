// The dialog's window and controls as data: both views build the same window
// from this one table. Geometry is in twips (1/1440 inch), from the top left
// of the client area, or of the frame for the controls inside it.
#pragma once

#include <array>
#include <string_view>

namespace tarnivo {

inline constexpr std::string_view kDialogCaption = "Tarnivo";
inline constexpr int kClientWidth = 3690;   // twips, fixed size
inline constexpr int kClientHeight = 4290;
inline constexpr int kTwipsPerPixelAt96Dpi = 15;
inline constexpr std::string_view kHelpFile = "tarnivo.hlp";

enum class ControlKind { OptionButton, Label, Frame, DriveList, DirList, TextBox, PushButton };

enum class ControlId {
  optCopy, optMove, lblFileName, Label2, fraDrive, optDrive, optNetwork, lstDrive,
  txtNetwork, lstDir, Label3, txtFileName, cmdOK, cmdCancel, cmdHelp,
};

// Option buttons in one group exclude each other; 0 is no group.
inline constexpr int kGroupCopyMove = 1;
inline constexpr int kGroupDriveNetwork = 2;

struct ControlSpec {
  ControlId id;
  std::string_view name;
  ControlKind kind;
  std::string_view caption;  // '&' marks the access key; "&&" is a plain '&'
  int left, top, width, height;
  int tab_index;
  int group;          // option group, 0 for none
  bool in_frame;      // placed inside fraDrive, geometry relative to it
  bool is_default;    // Enter presses it
  bool is_cancel;     // Escape presses it
};

// In creation order. Labels and the frame take no focus; each option group
// is one tab stop, at its selected button.
inline constexpr std::array<ControlSpec, 15> kControls = {{
    {ControlId::optCopy, "optCopy", ControlKind::OptionButton, "&Copy", 120, 120, 852, 252, 7, kGroupCopyMove, false, false, false},
    {ControlId::optMove, "optMove", ControlKind::OptionButton, "&Move", 1080, 120, 972, 252, 8, kGroupCopyMove, false, false, false},
    {ControlId::lblFileName, "lblFileName", ControlKind::Label, "", 120, 420, 3135, 255, 10, 0, false, false, false},
    {ControlId::Label2, "Label2", ControlKind::Label, "to", 3360, 420, 255, 255, 12, 0, false, false, false},
    {ControlId::fraDrive, "fraDrive", ControlKind::Frame, "", 120, 720, 975, 615, 13, 0, false, false, false},
    {ControlId::optDrive, "optDrive", ControlKind::OptionButton, "Local", 0, 30, 975, 255, 14, kGroupDriveNetwork, true, false, false},
    {ControlId::optNetwork, "optNetwork", ControlKind::OptionButton, "Network", 0, 360, 975, 255, 9, kGroupDriveNetwork, true, false, false},
    {ControlId::lstDrive, "lstDrive", ControlKind::DriveList, "", 1200, 720, 2415, 315, 0, 0, false, false, false},
    {ControlId::txtNetwork, "txtNetwork", ControlKind::TextBox, "\\\\", 1200, 1080, 2415, 285, 11, 0, false, false, false},
    {ControlId::lstDir, "lstDir", ControlKind::DirList, "", 120, 1440, 3495, 1890, 1, 0, false, false, false},
    {ControlId::Label3, "Label3", ControlKind::Label, "&as", 120, 3480, 255, 255, 2, 0, false, false, false},
    {ControlId::txtFileName, "txtFileName", ControlKind::TextBox, "Text1", 480, 3480, 3135, 288, 3, 0, false, false, false},
    {ControlId::cmdOK, "cmdOK", ControlKind::PushButton, "OK", 120, 3840, 1095, 372, 4, 0, false, true, false},
    {ControlId::cmdCancel, "cmdCancel", ControlKind::PushButton, "Cancel", 1320, 3840, 1095, 372, 5, 0, false, false, true},
    {ControlId::cmdHelp, "cmdHelp", ControlKind::PushButton, "&Help", 2520, 3840, 1095, 375, 6, 0, false, false, false},
}};

// The entry for `id`.
const ControlSpec& Control(ControlId id);

// The access key of a caption, lower-cased: "&as" => 'a', "OK" => 0.
char AccessKey(std::string_view caption);

// Where the access-key letter stands in a caption: "&Copy" => 1, "OK" => npos.
std::string_view::size_type AccessKeyIndex(std::string_view caption);

// Twips to pixels at `dpi`, rounded to nearest: Pixels(3690, 96) => 246.
constexpr int Pixels(int twips, int dpi = 96) { return (twips * dpi + 720) / 1440; }

}  // namespace tarnivo
