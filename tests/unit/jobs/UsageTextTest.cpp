#include "jobs/UsageText.h"

#include <gtest/gtest.h>

#include <string>

namespace qorprt {
namespace {

// The usage box as the client's users know it, piece by piece.
TEST(UsageText, IsTheWholeTextByteForByte) {
    const char* const pieces[] = {
        "Aufruf: QorPrt.EXE <Dateiname.PRT> /P<Druckername> /T<oberer Rand> ...",
        "\n  /P Druckername wie unter Windows (auch UNC-schreibweise möglich)",
        "\n  /T oberer Rand in mm",
        "\n  /L linker Rand in mm",
        "\n  /X druckt ohne Anzeige eines Fensters",
        "\n  /B Code für Schachtauswahl, keine Schachtnummer!",
        "\n  /b Code für Schachtauswahl der ersten Seite",
        "\n  /F Code für Papierformat (A4=9, A5=11, ...)",
        "\n  /O Orientation (L=Landscape, P=Portrait)",
        "\n  /H Grafikdatei (BMP, GIF, PNG) mit Hintergrund/Briefkopf (nur 1. Seite)",
        "\n  /h <oberer>X<linker> Rand des Hintergrunds in mm",
        "\n  /D QorPrt arbeitet wie ein Dienst, d.h. wird nie beendet",
        "\n       (keine weiteren Parameter erlaubt)",
        "\n  /d wie /D, zeigt aber nur an und druckt nicht automatisch",
        "\n  /A Level für Ausgabe in QorPrt.LOG: 1 (alles) bis 10 (wichtig)",
        "\n  /S 1 oder 2 für Simplex oder Duplex",
        "\n  /W oder w <Datei.PDF> generiert PDF mit/ohne Anzeige (bei /P- kein Druck)",
        "\n\nDie Parameter hinter / sind optional.",
        "\n\nFenster jetzt anzeigen?",
    };
    std::string expected;
    for (const char* piece : pieces)
        expected += piece;
    EXPECT_EQ(UsageText(), expected);
    EXPECT_EQ(UsageCaption(), "QorPrt.exe vom 07.08.2017");
}

} // namespace
} // namespace qorprt
