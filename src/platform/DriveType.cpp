// Drive types from the mount table, with device details from /dev and /sys.
#include "platform/DriveType.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace {

bool isOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

// The kernel writes space, tab, newline and backslash in mount table fields as "\ooo".
std::string unescapeField(std::string_view field) {
    std::string result;
    result.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctalDigit(field[i + 1]) &&
            isOctalDigit(field[i + 2]) && isOctalDigit(field[i + 3])) {
            const int value = (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            if (value <= 0xFF) {
                result.push_back(char(value));
                i += 3;
                continue;
            }
        }
        result.push_back(field[i]);
    }
    return result;
}

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
            ++i;
        const size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
            ++i;
        if (i > start) fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

// "/dev/" + prefix + one or more digits.
bool isNumberedDevice(std::string_view device, std::string_view prefix) {
    const std::string_view dev = "/dev/";
    if (!device.starts_with(dev)) return false;
    device.remove_prefix(dev.size());
    if (!device.starts_with(prefix) || device.size() == prefix.size()) return false;
    device.remove_prefix(prefix.size());
    return std::all_of(device.begin(), device.end(), [](char c) { return c >= '0' && c <= '9'; });
}

template <size_t N> bool isOneOf(std::string_view value, const std::array<std::string_view, N>& list) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

constexpr std::array<std::string_view, 2> kOpticalTypes{"iso9660", "udf"};
constexpr std::array<std::string_view, 2> kRamTypes{"tmpfs", "ramfs"};
constexpr std::array<std::string_view, 15> kRemoteTypes{
    "nfs", "nfs4",      "cifs",   "smb3",  "smbfs",      "ncpfs",       "afs",      "ceph",
    "9p",  "glusterfs", "lustre", "davfs", "fuse.sshfs", "fuse.rclone", "fuse.s3fs"};
constexpr std::array<std::string_view, 21> kPseudoTypes{
    "proc",    "sysfs",   "devpts",      "devtmpfs", "cgroup",     "cgroup2",   "securityfs",
    "debugfs", "tracefs", "pstore",      "bpf",      "mqueue",     "hugetlbfs", "configfs",
    "fusectl", "autofs",  "binfmt_misc", "efivarfs", "rpc_pipefs", "nsfs",      "selinuxfs"};

bool isOpticalDevice(std::string_view device) {
    return isNumberedDevice(device, "sr") || isNumberedDevice(device, "scd");
}

bool isRamDevice(std::string_view device) {
    return isNumberedDevice(device, "ram") || isNumberedDevice(device, "zram");
}

// "host:/export" (NFS) or "//host/share" (SMB).
bool isNetworkDevice(std::string_view device) {
    if (device.starts_with("//")) return true;
    return !device.starts_with("/") && device.find(":/") != std::string_view::npos;
}

bool readsOne(const std::filesystem::path& file) {
    std::ifstream in(file);
    char c = 0;
    return in.get(c) && c == '1';
}

} // namespace

std::vector<MountEntry> parseMountTable(std::string_view text) {
    std::vector<MountEntry> mounts;
    while (!text.empty()) {
        const size_t lineEnd = text.find('\n');
        const std::string_view line = text.substr(0, lineEnd);
        text.remove_prefix(lineEnd == std::string_view::npos ? text.size() : lineEnd + 1);
        const std::vector<std::string_view> fields = splitFields(line);
        if (fields.size() < 3) continue;
        mounts.push_back({unescapeField(fields[0]), unescapeField(fields[1]), unescapeField(fields[2])});
    }
    return mounts;
}

const MountEntry* findMountFor(const std::vector<MountEntry>& mounts, std::string_view path) {
    if (!path.starts_with("/")) return nullptr;
    while (path.size() > 1 && path.ends_with("/"))
        path.remove_suffix(1);
    const MountEntry* best = nullptr;
    size_t bestLength = 0;
    for (const MountEntry& mount : mounts) {
        std::string_view point = mount.mountPoint;
        while (point.size() > 1 && point.ends_with("/"))
            point.remove_suffix(1);
        if (!point.starts_with("/")) continue;
        const bool holds =
            point == "/" || path == point || (path.starts_with(point) && path[point.size()] == '/');
        // ">=": a later mount on the same point hides the earlier one.
        if (holds && (!best || point.size() >= bestLength)) {
            best = &mount;
            bestLength = point.size();
        }
    }
    return best;
}

DriveType classifyMount(const MountEntry& mount, const DeviceProbe& probe) {
    const std::string resolved = probe.resolveDevice ? probe.resolveDevice(mount.device) : mount.device;
    const std::string_view type = mount.fileSystemType;
    if (isOneOf(type, kOpticalTypes) || isOpticalDevice(mount.device) || isOpticalDevice(resolved))
        return DriveType::CdRom;
    if (isOneOf(type, kRamTypes) || isRamDevice(mount.device) || isRamDevice(resolved))
        return DriveType::RamDisk;
    if (isOneOf(type, kRemoteTypes) || isNetworkDevice(mount.device)) return DriveType::Remote;
    if (isOneOf(type, kPseudoTypes)) return DriveType::Unknown;
    if (probe.isRemovable && probe.isRemovable(resolved)) return DriveType::Removable;
    return DriveType::Fixed;
}

DriveType driveTypeOf(std::string_view path, std::string_view mountTable, const DeviceProbe& probe) {
    const std::vector<MountEntry> mounts = parseMountTable(mountTable);
    const MountEntry* mount = findMountFor(mounts, path);
    return mount ? classifyMount(*mount, probe) : DriveType::NoRootDir;
}

DeviceProbe systemDeviceProbe() {
    DeviceProbe probe;
    probe.resolveDevice = [](const std::string& device) {
        if (!device.starts_with("/")) return device;
        std::error_code error;
        const std::filesystem::path target = std::filesystem::canonical(device, error);
        return error ? device : target.string();
    };
    probe.isRemovable = [](const std::string& device) {
        if (!device.starts_with("/dev/")) return false;
        const std::string name = std::filesystem::path(device).filename().string();
        if (name.empty()) return false;
        std::error_code error;
        const std::filesystem::path node = std::filesystem::canonical("/sys/class/block/" + name, error);
        if (error) return false;
        // A partition has no flag of its own; its disk is the folder above it.
        if (std::filesystem::exists(node / "partition", error))
            return readsOne(node.parent_path() / "removable");
        return readsOne(node / "removable");
    };
    return probe;
}

DriveType driveTypeOfPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::canonical(path, error);
    if (error) return DriveType::NoRootDir;
    std::ifstream file("/proc/mounts");
    if (!file) return DriveType::Unknown;
    const std::string table{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return driveTypeOf(canonical.string(), table, systemDeviceProbe());
}
