#include "jobs/JobCommandLine.h"

#include "jobs/JobTokens.h"

#include "platform/system/Registry.h"
#include "platform/text/Encoding.h"
#include "platform/text/Numbers.h"
#include "platform/text/Strings.h"

#include <string_view>

namespace qorprt {

namespace {

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
    // Printer names are compared as the ANSI code page upper-cases them.
    value = UpperCp1252(Utf8ToCp1252(value));
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
