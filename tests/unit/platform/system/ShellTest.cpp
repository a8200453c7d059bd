// Starting helper programs: arguments never through a shell, the desktop entry's command line.

#include "platform/system/Shell.h"
#include "platform/system/DesktopEntry.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace qorprt {
namespace {

using Args = std::vector<std::string>;

TEST(DesktopEntry, ExecKeysBecomeTheCommandForOneFile) {
    const std::string file = "/home/anna/Druck $(rm -rf ~)/R 4711.PRT";
    struct Case {
        std::string exec;
        std::optional<Args> command;
    } cases[] = {
        {"gedit %U", Args{"gedit", file}},
        {"mousepad %F", Args{"mousepad", file}},
        {"kate -b %u", Args{"kate", "-b", file}},
        {"\"/opt/My Editor/edit\" --new %f", Args{"/opt/My Editor/edit", "--new", file}},
        {"xed", Args{"xed", file}},                 // no field code: the file is appended
        {"pluma %i %c %k %f", Args{"pluma", file}}, // codes that stand alone are dropped
        {"edit --geometry=50%% %f", Args{"edit", "--geometry=50%", file}},
        {"edit \"a \\\"quoted\\\" word\" %f", Args{"edit", "a \"quoted\" word", file}},
        {"edit \"unclosed %f", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DesktopExecCommand(c.exec, file), c.command) << c.exec;
}

TEST(DesktopEntry, TheExecKeyIsReadFromTheApplicationsFolders) {
    test::TempDir data;
    std::filesystem::create_directories(data.File("applications"));
    data.Write("applications/editor.desktop", "[Desktop Entry]\nName=Ed\nExec=ed %f\n"
                                              "[Desktop Action new]\nExec=ed --new\n");
    ::setenv("XDG_DATA_HOME", data.Path().c_str(), 1);
    EXPECT_EQ(DesktopEntryExec("editor.desktop"), "ed %f");
    EXPECT_EQ(DesktopEntryExec("missing.desktop"), "");
    EXPECT_EQ(DesktopEntryExec("../applications/editor.desktop"), "");
    ::unsetenv("XDG_DATA_HOME");
}

TEST(Shell, StartsAProgramWithItsArgumentsAsTheyAre) {
    test::TempDir dir;
    const std::string target = dir.File("a b;c $(x)");
    ASSERT_TRUE(StartDetached("touch", {target}));
    bool made = false;
    for (int i = 0; i < 100 && !made; ++i) {
        made = std::filesystem::exists(target);
        if (!made) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(made);
    EXPECT_FALSE(StartDetached("/nonexistent/program", {}));
}

TEST(Shell, TheEditorOfTheEnvironmentGetsTheFile) {
    test::TempDir dir;
    const std::string file = dir.File("R 4711.PRT");
    // "cp" as the editor copies the file it is given next to itself: proof it got the path whole.
    dir.Write("R 4711.PRT", "x");
    const std::string script = dir.Write("editor", "#!/bin/sh\ncp \"$1\" \"$1.seen\"\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    ::setenv("QORPRT_EDITOR", script.c_str(), 1);
    EXPECT_TRUE(OpenInTextEditor(file));
    ::unsetenv("QORPRT_EDITOR");
    bool seen = false;
    for (int i = 0; i < 100 && !seen; ++i) {
        seen = std::filesystem::exists(file + ".seen");
        if (!seen) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(seen);
}

} // namespace
} // namespace qorprt
