#include "platform/printing/CombinedSpooler.h"
#include "platform/printing/CupsSpooler.h"

#include <QTemporaryDir>
#include <cups/cups.h>
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qorprt {
namespace {

using namespace std::chrono_literals;

// Points libcups at a server for the test's lifetime (this thread only).
class CupsServerScope {
public:
    explicit CupsServerScope(const std::string& server) { cupsSetServer(server.c_str()); }
    ~CupsServerScope() { cupsSetServer(nullptr); }
};

std::unique_ptr<CombinedSpooler> Make(const QTemporaryDir& dir, std::chrono::milliseconds timeout) {
    return std::make_unique<CombinedSpooler>(
        std::make_unique<CupsSpooler>(timeout),
        std::make_unique<PdfPrinterSpooler>(dir.filePath("pdfprinter.conf").toStdString()));
}

void ExpectOnlyThePdfPrinter(CombinedSpooler& spooler) {
    auto names = spooler.EnumPrinters();
    ASSERT_TRUE(names.ok());
    EXPECT_EQ(*names, std::vector<std::string>{PdfPrinterSpooler::kName});
    auto def = spooler.DefaultPrinter();
    ASSERT_TRUE(def.ok());
    EXPECT_EQ(*def, PdfPrinterSpooler::kName);
    EXPECT_FALSE(spooler.OpenPrinter("Laser2").ok());
    auto h = spooler.OpenPrinter(PdfPrinterSpooler::kName);
    ASSERT_TRUE(h.ok()) << h.error();
    auto papers = spooler.Papers(*h);
    ASSERT_TRUE(papers.ok());
    EXPECT_EQ(*papers, PdfPrinterSpooler::FixedPapers());
    EXPECT_FALSE(spooler.SetDefaultPrinter("Laser2").ok());
}

TEST(CombinedSpooler, WithoutACupsServerOnlyThePdfPrinterIsThere) {
    QTemporaryDir dir;
    CupsServerScope server(dir.filePath("no-such-cupsd.sock").toStdString());
    auto spooler = Make(dir, 500ms);
    ExpectOnlyThePdfPrinter(*spooler);
    CupsSpooler cups(500ms);
    EXPECT_FALSE(cups.Reachable());
    EXPECT_EQ(cups.EnumPrinters().code(), kErrorServerUnavailable);
    EXPECT_EQ(cups.OpenPrinter("Laser2").code(), kErrorServerUnavailable);
}

TEST(CombinedSpooler, AServerThatNeverAnswersGivesUpAndListsThePdfPrinter) {
    // A listening socket nobody accepts on: connects succeed, requests get no answer.
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(listen(fd, 8), 0);
    socklen_t len = sizeof addr;
    ASSERT_EQ(getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len), 0);
    {
        QTemporaryDir dir;
        CupsServerScope server("127.0.0.1:" + std::to_string(ntohs(addr.sin_port)));
        auto spooler = Make(dir, 200ms);
        EXPECT_FALSE(CupsSpooler(200ms).EnumPrinters().ok());
        ExpectOnlyThePdfPrinter(*spooler);
    }
    close(fd);
}

TEST(CombinedSpooler, PdfPrinterHandlesWorkThroughTheCombination) {
    QTemporaryDir dir;
    CupsServerScope server(dir.filePath("no-such-cupsd.sock").toStdString());
    auto spooler = Make(dir, 500ms);
    auto h = spooler->OpenPrinter(PdfPrinterSpooler::kName);
    ASSERT_TRUE(h.ok());
    ASSERT_TRUE(spooler->SetPrinter2(*h, MakeDevMode("", DMPAPER_A5, 2, 4, 2)).ok());
    auto dm = spooler->DocumentProperties(*h, nullptr);
    ASSERT_TRUE(dm.ok());
    EXPECT_EQ(dm->dmPaperSize, DMPAPER_A5);
    EXPECT_EQ(dm->dmOrientation, DMORIENT_LANDSCAPE);
    auto info = spooler->GetPrinter2(*h);
    ASSERT_TRUE(info.ok());
    EXPECT_EQ(info->devMode->dmDefaultSource, DMBIN_MANUAL);

    // A handle of the PDF printer itself is not one of the combination's.
    PdfPrinterSpooler& pdf = spooler->PdfPrinter();
    auto own = pdf.OpenPrinter(PdfPrinterSpooler::kName);
    ASSERT_TRUE(own.ok());
    EXPECT_FALSE(spooler->Papers(*own).ok());
}

} // namespace
} // namespace qorprt
