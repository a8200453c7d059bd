#pragma once

#include "graphics/JobSettings.h"
#include "platform/printing/DevMode.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qorprt {

class MessageBoxes;
class Spooler;

// The printer name up to its last blank and then up to the new last blank, so that a list entry
// "Laser on LPT1:" names the printer "Laser"; a name with one blank loses its last word, a name
// without blanks stays whole.
std::string StripPortSuffix(std::string_view name);

// Reads a printer's papers and bins into the job's lists and writes the selected paper, bin,
// orientation and duplex into the printer's stored defaults for the time of a print.
class PrinterProperties {
public:
    PrinterProperties(Spooler& spooler, JobSettings& job, MessageBoxes& messages);

    // Fills PaperListe and BinListe for the printer `name` (UTF-8) and selects the entries of
    // `bin` and the job's PaperCode; takes the printer's duplex setting unless the job gave one.
    void GetPrintProp(const std::string& name, int32_t bin);

    // Saves the printer's defaults and writes the selected settings into them, or, with -2 in
    // all four values, writes the saved defaults back. -1 leaves a value as it is. True when the
    // printer took the settings.
    bool SetPrintProp(const std::string& name, int32_t source, int32_t length, int32_t width,
                      int32_t paper);

    // The user clicked a printer in DruListe.
    void PrinterClick();

    // Brackets one print. Within it only the first change saves the printer's defaults, so that
    // a later bin switch of the same print does not make the restore write back the first
    // sheet's settings; and a restore in a print that saved nothing writes nothing, since the
    // saved copy then belongs to an earlier print.
    void BeginPrint();
    void EndPrint();

    std::string PrinterName; // the printer being printed to (UTF-8)
    DevMode m_devmode{};     // the defaults saved by the last change; zeros at start

private:
    // What the spooler keeps of the printer's defaults beyond the device mode (for CUPS all of
    // the user's saved options), saved together with m_devmode, so that the restore gives the
    // printer back exactly what it had.
    struct FullDefaults {
        std::string printer;
        std::string saved;
    };

    Spooler& spooler_;
    JobSettings& job_;
    MessageBoxes& messages_;
    std::optional<FullDefaults> fullDefaults_;
    bool printing_ = false;
    bool savedThisPrint_ = false;
};

} // namespace qorprt
