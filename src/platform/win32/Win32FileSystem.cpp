#include "platform/win32/Win32FileSystem.h"

#include <winnetwk.h>

#include <algorithm>
#include <cwctype>
#include <memory>

#include "platform/win32/WinText.h"
#include "text/ScopeExit.h"
#include "text/Text.h"

namespace tarnivo {
namespace {

using win32::Fail;
using win32::Narrow;
using win32::Widen;

constexpr DWORD kDriveLabelWaitMs = 400;  // the whole drive list, not each drive

std::wstring FullPath(const std::wstring& path) {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n =
        GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (n == 0) {
      const DWORD error = GetLastError();
      Fail("GetFullPathName " + Narrow(path), error);
    }
    if (n < buffer.size()) {
      buffer.resize(n);
      return buffer;
    }
    buffer.resize(n);
  }
}

std::wstring CurrentDirectoryW() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (n == 0) {
      const DWORD error = GetLastError();
      Fail("GetCurrentDirectory", error);
    }
    if (n < buffer.size()) {
      buffer.resize(n);
      return buffer;
    }
    buffer.resize(n);
  }
}

bool IsDriveForm(const std::wstring& path) {
  return path.size() >= 2 && path[1] == L':' && std::iswalpha(path[0]);
}

// Windows keeps each drive's working directory in an environment variable
// named "=C:" (as the C runtime and the command shell do).
std::wstring DriveVariable(wchar_t letter) { return {L'=', UpperLetter(letter), L':'}; }

void RememberDriveDirectory(const std::wstring& directory) {
  if (IsDriveForm(directory))
    SetEnvironmentVariableW(DriveVariable(directory[0]).c_str(), directory.c_str());
}

std::wstring RememberedDriveDirectory(wchar_t letter) {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD n = GetEnvironmentVariableW(DriveVariable(letter).c_str(), buffer, MAX_PATH + 1);
  if (n == 0 || n > MAX_PATH) return {};
  return {buffer, n};
}

