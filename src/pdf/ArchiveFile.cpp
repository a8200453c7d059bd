#include "pdf/ArchiveFile.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            out.push_back(c);
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

// The update of the information dictionary and the XMP metadata, appended to the document as
// it is (an incremental update): the document itself is copied, never parsed whole, so memory
// does not grow with its pages. qpdf reads only the trailer and the catalog.
class InfoUpdate {
public:
    InfoUpdate(const std::string& source, const ArchiveInfo& info) {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        // A damaged spool document is an error, not something to patch up quietly.
        pdf.setAttemptRecovery(false);
        pdf.processFile(source.c_str());
        QPDFObjectHandle trailer = pdf.getTrailer();
        QPDFObjectHandle root = trailer.getKey("/Root");
        QPDFObjectHandle id = trailer.getKey("/ID");
        if (!root.isIndirect() || !root.isDictionary() || !id.isArray() || pdf.anyWarnings())
            throw std::runtime_error("the PDF document " + source + " is damaged");
        int next = trailer.getKey("/Size").getIntValueAsInt();
        QPDFObjectHandle oldInfo = trailer.getKey("/Info");
        const int infoNumber = oldInfo.isIndirect() ? oldInfo.getObjectID() : next++;
        QPDFObjectHandle producerKey =
            oldInfo.isDictionary() ? oldInfo.getKey("/Producer") : QPDFObjectHandle::newNull();
        const std::string producer = producerKey.isString() ? producerKey.getUTF8Value() : "";
        QPDFObjectHandle metadata = root.getKey("/Metadata");
        const bool newMetadata = !metadata.isIndirect();
        const int metadataNumber = newMetadata ? next++ : metadata.getObjectID();

        const Dates dates = Now();
        auto text = [](const std::string& utf8) {
            return QPDFObjectHandle::newUnicodeString(utf8).unparse();
        };
        objects_.push_back({infoNumber, "<< /Title " + text(info.title) + " /Author " +
                                            text(info.author) + " /Subject " + text(info.subject) +
                                            " /Creator " + text(info.creator) + " /Producer " +
                                            text(producer) + " /CreationDate (" + dates.pdf +
                                            ") /ModDate (" + dates.pdf + ") >>"});
        // PDF/A-1 wants the metadata stream unfiltered.
        const std::string xmp = Xmp(info, producer, dates);
        objects_.push_back({metadataNumber, "<< /Type /Metadata /Subtype /XML /Length " +
                                                std::to_string(xmp.size()) + " >>\nstream\n" + xmp +
                                                "\nendstream"});
        if (newMetadata) {
            // The catalog anew, with its entries as they are and the metadata added.
            std::string catalog = "<<";
            for (const std::string& key : root.getKeys())
                catalog += " " + key + " " + root.getKey(key).unparse();
            catalog += " /Metadata " + std::to_string(metadataNumber) + " 0 R >>";
            objects_.push_back({root.getObjectID(), catalog});
        }
        std::sort(objects_.begin(), objects_.end(),
                  [](const Object& x, const Object& y) { return x.number < y.number; });
        trailer_ = "/Size " + std::to_string(next) + " /Root " + root.unparse() + " /Info " +
                   std::to_string(infoNumber) + " 0 R /ID " + id.unparse();
        previous_ = pdf.getXRefTable().empty() ? 0 : StartXref(source);
    }

    // Appends the update to a file that holds the document and ends after `end` bytes.
    void Write(FILE* out, long long end) const {
        std::string update = "\n";
        std::vector<long long> offsets;
        for (const Object& o : objects_) {
            offsets.push_back(end + static_cast<long long>(update.size()));
            update += std::to_string(o.number) + " 0 obj\n" + o.body + "\nendobj\n";
        }
        const long long xref = end + static_cast<long long>(update.size());
        update += "xref\n";
        for (size_t i = 0; i < objects_.size(); ++i) {
            char entry[32];
            std::snprintf(entry, sizeof entry, "%010lld 00000 n \n", offsets[i]);
            update += std::to_string(objects_[i].number) + " 1\n" + entry;
        }
        update += "trailer\n<< " + trailer_ + " /Prev " + std::to_string(previous_) +
                  " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
        if (std::fwrite(update.data(), 1, update.size(), out) != update.size())
            throw std::runtime_error(std::string("writing the update: ") + std::strerror(errno));
    }

private:
    struct Object {
        int number;
        std::string body;
    };

    // Where the document's last cross-reference section starts, from its last "startxref".
    static long long StartXref(const std::string& source) {
        FILE* in = std::fopen(source.c_str(), "rb");
        if (!in) throw std::runtime_error("cannot read " + source);
        std::string tail(1024, '\0');
        std::fseek(in, 0, SEEK_END);
        const long size = std::ftell(in);
        const long from = size > 1024 ? size - 1024 : 0;
        std::fseek(in, from, SEEK_SET);
        tail.resize(std::fread(tail.data(), 1, tail.size(), in));
        std::fclose(in);
        const size_t at = tail.rfind("startxref");
        if (at == std::string::npos) throw std::runtime_error("no startxref in " + source);
        return std::atoll(tail.c_str() + at + 9);
    }

    std::vector<Object> objects_;
    std::string trailer_;
    long long previous_ = 0;
};

// Copies the file into `out`; returns the number of bytes copied.
long long CopyInto(const std::string& source, FILE* out) {
    FILE* in = std::fopen(source.c_str(), "rb");
    if (!in) throw std::runtime_error("cannot read " + source + ": " + std::strerror(errno));
    std::vector<char> buffer(1 << 16);
    long long copied = 0;
    for (size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0;) {
        if (std::fwrite(buffer.data(), 1, n, out) != n) {
            const int error = errno;
            std::fclose(in);
            throw std::runtime_error(std::string("writing: ") + std::strerror(error));
        }
        copied += static_cast<long long>(n);
    }
    const bool failed = std::ferror(in) != 0;
    std::fclose(in);
    if (failed) throw std::runtime_error("cannot read " + source);
    return copied;
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
        const InfoUpdate update(source, info);
        const long long end = CopyInto(source, out.File());
        update.Write(out.File(), end);
    } catch (const std::exception& e) {
        return Fail(std::string("Writing ") + target + ": " + e.what());
    }
    return out.Commit();
}

} // namespace qorprt
