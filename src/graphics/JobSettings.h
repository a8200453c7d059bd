#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qorprt {

// A list box of the main window: its entries and the selected index (-1: none). Entries of the
// printer-property lists carry their device-mode code before the first ":" ("9: A4 (210x297)").
struct ListModel {
    std::vector<std::string> Items;
    int32_t ItemIndex = -1;

    const std::string* Selected() const {
        return ItemIndex >= 0 && static_cast<size_t>(ItemIndex) < Items.size() ? &Items[ItemIndex]
                                                                               : nullptr;
    }
};

// The options of the current job. Texts are 8-bit Windows-1252. The fields that the main window
// shows in controls of the same name (RandOben, RandLinks, Landscape, Duplex, LogLevel, Anzeige,
// and the captions PRTfile, PDFname, Aufruf) live here as the model the window binds to.
struct JobSettings {
    std::string Aufruf;    // the job command line being executed
    std::string PRTfile;   // PRT file name as written in the job (quotes kept)
    std::string PDFname;   // PDF file to produce; empty: none
    bool ShowPdf = false;  // open the finished PDF for display
    bool NoPrint = false;  // discard the printer document (PDF only)
    std::string RandOben;  // top margin, whole millimetres, as text
    std::string RandLinks; // left margin, whole millimetres, as text
    bool Landscape = false;
    bool Duplex = false;
    bool DuplexGiven = false;  // /S was given in this job
    int32_t BinCode = -1;      // paper source of the sheets after the first; -1: none
    int32_t FirstBinCode = -1; // paper source of the first sheet; -1: none
    int32_t PaperCode = -1;    // paper size code; -1: none
    std::string HeadFile;      // background picture of the first page; empty: none
    int32_t HeadTop = 4;       // offsets of the background picture in mm (4 before the first job)
    int32_t HeadLeft = 4;
    std::string LogLevel = "8"; // log threshold as text
    bool Anzeige = false;       // the window's display check box: always preview
    ListModel DruListe;         // installed printers (UTF-8 names)
    ListModel PaperListe;       // papers of the chosen printer
    ListModel BinListe;         // paper bins of the chosen printer
};

} // namespace qorprt