bool IsDirectory(const std::wstring& full) {
  const DWORD attributes = GetFileAttributesW(Win32FileSystem::LongForm(full).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Throws when the drive or share that holds `path` cannot be reached: a
// lookup there does not find "nothing", it fails.
void RequireReachableRoot(const std::wstring& path) {
  const std::wstring full = FullPath(path);
  std::size_t end = 3;
  if (full.rfind(L"\\\\", 0) == 0) {
    const std::size_t share = full.find(L'\\', 2);
    end = share == std::wstring::npos ? full.size() : full.find(L'\\', share + 1);
    if (end != std::wstring::npos) ++end;
  }
  const std::wstring root = full.substr(0, end);
  if (GetFileAttributesW(root.c_str()) == INVALID_FILE_ATTRIBUTES) {
    throw PlatformError("drive or share not ready: " + Narrow(path));
  }
}

bool IsDotEntry(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// Refuses a name that Windows would turn into a device or into another name.
void CheckDestinationName(const std::string& path) {
  const std::string name = win32::LastComponent(path);
  if (name.empty() || win32::IsReservedDeviceName(name) || win32::EndsInDotOrSpace(name) ||
      win32::HasInvalidNameChar(name, false)) {
    throw PlatformError("refused destination name: " + path);
  }
}

class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  ~FindHandle() {
    if (valid()) FindClose(handle_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// Lists `pattern`, the cheaper way where Windows has it (7 and later).
HANDLE FindFirst(const std::wstring& pattern, WIN32_FIND_DATAW& data) {
  HANDLE h = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                              nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER) {
    h = FindFirstFileW(pattern.c_str(), &data);
  }
  return h;
}

// What lies at a full path: its attributes and stored name, or nothing.
struct Entry {
  DWORD attributes = INVALID_FILE_ATTRIBUTES;
  std::wstring name;
  bool Exists() const { return attributes != INVALID_FILE_ATTRIBUTES; }
};

Entry Look(const std::wstring& full) {
  WIN32_FIND_DATAW data;
  FindHandle find(FindFirstFileW(Win32FileSystem::LongForm(full).c_str(), &data));
  if (!find.valid()) return {};
  return {data.dwFileAttributes, data.cFileName};
}

// "D:\Backup\a.txt" => "D:\Backup", "D:\a.txt" => "D:" (to which "\name" is added).
std::wstring FolderOf(const std::wstring& full) { return full.substr(0, full.rfind(L'\\')); }

// Windows refuses to copy over a read-only, hidden or system file; not every
// implementation of it does (Wine replaces them), so the rule is kept here
// for every replacement. A hidden file is not found by the overwrite
// question's lookup, so it would be replaced without asking. A folder is
// never replaced.
void RefuseToReplace(const Entry& old, const std::string& destination) {
  constexpr DWORD kKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                          FILE_ATTRIBUTE_DIRECTORY;
  if (old.Exists() && (old.attributes & kKept)) {
    throw PlatformError("read-only, hidden, system or folder destination: " + destination);
  }
}

// The stored spelling of each component of a full path (the drive letter in
// upper case, a share as written).
std::wstring StoredForm(const std::wstring& full) {
  std::wstring result;
  std::size_t pos = 0;
  if (IsDriveForm(full)) {
    result = {UpperLetter(full[0]), L':', L'\\'};
    pos = 3;
  } else if (full.rfind(L"\\\\", 0) == 0) {
    const std::size_t server_end = full.find(L'\\', 2);
    const std::size_t share_end =
        server_end == std::wstring::npos ? std::wstring::npos : full.find(L'\\', server_end + 1);
    result = full.substr(0, share_end);
    pos = share_end == std::wstring::npos ? full.size() : share_end + 1;
  } else {
    return full;
  }
  while (pos < full.size()) {
    std::size_t end = full.find(L'\\', pos);
    if (end == std::wstring::npos) end = full.size();
    const std::wstring component = full.substr(pos, end - pos);
    pos = end + 1;
    if (component.empty()) continue;
    std::wstring prefix = result;
    if (prefix.back() != L'\\') prefix += L'\\';
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW(Win32FileSystem::LongForm(prefix + component).c_str(), &data));
    result = prefix + (find.valid() ? std::wstring(data.cFileName) : component);
  }
  return result;
}

// A drive's label, read on a thread of its own so that a drive that does not
// answer (an empty floppy, a lost share) cannot hold up the list. The list
// and the thread share the job: the last one to let go frees it.
struct LabelJob {
  wchar_t root[4] = {};
  UINT type = DRIVE_UNKNOWN;
  wchar_t label[MAX_PATH + 1] = {};
};

// The thread's share of its job comes as a heap copy of the shared pointer.
DWORD WINAPI ReadLabel(LPVOID param) {
  const std::unique_ptr<std::shared_ptr<LabelJob>> share(
      static_cast<std::shared_ptr<LabelJob>*>(param));
  LabelJob& job = **share;
  if (job.type == DRIVE_REMOTE) {
    const wchar_t device[3] = {job.root[0], L':', 0};
    DWORD size = MAX_PATH;
    if (WNetGetConnectionW(device, job.label, &size) != NO_ERROR) job.label[0] = 0;
  } else if (!GetVolumeInformationW(job.root, job.label, MAX_PATH + 1, nullptr, nullptr, nullptr,
                                    nullptr, 0)) {
    job.label[0] = 0;
  }
  return 0;
}

}  // namespace

std::wstring Win32FileSystem::LongForm(const std::wstring& path) {
  if (path.size() < MAX_PATH - 12 || path.rfind(L"\\\\?\\", 0) == 0) return path;
  if (IsDriveForm(path) && path.size() > 2 && path[2] == L'\\') return L"\\\\?\\" + path;
  if (path.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + path.substr(2);
  return path;
}

void Win32FileSystem::ChangeDrive(const std::string& drive) {
  if (drive.empty() || !std::iswalpha(static_cast<unsigned char>(drive[0])) ||
      static_cast<unsigned char>(drive[0]) >= 0x80) {
    throw PlatformError("not a drive: " + drive);
  }
  const wchar_t letter = UpperLetter(static_cast<wchar_t>(drive[0]));
  const std::wstring root{letter, L':', L'\\'};
  const UINT type = GetDriveTypeW(root.c_str());
  if (type == DRIVE_NO_ROOT_DIR || type == DRIVE_UNKNOWN) throw PlatformError("no drive " + drive);

  const std::wstring current = CurrentDirectoryW();
  if (IsDriveForm(current) && UpperLetter(current[0]) == letter) return;
  RememberDriveDirectory(current);
  std::wstring target = RememberedDriveDirectory(letter);
  if (target.empty() || !SetCurrentDirectoryW(target.c_str())) {
    // The drive's last folder may have gone; its root is the fallback.
    if (!SetCurrentDirectoryW(root.c_str())) {
      const DWORD error = GetLastError();
      Fail("drive not ready: " + drive, error);
    }
  }
  RememberDriveDirectory(CurrentDirectoryW());
}

void Win32FileSystem::ChangeDirectory(const std::string& path) {
  if (path.empty() || win32::HasInvalidNameChar(path, false)) {
    throw PlatformError("bad folder: " + path);
  }
  const std::wstring full = FullPath(Widen(path));
  const std::wstring current = CurrentDirectoryW();
  const bool other_drive = IsDriveForm(full) && !(IsDriveForm(current) &&
                                                  UpperLetter(current[0]) == UpperLetter(full[0]));
  if (other_drive) {
    // Like the command shell: another drive's folder changes only what that
    // drive remembers, not the current drive.
    if (!IsDirectory(full)) throw PlatformError("no folder: " + path);
    RememberDriveDirectory(full);
    return;
  }
  if (!SetCurrentDirectoryW(full.c_str())) {
    const DWORD error = GetLastError();
    Fail("SetCurrentDirectory " + path, error);
  }
  RememberDriveDirectory(CurrentDirectoryW());
}

std::string Win32FileSystem::CurrentDirectory() { return Narrow(CurrentDirectoryW()); }

std::string Win32FileSystem::DirectoryLookup(const std::string& name, int attributes) {
  const std::string last = win32::LastComponent(name);
  // "." and ".." would name the folder itself or its parent, never an entry.
  if (last.empty() || last == "." || last == "..") return {};
  if (win32::HasInvalidNameChar(last, true)) throw PlatformError("malformed name: " + name);
  const bool pattern = last.find_first_of("*?") != std::string::npos;
  if (!pattern && (win32::IsReservedDeviceName(last) || win32::EndsInDotOrSpace(last))) {
    throw PlatformError("malformed name: " + name);
  }
  // Hidden (2), system (4) and folder (16) entries match only when the mask
  // names them; mask 63 takes every entry.
  const DWORD excluded =
      (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY) &
      ~static_cast<DWORD>(attributes);
  const std::wstring wide = Widen(name);
  const std::wstring query = wide.size() >= MAX_PATH - 12 ? LongForm(FullPath(wide)) : wide;
  WIN32_FIND_DATAW data;
  FindHandle find(FindFirstFileW(query.c_str(), &data));
  if (!find.valid()) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES ||
        error == ERROR_PATH_NOT_FOUND) {
      if (error == ERROR_PATH_NOT_FOUND) RequireReachableRoot(wide);
      return {};
    }
    Fail("FindFirstFile " + name, error);
  }
  do {
    if (IsDotEntry(data.cFileName)) continue;
    if (data.dwFileAttributes & excluded) continue;
    return Narrow(data.cFileName);
  } while (FindNextFileW(find.get(), &data));
  return {};
}

// A copy or move and what it has done so far, shared with its thread.
struct Win32FileSystem::Transfer {
  std::function<DWORD(Transfer&)> work;  // 0 or a Win32 error
  volatile LONGLONG done = 0;
  volatile LONGLONG total = 0;
  BOOL stop = FALSE;  // CopyFileExW's cancel flag, set by the dialog's thread
  DWORD error = 0;
  bool Stopped() const { return InterlockedCompareExchange(StopFlag(), 0, 0) != 0; }
  LONG volatile* StopFlag() const {
    static_assert(sizeof(BOOL) == sizeof(LONG));
    return reinterpret_cast<LONG volatile*>(const_cast<BOOL*>(&stop));
  }
};

namespace {

// Sets the hidden attribute of a file open for writing.
void HideOpenFile(HANDLE file) {
  FILE_BASIC_INFO info{};
  if (!GetFileInformationByHandleEx(file, FileBasicInfo, &info, sizeof info)) return;
  FILE_BASIC_INFO change{};  // times of 0 stay as they are
  change.FileAttributes = info.FileAttributes | FILE_ATTRIBUTE_HIDDEN;
  SetFileInformationByHandle(file, FileBasicInfo, &change, sizeof change);
}

// Every copy here fills a temporary file, which is hidden from its first
// byte (where the system reports the copy's start).
DWORD CALLBACK TransferProgress(LARGE_INTEGER total, LARGE_INTEGER done, LARGE_INTEGER,
                                LARGE_INTEGER, DWORD stream, DWORD reason, HANDLE,
                                HANDLE destination, LPVOID data) {
  if (reason == CALLBACK_STREAM_SWITCH && stream == 1) HideOpenFile(destination);
  auto* transfer = static_cast<Win32FileSystem::Transfer*>(data);
  InterlockedExchange64(&transfer->total, total.QuadPart);
  InterlockedExchange64(&transfer->done, done.QuadPart);
  return transfer->Stopped() ? PROGRESS_CANCEL : PROGRESS_CONTINUE;
}

DWORD WINAPI TransferThread(LPVOID data) {
  auto* transfer = static_cast<Win32FileSystem::Transfer*>(data);
  transfer->error = transfer->work(*transfer);
  return 0;
}

// Writes the file's data to the device. A read-only copy cannot be opened
// for writing: the attribute is lifted while the data is flushed.
DWORD Flush(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  const bool read_only =
      attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
  if (read_only) SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD error = h == INVALID_HANDLE_VALUE ? GetLastError() : 0;
  if (h != INVALID_HANDLE_VALUE) {
    if (!FlushFileBuffers(h)) error = GetLastError();
    CloseHandle(h);
  }
  if (read_only) SetFileAttributesW(path.c_str(), attributes);
  return error;
}

// A name for a temporary file in the destination's folder, unlike any a
// user gives: ".tarnivo-<process>-<time>-<count>.tmp".
std::wstring TemporaryName() {
  static LONG count = 0;
  wchar_t name[64];
  swprintf(name, std::size(name), L".tarnivo-%lx-%lx-%lx.tmp", GetCurrentProcessId(),
           GetTickCount(), static_cast<DWORD>(InterlockedIncrement(&count)));
  return name;
}

// Removes a temporary file of ours, read-only or not. What cannot be
// removed is left: a hidden file that no one takes for the destination.
void Discard(const std::wstring& path) {
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(path.c_str());
}

// Copies `from` into a new temporary file in `folder`, flushes it and
// renames it to `target` in one step: over the file there when `replace`,
// else only while nothing is there. Until that rename `target` is untouched;
// on any failure, and on a stop that comes before it, the temporary file
// goes again. The new file has the attributes and times CopyFileExW gives.
DWORD CopyIntoPlace(Win32FileSystem::Transfer& self, const std::wstring& from,
                    const std::wstring& folder, const std::wstring& target, bool replace) {
  const DWORD source = GetFileAttributesW(from.c_str());
  std::wstring temp;
  DWORD error = ERROR_FILE_EXISTS;
  for (int tries = 0; tries < 16 && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS);
       ++tries) {
    temp = Win32FileSystem::LongForm(folder + L"\\" + TemporaryName());
    error = CopyFileExW(from.c_str(), temp.c_str(), &TransferProgress, &self, &self.stop,
                        COPY_FILE_FAIL_IF_EXISTS)
                ? 0
                : GetLastError();
  }
  if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return error;  // not ours
  const DWORD copied = error ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(temp.c_str());
  if (!error && copied == INVALID_FILE_ATTRIBUTES) error = GetLastError();
  // Where the copy reports no start (Wine), the file is hidden only now.
  const DWORD own = copied & ~(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_NORMAL);
  if (!error && !(copied & FILE_ATTRIBUTE_HIDDEN))
    SetFileAttributesW(temp.c_str(), own | FILE_ATTRIBUTE_HIDDEN);
  // A stop counts until the new file is in place; where the copy ignored
  // the request (Wine), it is honoured here.
  if (!error && self.Stopped()) error = ERROR_REQUEST_ABORTED;
  if (!error) error = Flush(temp);
  if (!error && self.Stopped()) error = ERROR_REQUEST_ABORTED;
  // The attributes the copy took from the source, its hidden bit included.
  const DWORD kept = own | (source == INVALID_FILE_ATTRIBUTES ? 0 : source & FILE_ATTRIBUTE_HIDDEN);
  if (!error && !SetFileAttributesW(temp.c_str(), kept ? kept : FILE_ATTRIBUTE_NORMAL))
    error = GetLastError();
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
  if (!error && !MoveFileExW(temp.c_str(), target.c_str(), flags)) error = GetLastError();
  if (error) Discard(temp);
  return error;
}

}  // namespace

