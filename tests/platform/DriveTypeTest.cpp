// Drive types from mount table text, with a fake device probe.
#include <gtest/gtest.h>

#include "platform/DriveType.h"

#include <QDir>

namespace {

const char* const kMounts = "overlay / overlay rw,relatime 0 0\n"
                            "proc /proc proc rw,nosuid 0 0\n"
                            "tmpfs /tmp tmpfs rw 0 0\n"
                            "/dev/sr0 /media/cd iso9660 ro 0 0\n"
                            "/dev/sdb1 /media/cdrom vfat rw 0 0\n"
                            "/dev/cdrom /media/disc hfsplus ro 0 0\n"
                            "/dev/sda2 /home ext4 rw 0 0\n"
                            "server:/export /mnt/nfs nfs4 rw 0 0\n"
                            "//host/share /mnt/My\\040Share cifs rw 0 0\n"
                            "/dev/loop3 /mnt/image udf ro 0 0\n"
                            "/dev/zram0 /var/cache ext4 rw 0 0\n"
                            "/dev/sda3 /data ext4 rw 0 0\n"
                            "tmpfs /data tmpfs rw 0 0\n"
                            "short line\n"
                            "\n";

DeviceProbe fakeProbe() {
    DeviceProbe probe;
    probe.resolveDevice = [](const std::string& device) {
        return device == "/dev/cdrom" ? std::string("/dev/sr1") : device;
    };
    probe.isRemovable = [](const std::string& device) { return device == "/dev/sdb1"; };
    return probe;
}

} // namespace

TEST(DriveType, ClassifiesPathsByTheirMount) {
    struct Case {
        const char* path;
        DriveType expected;
    } cases[] = {
        {"/", DriveType::Fixed},
        {"/usr/share", DriveType::Fixed},
        {"/proc/self", DriveType::Unknown},
        {"/tmp/x", DriveType::RamDisk},
        {"/media/cd", DriveType::CdRom},
        {"/media/cd/", DriveType::CdRom},
        {"/media/cd/DATA/ALLDATA.KWI", DriveType::CdRom},
        {"/media/cdrom/x", DriveType::Removable}, // a prefix of the name is not a parent folder
        {"/media/disc", DriveType::CdRom},        // /dev/cdrom resolves to /dev/sr1
        {"/home/user", DriveType::Fixed},
        {"/mnt/nfs/a", DriveType::Remote},
        {"/mnt/My Share/b", DriveType::Remote}, // "\040" in the table
        {"/mnt/image", DriveType::CdRom},       // a loop-mounted disc image
        {"/var/cache", DriveType::RamDisk},
        {"/data/x", DriveType::RamDisk}, // the later mount hides the earlier one
        {"relative/path", DriveType::NoRootDir},
        {"", DriveType::NoRootDir},
    };
    for (const Case& c : cases)
        EXPECT_EQ(driveTypeOf(c.path, kMounts, fakeProbe()), c.expected) << c.path;
}

TEST(DriveType, ParsesEscapesAndSkipsBrokenLines) {
    const auto mounts = parseMountTable("a\\134b /x\\011y\\012z t\n/dev/x /bad\\08 ext4\none two\n\\\n");
    ASSERT_EQ(mounts.size(), 2u);
    EXPECT_EQ(mounts[0].device, "a\\b");
    EXPECT_EQ(mounts[0].mountPoint, "/x\ty\nz");
    EXPECT_EQ(mounts[0].fileSystemType, "t");
    EXPECT_EQ(mounts[1].mountPoint, "/bad\\08"); // not three octal digits: kept as written
    EXPECT_EQ(findMountFor(mounts, "/nowhere"), nullptr);
    EXPECT_EQ(driveTypeOf("/", "", fakeProbe()), DriveType::NoRootDir);
}

TEST(DriveType, EmptyProbeStillWorks) {
    EXPECT_EQ(driveTypeOf("/media/disc", kMounts, DeviceProbe{}), DriveType::Fixed);
    EXPECT_EQ(driveTypeOf("/media/cdrom", kMounts, DeviceProbe{}), DriveType::Fixed);
}

TEST(DriveType, RunningSystem) {
    EXPECT_NE(driveTypeOfPath(QDir::currentPath().toStdString()), DriveType::NoRootDir);
    EXPECT_EQ(driveTypeOfPath("/no/such/folder/anywhere"), DriveType::NoRootDir);
}
