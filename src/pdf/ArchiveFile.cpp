#include "pdf/ArchiveFile.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFWriter.hh>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qorprt {

namespace {

std::string SystemError(const std::string& what, int error) {
    return what + ": " + std::strerror(error);
}

// The text with the five characters XML reserves written as entities.
std::string XmlText(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out.push_back(c);
        }
    }
    return out;
}

struct Dates {
    std::string pdf; // D:YYYYMMDDHHmmSSZ
    std::string xmp; // YYYY-MM-DDTHH:mm:SSZ
};

Dates Now() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char pdf[32], xmp[32];
    std::strftime(pdf, sizeof pdf, "D:%Y%m%d%H%M%SZ", &utc);
    std::strftime(xmp, sizeof xmp, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return {pdf, xmp};
}

// The XMP packet of a PDF/A-1b file, saying what its information dictionary says.
std::string Xmp(const ArchiveInfo& info, const std::string& producer, const Dates& dates) {
    return "<?xpacket begin='\xEF\xBB\xBF' id='W5M0MpCehiHzreSzNTczkc9d'?>\n"
           "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
           " <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
           "  <rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
           "   <dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">" +
           XmlText(info.title) +
           "</rdf:li></rdf:Alt></dc:title>\n"
           "   <dc:creator><rdf:Seq><rdf:li>" +
           XmlText(info.author) +
           "</rdf:li></rdf:Seq></dc:creator>\n"
           "   <dc:description><rdf:Alt><rdf:li xml:lang=\"x-default\">" +
           XmlText(info.subject) +
           "</rdf:li></rdf:Alt></dc:description>\n"
           "  </rdf:Description>\n"
           "  <rdf:Description rdf:about=\"\" xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\">\n"
           "   <xmp:CreatorTool>" +
           XmlText(info.creator) +
           "</xmp:CreatorTool>\n"
           "   <xmp:CreateDate>" +
           dates.xmp +
           "</xmp:CreateDate>\n"
           "   <xmp:ModifyDate>" +
           dates.xmp +
           "</xmp:ModifyDate>\n"
           "  </rdf:Description>\n"
           "  <rdf:Description rdf:about=\"\" xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\">\n"
           "   <pdf:Producer>" +
           XmlText(producer) +
           "</pdf:Producer>\n"
           "  </rdf:Description>\n"
           "  <rdf:Description rdf:about=\"\" xmlns:pdfaid=\"http://www.aiim.org/pdfa/ns/id/\">\n"
           "   <pdfaid:part>1</pdfaid:part>\n"
           "   <pdfaid:conformance>B</pdfaid:conformance>\n"
           "  </rdf:Description>\n"
           " </rdf:RDF>\n"
           "</x:xmpmeta>\n"
           "<?xpacket end='w'?>";
}

void CompleteInfo(QPDF& pdf, const ArchiveInfo& info) {
    QPDFObjectHandle trailer = pdf.getTrailer();
    QPDFObjectHandle dict = trailer.getKey("/Info");
    if (!dict.isDictionary()) {
        dict = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
        trailer.replaceKey("/Info", dict);
    }
    QPDFObjectHandle producerKey = dict.getKey("/Producer");
    const std::string producer = producerKey.isString() ? producerKey.getUTF8Value() : "";
    const Dates dates = Now();
    dict.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(info.title));
    dict.replaceKey("/Author", QPDFObjectHandle::newUnicodeString(info.author));
    dict.replaceKey("/Subject", QPDFObjectHandle::newUnicodeString(info.subject));
    dict.replaceKey("/Creator", QPDFObjectHandle::newUnicodeString(info.creator));
    dict.replaceKey("/CreationDate", QPDFObjectHandle::newString(dates.pdf));
    dict.replaceKey("/ModDate", QPDFObjectHandle::newString(dates.pdf));

    // PDF/A-1 wants the metadata stream unfiltered; the writer below leaves it so.
    QPDFObjectHandle metadata = pdf.newStream(Xmp(info, producer, dates));
    metadata.getDict().replaceKey("/Type", QPDFObjectHandle::newName("/Metadata"));
    metadata.getDict().replaceKey("/Subtype", QPDFObjectHandle::newName("/XML"));
    pdf.getRoot().replaceKey("/Metadata", metadata);
}

// The mode a new file gets: an existing target's, else what the umask allows.
mode_t ModeFor(const std::string& target) {
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// A file being written under a temporary name next to its target: removed unless Commit
// renamed it over the target.
class PendingFile {
public:
    explicit PendingFile(const std::string& target) : target_(target) {
        temp_ = target + ".tmp-XXXXXX";
        const int fd = ::mkstemp(temp_.data());
        if (fd < 0) {
            error_ = errno;
            temp_.clear();
            return;
        }
        file_ = ::fdopen(fd, "wb");
        if (!file_) {
            error_ = errno;
            ::close(fd);
        }
    }
    ~PendingFile() {
        if (file_) std::fclose(file_);
        if (!temp_.empty()) ::unlink(temp_.c_str());
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    FILE* File() const { return file_; }
    int Error() const { return error_; }

    // Flushes the file to the disk and puts it in the target's place.
    Status Commit() {
        const int fd = ::fileno(file_);
        if (std::fflush(file_) != 0 || std::ferror(file_) || ::fsync(fd) != 0)
            return Fail(SystemError("Writing " + temp_, errno));
        ::fchmod(fd, ModeFor(target_));
        FILE* file = file_;
        file_ = nullptr;
        if (std::fclose(file) != 0) return Fail(SystemError("Writing " + temp_, errno));
        if (::rename(temp_.c_str(), target_.c_str()) != 0)
            return Fail(SystemError("Renaming " + temp_ + " to " + target_, errno));
        temp_.clear();
        return Ok();
    }

private:
    std::string target_;
    std::string temp_;
    FILE* file_ = nullptr;
    int error_ = 0;
};

} // namespace

Status WriteArchiveFile(const std::string& source, const std::string& target,
                        const ArchiveInfo& info) {
    if (target.empty()) return Fail("No PDF file name");
    PendingFile out(target);
    if (!out.File()) return Fail(SystemError("Creating a file next to " + target, out.Error()));
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        // A damaged spool document is an error, not something to patch up quietly.
        pdf.setAttemptRecovery(false);
        pdf.processFile(source.c_str());
        if (pdf.anyWarnings()) return Fail("The PDF document " + source + " is damaged");
        CompleteInfo(pdf, info);
        QPDFWriter writer(pdf);
        writer.setOutputFile(target.c_str(), out.File(), false);
        // Qt has compressed what it wrote; everything else passes through as it is.
        writer.setCompressStreams(false);
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setDeterministicID(true);
        writer.write();
    } catch (const std::exception& e) {
        return Fail(std::string("Writing ") + target + ": " + e.what());
    }
    return out.Commit();
}

} // namespace qorprt
