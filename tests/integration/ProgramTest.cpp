// The real program, started as the client starts it: a direct job on the built-in PDF printer and
// on a CUPS queue, a job its queue refuses, the start without a display, --help and --version.

#include "Queues.h"
#include "support/PdfTools.h"
#include "support/ProgramRun.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

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
    // The demo invoice on the PDF printer, with its archive PDF when `archive` names one; returns
    // the printed PDF, moved out of the printer's folder to `as`.
    std::string PrintDemo(const std::string& archive, const std::string& as) {
        fs::copy_file(QORPRT_EXAMPLES "/R4711.PRT", dir.File("R4711.PRT"),
                      fs::copy_options::overwrite_existing);
        std::vector<std::string> args = {"R4711.PRT", "/PQorPrt PDF", "/Hletterhead.png", "/h8X7"};
        if (!archive.empty()) args.push_back("/w" + archive);
        args.push_back("/X");
        const test::ProgramResult run = Run(args);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        const auto pdfs = Pdfs();
        EXPECT_EQ(pdfs.size(), 1u) << program.Log();
        if (pdfs.size() != 1) return {};
        fs::rename(pdfs[0], dir.File(as));
        return dir.File(as);
    }
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
    EXPECT_TRUE(
        Contains(program.Log(), ": DoJob: R4711.PRT wurde nicht gedruckt und behält seinen Namen."))
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
    // A job to show comes first: without a screen it cannot be, and must not hold up the rest.
    dir.Write("SHOW.PRT", "\t\t\t\tAnsehen\r\n");
    EXPECT_EQ(Run({"SHOW.PRT", "/PQorPrt PDF"}, 10s).exitCode, 0);
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
    EXPECT_TRUE(fs::exists(dir.File("SHOW.PRT")));
    const std::string log = program.Log();
    const std::string pid = std::to_string(service.Pid());
    EXPECT_TRUE(Contains(log, " 10 PID=" + pid + ": OnJobTimer: " + program.Executable() +
                                  " SHOW.PRT /P\"QorPrt PDF\" kann ohne Bildschirm nicht angezeigt "
                                  "werden und wird nicht gedruckt."))
        << log;
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
    // A job's PDF is there a moment before its file is renamed: wait for both.
    const auto renamed = [&] {
        int count = 0;
        for (int i = 0; i < 20; ++i)
            count += fs::exists(dir.File("J" + std::to_string(i) + ".PRD")) ? 1 : 0;
        return count;
    };
    EXPECT_TRUE(test::WaitFor([&] { return Pdfs().size() == 20 && renamed() == 20; }, 60s))
        << Pdfs().size() << " PDFs, " << renamed() << " renamed";
    service.Signal(SIGTERM);
    EXPECT_EQ(service.Wait(20s).exitCode, 0);
}

