#include "platform/system/Registry.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace qorprt {
namespace {

const std::string kUserFile =
    "REGEDIT4\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Qorva eG\\QorvaClient\\Emulation]\r\n"
    "\"Printer\"=\"Laser2\"\r\n"
    "@=\"default text\"\r\n"
    "\"Escaped\"=\"C:\\\\Druck\\\\\\\"x\\\"\"\r\n"
    "\"Umlaut\"=\"B\xFCro\"\r\n"
    "\"Len63\"=\"" +
    std::string(63, 'x') +
    "\"\r\n"
    "\"Len64\"=\"" +
    std::string(64, 'y') +
    "\"\r\n"
    "\"Dword\"=dword:00004241\r\n"
    "\"Hex\"=hex:41,42,00,43\r\n"
    "\"Wrapped\"=hex(2):41,42,\\\r\n"
    "  43,00\r\n"
    "\"Deleted\"=\"x\"\r\n"
    "\"Deleted\"=-\r\n"
    "\"Twice\"=\"first\"\r\n"
    "\"Twice\"=\"second\"\r\n"
    "\"Broken\"=\"no closing quote\r\n"
    "; \"Comment\"=\"no\"\r\n"
    "\r\n"
    "[hkey_current_user\\software\\qorva eg\\qorvaclient\\emulation\\Sub]\r\n"
    "\"Printer\"=\"Sub\"\r\n"
    "\"OnlyInSub\"=\"x\"\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\B\xDCRO]\r\n"
    "\"V\"=\"umlaut key\"\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Gone\\Child]\r\n"
    "\"V\"=\"x\"\r\n"
    "[-HKEY_CURRENT_USER\\Software\\Gone]\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Again]\r\n"
    "\"V\"=\"old\"\r\n"
    "[-HKEY_CURRENT_USER\\Software\\Again]\r\n"
    "[HKEY_CURRENT_USER\\Software\\Again]\r\n"
    "\"V\"=\"new\"\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Mixed]\r\n"
    "\"V\"=\"wrong root\"\r\n";

const std::string kMachineFile =
    "REGEDIT4\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Qorva eG "
    "Client]\n"
    "\"UninstallString\"=\"C:\\\\Programme\\\\Qorva\\\\unins000.exe\"\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\Mixed]\n"
    "\"V\"=\"wrong root\"\n";

constexpr const char* kEmulation = "Software\\Qorva eG\\QorvaClient\\Emulation";

struct RegCase {
    const char* label;
    RegRoot root;
    const char* subKey;
    const char* valueName;
    std::string expected;
};

class RegistryTest : public ::testing::TestWithParam<RegCase> {
protected:
    void SetUp() override {
        SetRegistryFiles(dir_.Write("user.reg", kUserFile), dir_.Write("system.reg", kMachineFile));
    }
    void TearDown() override { SetRegistryFiles({}, {}); }
    test::TempDir dir_;
};

TEST_P(RegistryTest, ReadsValue) {
    const RegCase& c = GetParam();
    EXPECT_EQ(ReadRegString(c.root, c.subKey, c.valueName), c.expected) << c.label;
}

INSTANTIATE_TEST_SUITE_P(
    Values, RegistryTest,
    ::testing::Values(
        RegCase{"plain", RegRoot::CurrentUser, kEmulation, "Printer", "Laser2"},
        RegCase{"names ignore case", RegRoot::CurrentUser,
                "SOFTWARE\\QORVA EG\\qorvaclient\\EMULATION", "pRiNtEr", "Laser2"},
        RegCase{"default value", RegRoot::CurrentUser, kEmulation, "", "default text"},
        RegCase{"escapes", RegRoot::CurrentUser, kEmulation, "Escaped", "C:\\Druck\\\"x\""},
        RegCase{"8-bit text", RegRoot::CurrentUser, kEmulation, "Umlaut", "B\xFCro"},
        RegCase{"8-bit key name ignores case", RegRoot::CurrentUser, "software\\b\xFCro", "v",
                "umlaut key"},
        RegCase{"63 characters pass", RegRoot::CurrentUser, kEmulation, "Len63",
                std::string(63, 'x')},
        RegCase{"64 characters fail", RegRoot::CurrentUser, kEmulation, "Len64", ""},
        RegCase{"dword bytes", RegRoot::CurrentUser, kEmulation, "Dword", "AB"},
        RegCase{"hex up to zero", RegRoot::CurrentUser, kEmulation, "Hex", "AB"},
        RegCase{"wrapped hex", RegRoot::CurrentUser, kEmulation, "Wrapped", "ABC"},
        RegCase{"deleted value", RegRoot::CurrentUser, kEmulation, "Deleted", ""},
        RegCase{"last line wins", RegRoot::CurrentUser, kEmulation, "Twice", "second"},
        RegCase{"malformed line", RegRoot::CurrentUser, kEmulation, "Broken", ""},
        RegCase{"comment", RegRoot::CurrentUser, kEmulation, "Comment", ""},
        RegCase{"no such value", RegRoot::CurrentUser, kEmulation, "Missing", ""},
        RegCase{"sub key", RegRoot::CurrentUser, "Software\\Qorva eG\\QorvaClient\\Emulation\\Sub",
                "Printer", "Sub"},
        RegCase{"parent does not see sub key values", RegRoot::CurrentUser, kEmulation, "OnlyInSub",
                ""},
        RegCase{"no such key", RegRoot::CurrentUser, "Software\\Qorva eG", "Printer", ""},
        RegCase{"key deleted with its parent", RegRoot::CurrentUser, "Software\\Gone\\Child", "V",
                ""},
        RegCase{"key created again after deletion", RegRoot::CurrentUser, "Software\\Again", "V",
                "new"},
        RegCase{"section of the other root ignored", RegRoot::CurrentUser, "Software\\Mixed", "V",
                ""},
        RegCase{"machine root", RegRoot::LocalMachine,
                "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Qorva eG Client",
                "UninstallString", "C:\\Programme\\Qorva\\unins000.exe"},
        RegCase{"machine file, other root ignored", RegRoot::LocalMachine, "Software\\Mixed", "V",
                ""}));

TEST(RegistryFiles, UnusableFilesGiveEmptyText) {
    test::TempDir dir;
    struct {
        const char* label;
        std::optional<std::string> content; // nullopt: no file
    } cases[] = {
        {"no file", std::nullopt},
        {"no header", std::string("[HKEY_CURRENT_USER\\Software\\K]\n\"V\"=\"x\"\n")},
        {"other header", std::string("Windows Registry Editor Version 5.00\n"
                                     "[HKEY_CURRENT_USER\\Software\\K]\n\"V\"=\"x\"\n")},
        {"empty", std::string()},
    };
    for (const auto& c : cases) {
        const std::string path = dir.File("user.reg");
        std::filesystem::remove(path);
        if (c.content) dir.Write("user.reg", *c.content);
        SetRegistryFiles(path, dir.File("none.reg"));
        EXPECT_EQ(ReadRegString(RegRoot::CurrentUser, "Software\\K", "V"), "") << c.label;
    }
    // A directory in place of the file is unreadable.
    SetRegistryFiles(dir.Path(), dir.Path());
    EXPECT_EQ(ReadRegString(RegRoot::CurrentUser, "Software\\K", "V"), "");
    EXPECT_EQ(ReadRegString(RegRoot::LocalMachine, "Software\\K", "V"), "");
    SetRegistryFiles({}, {});
}

// Restores an environment variable when the test ends.
class EnvGuard {
public:
    explicit EnvGuard(const char* name) : name_(name) {
        if (const char* v = std::getenv(name)) old_ = v;
    }
    ~EnvGuard() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(RegistryFiles, DefaultLocations) {
    EnvGuard xdg("XDG_CONFIG_HOME");
    EnvGuard home("HOME");
    test::TempDir dir;
    SetRegistryFiles({}, {});
    std::filesystem::create_directories(dir.File("config/qorva"));
    std::filesystem::create_directories(dir.File("home/.config/qorva"));
    dir.Write("config/qorva/user.reg", "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"V\"=\"xdg\"\n");
    dir.Write("home/.config/qorva/user.reg", "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"V\"=\"home\"\n");
    setenv("HOME", dir.File("home").c_str(), 1);

    setenv("XDG_CONFIG_HOME", dir.File("config").c_str(), 1);
    EXPECT_EQ(RegistryFile(RegRoot::CurrentUser), dir.File("config/qorva/user.reg"));
    EXPECT_EQ(ReadRegString(RegRoot::CurrentUser, "K", "V"), "xdg");

    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    EXPECT_EQ(ReadRegString(RegRoot::CurrentUser, "K", "V"), "home");

    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(RegistryFile(RegRoot::CurrentUser), dir.File("home/.config/qorva/user.reg"));
    EXPECT_EQ(ReadRegString(RegRoot::CurrentUser, "K", "V"), "home");

    EXPECT_EQ(RegistryFile(RegRoot::LocalMachine), "/etc/qorva/system.reg");

    // An override for one root leaves the other at its default.
    SetRegistryFiles(dir.File("other.reg"), {});
    EXPECT_EQ(RegistryFile(RegRoot::CurrentUser), dir.File("other.reg"));
    EXPECT_EQ(RegistryFile(RegRoot::LocalMachine), "/etc/qorva/system.reg");
    SetRegistryFiles({}, {});
}

} // namespace
} // namespace qorprt
