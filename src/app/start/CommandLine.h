#pragma once

#include <string>

namespace qorprt {

// The program's command line as the job list and the handover carry it, in Windows-1252: the
// program path as the caller wrote it, then every argument after one blank, each written so that
// the job command line's parse stage reads it as the caller meant it:
// - an argument that holds a double quote stays as it is;
// - one that begins with "/" and names an existing file goes in double quotes, so that an
//   absolute path is a file, never an option;
// - an option whose value holds a blank becomes the option's two characters and the value in
//   double quotes (/P"Kyocera FS-2100");
// - any other argument with a blank goes in double quotes.
std::string FullCommandLine(int argc, const char* const* argv);

// The arguments alone, written the same way: the command line after the program path and the
// blank that follows it.
std::string ArgumentText(int argc, const char* const* argv);

// One argument written as above.
std::string CommandLineArgument(const std::string& utf8Argument);

} // namespace qorprt
