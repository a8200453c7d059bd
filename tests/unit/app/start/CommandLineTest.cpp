// The program's own command line, as the job list carries it, read back by the parse stage: each
// argument must arrive as the caller meant it.

#include "app/start/CommandLine.h"

#include "jobs/JobCommandLine.h"
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
        {"/Fehlt/nicht da.PRT", "/F\"ehlt/nicht da.PRT\""}, // no such file: an option
        {"B\xC3\xBCro.PRT", "B\xFCro.PRT"},                 // UTF-8 in, Windows-1252 out
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CommandLineArgument(c.argument), c.written) << c.argument;

    EXPECT_EQ(Line({"/usr/bin/qorprt"}), "/usr/bin/qorprt");
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
}

} // namespace
} // namespace qorprt
