// SPDX-License-Identifier: GPL-3.0-or-later
#include "Drives.h"

#include <algorithm>
#include <iterator>
#include <fstream>
#include <sstream>
#include <string_view>
#include <sys/stat.h>

namespace {

struct TMount {
    std::string Point;
    std::string FsType;
    std::string Device; // "major:minor"
};

// Mount points in /proc escape space, tab, newline and backslash as octal "\ooo".
std::string Unescape(const std::string &s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size()) {
            auto oct = [](char c) { return c >= '0' && c <= '7'; };
            if (oct(s[i + 1]) && oct(s[i + 2]) && oct(s[i + 3])) {
                out += static_cast<char>((s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0'));
                i += 3;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

bool PseudoFileSystem(const std::string &type)
{
    static constexpr std::string_view pseudo[] = {
        "proc", "sysfs", "devtmpfs", "devpts", "cgroup", "cgroup2", "securityfs", "debugfs",
        "tracefs", "pstore", "bpf", "mqueue", "hugetlbfs", "configfs", "fusectl", "binfmt_misc",
        "autofs", "efivarfs", "rpc_pipefs", "nsfs", "selinuxfs", "fuse.gvfsd-fuse", "fuse.portal"};
    return std::find(std::begin(pseudo), std::end(pseudo), type) != std::end(pseudo);
}

// Later mounts on the same point hide earlier ones, so the last entry wins; order is that of the
// first appearance.
std::vector<TMount> ReadMounts()
{
    std::vector<TMount> mounts;
    std::ifstream in("/proc/self/mountinfo");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string id, parent, device, root, point, options, field;
        fields >> id >> parent >> device >> root >> point >> options;
        while (fields >> field && field != "-") {
        }
        std::string fsType;
        fields >> fsType;
        if (point.empty() || fsType.empty() || PseudoFileSystem(fsType))
            continue;
        TMount mount{Unescape(point), fsType, device};
        struct stat st {};
        if (stat(mount.Point.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            continue; // a file bind-mounted over a file is no drive
        auto it = std::find_if(mounts.begin(), mounts.end(), [&](const TMount &m) { return m.Point == mount.Point; });
        if (it != mounts.end())
            *it = mount;
        else
            mounts.push_back(mount);
    }
    return mounts;
}

std::string ReadFirstLine(const std::string &path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

bool RemovableDevice(const std::string &device)
{
    // A partition's own folder has no "removable"; its disk (the parent folder) has.
    const std::string base = "/sys/dev/block/" + device;
    std::string value = ReadFirstLine(base + "/removable");
    if (value.empty())
        value = ReadFirstLine(base + "/../removable");
    return value == "1";
}

bool OpticalDevice(const std::string &device)
{
    return device.rfind("11:", 0) == 0; // SCSI CD-ROM major number
}

} // namespace

std::vector<std::string> DriveTexts()
{
    std::vector<std::string> texts;
    for (const auto &m : ReadMounts())
        texts.push_back(m.Point);
    return texts;
}

std::uint32_t DriveTypeOf(const std::string &drive)
{
    for (const auto &m : ReadMounts())
        if (m.Point == drive)
            return DriveTypeFromFileSystem(m.FsType, RemovableDevice(m.Device), OpticalDevice(m.Device));
    return DRIVE_NO_ROOT_DIR;
}
