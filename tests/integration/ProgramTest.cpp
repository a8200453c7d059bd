// The real program, started as the client starts it: a direct job on the built-in PDF printer and
// on a CUPS queue, a job its queue refuses, the start without a display, --help and --version.

#include "Queues.h"
#include "support/PdfTools.h"
#include "support/ProgramRun.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace qorprt {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// No display at all: the program must run on without one. Its instances meet in a folder of
// the test's own and keep their queue in another.
test::EnvChanges Headless(const std::string& pdfFolder, const std::string& runtimeFolder,
                          const std::string& stateFolder, const std::string& tempFolder) {
    return {{"DISPLAY", std::nullopt},          {"TMPDIR", tempFolder},
            {"WAYLAND_DISPLAY", std::nullopt},  {"QT_QPA_PLATFORM", std::nullopt},
            {"XDG_RUNTIME_DIR", runtimeFolder}, {"XDG_STATE_HOME", stateFolder},
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
    test::EnvChanges Env() const {
        return Headless(dir.File("out"), runtime.Path(), state.Path(), temp.Path());
    }
    std::vector<fs::path> Pdfs() const {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(dir.File("out")))
            files.push_back(entry.path());
        return files;
    }
    bool Cups() const { return std::getenv("CUPS_SERVER") && std::getenv("QORPRT_TEST_OUT"); }
    // A service started in `cwd`, listening for handovers.
    std::unique_ptr<test::RunningProgram> StartService(const std::string& cwd) {
        auto service = std::make_unique<test::RunningProgram>(
            program.Executable(), std::vector<std::string>{"/D"}, cwd, Env());
        // Until its listener is up a start would become an instance of its own.
        EXPECT_TRUE(test::WaitFor(
            [&] {
                return fs::exists(runtime.Path() + "/qorprt") &&
                       !fs::is_empty(runtime.Path() + "/qorprt");
            },
            20s));
        return service;
    }
    // The job files of the queue on disk, of every instance.
    std::vector<std::string> QueuedFiles() const {
        std::vector<std::string> files;
        const std::string queue = state.Path() + "/qorva/queue";
        if (!fs::exists(queue)) return files;
        for (const auto& entry : fs::recursive_directory_iterator(queue)) {
            const std::string name = entry.path().filename();
            if (name.ends_with(".job") || name.ends_with(".run")) files.push_back(name);
        }
        return files;
    }
    size_t SpoolFiles() const {
        size_t count = 0;
        for (const auto& entry : fs::directory_iterator(temp.Path()))
            count += entry.path().filename().string().starts_with("qorprt-spool-") ? 1 : 0;
        return count;
    }
    std::string JobLine(const std::string& prt, bool direct = true) const {
        return program.Executable() + " " + prt + " /P\"QorPrt PDF\"" + (direct ? " /X" : "");
    }

    test::ProgramCopy program;
    test::TempDir dir;
    test::TempDir runtime;
    test::TempDir state;
    test::TempDir temp;
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

// A job's relative names (its PRT file, its letterhead, its PDF) are taken against the folder
// its start was called in, not the service's.
TEST_F(ProgramTest, AHandedOverJobNamesItsFilesFromTheCallersFolder) {
    auto service = StartService(dir.Path());
    fs::create_directories(dir.File("kunde"));
    fs::copy_file(QORPRT_EXAMPLES "/R4711.PRT", dir.File("kunde/R4711.PRT"));
    fs::copy_file(QORPRT_EXAMPLES "/letterhead.png", dir.File("kunde/kopf.png"));
    const test::ProgramResult start = test::RunProgram(
        program.Executable(), {"R4711.PRT", "/PQorPrt PDF", "/Hkopf.png", "/wrechnung.pdf", "/X"},
        dir.File("kunde"), Env(), 10s);
    EXPECT_EQ(start.exitCode, 0) << start.err;
    EXPECT_TRUE(test::WaitFor([&] { return fs::exists(dir.File("kunde/R4711.PRD")); }, 30s))
        << program.Log();
    EXPECT_TRUE(fs::exists(dir.File("kunde/rechnung.pdf")));
    EXPECT_TRUE(fs::exists(dir.File("R4711.PRT"))); // the service's folder is not touched
    EXPECT_FALSE(Contains(program.Log(), "konnte nicht")) << program.Log();
    service->Signal(SIGTERM);
    EXPECT_EQ(service->Wait(20s).exitCode, 0);
}

// Starts hand their jobs over at once while the service prints a long job; the service is then
// stopped (SIGTERM: it finishes the document) or killed. The next service takes up every direct
// job and prints it; a job that was only to be shown is given up. Each is named in the log.
TEST_F(ProgramTest, JobsQueuedWhenTheServiceEndsArePrintedAfterARestart) {
    std::string longJob;
    for (int page = 1; page <= 1500; ++page)
        longJob += "\t\t\tSeite\tSeite " + std::to_string(page) + "\r\n";
    const struct Case {
        int signal;
        std::vector<std::string> atTheEnd; // logged by the ended service
        std::vector<std::string> atTakeUp; // logged by the next one
    } cases[] = {
        {SIGTERM,
         {"Auftrag bleibt für den nächsten Start: " + JobLine("A.PRT"),
          "Auftrag bleibt für den nächsten Start: " + JobLine("B.PRT"),
          "Auftrag aufgegeben (nur zur Anzeige): " + JobLine("SHOW.PRT", false),
          "Auftrag bleibt für den nächsten Start: " + JobLine("C.PRT")},
         {"Auftrag übernommen: " + JobLine("A.PRT"), "Auftrag übernommen: " + JobLine("B.PRT"),
          "Auftrag übernommen: " + JobLine("C.PRT")}},
        {SIGKILL,
         {},
         {"Auftrag übernommen, vielleicht schon gedruckt: " + JobLine("LONG.PRT"),
          "Auftrag übernommen: " + JobLine("A.PRT"), "Auftrag übernommen: " + JobLine("B.PRT"),
          "Auftrag aufgegeben (nur zur Anzeige): " + JobLine("SHOW.PRT", false),
          "Auftrag übernommen: " + JobLine("C.PRT")}},
    };
    for (const Case& c : cases) {
        const std::string folder = dir.File("case" + std::to_string(c.signal));
        fs::create_directories(folder);
        const auto write = [&](const std::string& name, const std::string& text) {
            std::ofstream(folder + "/" + name, std::ios::binary) << text;
        };
        write("LONG.PRT", longJob);
        for (const char* name : {"A.PRT", "B.PRT", "C.PRT", "SHOW.PRT"})
            write(name, std::string("\t\t\t\tAuftrag ") + name + "\r\n");
        program.EnableLog();
        std::ofstream(program.Folder().File("qorprt.log"), std::ios::trunc).flush();

        auto service = StartService(folder);
        const auto start = [&](const std::vector<std::string>& args) {
            return test::RunProgram(program.Executable(), args, folder, Env(), 10s).exitCode;
        };
        EXPECT_EQ(start({"LONG.PRT", "/PQorPrt PDF", "/X"}), 0);
        // The long job is being printed: its record on disk is marked started and its spool
        // document is being written.
        ASSERT_TRUE(test::WaitFor(
            [&] {
                const auto files = QueuedFiles();
                return SpoolFiles() == 1 &&
                       std::any_of(files.begin(), files.end(),
                                   [](const std::string& f) { return f.ends_with(".run"); });
            },
            30s))
            << program.Log();
        for (const char* name : {"A.PRT", "B.PRT"})
            EXPECT_EQ(start({name, "/PQorPrt PDF", "/X"}), 0) << name;
        EXPECT_EQ(start({"SHOW.PRT", "/PQorPrt PDF"}), 0);
        EXPECT_EQ(start({"C.PRT", "/PQorPrt PDF", "/X"}), 0);
        // The starts did not wait for the long print.
        EXPECT_FALSE(fs::exists(folder + "/LONG.PRD")) << "the long job ended too soon";
        service->Signal(c.signal);
        const test::ProgramResult end = service->Wait(60s);
        EXPECT_FALSE(end.timedOut);
        // SIGTERM lets the document in print come out whole; a killed service leaves its spool
        // file, which the next one removes.
        EXPECT_EQ(fs::exists(folder + "/LONG.PRD"), c.signal == SIGTERM);
        EXPECT_EQ(SpoolFiles(), c.signal == SIGTERM ? 0u : 1u);
        for (const std::string& line : c.atTheEnd)
            EXPECT_TRUE(Contains(program.Log(), ": " + line + "\r\n")) << line << "\n"
                                                                       << program.Log();

        auto next = StartService(folder);
        EXPECT_TRUE(test::WaitFor(
            [&] {
                for (const char* name : {"A.PRD", "B.PRD", "C.PRD", "LONG.PRD"})
                    if (!fs::exists(folder + "/" + name)) return false;
                return QueuedFiles().empty();
            },
            90s))
            << program.Log();
        for (const std::string& line : c.atTakeUp)
            EXPECT_TRUE(Contains(program.Log(),
                                 " 10 PID=" + std::to_string(next->Pid()) + ": " + line + "\r\n"))
                << line << "\n"
                << program.Log();
        EXPECT_TRUE(fs::exists(folder + "/SHOW.PRT"));
        EXPECT_EQ(SpoolFiles(), 0u);
        next->Signal(SIGTERM);
        EXPECT_EQ(next->Wait(20s).exitCode, 0);
        EXPECT_TRUE(QueuedFiles().empty());
    }
}

} // namespace
} // namespace qorprt