void Win32FileSystem::StopCopy() {
  if (running_) InterlockedExchange(running_->StopFlag(), TRUE);
}

DWORD Win32FileSystem::Run(Transfer& transfer) {
  if (!progress_) return transfer.work(transfer);
  HANDLE thread = CreateThread(nullptr, 0, &TransferThread, &transfer, CREATE_SUSPENDED, nullptr);
  if (!thread) return transfer.work(transfer);
  running_ = &transfer;
  const ScopeExit no_longer_running([this] { running_ = nullptr; });
  progress_(CopyPhase::Begin, 0, 0);
  const ScopeExit ended([this] { progress_(CopyPhase::End, 0, 0); });
  ResumeThread(thread);  // after Begin, so that a stop asked for there counts
  for (;;) {
    const DWORD woken = MsgWaitForMultipleObjects(1, &thread, FALSE, 100, QS_ALLINPUT);
    if (woken == WAIT_OBJECT_0) break;
    if (woken == WAIT_FAILED) {
      WaitForSingleObject(thread, INFINITE);
      break;
    }
    progress_(CopyPhase::Step,
              static_cast<std::uint64_t>(InterlockedCompareExchange64(&transfer.done, 0, 0)),
              static_cast<std::uint64_t>(InterlockedCompareExchange64(&transfer.total, 0, 0)));
  }
  CloseHandle(thread);
  return transfer.error;
}

