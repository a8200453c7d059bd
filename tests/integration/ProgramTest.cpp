// The real program, started as the client starts it: a direct job on the built-in PDF printer and
// on a CUPS queue, a job its queue refuses, the start without a display, --help and --version.

#include "Queues.h"
#include "support/PdfTools.h"
#include "support/ProgramRun.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace qorprt {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// No display at all: the program must run on without one. Its instances meet in a folder of
// the test's own.
test::EnvChanges Headless(const std::string& pdfFolder, const std::string& runtimeFolder) {
    return {{"DISPLAY", std::nullopt},
            {"WAYLAND_DISPLAY", std::nullopt},
            {"QT_QPA_PLATFORM", std::nullopt},
            {"XDG_RUNTIME_DIR", runtimeFolder},
            {"QORPRT_PDF_DIR", pdfFolder}};
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class ProgramTest : public ::testing::Test {
protected:
    ProgramTest() {
        program.EnableLog();
        fs::create_directories(dir.File("out"));
        fs::copy_file(QORPRT_EXAMPLES "/R4711.PRT", dir.File("R4711.PRT"));
        fs::copy_file(QORPRT_EXAMPLES "/letterhead.png", dir.File("letterhead.png"));
    }
    test::ProgramResult Run(const std::vector<std::string>& args,
                            std::chrono::milliseconds timeout = 40s) {
        return test::RunProgram(program.Executable(), args, dir.Path(), Env(), timeout);
    }
    test::EnvChanges Env() const { return Headless(dir.File("out"), runtime.Path()); }
    std::vector<fs::path> Pdfs() const {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(dir.File("out")))
            files.push_back(entry.path());
        return files;
    }
    bool Cups() const { return std::getenv("CUPS_SERVER") && std::getenv("QORPRT_TEST_OUT"); }

    test::ProgramCopy program;
    test::TempDir dir;
    test::TempDir runtime;
};

TEST_F(ProgramTest, HelpAndVersionPrintAndEnd) {
    const test::ProgramResult help = Run({"--help"}, 10s);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(Contains(help.out, "Aufruf: qorprt <Datei.PRT>")) << help.out;
    EXPECT_TRUE(Contains(help.out, "  /P Druckername wie unter Windows (auch UNC-schreibweise "
                                   "m\xC3\xB6glich)"));
    const test::ProgramResult version = Run({"--version"}, 10s);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(Contains(version.out, "07.08.2017")) << version.out;
    EXPECT_TRUE(program.Log().empty()); // neither is a job
}

TEST_F(ProgramTest, ADirectJobOnThePdfPrinterLeavesItsPdfAndPrdAndTheProgramEnds) {
    const test::ProgramResult run =
        Run({"R4711.PRT", "/PQorPrt PDF", "/L20", "/Hletterhead.png", "/h8X7", "/X"});
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(fs::exists(dir.File("R4711.PRD")));
    EXPECT_FALSE(fs::exists(dir.File("R4711.PRT")));
    const auto pdfs = Pdfs();
    ASSERT_EQ(pdfs.size(), 1u);
    EXPECT_TRUE(Contains(test::PdfText(pdfs[0].string()), "Rechnung Nr. 4711"));
    const std::string log = program.Log();
    EXPECT_TRUE(Contains(log, " 10 PID=")) << log;
    EXPECT_TRUE(Contains(log, ": Kein Bildschirm erreichbar")) << log;
    EXPECT_TRUE(Contains(log, ": Start Version 07.08.2017: " + program.Executable() +
                                  " R4711.PRT /P\"QorPrt PDF\" /L20 /Hletterhead.png /h8X7 /X"))
        << log;
    EXPECT_TRUE(Contains(log, ": EndDoc: R4711.PRT")) << log;
    EXPECT_TRUE(Contains(log, ": Caption = Ende (OnJobTimer)")) << log;
}

