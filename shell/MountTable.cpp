#include "shell/MountTable.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
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

// mountinfo escapes space, tab, newline and backslash as a backslash and three octal digits.
std::string decodeOctalEscapes(std::string_view field) {
    std::string decoded;
    decoded.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string_view digits = field.substr(i + 1, 3);
            if (digits.size() == 3 && std::all_of(digits.begin(), digits.end(),
                                                  [](char c) { return c >= '0' && c <= '7'; })) {
                decoded += static_cast<char>((digits[0] - '0') * 64 + (digits[1] - '0') * 8 +
                                             (digits[2] - '0'));
                i += 3;
                continue;
            }
        }
        decoded += field[i];
    }
    return decoded;
}

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (start < line.size()) {
        const std::size_t space = line.find(' ', start);
        const std::size_t end = space == std::string_view::npos ? line.size() : space;
        if (end > start) fields.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

}  // namespace

std::vector<MountedVolume> parseMountInfo(std::string_view text) {
    std::vector<MountedVolume> volumes;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::vector<std::string_view> fields = splitFields(text.substr(start, end - start));
        start = end + 1;

        // id parent major:minor root mount-point options [optional...] - type source super-options
        const auto separator = std::find(fields.begin(), fields.end(), "-");
        if (fields.size() < 5 || separator == fields.end() || separator - fields.begin() < 6 ||
            fields.end() - separator < 3) {
            continue;
        }
        MountedVolume volume{decodeOctalEscapes(fields[4]), decodeOctalEscapes(separator[1]),
                             decodeOctalEscapes(separator[2])};
        if (volume.mountPoint.empty() || volume.mountPoint.front() != '/') continue;

        const auto same = std::find_if(volumes.begin(), volumes.end(), [&](const auto& other) {
            return other.mountPoint == volume.mountPoint;
        });
        if (same != volumes.end()) {
            *same = std::move(volume);
        } else {
            volumes.push_back(std::move(volume));
        }
    }
    return volumes;
}

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

std::vector<MountedVolume> userVolumes(std::string_view mountInfoText, const std::string& keep) {
    const std::vector<MountedVolume> all = parseMountInfo(mountInfoText);
    const std::string keptMount = keep.empty() ? std::string() : volumeHolding(all, keep);

    std::vector<MountedVolume> volumes;
    for (const MountedVolume& volume : all) {
        if (isUserVolume(volume) || volume.mountPoint == keptMount) volumes.push_back(volume);
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

    std::ifstream file("/proc/self/mountinfo");
    std::ostringstream text;
    if (file) text << file.rdbuf();
    std::vector<MountedVolume> volumes = userVolumes(text.str(), keep);
    // Container runtimes bind single files (/etc/hosts, /etc/resolv.conf): not volumes.
    std::erase_if(volumes, [](const MountedVolume& volume) {
        std::error_code ignored;
        return !std::filesystem::is_directory(volume.mountPoint, ignored);
    });
    if (volumes.empty()) volumes.push_back({"/", {}, {}});
    return volumes;
}

}  // namespace shell