CopyOutcome Win32FileSystem::CopyFile(const std::string& source, const std::string& destination) {
  CheckDestinationName(destination);
  const std::wstring from = LongForm(FullPath(Widen(source)));
  const std::wstring full = FullPath(Widen(destination));
  const Entry old = Look(full);
  RefuseToReplace(old, destination);
  // Put in place over the file itself, the old file would be lost.
  if (old.Exists() && SameFile(source, destination)) {
    throw PlatformError("destination is the source: " + destination);
  }
  // The replaced file keeps its stored spelling.
  const std::wstring target = LongForm(old.Exists() ? FolderOf(full) + L"\\" + old.name : full);
  Transfer transfer;
  transfer.work = [&](Transfer& self) {
    return CopyIntoPlace(self, from, FolderOf(full), target, old.Exists());
  };
  const DWORD error = Run(transfer);
  if (error == ERROR_REQUEST_ABORTED && transfer.Stopped()) return CopyOutcome::Stopped;
  if (error) Fail("copy " + source + " => " + destination, error);
  return CopyOutcome::Done;
}

void Win32FileSystem::DeleteFile(const std::string& path) {
  CheckDestinationName(path);
  if (!DeleteFileW(LongForm(FullPath(Widen(path))).c_str())) {
    const DWORD error = GetLastError();
    Fail("DeleteFile " + path, error);
  }
}

