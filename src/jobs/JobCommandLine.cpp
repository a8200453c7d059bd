#include "jobs/JobCommandLine.h"

#include "platform/system/Registry.h"
#include "platform/text/Encoding.h"
#include "platform/text/Numbers.h"
#include "platform/text/Strings.h"

#include <string_view>

namespace qorprt {

namespace {

// Characters after an opening quote that are searched for its closing quote.
constexpr size_t kQuoteSearch = 99;

// Removes the first `count` characters (all of them when the text is shorter).
void EraseFront(std::string& text, size_t count) {
    text.erase(0, std::min(count, text.size()));
}

// Cuts the program path off the command line: everything through the "QORPRT" of the program
// name, then everything through the next blank.
std::string WithoutProgramPath(const std::string& aufruf) {
    std::string rest = aufruf + " ";
    const size_t p = Pos("QORPRT", UpperCp1252(rest));
    EraseFront(rest, p + 5);
    EraseFront(rest, Pos(" ", rest));
    return rest;
}

// Takes the next token off `rest`; false when the loop ends.
bool NextToken(std::string& rest, std::string& token) {
    if (!rest.empty() && rest.front() == '"') {
        const size_t closing = rest.find('"', 1);
        if (closing != std::string::npos && closing <= kQuoteSearch) {
            token = rest.substr(0, closing + 1);
            EraseFront(rest, closing + 2);
        } else {
            token = "\"";
            EraseFront(rest, 2);
        }
    } else {
        const size_t blank = rest.find(' ');
        if (blank == std::string::npos) return false;
        token = rest.substr(0, blank);
        EraseFront(rest, blank + 1);
    }
    // An option value in quotes that contains blanks arrives as one token, quotes included.
    while (token.size() >= 3 && token[2] == '"' && token.back() != '"' && Contains(rest, "\"")) {
        const size_t blank = rest.find(' ');
        token += ' ';
        token += rest.substr(0, blank);
        EraseFront(rest, blank == std::string::npos ? rest.size() : blank + 1);
    }
    return true;
}

// The upper-cased name of a printer list entry, compared as Windows-1252.
std::string UpperEntry(const std::string& utf8Name) {
    return UpperCp1252(Utf8ToCp1252(utf8Name));
}

int32_t FindPrinter(const std::vector<std::string>& entries, const std::string& wanted) {
    std::vector<std::string> upper;
    upper.reserve(entries.size());
    for (const std::string& e : entries)
        upper.push_back(UpperEntry(e));

    for (size_t i = 0; i < upper.size(); ++i)
        if (upper[i] == wanted) return static_cast<int32_t>(i);
    // A network printer may be written with slashes.
    const std::string wantedSlashes = ReplaceChar(wanted, '\\', '/');
    for (size_t i = 0; i < upper.size(); ++i)
        if (ReplaceChar(upper[i], '\\', '/') == wantedSlashes) return static_cast<int32_t>(i);
    for (size_t i = 0; i < upper.size(); ++i)
        if (upper[i].compare(0, wanted.size(), wanted) == 0) return static_cast<int32_t>(i);
    return -1;
}

void ChoosePrinter(JobSettings& job, PrinterSelection& printer, std::string value) {
    if (value == "-") {
        job.NoPrint = true;
        return;
    }
    if (!value.empty() && value.front() == '"')
        value = value.size() >= 2 ? value.substr(1, value.size() - 2) : std::string();
    value = UpperCp1252(std::move(value));
    if (value == "LOCAL") {
        value = UpperCp1252(ReadRegString(RegRoot::CurrentUser,
                                          "Software\\Qorva eG\\QorvaClient\\Emulation", "Printer"));
    } else if (value.starts_with("LOCAL\\")) {
        value.erase(0, 6);
    }
    const int32_t hit = FindPrinter(job.DruListe.Items, value);
    if (hit < 0) return;
    job.DruListe.ItemIndex = hit;
    if (!printer.Printing()) printer.SetPrinterIndex(hit);
}

void ApplyOption(JobSettings& job, PrinterSelection& printer, ParsedJob& parsed,
                 const std::string& token) {
    if (token.size() < 2) return;
    const std::string value = token.substr(2);
    switch (token[1]) {
    case 'A':
        job.LogLevel = value;
        break;
    case 'B':
        job.BinCode = StrToIntDef(value, 7);
        break;
    case 'b':
        job.FirstBinCode = StrToIntDef(value, 7);
        break;
    case 'F':
        job.PaperCode = StrToIntDef(value, -1);
        break;
    case 'H':
        job.HeadFile = value;
        break;
    case 'h': {
        // Top before the first "X", then at most two characters of left; without an "X" the
        // whole value counts as left.
        const size_t x = Pos("X", value);
        job.HeadTop = StrToIntDef(x > 0 ? Copy(value, 1, x - 1) : std::string_view(), 0);
        job.HeadLeft = StrToIntDef(Copy(value, x + 1, 2), 0);
        break;
    }
    case 'L':
        job.RandLinks = std::to_string(StrToIntDef(value, 0));
        break;
    case 'T':
        job.RandOben = std::to_string(StrToIntDef(value, 0));
        break;
    case 'O':
        job.Landscape = !value.empty() && (value.front() == 'L' || value.front() == 'l');
        break;
    case 'P':
        ChoosePrinter(job, printer, value);
        break;
    case 'S':
        job.Duplex = StrToIntDef(value, 1) != 1;
        job.DuplexGiven = true;
        break;
    case 'W':
        job.PDFname = value;
        job.ShowPdf = true;
        break;
    case 'w':
        job.PDFname = value;
        job.ShowPdf = false;
        break;
    case 'X':
        parsed.DirectPrint = true;
        break;
    default:
        // Start modes and lower-case forms of the other letters.
        break;
    }
}

} // namespace

void ResetJobSettings(JobSettings& job) {
    job.FirstBinCode = -1;
    job.BinCode = -1;
    job.PaperCode = -1;
    job.HeadFile.clear();
    job.HeadTop = 0;
    job.HeadLeft = 0;
    job.DuplexGiven = false;
    job.RandLinks.clear();
    job.RandOben.clear();
    job.Landscape = false;
    job.PDFname.clear();
    job.ShowPdf = false;
    job.NoPrint = false;
}

ParsedJob ParseJobTokens(JobSettings& job, PrinterSelection& printer) {
    ParsedJob parsed;
    std::string rest = WithoutProgramPath(job.Aufruf);
    std::string token;
    while (NextToken(rest, token)) {
        if (token.empty()) continue;
        if (token.front() == '/')
            ApplyOption(job, printer, parsed, token);
        else
            parsed.PRTfile = token;
    }
    return parsed;
}

bool JobHasDirectPrintOption(const std::string& jobLine) {
    std::string rest = WithoutProgramPath(jobLine);
    std::string token;
    while (NextToken(rest, token)) {
        if (token.starts_with("/X")) return true;
    }
    return false;
}

void FinishJobCommandLine(JobSettings& job, ParsedJob& parsed) {
    if (job.FirstBinCode == -1) job.FirstBinCode = job.BinCode;
    // A user who keeps the window shown always gets the preview.
    if (job.Anzeige) parsed.DirectPrint = false;
    if (parsed.PRTfile) job.PRTfile = *parsed.PRTfile;
}

ParsedJob ParseJobCommandLine(JobSettings& job, PrinterSelection& printer) {
    ParsedJob parsed = ParseJobTokens(job, printer);
    FinishJobCommandLine(job, parsed);
    return parsed;
}

} // namespace qorprt
