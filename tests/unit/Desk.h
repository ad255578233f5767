// The desk most tests start from: an empty removable drive A:, the system
// drive C: and a data drive D:, and a network share.
#pragma once

#include <string>

#include "FakeDialog.h"
#include "SimulatedPlatform.h"

namespace tarnivo::test {

inline constexpr int kDriveA = 0;  // positions in the drive list
inline constexpr int kDriveC = 1;
inline constexpr int kDriveD = 2;
inline const std::string kReport = "quarterly figures";

// The messages, as the user reads them.
inline const std::string kNotFound = "File not found !!";
inline const std::string kExists = "The destination file already exits.\rOverwrite ?";
inline const std::string kError =
    "Error during copy or move.\rFile may already exist or is in use.";

inline void BuildDesk(SimulatedPlatform& p) {
  p.AddDrive('A', "", /*ready=*/false);
  p.AddDrive('C', "System");
  p.AddDrive('D', "Data");
  p.AddFolder("C:\\WINDOWS");
  p.AddFolder("C:\\My Documents", "MYDOCU~1");
  p.AddFile("C:\\My Documents\\REPORT.DOC", kReport);
  p.AddFile("C:\\My Documents\\Letter to Ann.doc", "Dear Ann", "LETTER~1.DOC");
  p.AddFolder("C:\\Archive");
  p.AddFile("C:\\README.TXT", "read me");
  p.AddFolder("D:\\Backup");
  p.AddShare("\\\\server\\public");
  p.AddFolder("\\\\server\\public\\Inbox");
  p.StartIn("C:\\WINDOWS");
}

// The user's way to D:\Backup and to C:\Archive.
inline void OpenBackup(FakeDialog& d) {
  d.PickDrive('D');
  d.OpenFolder("Backup");
}

inline void OpenArchive(FakeDialog& d) {
  d.OpenFolder("C:\\");
  d.OpenFolder("Archive");
}

}  // namespace tarnivo::test