CopyOutcome Win32FileSystem::RenameFile(const std::string& source, const std::string& destination,
                                        Existing existing) {
  CheckDestinationName(destination);
  const std::wstring from = LongForm(FullPath(Widen(source)));
  const std::wstring full = FullPath(Widen(destination));
  std::wstring target = LongForm(full);
  bool replaces = false;
  if (existing == Existing::Replace) {
    const Entry old = Look(full);
    RefuseToReplace(old, destination);
    replaces = old.Exists();
    if (replaces) target = LongForm(FolderOf(full) + L"\\" + old.name);
  }
  Transfer transfer;
  transfer.work = [&](Transfer& self) -> DWORD {
    // Without Replace the move fails when the destination exists.
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replaces ? MOVEFILE_REPLACE_EXISTING : 0);
    if (MoveFileExW(from.c_str(), target.c_str(), flags)) return 0;
    const DWORD error = GetLastError();
    // One letter over two volumes (a volume mounted in a folder): the file
    // is copied into place, and the source removed only once the copy is.
    // A folder is never copied.
    if (error != ERROR_NOT_SAME_DEVICE || IsDirectory(from)) return error;
    if (const DWORD failed = CopyIntoPlace(self, from, FolderOf(full), target, replaces)) {
      return failed;
    }
    if (DeleteFileW(from.c_str())) return 0;
    const DWORD kept = GetLastError();
    // The source stays, so a new copy is taken back; a replaced file is
    // gone, and its complete replacement stays beside the source.
    if (!replaces) Discard(target);
    return kept;
  };
  const DWORD error = Run(transfer);
  if (error == ERROR_REQUEST_ABORTED && transfer.Stopped()) return CopyOutcome::Stopped;
  if (error) Fail("move " + source + " => " + destination, error);
  return CopyOutcome::Done;
}

