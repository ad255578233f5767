// The dialog's values: what the handlers read and write, and what each view
// moves to and from its widgets.
//
// The rules about these values live here rather than in each view: changing
// the drive list's selection, from code or by the user, raises the
// drive-change handler at once, nested, and only when the selection really
// changes; the directory list takes only a folder that the file system can
// open (SetDirPath throws PlatformError otherwise) and reads its lines from
// it; each option group is one tab stop. Every change is recorded, and
// frmMain hands the changed fields to the view after each event
// (TakeChanges), so a view never decides what to show anew.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "dialog/ControlTable.h"
#include "dialog/DirListModel.h"
#include "platform/Desktop.h"
#include "platform/FileSystem.h"

namespace tarnivo {

// The values a view shows, in the order a view shows them anew.
enum class DialogField {
  FileNameLabel,
  FileName,
  FileNameSelection,
  CopyMove,
  DriveNetwork,
  DriveList,
  DirPath,
  NetworkText,
  NetworkSelection,
};

// Every field, for a view that shows the whole dialog at once.
inline constexpr DialogField kAllFields[] = {
    DialogField::FileNameLabel, DialogField::FileName,     DialogField::FileNameSelection,
    DialogField::CopyMove,      DialogField::DriveNetwork, DialogField::DriveList,
    DialogField::DirPath,       DialogField::NetworkText,  DialogField::NetworkSelection,
};

// A text box's value: its text and its selection, counted in characters
// (never bytes); the start counts from 0, before the first character.
//   {"Report.doc", 0, 255} selects the whole name; {"ab", 1, 0} is a caret
//   between a and b.
struct TextBoxValue {
  std::string text;
  int sel_start = 0;
  int sel_length = 0;
  bool operator==(const TextBoxValue&) const = default;
};

// The fields that tell a text box's text and its selection:
//   TextField(txtNetwork) => NetworkText, SelectionField(txtFileName) => FileNameSelection.
DialogField TextField(ControlId box);
DialogField SelectionField(ControlId box);

class DialogState {
 public:
  // Fills the drive list (current drive selected, no handler raised) and
  // opens the directory list at the working directory, as the controls are
  // at creation. A failing file system leaves them empty.
  explicit DialogState(FileSystem& files);

  DialogState(const DialogState&) = delete;
  DialogState& operator=(const DialogState&) = delete;

  // The dialog's own fields.
  std::string SourceFile;
  std::int16_t SavedDriveIndex = 0;

  // The fields changed since the last call, in DialogField order, each once.
  std::vector<DialogField> TakeChanges();
  // Records `field` as changed although its value is the same: a widget may
  // show what the state refused (a drive that is no longer listed).
  void Reshow(DialogField field) { Changed(field); }
  // frmMain registers its lstDrive_Change here.
  void SetDriveChangeHandler(std::function<void()> handler);

  // lblFileName.
  const std::string& FileNameLabel() const { return file_name_label_; }
  void SetFileNameLabel(const std::string& caption);
  int FileNameLabelWidth() const;  // twips

  // The text boxes, txtFileName and txtNetwork (any other id is taken as
  // txtNetwork). Setting the text leaves the selection as it was.
  const TextBoxValue& TextBox(ControlId box) const;
  void SetText(ControlId box, const std::string& text);
  void SetSelection(ControlId box, int start, int length);
  // Their texts, as the handlers read them.
  const std::string& FileName() const { return file_name_.text; }
  const std::string& NetworkText() const { return network_.text; }

  // optCopy / optMove: neither is selected at creation; the transfer moves
  // unless optCopy is selected.
  bool CopySelected() const { return copy_selected_; }
  bool MoveSelected() const { return move_selected_; }
  void SelectCopy();
  void SelectMove();

  // optDrive / optNetwork.
  bool NetworkSelected() const { return network_selected_; }
  void SelectDrive();
  void SelectNetwork();

  // lstDrive. The entry text is "c: [label]": designation first.
  const std::vector<std::string>& DriveEntries() const { return drive_entries_; }
  int DriveIndex() const { return drive_index_; }
  std::string DriveText() const;  // "" when the list is empty
  // Selects entry `index` and raises the change handler when it differs from
  // the selection. Throws PlatformError for an index outside the list.
  void SetDriveIndex(int index);
  // Selects the drive whose letter is the first character of `path`, in
  // either case. Throws PlatformError when there is no such drive.
  void SelectDriveOf(const std::string& path);
  // Reads the drives again (a stick came or went), keeping the selected
  // letter where it still exists, and SavedDriveIndex on its letter too (a
  // saved letter that has gone keeps its number). Raises no handler.
  // Throws PlatformError, with nothing changed, when the drives cannot be
  // read.
  void ReloadDrives();

  // lstDir: the destination folder, a root with its backslash, any other
  // folder without one.
  const std::string& DirPath() const { return dir_path_; }
  void SetDirPath(const std::string& folder);  // throws PlatformError
  // The lines the directory list shows for DirPath (DirListModel.h): read
  // from the file system once per folder, when first asked for after the
  // folder changed, so that a folder passed through while the dialog is
  // filled is never listed. A folder that cannot be listed shows only the
  // way to it.
  const std::vector<DirLine>& DirLines();
  // Reads the open folder's subfolders again (one may have gone) and records
  // DirPath as changed.
  void RereadDirLines();

  // Tab order. Labels and the frame are never stops; each option group is
  // one stop, at its selected button, or at its first button while none is
  // selected (Copy and Move before the dialog is filled).
  bool IsTabStop(ControlId id) const;
  // The stop that Tab (forward) or Shift+Tab (backward) moves to from
  // `from`, by tab index, wrapping round; from a control that is no stop, the
  // first or the last stop. NextTabStop(lstDrive, true) => lstDir.
  ControlId NextTabStop(ControlId from, bool forward) const;

  // The native window, owner of the help viewer; 0 until a view sets it.
  WindowHandle Window() const { return window_; }
  void SetWindow(WindowHandle window) { window_ = window; }

  static std::string DriveEntryText(const DriveInfo& drive);

 private:
  void Changed(DialogField field);
  TextBoxValue& Box(ControlId box);

  FileSystem& files_;
  unsigned changed_ = 0;  // bit per DialogField
  std::function<void()> drive_change_;
  std::string file_name_label_;
  TextBoxValue file_name_{.text = "Text1"};
  bool copy_selected_ = false;
  bool move_selected_ = false;
  bool network_selected_ = false;
  std::vector<std::string> drive_entries_;
  int drive_index_ = -1;
  std::string dir_path_;
  std::vector<DirLine> dir_lines_;
  bool dir_lines_read_ = false;
  TextBoxValue network_{.text = "\\\\"};
  WindowHandle window_ = 0;
};

}  // namespace tarnivo
