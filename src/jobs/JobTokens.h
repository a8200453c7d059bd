#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qorprt {

// Cuts the program path off a job command line: everything through the "QORPRT" of the program
// name (the first five characters when there is none), then everything through the next blank.
// The text keeps one blank appended, as the token loop needs it.
std::string WithoutProgramPath(const std::string& jobLine);

// Takes the next token off `rest`; false when the loop ends. A token in double quotes keeps its
// quotes; an option value in quotes that contains blanks arrives as one token.
bool NextToken(std::string& rest, std::string& token);

// The tokens the parse stage reads from a job command line, the program path removed and empty
// tokens skipped: options ("/X", "/P\"Kyocera FS-2100\"") and file names, as written.
std::vector<std::string> JobTokens(const std::string& jobLine);

// Whether one of the job's option tokens begins with `option` ("/X" finds "/X" and "/Xyz"). A file
// name that holds the same letters ("/srv/Xaver/R1.PRT", written in quotes) is no option.
bool JobHasOption(const std::string& jobLine, std::string_view option);

// The direct-print mark: an option "/X", whatever follows the letter.
bool JobHasDirectPrintOption(const std::string& jobLine);

} // namespace qorprt