std::vector<DriveInfo> Win32FileSystem::DriveList() {
  wchar_t buffer[26 * 4 + 2] = {};
  const DWORD n = GetLogicalDriveStringsW(static_cast<DWORD>(std::size(buffer)), buffer);
  if (n == 0 || n > std::size(buffer)) {
    const DWORD error = GetLastError();
    Fail("GetLogicalDriveStrings", error);
  }

  std::vector<std::shared_ptr<LabelJob>> jobs;
  std::vector<HANDLE> threads;
  for (const wchar_t* root = buffer; *root; root += wcslen(root) + 1) {
    if (!std::iswalpha(root[0])) continue;
    auto job = std::make_shared<LabelJob>();
    job->root[0] = UpperLetter(root[0]);
    job->root[1] = L':';
    job->root[2] = L'\\';
    job->type = GetDriveTypeW(job->root);
    auto* share = new std::shared_ptr<LabelJob>(job);
    HANDLE thread = CreateThread(nullptr, 64 * 1024, &ReadLabel, share,
                                 STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (!thread) delete share;  // the thread's share: it never started
    jobs.push_back(job);
    threads.push_back(thread);
  }
  std::vector<HANDLE> running;
  for (HANDLE t : threads) {
    if (t) running.push_back(t);
  }
  if (!running.empty()) {
    WaitForMultipleObjects(static_cast<DWORD>(running.size()), running.data(), TRUE,
                           kDriveLabelWaitMs);
  }

  std::vector<DriveInfo> drives;
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    DriveInfo drive;
    drive.letter = static_cast<char>(jobs[i]->root[0]);
    // A label is read only from a thread that has finished with it.
    if (threads[i] && WaitForSingleObject(threads[i], 0) == WAIT_OBJECT_0) {
      drive.label = Narrow(jobs[i]->label);
    }
    drives.push_back(drive);
    if (threads[i]) CloseHandle(threads[i]);
  }
  std::sort(drives.begin(), drives.end(),
            [](const DriveInfo& a, const DriveInfo& b) { return a.letter < b.letter; });
  return drives;
}

