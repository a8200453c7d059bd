#include "platform/system/FailureNotice.h"

namespace qorprt {

namespace {

FailureNoticeSink& Sink() {
    static FailureNoticeSink sink;
    return sink;
}

} // namespace

void NoticeFailure(const std::string& file, const std::string& reason) noexcept {
    try {
        if (Sink()) Sink()(file, reason);
    } catch (...) {
        // The failure is in the log already; a sink that fails must not end the job.
    }
}

void SetFailureNoticeSink(FailureNoticeSink sink) {
    Sink() = std::move(sink);
}

} // namespace qorprt
