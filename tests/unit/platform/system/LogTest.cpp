#include "platform/system/Log.h"

#include "app/AppException.h"
#include "platform/system/Errors.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace qorprt {
namespace {

class Log : public ::testing::Test {
protected:
    void SetUp() override {
        SetLogFolder(dir_.Path());
        SetLogThresholdSource(nullptr);
    }
    void TearDown() override {
        SetLogFolder({});
        SetLogThresholdSource(nullptr);
        SetAppTerminateHandler({});
    }
    void CreateLogFile() const { dir_.Write("qorprt.log", ""); }
    std::string Contents() const { return dir_.Read("qorprt.log"); }
    bool Exists() const { return std::filesystem::exists(dir_.File("qorprt.log")); }

    test::TempDir dir_;
};

std::vector<std::string> Lines(const std::string& contents) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = contents.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(contents.substr(start, end - start));
    if (start != contents.size()) lines.push_back(contents.substr(start)); // unterminated tail
    return lines;
}

TEST_F(Log, WritesOnlyIntoAnExistingFile) {
    WriteLog(10, "lost");
    EXPECT_FALSE(Exists());

    CreateLogFile();
    WriteLog(10, "first");
    WriteLog(10, "second");
    const std::vector<std::string> lines = Lines(Contents());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].ends_with(": first"));
    EXPECT_TRUE(lines[1].ends_with(": second"));

    std::filesystem::remove(dir_.File("qorprt.log"));
    WriteLog(10, "lost again");
    EXPECT_FALSE(Exists());
}

TEST_F(Log, LineFormat) {
    CreateLogFile();
    WriteLog(8, "OnJobTimer: Jobs->Items->Count = 0");
    const std::string contents = Contents();
    const std::regex line(R"(^[^ ]+ ([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9],[0-9]{3} 8 PID=)" +
                          std::to_string(getpid()) +
                          R"(: OnJobTimer: Jobs->Items->Count = 0\r\n$)");
    EXPECT_TRUE(std::regex_match(contents, line)) << contents;
}

TEST_F(Log, TextIsWrittenEscapedOnOneLine) {
    CreateLogFile();
    static const char bytes[] = "Büro \x80 tab\there\0nul\n";
    WriteLog(10, std::string(bytes, sizeof bytes - 1));
    EXPECT_TRUE(Contents().ends_with(": Büro \\x80 tab\\x09here\\x00nul\\x0A\r\n")) << Contents();
}

TEST_F(Log, FormattedLineForAGivenMoment) {
    const auto when = std::chrono::system_clock::now();
    const std::string line = FormatLogLine(when, 8, 4711, "OnJobTimer: Jobs->Items->Count = 0");
    EXPECT_TRUE(line.ends_with(" 8 PID=4711: OnJobTimer: Jobs->Items->Count = 0\r\n")) << line;
    EXPECT_TRUE(
        std::regex_search(line, std::regex(R"(^[^ ]+ [0-9]{2}:[0-9]{2}:[0-9]{2},[0-9]{3} )")))
        << line;

    // No text starts a line of its own, and the file stays UTF-8 for grep.
    const struct {
        std::string text;
        std::string written;
    } escapes[] = {
        {"qorprt R1.PRT\n01.01.2026 10:00:00,000 10 PID=1: forged",
         "qorprt R1.PRT\\x0A01.01.2026 10:00:00,000 10 PID=1: forged"},
        {"a\rb\tc\x7F", "a\\x0Db\\x09c\\x7F"},
        {"R1.PRT behält Привет 東京", "R1.PRT behält Привет 東京"},
        {"R\xFC.PRT \xC2\x85", "R\\xFC.PRT \\xC2\\x85"}, // no UTF-8; a C1 control
    };
    for (const auto& e : escapes) {
        const std::string escaped = FormatLogLine(when, 10, 1, e.text);
        EXPECT_TRUE(escaped.ends_with(": " + e.written + "\r\n")) << escaped;
    }
}

struct ThresholdCase {
    std::optional<std::string> logLevel; // none: no main window yet
    int32_t level;
    bool written;
};

class LogThreshold : public Log, public ::testing::WithParamInterface<ThresholdCase> {};

