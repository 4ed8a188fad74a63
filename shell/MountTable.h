// The mounted volumes a user can browse: the system's volumes (QStorageInfo) stripped of the
// kernel's and the container runtime's internal mounts.
#pragma once

#include <string>
#include <vector>

namespace shell {

struct MountedVolume {
    std::string mountPoint;      // absolute path ("/media/usb key")
    std::string fileSystemType;  // "ext4", "vfat", "nfs4", ...
    std::string source;          // the device or remote share ("/dev/sda1", "server:/export")
};

// True for a volume that holds the user's files: not a pseudo file system (proc, sysfs, tmpfs,
// devtmpfs, cgroup, ...), not a mount under the kernel's folders (/proc, /sys, /dev, /run), and
// not a container runtime's overlay layer (an overlay is kept only as the root "/").
bool isUserVolume(const MountedVolume& volume);

// The volumes of `all` that pass isUserVolume, ordered by mount point ("/" first), plus the
// volume that holds the folder `keep` (the longest mount point that is a prefix of it) even when
// the filter would drop it, so that the current folder's volume can always be shown. When a
// mount point appears more than once, the last entry (the one on top, the visible one) counts.
std::vector<MountedVolume> userVolumes(const std::vector<MountedVolume>& all,
                                       const std::string& keep);

// The volume list of this process: userVolumes over the system's mounted volumes and the volume
// of the current folder, keeping the latter. Falls back to the root alone when none is found.
std::vector<MountedVolume> currentUserVolumes();

// The mount point of the volume that holds path, among the given volumes ("/" when none
// matches). path should be absolute and canonical.
std::string volumeHolding(const std::vector<MountedVolume>& volumes, const std::string& path);

}  // namespace shell
