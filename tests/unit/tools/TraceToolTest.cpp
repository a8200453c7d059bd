#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace qorprt {
namespace {

struct ToolRun {
    std::string out;
    int status = -1;
};

ToolRun Trace(const std::string& args) {
    ToolRun run;
    const std::string command = std::string(QORPRT_TRACE_TOOL) + " " + args + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    std::array<char, 4096> buffer{};
    for (size_t n; (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
        run.out.append(buffer.data(), n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(TraceTool, PrintsTheOperationsOfAFile) {
    test::TempDir dir;
    const std::string file =
        dir.Write("a.prt", "\t\t\t\tWort\r\n\t\t\t\t<179>\r\n\t\t\tSeite\tZwei\"\\\r\n");
    const ToolRun run = Trace("--dpi 120 --top 10 --left 5 " + file);
    EXPECT_EQ(run.status, 0);
    // Margins at 120 dpi: 10 mm is 47 px, 5 mm is 23 px. The separator of the page break is at
    // 20 + 5 = 25 units; the next page starts 45 units down, its first line at 55.
    EXPECT_EQ(run.out, "text 23 54 \"Wort\" font=\"Courier New\" size=10 style=-\n"
                       "line 28 87 28 67 pen=2\n"
                       "line 23 97 1023 97 pen=2\n"
                       "text 23 144 \"Zwei\\\"\\\\\" font=\"Courier New\" size=10 style=-\n");
}

TEST(TraceTool, MissingFileIsAnErrorWithTheMessageBoxText) {
    const ToolRun run = Trace("/nicht/da.prt");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("Datei /nicht/da.prt konnte nicht geöffnet werden!"), std::string::npos);
}

TEST(TraceTool, RealCanvasTracesWithRealMetrics) {
    test::TempDir dir;
    const std::string file = dir.Write("b.prt", "\t\t\t\tAB\r\n");
    const std::string png = dir.File("b.png");
    const ToolRun run = Trace("--dpi 600 --png " + png + " " + file);
    EXPECT_EQ(run.status, 0);
    // Liberation Mono at 10 pt and 600 dpi: ascent 69, so the cell top is 100 - 69.
    EXPECT_NE(run.out.find("text 0 31 \"AB\" font=\"Courier New\" size=10 style=-"),
              std::string::npos)
        << run.out;
    EXPECT_FALSE(dir.Read("b.png").empty());
}

} // namespace
} // namespace qorprt