// Any name the file system holds can be printed and names its PDF; what is no file is refused
// without ever blocking the program, and a missing file given by its full path is a file, not a
// run of options.
TEST_F(ProgramTest, FilesOfAnyNameArePrintedAndNothingElseIsRead) {
    const std::string invoice = test::ReadAll(dir.File("R4711.PRT"));
    fs::create_directories(dir.File("Xaver"));
    struct Case {
        std::string file; // created in the test's folder, unless missing or a pipe
        std::string arg;  // how the client names it
        bool fifo = false;
        bool missing = false;
        std::string logged; // a level-10 line holds this
    } cases[] = {
        {"Счёт 4711.PRT", "Счёт 4711.PRT", false, false, ""},
        {"東京.PRT", dir.File("東京.PRT"), false, false, ""},
        {"Rechnung \"1\".PRT", dir.File("Rechnung \"1\".PRT"), false, false, ""},
        {"Xaver/R1.PRT", dir.File("Xaver/R1.PRT"), false, false, ""},
        {"R2.PRT", dir.File("R2.PRT"), false, true,
         " wurde nicht gedruckt und behält seinen Namen."},
        {"pipe.PRT", "pipe.PRT", true, false, ": RenderDocument: pipe.PRT ist eine benannte Pipe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        if (c.fifo)
            ASSERT_EQ(::mkfifo(dir.File(c.file).c_str(), 0600), 0);
        else if (!c.missing)
            dir.Write(c.file, invoice);
        for (const fs::path& pdf : Pdfs())
            fs::remove(pdf);
        const test::ProgramResult run = Run({c.arg, "/PQorPrt PDF", "/X"}, 30s);
        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        const std::string stem = c.file.substr(0, c.file.size() - 1);
        const bool printed = c.logged.empty();
        EXPECT_EQ(fs::exists(dir.File(stem + "D")), printed);
        EXPECT_EQ(fs::exists(dir.File(stem + "T")), !printed && !c.missing);
        const std::vector<fs::path> pdfs = Pdfs();
        ASSERT_EQ(pdfs.size(), printed ? 1u : 0u);
        std::string pdfName = fs::path(c.file).filename().string() + ".pdf";
        std::replace(pdfName.begin(), pdfName.end(), '"', '_'); // as on every desktop
        if (printed)
            EXPECT_EQ(pdfs[0].filename().string(), pdfName);
        else
            EXPECT_TRUE(Contains(program.Log(), " 10 PID=")) << program.Log();
        EXPECT_TRUE(Contains(program.Log(), printed ? ": EndDoc: " : c.logged)) << program.Log();
        EXPECT_FALSE(Contains(program.Log(), "Meldung ohne Bildschirm")) << "no usage text";
        program.EnableLog();
    }
}

// A job counts as done only when its PDF files exist: one that asked for PDF output alone keeps
// its name when it got none; a printed job whose archive failed was printed all the same. Either
// way the file and the reason are logged.
struct PdfFailureCase {
    const char* name;
    std::vector<std::string> args; // "{pdf}" stands for the PDF file
    const char* prt;               // the PRT file's text; "{pdf}" as above
    bool missingFolder;            // the PDF file's folder does not exist
    bool printed;                  // the PDF printer prints a page
};

class PdfFailureTest : public ProgramTest, public ::testing::WithParamInterface<PdfFailureCase> {};

std::string WithPdf(std::string text, const std::string& pdf) {
    const size_t at = text.find("{pdf}");
    return at == std::string::npos ? text : text.replace(at, 5, pdf);
}

TEST_P(PdfFailureTest, AJobIsDoneOnlyWithItsOutputs) {
    const PdfFailureCase& c = GetParam();
    const std::string pdf = dir.File(c.missingFolder ? "no/such/folder/R.pdf" : "R.pdf");
    dir.Write("R.PRT", WithPdf(c.prt, pdf));
    std::vector<std::string> args = {"R.PRT"};
    for (const std::string& a : c.args)
        args.push_back(WithPdf(a, pdf));
    const test::ProgramResult run = Run(args);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const bool done = !c.missingFolder || c.printed;
    EXPECT_EQ(fs::exists(dir.File("R.PRD")), done);
    EXPECT_EQ(fs::exists(dir.File("R.PRT")), !done);
    EXPECT_EQ(fs::exists(pdf), !c.missingFolder);
    EXPECT_EQ(Pdfs().size(), c.printed ? 1u : 0u);
    const std::string log = program.Log();
    EXPECT_EQ(Contains(log, ": PDF-Datei " + pdf + " wurde nicht geschrieben: "), c.missingFolder)
        << log;
    EXPECT_EQ(Contains(log, ": DoJob: R.PRT hat seine PDF-Datei nicht erhalten und beh\xC3\xA4lt "
                            "seinen Namen."),
              !done)
        << log;
}

INSTANTIATE_TEST_SUITE_P(
    Jobs, PdfFailureTest,
    ::testing::Values(
        PdfFailureCase{
            "PdfOnlyIntoAMissingFolder", {"/P-", "/w{pdf}", "/X"}, "\t\t\t\tA\r\n", true, false},
        PdfFailureCase{"PdfOnlyFromATagIntoAMissingFolder",
                       {"/P-", "/X"},
                       "\t\t\t\t<pdf={pdf}>A\r\n",
                       true,
                       false},
        PdfFailureCase{"PrintedWithItsArchiveIntoAMissingFolder",
                       {"/PQorPrt PDF", "/w{pdf}", "/X"},
                       "\t\t\t\tA\r\n",
                       true,
                       true},
        PdfFailureCase{"PdfOnlyWritten", {"/P-", "/w{pdf}", "/X"}, "\t\t\t\tA\r\n", false, false}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(ProgramTest, ThePrintedPageIsTheSameWithAndWithoutTheArchive) {
    const std::string alone = PrintDemo("", "alone.pdf");
    const std::string archive = dir.File("archive.pdf");
    const std::string withArchive = PrintDemo(archive, "with.pdf");
    ASSERT_FALSE(alone.empty());
    ASSERT_FALSE(withArchive.empty());
    EXPECT_EQ(test::PdfFonts(withArchive), test::PdfFonts(alone));
    EXPECT_TRUE(test::PdfWords(withArchive) == test::PdfWords(alone));
    // The archive still writes Courier where the printed page has Courier New.
    EXPECT_TRUE(Contains(test::PdfFonts(archive), "NimbusMonoPS")) << test::PdfFonts(archive);
    EXPECT_FALSE(Contains(test::PdfFonts(alone), "NimbusMonoPS")) << test::PdfFonts(alone);
}

TEST_F(ProgramTest, TheArchiveShowsThePrintedPageMovedAsAWhole) {
    const std::string archive = dir.File("archive.pdf");
    const std::string printed = PrintDemo(archive, "printed.pdf");
    ASSERT_FALSE(printed.empty());
    const auto paper = test::PdfWords(printed);
    const auto pdf = test::PdfWords(archive);

    // Words in the same font on both (Arial), in three sizes and on several lines, all move by
    // the layer's offsets, 85 pixels right and 60 down at 600 dpi, so every piece of a line keeps
    // its baseline. The engine's unit is the centimetre where the layer counts 235 pixels, so
    // the archive is also half a percent larger.
    const double unit = 72.0 / 235.0 / 2.54; // points of the archive per printer pixel
    for (const char* word : {"Rechnung", "09.12.2026", "Kundennummer", "Seite", "Vielen"}) {
        const test::WordBox p = test::FindWord(paper, word), a = test::FindWord(pdf, word);
        ASSERT_GT(p.xMax, 0) << word;
        EXPECT_NEAR(a.xMin, (p.xMin * 600 / 72 + 85) * unit, 0.2) << word;
        EXPECT_NEAR(a.yMax, (p.yMax * 600 / 72 + 60) * unit, 0.2) << word;
    }
    // The 14-point line and the 10-point line below it stand apart, as on paper.
    EXPECT_LE(test::FindWord(paper, "Rechnung").yMax, test::FindWord(paper, "Kundennummer").yMin);
    EXPECT_LE(test::FindWord(pdf, "Rechnung").yMax, test::FindWord(pdf, "Kundennummer").yMin);

    // The first line is underlined: the line runs under its first word, and not from the
    // page's edge.
    constexpr int kDpi = 144;
    const test::GreyPage page = test::RenderPdfPage(archive, 1, kDpi);
    ASSERT_GT(page.width, 0);
    const test::WordBox w = test::FindWord(pdf, "Qorva");
    ASSERT_GT(w.xMax, 0);
    auto px = [](double pt) { return static_cast<int>(std::lround(pt * kDpi / 72.0)); };
    int underline = -1;
    for (int y = px((w.yMin + w.yMax) / 2); y <= px(w.yMax + 2) && underline < 0; ++y) {
        int dark = 0;
        for (int x = px(w.xMin); x < px(w.xMax); ++x)
            dark += page.Dark(x, y) ? 1 : 0;
        if (dark >= (px(w.xMax) - px(w.xMin)) * 9 / 10) underline = y;
    }
    ASSERT_GE(underline, 0) << "no underline under the word";
    for (int x = 0; x < px(w.xMin) - 2; ++x)
        EXPECT_FALSE(page.Dark(x, underline)) << x;
}

// Text at the margin column of a job without /L and /T prints from the printable area's corner,
// where a Windows printer put it; the letterhead keeps its place on the paper.
struct MarginCase {
    const char* queue;
    double left; // the queue's unprintable margins on A4, mm
    double top;
};

class MarginTest : public ProgramTest, public ::testing::WithParamInterface<MarginCase> {};

TEST_P(MarginTest, TheMarginColumnStartsAtThePrintableCorner) {
    const MarginCase& c = GetParam();
    const char* spool = std::getenv("QORPRT_TEST_IPP_SPOOL");
    const bool ipp = std::string(c.queue) == "qorprt-ipp";
    if (!Cups() || (ipp && !spool)) GTEST_SKIP() << "no such test queue (test-services.sh)";
    QImage square(300, 300, QImage::Format_RGB32); // one inch
    square.fill(QColor(Qt::black));
    ASSERT_TRUE(square.save(QString::fromStdString(dir.File("square.png"))));
    dir.Write("M.PRT", "\t\t\t\tLinke Randspalte\r\n");
    if (ipp)
        for (const auto& entry : fs::directory_iterator(spool))
            fs::remove(entry.path());
    const test::ProgramResult run =
        Run({"M.PRT", std::string("/P") + c.queue, "/F9", "/Hsquare.png", "/h40X50", "/X"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::string pdf = dir.File("received.pdf");
    if (ipp) {
        // ippeveprinter keeps the document it received; wait until it is whole.
        ASSERT_TRUE(test::WaitFor(
            [&] {
                for (const auto& entry : fs::directory_iterator(spool))
                    pdf = entry.path().string();
                return test::PdfPages(pdf) == 1;
            },
            60s));
    } else {
        test::WaitForQueue(c.queue);
        const std::string ps = test::OutFile(c.queue).string();
        ASSERT_EQ(std::system(("ps2pdf " + ps + " " + pdf + " && rm " + ps).c_str()), 0);
    }
    const test::GreyPage page = test::RenderPdfPage(pdf, 1, 254); // ten pixels a millimetre
    ASSERT_GT(page.width, 0) << pdf;
    // The top-left corner of the ink within a part of the page, in mm.
    auto corner = [&](int x0, int y0, int x1, int y1) {
        int left = x1, top = y1;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (page.Dark(x, y)) {
                    left = std::min(left, x);
                    top = std::min(top, y);
                }
        return std::pair{left / 10.0, top / 10.0};
    };
    const auto [textLeft, textTop] = corner(0, 0, 300, 150);
    EXPECT_GE(textLeft, c.left);
    EXPECT_LE(textLeft, c.left + 1.0);
    EXPECT_GE(textTop, c.top);
    const auto [headLeft, headTop] = corner(450, 350, 1000, 1000);
    EXPECT_NEAR(headLeft, 50.0, 0.3);
    EXPECT_NEAR(headTop, 40.0, 0.3);
}

INSTANTIATE_TEST_SUITE_P(Queues, MarginTest,
                         ::testing::Values(MarginCase{"qorprt-ps", 12 / 72.0 * 25.4,
                                                      12 / 72.0 * 25.4},
                                           MarginCase{"qorprt-ipp", 3.4, 6.35}));

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
