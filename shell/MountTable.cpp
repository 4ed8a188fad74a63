#include "shell/MountTable.h"

#include <QStorageInfo>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <system_error>

namespace shell {

namespace {

// File systems that hold no user files: kernel interfaces, memory-backed scratch space, and
// the layers container runtimes and package sandboxes mount.
constexpr std::string_view kPseudoTypes[] = {
    "autofs",
    "binfmt_misc",
    "bpf",
    "cgroup",
    "cgroup2",
    "configfs",
    "debugfs",
    "devfs",
    "devpts",
    "devtmpfs",
    "efivarfs",
    "fusectl",
    "fuse.gvfsd-fuse",
    "fuse.lxcfs",
    "fuse.portal",
    "fuse.snapfuse",
    "hugetlbfs",
    "mqueue",
    "nfsd",
    "nsfs",
    "proc",
    "pstore",
    "ramfs",
    "rootfs",
    "rpc_pipefs",
    "securityfs",
    "selinuxfs",
    "squashfs",
    "sysfs",
    "tmpfs",
    "tracefs",
    "aufs",
    "shm",
    "none",
};

// Folders whose mounts belong to the kernel or to the system's run-time state.
constexpr std::string_view kSystemFolders[] = {"/proc",           "/sys", "/dev", "/run",
                                               "/var/lib/docker", "/snap"};

bool isUnder(std::string_view path, std::string_view folder) {
    if (path.size() < folder.size() || path.substr(0, folder.size()) != folder) return false;
    return path.size() == folder.size() || folder == "/" || path[folder.size()] == '/';
}

}  // namespace

bool isUserVolume(const MountedVolume& volume) {
    const std::string_view type = volume.fileSystemType;
    if (std::find(std::begin(kPseudoTypes), std::end(kPseudoTypes), type) !=
        std::end(kPseudoTypes)) {
        return false;
    }
    if (type == "overlay" || type == "fuse-overlayfs") return volume.mountPoint == "/";
    return std::none_of(std::begin(kSystemFolders), std::end(kSystemFolders),
                        [&](std::string_view f) { return isUnder(volume.mountPoint, f); });
}

std::string volumeHolding(const std::vector<MountedVolume>& volumes, const std::string& path) {
    std::string best = "/";
    for (const MountedVolume& volume : volumes) {
        if (isUnder(path, volume.mountPoint) && volume.mountPoint.size() >= best.size()) {
            best = volume.mountPoint;
        }
    }
    return best;
}

std::vector<MountedVolume> userVolumes(const std::vector<MountedVolume>& all,
                                       const std::string& keep) {
    const std::string keptMount = keep.empty() ? std::string() : volumeHolding(all, keep);

    std::vector<MountedVolume> volumes;
    for (const MountedVolume& volume : all) {
        if (!isUserVolume(volume) && volume.mountPoint != keptMount) continue;
        const auto same = std::find_if(volumes.begin(), volumes.end(), [&](const auto& other) {
            return other.mountPoint == volume.mountPoint;
        });
        if (same != volumes.end()) {
            *same = volume;
        } else {
            volumes.push_back(volume);
        }
    }
    if (!keptMount.empty() && std::none_of(volumes.begin(), volumes.end(), [&](const auto& volume) {
            return volume.mountPoint == keptMount;
        })) {
        volumes.push_back({keptMount, {}, {}});
    }
    std::sort(volumes.begin(), volumes.end(),
              [](const auto& a, const auto& b) { return a.mountPoint < b.mountPoint; });
    return volumes;
}

std::vector<MountedVolume> currentUserVolumes() {
    std::error_code error;
    std::filesystem::path current = std::filesystem::current_path(error);
    if (!error) current = std::filesystem::canonical(current, error);
    const std::string keep = error ? std::string("/") : current.string();

    auto described = [](const QStorageInfo& storage) {
        return MountedVolume{storage.rootPath().toStdString(),
                             storage.fileSystemType().toStdString(),
                             storage.device().toStdString()};
    };
    std::vector<MountedVolume> all;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        if (storage.isValid()) all.push_back(described(storage));
    }
    // The system's list leaves out the kernel's folders; the current folder may be in one.
    const QStorageInfo currentVolume(QString::fromStdString(keep));
    if (currentVolume.isValid()) all.push_back(described(currentVolume));
    std::vector<MountedVolume> volumes = userVolumes(all, keep);
    // Container runtimes bind single files (/etc/hosts, /etc/resolv.conf): not volumes.
    std::erase_if(volumes, [](const MountedVolume& volume) {
        std::error_code ignored;
        return !std::filesystem::is_directory(volume.mountPoint, ignored);
    });
    if (volumes.empty()) volumes.push_back({"/", {}, {}});
    return volumes;
}

}  // namespace shell
