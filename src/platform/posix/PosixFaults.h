// A seam for tests: makes one step of a file operation fail as if the kernel
// had returned an error, so that every failure path can be driven on a real
// file system (disk full at the third write, a rename that fails, ...).
#pragma once

#include <functional>

namespace tarnivo::posix {

// The steps of CopyFile, RenameFile and DeleteFile that can fail.
enum class FileStep {
  Open,             // opening the source or a folder
  Create,           // creating the temporary file
  Clone,            // FICLONE (a failure falls back to copying)
  CopyRange,        // one copy_file_range chunk
  Read,             // one read chunk
  Write,            // one write chunk, or the size of a copy that ends in a hole
  Sync,             // fsync of the copy
  Close,            // closing the copy
  Link,             // linkat: naming the temporary file, or moving without renameat2
  Rename,           // renameat: publishing over an old file, or the last resort of a move
  Unlink,           // unlinkat: deleting a file or the source of a move
  SyncFolder,       // fsync of the destination folder
  RenameNoReplace,  // renameat2 with a flag: RENAME_NOREPLACE, or RENAME_EXCHANGE (a move
                    // swapping its copy with the file it replaces)
  Metadata,         // one item of the copy's metadata: fchown, fsetxattr, fchmod, futimens
                    // (a failure costs the copy nothing)
  Claim,            // creating the destination name empty, where neither renameat2
                    // nor link can move without replacing
};

const char* StepName(FileStep step);

// Consulted before each step: returns 0 to let it run, or the errno value it
// fails with instead (ENOSPC, EIO, ...). An empty hook injects nothing.
using FaultHook = std::function<int(FileStep)>;
void SetFaultHook(FaultHook hook);

// The errno to fail `step` with, or 0.
int InjectedFault(FileStep step);

}  // namespace tarnivo::posix
