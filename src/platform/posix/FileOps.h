// The file operations of the POSIX layer on native paths, after the names
// have been resolved: copy through a temporary file and an atomic rename,
// rename that replaces only when asked to, delete of regular files only.
// Each throws PlatformError and leaves no temporary file behind.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/FileSystem.h"
#include "platform/posix/PosixUtil.h"

namespace tarnivo::posix {

// Told the bytes that are on the device after each step of a copy; returns
// false when the user has stopped the copy.
using Progress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

// An entry: its native folder and its name there.
struct Place {
  std::string folder;  // "/home/ann"
  std::string name;    // "x.doc"
  std::string Path() const { return NativeChild(folder, name); }
};

// Copies the regular file `source` (links followed) to `dest`. With
// `replace`, an existing ordinary file there is replaced; without, any
// existing entry makes it fail. Refuses a destination that is the source
// itself, a folder, read-only, hidden or system. The copy is on the device
// (data, metadata and folder entry) before this returns; until then the
// destination is untouched, also when the copy fails (disk full) or is
// stopped, and no temporary file is left.
// Data: cloned where the file system can (FICLONE); otherwise only what
// SEEK_DATA finds is copied, so holes stay holes (every byte where the
// source cannot tell its holes).
// Kept as far as the destination and the process's rights allow, each item
// on its own (a refused one costs neither the copy nor the others): the
// permission bits, the modification time (ns), user.* extended attributes
// and the access ACL (system.posix_acl_access; a source without one gives a
// copy without one).
CopyOutcome CopyRegularFile(const Place& source, const Place& dest, bool replace,
                            const Progress& progress);

// Removes a regular file (or a link to one). Fails when it is missing, a
// folder, system or read-only.
void DeleteRegularFile(const Place& file);

// Moves `source` to `dest` in one step; without `replace` it never replaces
// an existing entry (where the file system refuses both renameat2's
// no-replace and hard links, a file first claims `dest` as an empty new file;
// see FileOps.cpp).
// `case_only`: `dest` names the source entry itself in another letter case
// (`replace` then plays no part).
// `replace`: an ordinary file at `dest` is replaced. Refused before anything
// moves, as by CopyRegularFile: a folder, a read-only, hidden or system entry
// (a broken link included) or the source itself (a link to it included); a
// folder never replaces a file. On one file system one rename(2) replaces it.
// Across file systems a regular file is copied (durably, into a temporary
// file beside `dest`) and then published and the source removed:
//   - a source that plainly cannot be removed (no write access to its
//     folder, read-only mount, sticky folder, immutable file) fails first;
//   - with nothing at `dest`, a source that still cannot be removed after the
//     publish has its copy taken back;
//   - over an old file, the copy is swapped with it (RENAME_EXCHANGE), the
//     source removed, and only then the old file; a source that cannot be
//     removed has the old file swapped back. Where the file system cannot
//     swap (a FUSE share), the copy is renamed over the old file, and a
//     source that cannot be removed afterwards stays beside its complete
//     copy (as mv leaves it): the failure is reported, nothing is lost but
//     the old file the caller agreed to replace.
// The copy keeps what CopyRegularFile keeps, and also the set-id bits, the
// access time (ns), every extended attribute the destination takes
// (security.* and trusted.* where the process may set them; not a file
// system's own view of its ACL, XFS's trusted.SGI_ACL_FILE), owner and group
// where the process may set them; each item is best effort on its own.
// A folder fails across file systems. A FIFO, socket or device never moves.
// Stopped when that copy was stopped: the source stays where it was and
// `dest` is untouched.
CopyOutcome RenameEntry(const Place& source, const Place& dest, bool case_only,
                        const Progress& progress, bool replace);

}  // namespace tarnivo::posix
