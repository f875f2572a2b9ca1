// What kind of drive holds a path (optical, removable, network, ...), found in the mount table.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The drive kinds, numbered as the Windows drive type codes.
enum class DriveType : int {
    Unknown = 0,   // the kind cannot be told (pseudo file systems such as proc)
    NoRootDir = 1, // the path does not exist or no mount holds it
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,
    RamDisk = 6,
};

// One line of the mount table, with "\040"-style octal escapes decoded.
struct MountEntry {
    std::string device;
    std::string mountPoint;
    std::string fileSystemType;
};

// Parses mount table text in the /proc/mounts layout (device, mount point, type, options, ...).
// Lines with fewer than three fields are skipped.
std::vector<MountEntry> parseMountTable(std::string_view text);

// The entry whose mount point is the longest leading path of path (an absolute path without "." or
// ".." components); of several mounts on one point the last one, which hides the others. nullptr
// when none holds it.
const MountEntry* findMountFor(const std::vector<MountEntry>& mounts, std::string_view path);

// What the mount table cannot tell: the device a name such as /dev/cdrom points to, and whether a
// block device is removable. Either may be empty (no resolution, nothing removable).
struct DeviceProbe {
    std::function<std::string(const std::string& device)> resolveDevice;
    std::function<bool(const std::string& device)> isRemovable;
};

// The kind of drive of one mount: optical for the iso9660 and udf types and for /dev/sr*, /dev/scd*
// devices; RAM disk for tmpfs, ramfs, /dev/ram*, /dev/zram*; remote for network file systems and
// "host:/path" or "//host/share" devices; unknown for kernel pseudo file systems; removable when the
// probe says so; fixed otherwise.
DriveType classifyMount(const MountEntry& mount, const DeviceProbe& probe);

// The drive type of path from mount table text; NoRootDir when path is not absolute or no mount holds it.
DriveType driveTypeOf(std::string_view path, std::string_view mountTable, const DeviceProbe& probe);

// The probe over the running system: symbolic links resolved, removability from /sys/class/block.
DeviceProbe systemDeviceProbe();

// The drive type of an existing path on this system, from /proc/mounts; NoRootDir when it does not exist.
DriveType driveTypeOfPath(const std::string& path);
