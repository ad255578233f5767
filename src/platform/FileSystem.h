// What Tarnivo's logic needs of the file system it runs on: lettered drives
// with a working directory each, lookups, folders, copy, rename and delete.
//
// Paths are UTF-8 text in drive form: backslash separators, a drive root is the
// three characters letter, colon, backslash ("C:\"), a network folder begins
// with two backslashes ("\\server\share\dir"). Every operation that takes a
// name or a path matches directory entries without regard to letter case and
// accepts an 8.3 short alias in place of a long name; an entry whose name is
// spelled exactly so, letter case included, comes before any other. Each
// platform layer (posix/, win32/) translates this form to its operating system.
//
// Every operation either succeeds or throws PlatformError. The logic catches
// PlatformError at each handler's one failure handler; nothing else is thrown
// for an ordinary failure.
//
// One table of cases (tests/contract) checks these contracts on every
// implementation. Where Windows and Linux truly differ, the contracts below
// say so, and the table holds each system's outcome:
//   - Names. Windows ignores a name's trailing dots and spaces, so
//     "notes.txt." would stand for notes.txt; the Win32 layer refuses such a
//     name (it throws) rather than act on another file. Windows refuses the
//     characters < > | " : and device names (CON, NUL.txt, COM1); on Linux
//     these are ordinary names, and a trailing dot is part of the name.
//   - Attributes. On Windows hidden, system and read-only are attributes.
//     On Linux an entry is hidden when its name starts with '.', a system
//     entry when it is neither a regular file nor a folder (a device, FIFO,
//     socket or broken link), read-only when its owner may not write it.
//   - Letter case. A Linux folder may hold twins, names that differ only in
//     letter case ("plain.txt", "Plain.txt"); Windows cannot. A name spelled
//     exactly as one twin names that one. A name that matches twins only
//     without regard to case is ambiguous: a lookup gives the first, every
//     other operation throws.
//   - Order. A folder's own order is its file system's on Windows (name
//     order on NTFS, the Linux folder's order under Wine) and byte order of
//     the names on Linux.
#pragma once

#include <string>
#include <vector>

#include "platform/PlatformError.h"

namespace tarnivo {

// Attribute masks of DirectoryLookup.
inline constexpr int kLookupFiles = 0;  // files that are neither hidden, system nor folders
inline constexpr int kLookupAll = 63;   // every entry, folders included

// How a copy (or a move that has to copy) ended: it ran to its end, or the
// user stopped it while it ran. A stop is not a failure: the caller leaves
// everything as it was and says nothing.
enum class CopyOutcome { Done, Stopped };

// What an operation does with an ordinary file already at its destination.
enum class Existing { Refuse, Replace };

// One entry of the drive list: the upper-case letter and the label shown
// beside it ("c: [label]").
struct DriveInfo {
  char letter = 'C';
  std::string label;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Makes a drive current. Only the first character counts, in either case:
  // "d:" => D: current. Throws when it is not the letter of a ready drive.
  virtual void ChangeDrive(const std::string& drive) = 0;

  // Makes `path` (absolute, or relative to the working directory) the working
  // directory of its drive. Throws when it does not exist.
  virtual void ChangeDirectory(const std::string& path) = 0;

  // The working directory of the current drive, composed of the names through
  // which it was entered ("C:\MYDOCU~1" stays so); a root keeps its backslash.
  virtual std::string CurrentDirectory() = 0;

  // The stored name of the entry spelled exactly as the last component of
  // `name`, else of the first entry, in the folder's own order, that matches
  // it (looked up in the working directory when `name` holds no folder); '*' and '?' there match as
  // patterns, on long names and aliases alike. Returns "" when nothing matches, and for
  // "", "." and "..", which name the folder itself or its parent, never an
  // entry of it (so a path through ".." never resolves, on any system).
  // Throws when the drive is not ready or the name is malformed. Hidden (2),
  // system (4) and folder (16) entries match only when `attributes` holds
  // their bit: kLookupFiles finds plain and read-only files, kLookupAll
  // every entry.
  //   DirectoryLookup("MYDOCU~1", kLookupAll) => "My Documents"
  //   DirectoryLookup("..", kLookupAll)       => ""
  virtual std::string DirectoryLookup(const std::string& name, int attributes) = 0;

  // Copies a file, replacing an ordinary file at the destination (which
  // keeps its stored spelling) in one step once the copy is complete: until
  // then the old file stays whole, and a copy that fails or is stopped
  // leaves it as it was. Throws when the source cannot be read or is
  // a folder, and when the destination is the source itself under any
  // spelling, a folder, a read-only, hidden or system entry, a pattern, or
  // in a folder that is missing or on a drive that is not ready. Returns
  // Stopped when the user stopped the copy while its progress showed: the
  // source and the destination are then as they were before the call, and no
  // partial file is left. A copy that had already reached the destination
  // when the stop came returns Done.
  virtual CopyOutcome CopyFile(const std::string& source, const std::string& destination) = 0;

  // Removes a file. Throws when it is missing, read-only, in use, a folder
  // or a pattern. A system entry is removed on Windows; on Linux it is a
  // device, FIFO or socket, which this never removes.
  virtual void DeleteFile(const std::string& path) = 0;

  // Moves a file (or a folder) within one drive in one step; a new letter
  // case of the same name is a rename too. Throws when the destination exists
  // (of any kind, in any letter case) or the file cannot be moved. With
  // Existing::Replace an ordinary file at the destination is replaced
  // instead, in the same step, keeping its stored spelling; a folder, a
  // read-only, hidden or system entry there is still refused. Where the
  // drive spans two file systems and the platform has to copy, the old file
  // stays whole until the copy is complete, and the user may stop the move
  // like a copy: Stopped, and the file is still at `source` only.
  virtual CopyOutcome RenameFile(const std::string& source, const std::string& destination,
                                 Existing existing) = 0;

  // The drives in letter order.
  virtual std::vector<DriveInfo> DriveList() = 0;

  // Checks that the directory list can open `folder` (absolute, network, or
  // relative to the working directory; with or without a trailing backslash)
  // and returns it as an absolute path without a trailing backslash, except
  // that a root keeps it. Does not change the working directory. Throws when
  // the folder cannot be opened (missing, not a folder, drive not ready).
  // A drive alone ("D:") is that drive's working directory.
  //   OpenFolder("d:\backup\") => "D:\Backup"
  //   OpenFolder("D:") => "D:\Work"   (D:'s working directory D:\Work)
  virtual std::string OpenFolder(const std::string& folder) = 0;

  // The names of the folders in `folder` that the directory list shows
  // (not hidden), in name order: letter case ignored on Windows, by bytes on
  // Linux (Windows: "archive", "Sub"; Linux: "Sub", "archive"). Throws when it
  // cannot be listed.
  virtual std::vector<std::string> SubFolders(const std::string& folder) = 0;

  // True when both paths name one existing file, through whatever spelling
  // (short alias, letter case, link, network path to the same share). False
  // when either does not exist. Throws only when it cannot tell.
  virtual bool SameFile(const std::string& a, const std::string& b) = 0;
};

}  // namespace tarnivo
