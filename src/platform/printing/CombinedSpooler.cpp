#include "platform/printing/CombinedSpooler.h"

#include "platform/printing/CupsSpooler.h"

#include <algorithm>

namespace qorprt {

namespace {

// A handle of one of the two spoolers, and which one it is.
class CombinedState : public PrinterHandleState {
public:
    CombinedState(Spooler& owner, PrinterHandle handle)
        : spooler(owner), inner(std::move(handle)) {}
    Spooler& spooler;
    PrinterHandle inner;
};

// Runs an operation on the spooler that opened the handle.
template <class Op>
auto Dispatch(PrinterHandle& printer, Op op)
    -> decltype(op(std::declval<Spooler&>(), std::declval<PrinterHandle&>())) {
    auto* state = printer.State<CombinedState>();
    if (!state) return Fail("printer handle is not open", kErrorInvalidHandle);
    return op(state->spooler, state->inner);
}

} // namespace

CombinedSpooler::CombinedSpooler(std::unique_ptr<Spooler> cups,
                                 std::unique_ptr<PdfPrinterSpooler> pdf)
    : cups_(std::move(cups)), pdf_(std::move(pdf)) {}

std::unique_ptr<CombinedSpooler> CombinedSpooler::CreateDefault() {
    return std::make_unique<CombinedSpooler>(std::make_unique<CupsSpooler>(),
                                             std::make_unique<PdfPrinterSpooler>());
}

Expected<std::vector<std::string>> CombinedSpooler::EnumPrinters() {
    std::vector<std::string> names;
    if (cups_) {
        // Without a CUPS server the PDF printer is still there.
        if (auto list = cups_->EnumPrinters(); list) names = std::move(*list);
    }
    std::erase(names, std::string(PdfPrinterSpooler::kName));
    names.emplace_back(PdfPrinterSpooler::kName);
    return names;
}

Expected<std::string> CombinedSpooler::DefaultPrinter() {
    if (pdf_->IsUserDefault()) return std::string(PdfPrinterSpooler::kName);
    if (cups_)
        if (auto name = cups_->DefaultPrinter(); name) return name;
    return std::string(PdfPrinterSpooler::kName);
}

Status CombinedSpooler::SetDefaultPrinter(std::string_view name) {
    if (name == PdfPrinterSpooler::kName) return pdf_->SetDefaultPrinter(name);
    if (!cups_)
        return Fail("printer " + std::string(name) + " does not exist", kErrorInvalidPrinterName);
    Status set = cups_->SetDefaultPrinter(name);
    if (!set) return set;
    return pdf_->ClearUserDefault();
}

Expected<PrinterHandle> CombinedSpooler::OpenPrinter(std::string_view name) {
    Spooler* owner =
        name == PdfPrinterSpooler::kName ? static_cast<Spooler*>(pdf_.get()) : cups_.get();
    if (!owner)
        return Fail("printer " + std::string(name) + " does not exist", kErrorInvalidPrinterName);
    auto inner = owner->OpenPrinter(name);
    if (!inner) return inner.failure();
    std::string innerName = inner->Name();
    return PrinterHandle(std::move(innerName),
                         std::make_unique<CombinedState>(*owner, std::move(*inner)));
}

Expected<PrinterInfo2> CombinedSpooler::GetPrinter2(PrinterHandle& printer) {
    return Dispatch(printer, [](Spooler& s, PrinterHandle& h) { return s.GetPrinter2(h); });
}

Status CombinedSpooler::SetPrinter2(PrinterHandle& printer, const DevMode& devMode) {
    return Dispatch(printer,
                    [&](Spooler& s, PrinterHandle& h) { return s.SetPrinter2(h, devMode); });
}

Expected<std::vector<PaperInfo>> CombinedSpooler::Papers(PrinterHandle& printer) {
    return Dispatch(printer, [](Spooler& s, PrinterHandle& h) { return s.Papers(h); });
}

Expected<std::vector<BinInfo>> CombinedSpooler::Bins(PrinterHandle& printer) {
    return Dispatch(printer, [](Spooler& s, PrinterHandle& h) { return s.Bins(h); });
}

Expected<DevMode> CombinedSpooler::DocumentProperties(PrinterHandle& printer, const DevMode* in) {
    return Dispatch(printer,
                    [&](Spooler& s, PrinterHandle& h) { return s.DocumentProperties(h, in); });
}

Expected<std::optional<std::string>> CombinedSpooler::SaveDefaults(PrinterHandle& printer) {
    return Dispatch(printer, [](Spooler& s, PrinterHandle& h) { return s.SaveDefaults(h); });
}

Status CombinedSpooler::RestoreDefaults(PrinterHandle& printer, const std::string& saved) {
    return Dispatch(printer,
                    [&](Spooler& s, PrinterHandle& h) { return s.RestoreDefaults(h, saved); });
}

Expected<int32_t> CombinedSpooler::Resolution(PrinterHandle& printer) {
    return Dispatch(printer, [](Spooler& s, PrinterHandle& h) { return s.Resolution(h); });
}

Expected<PaperMargins> CombinedSpooler::Margins(PrinterHandle& printer, const DevMode& devMode) {
    return Dispatch(printer, [&](Spooler& s, PrinterHandle& h) { return s.Margins(h, devMode); });
}

Status CombinedSpooler::SubmitDocument(PrinterHandle& printer, const std::string& pdfPath,
                                       const std::string& title, const DevMode& devMode) {
    return Dispatch(printer, [&](Spooler& s, PrinterHandle& h) {
        return s.SubmitDocument(h, pdfPath, title, devMode);
    });
}

} // namespace qorprt
