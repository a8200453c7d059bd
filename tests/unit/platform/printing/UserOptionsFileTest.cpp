#include "platform/printing/UserOptionsFile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <optional>

namespace qorprt {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kSettings = {"media", "PageSize", "InputSlot", "sides",
                                            "orientation-requested"};

struct EditCase {
    const char* name;
    std::optional<std::string> before; // none: no file
    std::vector<std::pair<std::string, std::string>> add;
    std::optional<std::string> during; // the file while the settings are changed
};

// A change rewrites only the destination's own lines; the saved lines put back give the file
// from before, byte for byte, or no file when there was none.
TEST(UserOptionsFile, ChangesTouchOnlyTheDestinationAndTheRestoreGivesTheFileBack) {
    const std::vector<EditCase> cases = {
        {"no file", std::nullopt, {{"PageSize", "A5"}}, "Dest Laser PageSize=A5\n"},
        {"no file, nothing to write", std::nullopt, {}, std::nullopt},
        {"options the device mode cannot hold",
         "Dest Laser media=Custom.100x150mm orientation-requested=5 ColorModel=Gray\n",
         {{"PageSize", "A5"}, {"orientation-requested", "4"}},
         "Dest Laser ColorModel=Gray orientation-requested=4 PageSize=A5\n"},
        {"only settings: the line and the empty file go",
         "Dest Laser media=iso_a5_148x210mm\n",
         {},
         std::nullopt},
        {"the user's default line and other lines stay",
         "# mine\nDefault Other Duplex=None\nDest laser/draft InputSlot=Manual\n"
         "Dest Laser InputSlot=Manual Note=\"a b\"\nDest Zebra\n",
         {{"InputSlot", "Upper"}},
         "# mine\nDefault Other Duplex=None\nDest laser/draft InputSlot=Manual\n"
         "Dest Laser InputSlot=Upper Note=\"a b\"\nDest Zebra\n"},
        {"the destination is the user's default", "Default Laser media=A4", {}, "Default Laser\n"},
        {"last line without line end",
         "Dest Other copies=2",
         {{"sides", "one-sided"}},
         "Dest Laser sides=one-sided\nDest Other copies=2"},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        const fs::path path = fs::path(dir.Path()) / ".cups" / "lpoptions";
        if (c.before) {
            fs::create_directories(dir.File(".cups"));
            dir.Write(".cups/lpoptions", *c.before);
        }
        const UserOptionsFile file(path);

        auto saved = file.Save("Laser");
        ASSERT_TRUE(saved.ok()) << saved.error();
        const Status changed = file.ChangeOptions("Laser", kSettings, c.add);
        ASSERT_TRUE(changed.ok()) << changed.error();
        EXPECT_EQ(fs::exists(path), c.during.has_value());
        if (c.during) {
            EXPECT_EQ(dir.Read(".cups/lpoptions"), *c.during);
        }

        const Status restored = file.Restore("Laser", *saved);
        ASSERT_TRUE(restored.ok()) << restored.error();
        EXPECT_EQ(fs::exists(path), c.before.has_value());
        if (c.before) {
            EXPECT_EQ(dir.Read(".cups/lpoptions"), *c.before);
        }
    }
}

TEST(UserOptionsFile, TheRestoreKeepsWhatOthersChangedMeanwhile) {
    test::TempDir dir;
    fs::create_directories(dir.File(".cups"));
    dir.Write(".cups/lpoptions", "Dest Laser ColorModel=Gray\nDest Other copies=2\n");
    const UserOptionsFile file(fs::path(dir.Path()) / ".cups" / "lpoptions");
    auto saved = file.Save("Laser");
    ASSERT_TRUE(saved.ok());
    ASSERT_TRUE(file.ChangeOptions("Laser", kSettings, {{"PageSize", "A5"}}).ok());
    // The user saves options for another printer while the job prints.
    dir.Write(".cups/lpoptions", dir.Read(".cups/lpoptions") + "Dest Third sides=one-sided\n");
    ASSERT_TRUE(file.Restore("Laser", *saved).ok());
    EXPECT_EQ(dir.Read(".cups/lpoptions"),
              "Dest Laser ColorModel=Gray\nDest Other copies=2\nDest Third sides=one-sided\n");
    EXPECT_FALSE(file.Restore("Laser", "damaged").ok());
}

TEST(UserOptionsFile, FailuresSayWhy) {
    struct Row {
        const char* name;
        void (*spoil)(test::TempDir&);
        int error;
    };
    const Row rows[] = {
        {"~/.cups is a file", [](test::TempDir& d) { d.Write(".cups", "x"); }, ENOTDIR},
        {"lpoptions is a folder",
         [](test::TempDir& d) { fs::create_directories(d.File(".cups/lpoptions")); }, EISDIR},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        test::TempDir dir;
        r.spoil(dir);
        const UserOptionsFile file(fs::path(dir.Path()) / ".cups" / "lpoptions");
        const Status s = file.ChangeOptions("Laser", kSettings, {{"PageSize", "A5"}});
        ASSERT_FALSE(s.ok());
        EXPECT_NE(s.error().find(file.Path().string() + ": " + std::strerror(r.error)),
                  std::string::npos)
            << s.error();
    }
}

} // namespace
} // namespace qorprt
