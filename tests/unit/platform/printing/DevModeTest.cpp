#include "platform/printing/DevMode.h"

#include <gtest/gtest.h>

#include <cstring>

namespace qorprt {
namespace {

// Reads a little-endian 16-bit value at a byte offset of the raw structure.
int Word(const DevMode& dm, size_t offset) {
    unsigned char bytes[kDevModeSize];
    std::memcpy(bytes, &dm, sizeof bytes);
    return bytes[offset] | (bytes[offset + 1] << 8);
}

TEST(DevMode, FieldsSitAtTheWindowsOffsets) {
    DevMode dm;
    dm.dmOrientation = 2;
    dm.dmPaperSize = 9;
    dm.dmPaperLength = 2970;
    dm.dmPaperWidth = 2100;
    dm.dmDefaultSource = 260;
    dm.dmDuplex = 3;
    dm.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_DUPLEX;
    EXPECT_EQ(Word(dm, 76), 2);
    EXPECT_EQ(Word(dm, 78), 9);
    EXPECT_EQ(Word(dm, 80), 2970);
    EXPECT_EQ(Word(dm, 82), 2100);
    EXPECT_EQ(Word(dm, 88), 260);
    EXPECT_EQ(Word(dm, 94), 3);
    EXPECT_EQ(Word(dm, 72), 0x1003);
}

TEST(DevMode, ADefaultOneIsAllZeroBytes) {
    const DevMode dm;
    unsigned char zeros[kDevModeSize] = {};
    EXPECT_EQ(std::memcmp(&dm, zeros, kDevModeSize), 0);
}

TEST(DevMode, DeviceNameIsUtf16AndKeepsItsTerminator) {
    DevMode dm;
    dm.SetDeviceName("Büro-Drucker");
    EXPECT_EQ(dm.dmDeviceName[1], u'ü');
    EXPECT_EQ(Word(dm, 2), 0xFC);
    EXPECT_EQ(dm.DeviceName(), "Büro-Drucker");

    dm.SetDeviceName(std::string(40, 'x'));
    EXPECT_EQ(dm.DeviceName(), std::string(31, 'x'));
    EXPECT_EQ(dm.dmDeviceName[31], 0);

    dm.SetDeviceName("kurz");
    EXPECT_EQ(dm.DeviceName(), "kurz");
    EXPECT_EQ(dm.dmDeviceName[5], 0) << "the rest of the old name is cleared";
}

TEST(DevMode, MakeDevModeFlagsWhatItSets) {
    const DevMode dm =
        MakeDevMode("Laser2", DMPAPER_A5, DMORIENT_LANDSCAPE, DMBIN_MANUAL, DMDUP_VERTICAL);
    EXPECT_EQ(dm.DeviceName(), "Laser2");
    EXPECT_EQ(dm.dmSize, 220);
    EXPECT_EQ(dm.dmSpecVersion, 0x0401);
    EXPECT_EQ(dm.dmFields & (DM_PAPERSIZE | DM_ORIENTATION | DM_DEFAULTSOURCE | DM_DUPLEX),
              DM_PAPERSIZE | DM_ORIENTATION | DM_DEFAULTSOURCE | DM_DUPLEX);
    EXPECT_EQ(dm.dmFields & (DM_PAPERLENGTH | DM_PAPERWIDTH), 0u);
    EXPECT_EQ(dm.dmPaperSize, 11);
    EXPECT_EQ(dm.dmOrientation, 2);
    EXPECT_EQ(dm.dmDefaultSource, 4);
    EXPECT_EQ(dm.dmDuplex, 2);
}

TEST(DevMode, EqualityComparesEveryByte) {
    DevMode a = MakeDevMode("P", 9, 1, 7, 1);
    DevMode b = a;
    EXPECT_TRUE(a == b);
    b.dmPanningHeight = 1;
    EXPECT_FALSE(a == b);
    b = a;
    b.dmFormName[31] = u'x';
    EXPECT_FALSE(a == b);
}

} // namespace
} // namespace qorprt
