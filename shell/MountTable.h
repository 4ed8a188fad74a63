// The mounted volumes a user can browse: the mount table read and stripped of the kernel's and
// the container runtime's internal mounts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace shell {

struct MountedVolume {
    std::string mountPoint;      // absolute path, escapes decoded ("/media/usb key")
    std::string fileSystemType;  // "ext4", "vfat", "nfs4", ...
    std::string source;          // the device or remote share ("/dev/sda1", "server:/export")
};

// Parses the text of /proc/self/mountinfo. Lines that do not have the expected fields are
// skipped. When a mount point appears more than once, the last entry (the one on top, the one
// that is visible) is kept in its place.
std::vector<MountedVolume> parseMountInfo(std::string_view text);

// True for a volume that holds the user's files: not a pseudo file system (proc, sysfs, tmpfs,
// devtmpfs, cgroup, ...), not a mount under the kernel's folders (/proc, /sys, /dev, /run), and
// not a container runtime's overlay layer (an overlay is kept only as the root "/").
bool isUserVolume(const MountedVolume& volume);

// The volumes of text that pass isUserVolume, ordered by mount point ("/" first), plus the volume
// that holds the folder `keep` (the longest mount point that is a prefix of it) even when the
// filter would drop it, so that the current folder's volume can always be shown.
std::vector<MountedVolume> userVolumes(std::string_view mountInfoText, const std::string& keep);

// The volume list of this process: userVolumes over /proc/self/mountinfo, keeping the current
// folder's volume. Falls back to the root alone when the mount table cannot be read.
std::vector<MountedVolume> currentUserVolumes();

// The mount point of the volume that holds path, among the given volumes ("/" when none
// matches). path should be absolute and canonical.
std::string volumeHolding(const std::vector<MountedVolume>& volumes, const std::string& path);

}  // namespace shell
