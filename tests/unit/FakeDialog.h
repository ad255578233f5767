// A fake view over DialogState and frmMain that acts as the user and a
// dialog manager would: it moves the keyboard focus, types into the focused
// text box by replacing its selection, and presses buttons with the mouse or
// the keyboard, and tells frmMain's events each time, as both views do. It
// holds no rule of the dialog: which handler runs, where Tab goes and what
// the directory list shows are the core's. A handler that ends the program is
// unwound; Ended() then reports it, and any further user action fails the
// test.
#pragma once

#include <memory>
#include <string>

#include "SimulatedPlatform.h"
#include "dialog/ControlTable.h"
#include "dialog/DialogState.h"
#include "dialog/frmMain.h"

namespace tarnivo::test {

class FakeDialog {
 public:
  static constexpr WindowHandle kWindow = 0x7A4;  // the window's native handle

  explicit FakeDialog(SimulatedPlatform& platform);
  ~FakeDialog();

  // Creates the window and runs Form_Load. True when the dialog is shown.
  bool Load();
  DialogState& State() { return *state_; }
  bool Ended() const { return platform_.Ended(); }

  // The keyboard.
  ControlId Focused() const { return form_->Focused(); }
  void Focus(ControlId control);       // a click into the control, or its access key
  void Tab();                          // to the next tab stop
  void Type(const std::string& text);  // into the focused text box
  void PressEnter();                   // the focused button, else OK, the default
  void PressEscape();                  // Cancel, the cancel button
  void PressAccessKey(char key);       // Alt + key
  void PressF1();

  // The mouse.
  void TypeInto(ControlId box, const std::string& text) {
    Focus(box);
    Type(text);
  }
  void Choose(ControlId option);  // optCopy, optMove, optDrive, optNetwork
  void PickDrive(int index);
  void PickDrive(char letter);
  // Opens (double-clicks) a subfolder of the directory list's folder, or one of
  // the folders leading to it when given as a full path. False when the list
  // stays where it was because the folder could not be opened.
  bool OpenFolder(const std::string& folder);
  void ClickOK();
  void ClickCancel();
  void ClickHelp();
  void Close();  // the window's close control

  // The system: a drive came or went (the platform's drives were changed
  // first); the view reads the drive list again, as both views do.
  void DrivesChanged();

 private:
  template <class Event>
  void Run(Event event);
  bool Usable(const char* action);

  SimulatedPlatform& platform_;
  std::unique_ptr<DialogState> state_;
  std::unique_ptr<frmMain> form_;
  bool loaded_ = false;
};

}  // namespace tarnivo::test
