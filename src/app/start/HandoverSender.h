#pragma once

#include <string>

namespace qorprt {

// The sender side of the instance handover: looks for a running instance (a window titled
// "Running"), hands it the full command line and the folder the start was called in, and
// reports whether it took the job: true only when the instance has the job safely on disk.
// `argumentText` is the command line after the program path; a " /N " in it (with one blank
// appended) keeps the job here. When the instance does not answer within a few seconds, or a
// SIGTERM or SIGINT arrives meanwhile, the start withdraws the job; one it can no longer
// withdraw it waits for. A start ended by a signal after withdrawing its job ends as the signal
// asks. Writes the handover's failure lines to the log. Creates no GUI.
bool HandOverJob(const std::string& argumentText, const std::string& fullCommandLine,
                 const std::string& folder);

} // namespace qorprt
