#include "support/JobFixture.h"

#include "platform/system/Log.h"
#include "support/GuiApp.h"

namespace qorprt::test {

namespace {

ScriptedSpooler& WithPrinters(ScriptedSpooler& spooler) {
    spooler.Add("Laser1");
    spooler.Add("Laser2");
    spooler.defaultOrder = {"Laser1", "Laser2"};
    return spooler;
}

} // namespace

JobFixture::JobFixture()
    : printer(WithPrinters(spooler), [](QPdfWriter&, int32_t dpi) -> std::unique_ptr<Canvas> {
          return std::make_unique<RecordingCanvas>(dpi);
      }) {
    EnsureGuiApplication();
    job.LogLevel = "1";
    SetLogThresholdSource(&job.LogLevel);
}

JobFixture::~JobFixture() {
    SetLogThresholdSource(nullptr);
}

void JobFixture::Queue(const std::string& arguments) {
    const std::string line = "/usr/bin/qorprt " + arguments;
    jobs.Append(line);
    jobs.Select(static_cast<int32_t>(jobs.Count()) - 1);
    job.Aufruf = line;
}

} // namespace qorprt::test
