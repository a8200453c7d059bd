#pragma once

#include "graphics/JobSettings.h"
#include "platform/printing/PrinterSelection.h"

#include <optional>
#include <string>

namespace qorprt {

// The per-job reset done before the printer list is filled. LogLevel, Duplex, PRTfile, Aufruf and
// Anzeige survive from one job to the next.
void ResetJobSettings(JobSettings& job);

// What the parse stage hands back besides the job settings.
struct ParsedJob {
    bool DirectPrint = false;           // print at once without preview
    std::optional<std::string> PRTfile; // the last file token (quotes kept); none: show usage
};

// Parses the job command line in `job.Aufruf` (8-bit Windows-1252, program path first) into the
// job settings. A /P option selects an entry of `job.DruListe` and, unless the printer object is
// printing, points the printer object at the same index. The PRT file name, when the job names
// one, is also written to `job.PRTfile`.
ParsedJob ParseJobCommandLine(JobSettings& job, PrinterSelection& printer);

// The two halves of the parse stage: the token loop (the program path removed, every option
// applied, the last file token kept) and the steps after it (FirstBinCode takes BinCode when
// none was given, Anzeige clears DirectPrint, the PRT file name goes to job.PRTfile).
ParsedJob ParseJobTokens(JobSettings& job, PrinterSelection& printer);
void FinishJobCommandLine(JobSettings& job, ParsedJob& parsed);

// Whether the job command line carries the direct-print option: an option token of the parse
// stage that begins with "/X". A "/X" inside a file name does not count.
bool JobHasDirectPrintOption(const std::string& jobLine);

} // namespace qorprt
