// The program's own command line, as the job list carries it, read back by the parse stage: each
// argument must arrive as the caller meant it.

#include "app/start/CommandLine.h"

#include "jobs/JobCommandLine.h"
#include "jobs/JobTokens.h"
#include "platform/system/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <vector>

namespace qorprt {
namespace {

class NoPrinter : public PrinterSelection {
public:
    bool Printing() const override { return false; }
    void SetPrinterIndex(int32_t) override {}
};

std::string Line(const std::vector<std::string>& args) {
    std::vector<const char*> argv;
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    return FullCommandLine(static_cast<int>(argv.size()), argv.data());
}

TEST(CommandLine, EachArgumentIsWrittenSoThatItReadsBackAsMeant) {
    test::TempDir dir;
    const std::string prt = dir.Write("R4711.PRT", "");
    const std::string spaced = dir.Write("Rechnung 4711.PRT", "");
    const std::string quote = dir.Write("Rechnung \"4711\".PRT", "");
    const std::string invalid = dir.Write("R\xFC.PRT", "");
    const std::string longSpaced = dir.Write(std::string(100, 'x') + " y.PRT", "");
    const std::string encodedFolder = FileUrl(dir.Path());
    struct Case {
        std::string argument;
        std::string written;
    } cases[] = {
        {"R4711.PRT", "R4711.PRT"},
        {"/X", "/X"},
        {prt, '"' + prt + '"'},                         // an absolute path is a file
        {spaced, '"' + spaced + '"'},                   // and keeps its blanks
        {"/PKyocera FS-2100", "/P\"Kyocera FS-2100\""}, // option value with a blank
        {"/P\"Laser 2\"", "/P\"Laser 2\""},             // already quoted: as it is
        {"mein file.prt", "\"mein file.prt\""},
        {"/Fehlt/nicht da.PRT", "/F\"ehlt/nicht da.PRT\""}, // no such folder: an option
        {"/w/tmp/R1.pdf", "/w/tmp/R1.pdf"},
        {dir.File("fehlt.PRT"), '"' + dir.File("fehlt.PRT") + '"'}, // yet to come: a file
        {"Büro.PRT", "Büro.PRT"},                                   // UTF-8 stays
        {quote, encodedFolder + "/Rechnung%20%224711%22.PRT"},      // what quotes cannot carry
        {invalid, encodedFolder + "/R%FC.PRT"},
        {longSpaced, encodedFolder + "/" + std::string(100, 'x') + "%20y.PRT"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CommandLineArgument(c.argument), c.written) << c.argument;

    EXPECT_EQ(Line({"/usr/bin/qorprt"}), "/usr/bin/qorprt");
    // A program path the parse stage could not cut off.
    EXPECT_EQ(Line({"./qp", "a.PRT"}), "qorprt a.PRT");
    EXPECT_EQ(Line({"/opt/qorprt neu/bin/qorprt", "a.PRT"}), "qorprt a.PRT");
    EXPECT_EQ(Line({"qorprt", prt, "/PKyocera FS-2100", "/X"}),
              "qorprt \"" + prt + "\" /P\"Kyocera FS-2100\" /X");
    const char* argv[] = {"qorprt", "a.PRT", "/T5"};
    EXPECT_EQ(ArgumentText(3, argv), "a.PRT /T5");
}

TEST(CommandLine, TheParseStageReadsTheWrittenLineAsTheCallerMeantIt) {
    test::TempDir dir;
    const std::string spaced = dir.Write("Rechnung 4711.PRT", "");
    JobSettings job;
    job.DruListe.Items = {"PDF", "Kyocera FS-2100", "Laser"};
    job.Aufruf = Line({"/opt/qorva/bin/qorprt", spaced, "/PKyocera FS-2100", "/T12", "/X"});
    NoPrinter printer;
    ResetJobSettings(job);
    const ParsedJob parsed = ParseJobCommandLine(job, printer);
    ASSERT_TRUE(parsed.PRTfile.has_value());
    EXPECT_EQ(*parsed.PRTfile, '"' + spaced + '"'); // the driver removes the quotes
    EXPECT_EQ(job.DruListe.ItemIndex, 1);
    EXPECT_EQ(job.RandOben, "12");
    EXPECT_TRUE(parsed.DirectPrint);

    // Names that only a URL can carry come back as the same file, and "/X" in a folder's name is
    // no direct print.
    const std::string odd = dir.Write("Xaver \"1\"\n.PRT", "");
    job.Aufruf = Line({"qorprt", odd});
    EXPECT_FALSE(JobHasDirectPrintOption(job.Aufruf));
    ResetJobSettings(job);
    const ParsedJob oddParsed = ParseJobCommandLine(job, printer);
    ASSERT_TRUE(oddParsed.PRTfile.has_value());
    EXPECT_EQ(FileSystemPath(*oddParsed.PRTfile), odd);
    EXPECT_FALSE(oddParsed.DirectPrint);
}

TEST(CommandLine, OnlyAnArgumentSlashNAfterTheFirstAsksForAnInstanceOfItsOwn) {
    const char* first[] = {"qorprt", "/N", "a.PRT"};
    const char* later[] = {"qorprt", "a.PRT", "/N"};
    const char* inName[] = {"qorprt", "/tmp/a /N b.PRT"};
    EXPECT_FALSE(WantsOwnInstance(3, first));
    EXPECT_TRUE(WantsOwnInstance(3, later));
    EXPECT_FALSE(WantsOwnInstance(2, inName));
}

} // namespace
} // namespace qorprt