TEST_P(LogThreshold, FiltersBelowThreshold) {
    const ThresholdCase& c = GetParam();
    CreateLogFile();
    std::string logLevel = c.logLevel.value_or("");
    SetLogThresholdSource(c.logLevel ? &logLevel : nullptr);
    WriteLog(c.level, "x");
    const std::string contents = Contents();
    EXPECT_EQ(!contents.empty(), c.written)
        << "threshold " << c.logLevel.value_or("<none>") << ", level " << c.level;
    if (c.written) {
        EXPECT_NE(contents.find(" " + std::to_string(c.level) + " PID="), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LogThreshold,
    ::testing::Values(
        ThresholdCase{"8", 2, false}, ThresholdCase{"8", 4, false}, ThresholdCase{"8", 6, false},
        ThresholdCase{"8", 7, false}, ThresholdCase{"8", 8, true}, ThresholdCase{"8", 9, true},
        ThresholdCase{"8", 10, true}, ThresholdCase{"11", 9, false}, ThresholdCase{"11", 10, true},
        ThresholdCase{"99", 10, true}, ThresholdCase{"0", 1, true}, ThresholdCase{"0", 0, true},
        ThresholdCase{"-5", -5, true}, ThresholdCase{"-5", 1, true}, ThresholdCase{"1", 1, true},
        ThresholdCase{"1", 0, false}, ThresholdCase{"abc", 7, false}, ThresholdCase{"abc", 8, true},
        ThresholdCase{"", 7, false}, ThresholdCase{"", 8, true}, ThresholdCase{"8 ", 7, false},
        ThresholdCase{"$A", 9, false}, ThresholdCase{std::nullopt, 1, true},
        ThresholdCase{std::nullopt, -3, true}, ThresholdCase{"8", 42, true},
        ThresholdCase{"99", 42, true}));

TEST_F(Log, ThresholdIsReadAfreshOnEveryCall) {
    CreateLogFile();
    std::string logLevel = "8";
    SetLogThresholdSource(&logLevel);
    WriteLog(4, "dropped");
    logLevel = "1";
    WriteLog(4, "kept");
    const std::vector<std::string> lines = Lines(Contents());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].ends_with(" 4 PID=" + std::to_string(getpid()) + ": kept"));
}

TEST_F(Log, NamedPipeDoesNotBlock) {
    // A pipe without a reader in place of the log file must not hang the program.
    ASSERT_EQ(mkfifo(dir_.File("qorprt.log").c_str(), 0600), 0);
    WriteLog(10, "nobody listens");
    SUCCEED();
}

TEST_F(Log, AppExceptionLogsAndEnds) {
    EXPECT_EQ(AppExceptionLine(EConvertError("'x' is not a valid integer value")),
              "AppException: EConvertError - 'x' is not a valid integer value");
    EXPECT_EQ(AppExceptionLine(std::runtime_error("boom")),
              "AppException: std::runtime_error - boom");

    CreateLogFile();
    std::string logLevel = "11";
    SetLogThresholdSource(&logLevel);
    int terminations = 0;
    SetAppTerminateHandler([&terminations] { ++terminations; });
    AppException(EPrinter("Drucker wird gerade benutzt"));
    EXPECT_EQ(terminations, 1);
    EXPECT_TRUE(Contents().ends_with(" 10 PID=" + std::to_string(getpid()) +
                                     ": AppException: EPrinter - Drucker wird gerade benutzt\r\n"));

    SetAppTerminateHandler({});
    AppException(std::runtime_error("no handler")); // logs, nothing to call
    EXPECT_EQ(Lines(Contents()).size(), 2u);
}

// Two processes append thousands of lines to the same file at once; every line must arrive whole.
TEST_F(Log, ConcurrentProcessesKeepLinesWhole) {
    CreateLogFile();
    constexpr int kLines = 4000;
    const std::string padding(300, '#');
    int gate[2];
    ASSERT_EQ(pipe(gate), 0);
    std::vector<pid_t> children;
    for (int child = 0; child < 2; ++child) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(gate[1]);
            char go;
            // Both children start writing when the parent closes the gate.
            (void)!read(gate[0], &go, 1);
            for (int i = 0; i < kLines; ++i)
                WriteLog(8, "child " + std::to_string(child) + " line " + std::to_string(i) + " " +
                                padding);
            _exit(0);
        }
        children.push_back(pid);
    }
    close(gate[0]);
    close(gate[1]);
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    const std::string contents = Contents();
    ASSERT_TRUE(contents.ends_with("\r\n"));
    const std::regex line(R"(^[^ ]+ [0-9]{2}:[0-9]{2}:[0-9]{2},[0-9]{3} 8 PID=([0-9]+): child )"
                          R"(([01]) line ([0-9]+) #{300}$)");
    std::map<std::string, int> nextLineOf; // "pid/child" -> next expected line number
    size_t count = 0;
    for (const std::string& text : Lines(contents)) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(text, m, line)) << "broken line: " << text.substr(0, 120);
        const pid_t pid = static_cast<pid_t>(std::stol(m[1]));
        const int child = std::stoi(m[2]);
        ASSERT_EQ(pid, children[static_cast<size_t>(child)]);
        int& next = nextLineOf[m[1].str()];
        ASSERT_EQ(std::stoi(m[3]), next) << "lines of one process out of order or lost";
        ++next;
        ++count;
    }
    EXPECT_EQ(count, 2u * kLines);
    EXPECT_EQ(nextLineOf.size(), 2u);
    for (const auto& [pid, next] : nextLineOf)
        EXPECT_EQ(next, kLines) << pid;
}

} // namespace
} // namespace qorprt
