// The file operations of the POSIX layer on native paths, after the names
// have been resolved: copy through a temporary file and an atomic rename,
// rename that never replaces, delete of regular files only. Each throws
// PlatformError and leaves no temporary file behind.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/FileSystem.h"

namespace tarnivo::posix {

// Told the bytes that are on the device after each step of a copy; returns
// false when the user has stopped the copy.
using Progress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

// An entry: its native folder and its name there.
struct Place {
  std::string folder;  // "/home/ann"
  std::string name;    // "x.doc"
  std::string Path() const { return folder == "/" ? "/" + name : folder + "/" + name; }
};

// Copies the regular file `source` (links followed) to `dest`. With
// `replace`, an existing ordinary file there is replaced; without, any
// existing entry makes it fail. Refuses a destination that is the source
// itself, a folder, read-only, hidden or system. The copy keeps the source's
// permission bits and modification time, and is on the device (data and
// folder entry) before this returns; until then the destination is untouched.
// Stopped when `progress` asked to stop before the copy was published: the
// destination is then untouched and no temporary file is left.
CopyOutcome CopyRegularFile(const Place& source, const Place& dest, bool replace,
                            const Progress& progress);

// Removes a regular file (or a link to one). Fails when it is missing, a
// folder, system or read-only.
void DeleteRegularFile(const Place& file);

// Moves `source` to `dest` in one step, never replacing an existing entry
// (where the file system refuses both renameat2's no-replace and hard links,
// a file first claims `dest` as an empty new file; see FileOps.cpp).
// `case_only`: `dest` names the source entry itself in another letter case.
// Across file systems a regular file is copied (durably) and the source
// removed afterwards; a folder fails. A FIFO, socket or device never moves.
// Stopped when that copy was stopped: the source stays where it was.
CopyOutcome RenameEntry(const Place& source, const Place& dest, bool case_only,
                        const Progress& progress);

}  // namespace tarnivo::posix
