// The dialog's values: what the handlers read and write, and what each view
// moves to and from its widgets.
//
// A view copies the user's edits in (SetFileName, SelectMove, ...) and shows
// what changes through the observer. Two rules live here rather than in each
// view: changing the drive list's selection, from code or by the user, raises
// the drive-change handler at once, nested, and only when the selection really
// changes; and the directory list takes only a folder that the platform can
// open (SetDirPath throws PlatformError otherwise).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "dialog/ControlTable.h"
#include "platform/PlatformServices.h"

namespace tarnivo {

// What an observer is told has changed.
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
  // at creation. A failing platform leaves them empty.
  explicit DialogState(PlatformServices& platform);

  DialogState(const DialogState&) = delete;
  DialogState& operator=(const DialogState&) = delete;

  // The dialog's own fields.
  std::string SourceFile;
  std::int16_t SavedDriveIndex = 0;

  // Called once per change of a value, after it has changed.
  void SetObserver(std::function<void(DialogField)> observer);
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

  // The native window, owner of the help viewer; 0 until a view sets it.
  WindowHandle Window() const { return window_; }
  void SetWindow(WindowHandle window) { window_ = window; }

  static std::string DriveEntryText(const DriveInfo& drive);

 private:
  void Changed(DialogField field);
  TextBoxValue& Box(ControlId box);

  PlatformServices& platform_;
  std::function<void(DialogField)> observer_;
  std::function<void()> drive_change_;
  std::string file_name_label_;
  TextBoxValue file_name_{.text = "Text1"};
  bool copy_selected_ = false;
  bool move_selected_ = false;
  bool network_selected_ = false;
  std::vector<std::string> drive_entries_;
  int drive_index_ = -1;
  std::string dir_path_;
  TextBoxValue network_{.text = "\\\\"};
  WindowHandle window_ = 0;
};

}  // namespace tarnivo
