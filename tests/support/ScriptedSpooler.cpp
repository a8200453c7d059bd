#include "ScriptedSpooler.h"

#include <algorithm>

namespace qorprt::test {

namespace {

// Counts the open handles, so a test sees a printer left open on some path.
class ScriptedHandle : public PrinterHandleState {
public:
    explicit ScriptedHandle(int32_t& open) : open_(open) { ++open_; }
    ~ScriptedHandle() override { --open_; }
    ScriptedHandle(const ScriptedHandle&) = delete;
    ScriptedHandle& operator=(const ScriptedHandle&) = delete;

private:
    int32_t& open_;
};

} // namespace

ScriptedSpooler::Printer& ScriptedSpooler::Add(const std::string& name) {
    Printer& p = printers[name];
    p.stored = MakeDevMode(name, DMPAPER_A4, DMORIENT_PORTRAIT, DMBIN_AUTO, DMDUP_SIMPLEX);
    p.driverDefault = *p.stored;
    if (std::find(defaultOrder.begin(), defaultOrder.end(), name) == defaultOrder.end())
        defaultOrder.push_back(name);
    return p;
}

Expected<ScriptedSpooler::Printer*> ScriptedSpooler::Find(const PrinterHandle& printer) {
    if (!printer.State<ScriptedHandle>()) return Fail("handle not open", kErrorInvalidHandle);
    const auto it = printers.find(printer.Name());
    if (it == printers.end()) return Fail("printer gone", kErrorInvalidPrinterName);
    return &it->second;
}

Expected<std::vector<std::string>> ScriptedSpooler::EnumPrinters() {
    return defaultOrder;
}

Expected<std::string> ScriptedSpooler::DefaultPrinter() {
    if (noDefault && defaultsSet.empty()) return Fail("no default printer", kErrorFileNotFound);
    if (!defaultsSet.empty()) return defaultsSet.back();
    if (defaultOrder.empty()) return Fail("no default printer", kErrorFileNotFound);
    return defaultOrder.front();
}

Status ScriptedSpooler::SetDefaultPrinter(std::string_view name) {
    if (!printers.contains(std::string(name))) return Fail("unknown", kErrorInvalidPrinterName);
    defaultsSet.emplace_back(name);
    return Ok();
}

Expected<PrinterHandle> ScriptedSpooler::OpenPrinter(std::string_view name) {
    opened.emplace_back(name);
    const auto it = printers.find(std::string(name));
    if (it == printers.end()) return Fail("unknown printer", kErrorInvalidPrinterName);
    if (it->second.refuseOpen) return Fail("open refused", it->second.refuseOpen);
    return PrinterHandle(std::string(name), std::make_unique<ScriptedHandle>(openHandles));
}

Expected<PrinterInfo2> ScriptedSpooler::GetPrinter2(PrinterHandle& printer) {
    auto p = Find(printer);
    if (!p) return p.failure();
    if ((*p)->refuseGetPrinter2) return Fail("GetPrinter refused", (*p)->refuseGetPrinter2);
    return PrinterInfo2{printer.Name(), (*p)->portName, "Scripted driver", (*p)->stored};
}

Status ScriptedSpooler::SetPrinter2(PrinterHandle& printer, const DevMode& devMode) {
    auto p = Find(printer);
    if (!p) return p.failure();
    if ((*p)->refuseSetPrinter2) return Fail("SetPrinter refused", (*p)->refuseSetPrinter2);
    (*p)->stored = devMode;
    stores.emplace_back(printer.Name(), devMode);
    return Ok();
}

Expected<std::vector<PaperInfo>> ScriptedSpooler::Papers(PrinterHandle& printer) {
    auto p = Find(printer);
    if (!p) return p.failure();
    if ((*p)->refusePapers) return Fail("no papers", (*p)->refusePapers);
    return (*p)->papers;
}

Expected<std::vector<BinInfo>> ScriptedSpooler::Bins(PrinterHandle& printer) {
    auto p = Find(printer);
    if (!p) return p.failure();
    if ((*p)->refuseBins) return Fail("no bins", (*p)->refuseBins);
    return (*p)->bins;
}

Expected<DevMode> ScriptedSpooler::DocumentProperties(PrinterHandle& printer, const DevMode* in) {
    auto p = Find(printer);
    if (!p) return p.failure();
    Printer& pr = **p;
    const DevMode base = pr.stored ? *pr.stored : pr.driverDefault;
    if (!in) {
        if (pr.refuseDriverDefault) return Fail("no driver defaults", pr.refuseDriverDefault);
        return pr.driverDefault;
    }
    mergeInputs.push_back(*in);
    if (pr.refuseMerge) return Fail("device mode refused", pr.refuseMerge);
    DevMode out = *in;
    if ((in->dmFields & DM_PAPERSIZE) && !FindPaper(pr.papers, in->dmPaperSize))
        out.dmPaperSize = base.dmPaperSize;
    if ((in->dmFields & DM_DEFAULTSOURCE) && !FindBin(pr.bins, in->dmDefaultSource))
        out.dmDefaultSource = base.dmDefaultSource;
    return out;
}

Expected<std::optional<std::string>> ScriptedSpooler::SaveDefaults(PrinterHandle& printer) {
    auto p = Find(printer);
    if (!p) return p.failure();
    return (*p)->fullDefaults;
}

Status ScriptedSpooler::RestoreDefaults(PrinterHandle& printer, const std::string& saved) {
    auto p = Find(printer);
    if (!p) return p.failure();
    if ((*p)->refuseRestore) return Fail("restore refused", (*p)->refuseRestore);
    (*p)->fullDefaults = saved;
    restores.emplace_back(printer.Name(), saved);
    return Ok();
}

Expected<int32_t> ScriptedSpooler::Resolution(PrinterHandle& printer) {
    auto p = Find(printer);
    if (!p) return p.failure();
    return 600;
}

Status ScriptedSpooler::SubmitDocument(PrinterHandle& printer, const std::string&,
                                       const std::string& title, const DevMode&) {
    auto p = Find(printer);
    if (!p) return p.failure();
    if ((*p)->refuseSubmit) return Fail("document refused", (*p)->refuseSubmit);
    submitted.push_back(title);
    return Ok();
}

} // namespace qorprt::test
