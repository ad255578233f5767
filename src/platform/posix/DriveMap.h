// Which Linux folders the drive letters and network shares stand for.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tarnivo::posix {

// One lettered drive: the native folder that is its root ("/" or
// "/media/ann/STICK", never with a trailing slash except "/").
struct Drive {
  char letter = 'C';
  std::string root;
  std::string label;
  bool from_mount = false;  // found in the mount table; gone when unmounted
};

// One line of the mount table.
struct MountEntry {
  std::string source;  // "/dev/sdb1", "//nas/backup"
  std::string dir;     // "/media/ann/STICK"
  std::string type;    // "vfat", "cifs"
};

// A mounted network share: the UNC components it stands for (server, share,
// and any folders of the share that the mount starts at) and its folder.
struct ShareMount {
  std::vector<std::string> unc;  // {"nas", "backup"}
  std::string dir;               // "/mnt/nas"
};

// The mount table (getmntent); empty when it cannot be read.
std::vector<MountEntry> ReadMounts(const std::string& table = "/proc/self/mounts");

// Parses a pinned map "C=/;D=/media/usb;E=/srv/share": letter, '=', absolute
// folder, ';' between (one trailing ';' is allowed). Letters are taken in
// either case and come back upper-case, in letter order. Returns false and
// says why in `error` when the text is malformed (no '=', not a letter, a
// letter twice, a folder that is not absolute, nothing at all).
bool ParseDriveMap(const std::string& map_text, std::vector<Drive>& drives, std::string& error);

// The pinned map of `map_text` (the value of TARNIVO_DRIVES, or null when it
// is not set): none when it is unset or empty, and none when it is malformed,
// which is then reported on standard error.
//   "C=/;D=/media/usb" => {C: "/", D: "/media/usb"}   nullptr => none
std::optional<std::vector<Drive>> PinnedDrives(const char* map_text);

// True for a mount point that a desktop user sees as a volume: a folder
// below /media, /run/media or /mnt.
bool IsDesktopMount(const std::string& dir);

// C: is "/"; D: onward go to the desktop mounts in mount-point order.
std::vector<Drive> DefaultDrives(const std::vector<MountEntry>& mounts);

// Gives the free letters to desktop mounts that have none yet, in
// mount-point order. Letters already given never change.
void AddNewMounts(std::vector<Drive>& drives, const std::vector<MountEntry>& mounts);

// The network shares that are mounted: cifs/smb3/smbfs entries of the mount
// table whose source is //server/share[/folder...], and the GVfs mounts in
// `gvfs_dir` named "smb-share:server=S,share=H[,...]".
std::vector<ShareMount> NetworkShares(const std::vector<MountEntry>& mounts,
                                      const std::string& gvfs_dir);

// The volume label of a block device from /dev/disk/by-label; "" for none.
std::string VolumeLabel(const std::string& device);

// An absolute native path with "." and ".." resolved as text and repeated or
// trailing slashes dropped: "/a//b/../c/" => "/a/c", "/.." => "/".
std::string NormalNative(const std::string& path);

// True when `path` is `root` or lies below it (both normal native paths).
bool IsUnder(const std::string& path, const std::string& root);

}  // namespace tarnivo::posix