TEST_F(ProgramTest, ADisplayThatCannotBeReachedIsNoReasonToFail) {
    test::EnvChanges env = Env();
    env["DISPLAY"] = ":97"; // nothing listens there
    const test::ProgramResult run = test::RunProgram(
        program.Executable(), {"R4711.PRT", "/PQorPrt PDF", "/X"}, dir.Path(), env, 40s);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(fs::exists(dir.File("R4711.PRD")));
    EXPECT_TRUE(Contains(program.Log(), ": Kein Bildschirm erreichbar")) << program.Log();
}

TEST_F(ProgramTest, AJobOnACupsQueueArrivesWithItsPaperBinAndDuplex) {
    if (!Cups()) GTEST_SKIP() << "no test cupsd (CUPS_SERVER not set)";
    fs::remove(test::OutFile("qorprt-ps"));
    // Two pages: the filters print a single page simplex whatever the job asks.
    dir.Write("R4711.PRT", "\t\t\t\tSeite eins\r\n\t\t\tSeite\tSeite zwei\r\n");
    const test::ProgramResult run = Run({"R4711.PRT", "/Pqorprt-ps", "/F11", "/b4", "/S2", "/X"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    test::WaitForQueue("qorprt-ps");
    const std::string ps = test::ReadAll(test::OutFile("qorprt-ps"));
    EXPECT_TRUE(Contains(ps, "%%PageBoundingBox: 0 0 420 595")); // A5
    EXPECT_TRUE(Contains(ps, "*InputSlot Manual"));
    EXPECT_TRUE(Contains(ps, "*Duplex DuplexNoTumble"));
    EXPECT_TRUE(fs::exists(dir.File("R4711.PRD")));
}

TEST_F(ProgramTest, AJobItsQueueRefusesKeepsItsName) {
    if (!Cups()) GTEST_SKIP() << "no test cupsd (CUPS_SERVER not set)";
    ASSERT_EQ(std::system("cupsreject qorprt-ps2 >/dev/null 2>&1"), 0);
    const test::ProgramResult run = Run({"R4711.PRT", "/Pqorprt-ps2", "/X"});
    std::system("cupsaccept qorprt-ps2 >/dev/null 2>&1");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(fs::exists(dir.File("R4711.PRT")));
    EXPECT_FALSE(fs::exists(dir.File("R4711.PRD")));
    EXPECT_TRUE(Contains(program.Log(),
                         ": DoJob: R4711.PRT wurde nicht gedruckt und beh\xE4lt seinen Namen."))
        << program.Log();
}

TEST_F(ProgramTest, WithoutADisplayTheUsageTextIsLoggedAndSigtermEndsTheService) {
    test::RunningProgram run(program.Executable(), {}, dir.Path(), Env());
    // No job: the usage text cannot be shown without a screen; the program goes on as a
    // service, as after the answer "No".
    EXPECT_TRUE(test::WaitFor(
        [&] { return Contains(program.Log(), "Meldung ohne Bildschirm (QorPrt.exe vom"); }, 20s))
        << program.Log();
    run.Signal(SIGTERM);
    const test::ProgramResult end = run.Wait(20s);
    EXPECT_FALSE(end.timedOut);
    EXPECT_EQ(end.exitCode, 0);
}

TEST_F(ProgramTest, TheServiceTakesHandedOverJobsSurvivesABadOneAndEndsOnSigterm) {
    test::RunningProgram service(program.Executable(), {"/D"}, dir.Path(), Env());
    ASSERT_TRUE(test::WaitFor([&] { return Contains(program.Log(), ": Start Version"); }, 20s));
    // Until its listener is up a start would become an instance of its own.
    ASSERT_TRUE(test::WaitFor(
        [&] {
            return fs::exists(runtime.Path() + "/qorprt") &&
                   !fs::is_empty(runtime.Path() + "/qorprt");
        },
        20s));
    const std::vector<std::string> jobs = {"A.PRT", "B.PRT", "BAD.PRT", "C.PRT"};
    for (const std::string& job : jobs) {
        dir.Write(job, job == "BAD.PRT" ? "\t\t\t\tA\r\n\t\t\tPDF Spx\tB\r\n"
                                        : "\t\t\t\tAuftrag " + job + "\r\n");
        const test::ProgramResult start = Run({job, "/PQorPrt PDF", "/X"}, 10s);
        EXPECT_EQ(start.exitCode, 0) << start.err;
    }
    EXPECT_TRUE(test::WaitFor(
        [&] {
            return fs::exists(dir.File("A.PRD")) && fs::exists(dir.File("B.PRD")) &&
                   fs::exists(dir.File("C.PRD"));
        },
        30s))
        << program.Log();
    EXPECT_EQ(Pdfs().size(), 3u);
    EXPECT_TRUE(fs::exists(dir.File("BAD.PRT")));
    const std::string log = program.Log();
    const std::string pid = std::to_string(service.Pid());
    for (const std::string& job : jobs)
        EXPECT_TRUE(Contains(log, " 8 PID=" + pid + ": OnQorvaData: " + program.Executable() + " " +
                                      job + " /P\"QorPrt PDF\" /X"))
            << job << "\n"
            << log;
    EXPECT_TRUE(Contains(log, " 10 PID=" + pid + ": AppException: EConvertError - ")) << log;
    service.Signal(SIGTERM);
    const test::ProgramResult end = service.Wait(20s);
    EXPECT_FALSE(end.timedOut);
    EXPECT_EQ(end.exitCode, 0);
}

TEST_F(ProgramTest, TwentyStartsWithinASecondLoseNoJob) {
    test::RunningProgram service(program.Executable(), {"/D"}, dir.Path(), Env());
    ASSERT_TRUE(test::WaitFor(
        [&] {
            return fs::exists(runtime.Path() + "/qorprt") &&
                   !fs::is_empty(runtime.Path() + "/qorprt");
        },
        20s));
    std::vector<std::unique_ptr<test::RunningProgram>> starts;
    for (int i = 0; i < 20; ++i) {
        const std::string job = "J" + std::to_string(i) + ".PRT";
        dir.Write(job, "\t\t\t\t" + job + "\r\n");
        starts.push_back(std::make_unique<test::RunningProgram>(
            program.Executable(), std::vector<std::string>{job, "/PQorPrt PDF", "/X"}, dir.Path(),
            Env()));
    }
    for (auto& start : starts)
        EXPECT_EQ(start->Wait(20s).exitCode, 0);
    EXPECT_TRUE(test::WaitFor([&] { return Pdfs().size() == 20; }, 60s)) << Pdfs().size();
    for (int i = 0; i < 20; ++i)
        EXPECT_TRUE(fs::exists(dir.File("J" + std::to_string(i) + ".PRD"))) << i;
    service.Signal(SIGTERM);
    EXPECT_EQ(service.Wait(20s).exitCode, 0);
}

TEST_F(ProgramTest, AsAServiceItsImportantLinesReachTheJournalAlsoWithoutALogFile) {
    fs::remove(program.Folder().File("qorprt.log"));
    // systemd names the journal stream it gives the service as device:inode.
    const test::ProgramResult run = test::RunProgram(
        "/bin/sh",
        {"-c", "JOURNAL_STREAM=$(stat -L -c %d:%i /proc/self/fd/2) exec \"$0\" \"$@\"",
         program.Executable(), "missing.PRT", "/PQorPrt PDF", "/X"},
        dir.Path(), Env(), 40s);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Contains(run.err, " 10 PID=")) << run.err;
    EXPECT_TRUE(Contains(run.err, ": Start Version 07.08.2017: ")) << run.err;
    EXPECT_TRUE(Contains(run.err, ": DoJob: missing.PRT wurde nicht gedruckt")) << run.err;
    EXPECT_FALSE(Contains(run.err, " 8 PID=")) << run.err; // the job timer's lines stay out
    EXPECT_FALSE(Contains(run.err, "\r"));                 // the journal ends lines with LF alone
    EXPECT_FALSE(fs::exists(program.Folder().File("qorprt.log")));
}

} // namespace
} // namespace qorprt
