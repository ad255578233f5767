// The dialog's form: its handlers, and the events through which a view (and
// the test's fake dialog) reaches them.
//
// A view only moves values: it forwards what the user did (a click, a focus
// change, a typed text, a drive picked) to the events below and shows the
// fields the form hands it afterwards. Which handler an event raises, which
// control is a tab stop, what the directory list shows and what to show anew
// are decided here and in DialogState, once for every view.
//
// Each handler catches PlatformError at its one failure handler: Form_Load
// ends the program with "File not found !!", lstDrive_Change offers Retry or
// Cancel, txtNetwork_LostFocus ignores the failure, cmdOK_Click reports it and
// leaves the dialog open. A handler ends early when Desktop::Terminate ends
// the program.
#pragma once

#include <functional>
#include <string>

#include "dialog/ControlTable.h"
#include "dialog/DialogState.h"
#include "platform/PlatformServices.h"

namespace tarnivo {

class frmMain {
 public:
  // Registers lstDrive_Change as the state's drive-change handler.
  frmMain(PlatformServices platform, DialogState& state);
  ~frmMain();

  frmMain(const frmMain&) = delete;
  frmMain& operator=(const frmMain&) = delete;

  // The view's way of showing a field anew. Called at once for every field,
  // then after each event for the fields it changed, in DialogField order.
  void SetView(std::function<void(DialogField)> show);

  // --- Events. A handler never runs inside another: while one runs (a
  // message box or a long copy lets the window take events meanwhile), an
  // event that would raise one is refused and returns false.

  // Once, before the window is shown: takes in the source file and fills the
  // dialog for it, or ends the program with "File not found !!".
  void Load();

  // The keyboard focus is now on `to`, a control of the dialog. Leaving the
  // network box takes its folder over; entering a text box selects its text.
  // The focus coming back to the control that had it (from a message box or
  // another program) is no move. The focus is recorded also when refused.
  bool FocusMoved(ControlId to);
  ControlId Focused() const { return focus_; }

  // A push button pressed by any means: a click, Enter on it, Enter
  // elsewhere for OK, Escape for Cancel, its access key, F1 for Help.
  bool Press(ControlId button);

  // The user selected an option button (optCopy, optMove, optDrive,
  // optNetwork) or changed the text of a text box. Always taken.
  void Choose(ControlId option);
  void Edited(ControlId box, const std::string& text);

  // The user selected entry `index` of the drive list (by mouse or by keys:
  // each entry passed is a selection). The list then shows the state's
  // selection, which a drive that is not ready may have put back.
  bool DriveChosen(int index);

  // The user opened line `line` of the directory list (double-click). False
  // when its folder could not be opened (it has gone): the list then shows
  // the open folder as it is now.
  bool DirLineOpened(int line);

  // Enter in the directory list with line `highlighted` (-1 for none):
  // opens a highlighted folder that is not the open one, else presses OK.
  bool DirListEnter(int highlighted);

  // A drive came or went: the drive list is read again, after the handler
  // that runs, if any.
  void DrivesChanged();

  // The window's close control: ends the program as Cancel does. Refused
  // while a handler runs (the view stops a copy instead).
  bool Close();

  // True while a handler runs.
  bool Running() const { return running_; }

 private:
  // The handlers.
  void Form_Load();
  void lstDrive_Change();
  void txtNetwork_GotFocus();
  void txtNetwork_LostFocus();
  void txtFileName_GotFocus();
  void cmdOK_Click();  // src/transfer/
  void cmdCancel_Click();
  void cmdHelp_Click();
  void Form_Unload();

  void ReportTransferError();

  // Runs `event` unless a handler runs already, then reloads the drives if
  // they changed meanwhile and shows what changed.
  template <class Event>
  bool Dispatch(Event&& event);
  void ShowChanges();

  PlatformServices platform_;
  DialogState& state_;
  std::function<void(DialogField)> show_;
  ControlId focus_ = FirstFocus();
  bool running_ = false;
  bool drives_changed_ = false;
};

}  // namespace tarnivo
