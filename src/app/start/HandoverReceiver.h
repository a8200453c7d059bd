#pragma once

#include "platform/system/Files.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace qorprt {

// A job handed over by a later start: its command line (the bytes as the start gave them), the
// folder the start was called in, the bytes the message announced (the line and its NUL), and
// the number of its record in the instance's queue on disk (0: none).
struct HandedOverJob {
    std::string commandLine;
    std::string folder;
    uint64_t bytes = 0;
    uint64_t record = 0;
};

// Keeps a job that is being taken (writes it to the queue on disk and sets its record); false
// when it cannot, and the start then does the job itself.
using JobKeeper = std::function<bool(HandedOverJob&)>;

// The receiving end of a handover message (wParam: the bytes of the command line with its NUL,
// the block passed along as `block`): maps the block, takes the job from the start (Pending to
// Taken), has `keep` keep it, and marks it kept (Persisted). The job, or nothing (the answer is
// then 0) when there is no readable block, the start has already withdrawn it, no longer waits
// for the answer (`senderWaiting`, when given, says so: a killed start's job is not taken), or
// `keep` fails. Logs nothing.
std::optional<HandedOverJob> TakeHandoverJob(UniqueFd block, uint64_t wParam, const JobKeeper& keep,
                                             const std::function<bool()>& senderWaiting = {});

} // namespace qorprt
