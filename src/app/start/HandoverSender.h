#pragma once

#include <string>

namespace qorprt {

// The sender side of the instance handover: looks for a running instance (a window titled
// "Running"), hands it the full command line (Windows-1252) and reports whether it took the job.
// `argumentText` is the command line after the program path; a " /N " in it (with one blank
// appended) keeps the job here. Writes the handover's failure lines to the log. Creates no GUI.
bool HandOverJob(const std::string& argumentText, const std::string& fullCommandLine);

} // namespace qorprt
