#include "platform/printing/SpoolCheck.h"

#include "support/GuiApp.h"
#include "support/TempDir.h"

#include <QPainter>
#include <QPdfWriter>
#include <gtest/gtest.h>

namespace qorprt {
namespace {

// A document as the printer's writer makes it, then cut or spoiled the way a full disk leaves it.
TEST(SpoolCheck, OnlyAWholePdfPasses) {
    test::EnsureGuiApplication();
    test::TempDir dir;
    const std::string whole = dir.File("whole.pdf");
    {
        QPdfWriter writer(QString::fromStdString(whole));
        QPainter painter(&writer);
        painter.drawText(100, 100, "Rechnung 4711");
    }
    const std::string pdf = dir.Read("whole.pdf");
    const size_t xref = pdf.rfind("\nxref\n") + 1;
    const size_t startxref = pdf.rfind("startxref");
    ASSERT_LT(xref, startxref);

    struct Row {
        const char* name;
        std::string bytes;
        const char* reason; // empty: whole
    };
    const std::vector<Row> rows = {
        {"whole", pdf, ""},
        {"whole, line end after %%EOF", pdf + "\n", ""},
        {"empty", "", "Datei leer (0 Bytes)"},
        {"cut in the pages", pdf.substr(0, pdf.size() / 2),
         "PDF-Abschluss fehlt (kein %%EOF am Ende)"},
        {"cut before the trailer", pdf.substr(0, startxref),
         "PDF-Abschluss fehlt (kein %%EOF am Ende)"},
        {"no startxref", pdf.substr(0, startxref) + "%%EOF\n",
         "Querverweis fehlt (kein startxref)"},
        {"startxref off the file", pdf.substr(0, startxref) + "startxref\n99999999\n%%EOF",
         "Querverweis fehlt (startxref 99999999 zeigt ins Leere)"},
        {"startxref not at the cross-reference", pdf.substr(0, startxref) + "startxref\n9\n%%EOF",
         "Querverweis fehlt (startxref 9 zeigt ins Leere)"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const std::string path = dir.Write("spool.pdf", r.bytes);
        const Status s = CheckSpoolDocument(path);
        if (*r.reason == '\0') {
            EXPECT_TRUE(s.ok()) << s.error();
        } else {
            EXPECT_EQ(s.error(), "Spooldatei " + path + " verworfen: " + r.reason);
        }
    }
    EXPECT_FALSE(CheckSpoolDocument(dir.File("missing.pdf")).ok());
}

} // namespace
} // namespace qorprt
