#pragma once

#include "jobs/JobList.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace qorprt {

class JobHost;
class PrinterProperties;
class Printer;
class Spooler;
struct JobSettings;
struct PdfState;
struct RenderState;

// Everything a job works on: the job settings and the job list of the main window, the service
// mode, the printer object, the spooler, the printer properties, the rendering and PDF state,
// and the window around it.
struct JobEnvironment {
    JobSettings& job;
    JobList& jobs;
    int32_t& serviceMode;
    Printer& printer;
    Spooler& spooler;
    PrinterProperties& properties;
    RenderState& state;
    PdfState& pdf;
    JobHost& host;
    // The waits for a printer that is still printing: rounds and their length.
    int printerWaitRounds = 10;
    std::chrono::milliseconds printerWait{2000};
};

// Executes the job whose command line stands in job.Aufruf: prints it at once and removes the
// selected entry from the job list (true), shows it in the preview (false), or, without a PRT
// file, shows the usage text, removes the first entry and enters service mode (false). A job is
// marked printed (its .PRT renamed to .PRD) only when the spooler accepted every document.
bool DoJob(JobEnvironment& env, bool minimise);

// Clears the preview and renders the job's PRT file on it (the display path of DoJob and the
// redraw button).
void ShowPreview(JobEnvironment& env);

// A file name as a job writes it, without its surrounding double quotes (a lone opening quote is
// dropped too).
std::string UnquotedFileName(std::string name);

// The file a printed PRT file is renamed to, and the file renamed, as file-system paths: the name
// without its surrounding double quotes and its last character, followed by "D" and "T" (in the
// case of the name's own last letter). Empty when the name is empty.
struct PrintedNames {
    std::string printed; // base + "T"
    std::string marked;  // base + "D"
};
PrintedNames PrintedFileNames(const std::string& prtFile);

// Renames the printed file to its .PRD name in one step, replacing an older .PRD file; nothing
// is removed when the printed file is not there. False when the rename failed, which is logged at
// level 10 with both names and the reason.
bool MarkPrinted(const std::string& prtFile);

} // namespace qorprt