std::string Win32FileSystem::OpenFolder(const std::string& folder) {
  if (folder.empty() || win32::HasInvalidNameChar(folder, false)) {
    throw PlatformError("bad folder: " + folder);
  }
  // "D:" is that drive's working directory, as Windows reads it.
  const std::wstring full = FullPath(Widen(folder));
  if (!IsDirectory(full)) throw PlatformError("cannot open folder: " + folder);
  std::wstring stored = StoredForm(full);
  if (stored.size() > 3 && stored.back() == L'\\') stored.pop_back();
  return Narrow(stored);
}

std::vector<std::string> Win32FileSystem::SubFolders(const std::string& folder) {
  std::wstring pattern = LongForm(FullPath(Widen(folder)));
  if (pattern.back() != L'\\') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW data;
  FindHandle find(FindFirst(pattern, data));
  if (!find.valid()) {
    const DWORD error = GetLastError();
    Fail("list folder " + folder, error);
  }
  std::vector<std::wstring> names;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) continue;
    if (IsDotEntry(data.cFileName)) continue;
    names.emplace_back(data.cFileName);
  } while (FindNextFileW(find.get(), &data));
  std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) ==
           CSTR_LESS_THAN;
  });
  std::vector<std::string> out;
  out.reserve(names.size());
  for (const std::wstring& name : names) out.push_back(Narrow(name));
  return out;
}

bool Win32FileSystem::SameFile(const std::string& a, const std::string& b) {
  struct Identity {
    bool exists = false;
    BY_HANDLE_FILE_INFORMATION info{};
  };
  const auto identify = [](const std::string& path) {
    Identity id;
    HANDLE h = CreateFileW(LongForm(FullPath(Widen(path))).c_str(), 0,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
          error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH) {
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
          RequireReachableRoot(Widen(path));
        return id;
      }
      Fail("cannot identify " + path, error);
    }
    const BOOL ok = GetFileInformationByHandle(h, &id.info);
    const DWORD error = GetLastError();
    CloseHandle(h);
    if (!ok) Fail("GetFileInformationByHandle " + path, error);
    id.exists = true;
    return id;
  };
  const Identity x = identify(a);
  if (!x.exists) return false;
  const Identity y = identify(b);
  if (!y.exists) return false;
  const bool same_index = x.info.nFileIndexHigh == y.info.nFileIndexHigh &&
                          x.info.nFileIndexLow == y.info.nFileIndexLow;
  if (!same_index) return false;
  if (x.info.dwVolumeSerialNumber == y.info.dwVolumeSerialNumber) return true;
  // Two drive letters over one volume (a substituted drive, Wine's drive
  // links) may report different serial numbers for one file: the same index
  // with the same size, times and link count is taken as the same file, which
  // at worst refuses a transfer that would have been safe.
  return x.info.nFileSizeHigh == y.info.nFileSizeHigh &&
         x.info.nFileSizeLow == y.info.nFileSizeLow &&
         CompareFileTime(&x.info.ftLastWriteTime, &y.info.ftLastWriteTime) == 0 &&
         CompareFileTime(&x.info.ftCreationTime, &y.info.ftCreationTime) == 0 &&
         x.info.nNumberOfLinks == y.info.nNumberOfLinks;
}

}  // namespace tarnivo
