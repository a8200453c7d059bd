#pragma once

#include <string>

namespace qorprt {

// The program's command line as the job list and the handover carry it (UTF-8, the system's own
// text): the program path as the caller wrote it, then every argument after one blank, each
// written so that the job command line's parse stage reads it as the caller meant it:
// - an argument that names a file is written as a file: one that exists, and an absolute path
//   whose folder exists (a file the job is yet to find there). A name that begins with "/" or
//   holds a blank goes in double quotes; a name that the job line cannot carry that way (a double
//   quote in it, control characters, bytes that are no UTF-8, a blank in a name too long for the
//   quotes) is written as a "file://" URL, which every file operation of the program decodes;
// - any other argument that holds a double quote stays as it is (the caller quoted it already);
// - an option whose value holds a blank becomes the option's two characters and the value in
//   double quotes (/P"Kyocera FS-2100");
// - any other argument with a blank goes in double quotes.
// A program path in which the parse stage would not find where it ends (no "qorprt" in it, or a
// blank after its first "qorprt") is written as "qorprt".
std::string FullCommandLine(int argc, const char* const* argv);

// The arguments alone, written the same way: the command line after the program path and the
// blank that follows it.
std::string ArgumentText(int argc, const char* const* argv);

// One argument written as above.
std::string CommandLineArgument(const std::string& argument);

// Whether the start asks for an instance of its own: an argument "/N" after the first one.
bool WantsOwnInstance(int argc, const char* const* argv);

} // namespace qorprt
