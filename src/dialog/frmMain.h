// The dialog's handlers: the only entry points that a view calls.
//
// Each handler catches PlatformError at its one failure handler: Form_Load
// ends the program with "File not found !!", lstDrive_Change offers Retry or
// Cancel, txtNetwork_LostFocus ignores the failure, cmdOK_Click reports it and
// leaves the dialog open. A handler ends early when PlatformServices::Terminate
// ends the program.
#pragma once

#include <string>

#include "dialog/DialogState.h"
#include "platform/PlatformServices.h"

namespace tarnivo {

class frmMain {
 public:
  // Registers lstDrive_Change as the state's drive-change handler.
  frmMain(PlatformServices& platform, DialogState& state);
  ~frmMain();

  frmMain(const frmMain&) = delete;
  frmMain& operator=(const frmMain&) = delete;

  // Once, before the dialog is shown: takes in the source file and fills the
  // dialog for it, or ends the program with "File not found !!".
  void Form_Load();
  // The drive list's selection changed (by the user or from code).
  void lstDrive_Change();
  void txtNetwork_GotFocus();
  // Takes a typed folder over into the directory list; failures are ignored.
  void txtNetwork_LostFocus();
  void txtFileName_GotFocus();
  // Copies or moves the source into the chosen folder (src/transfer/).
  void cmdOK_Click();
  void cmdCancel_Click();
  void cmdHelp_Click();
  // The window's close control: ends the program as Cancel does, touching
  // no file.
  void Form_Unload();

 private:
  void ReportTransferError();

  PlatformServices& platform_;
  DialogState& state_;
};

}  // namespace tarnivo
