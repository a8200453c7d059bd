#include "app/start/HandoverReceiver.h"

#include "app/start/HandoverProtocol.h"
#include "platform/system/SharedBlock.h"

namespace qorprt {

std::optional<HandedOverJob> TakeHandoverJob(UniqueFd blockFd, uint64_t wParam,
                                             const JobKeeper& keep,
                                             const std::function<bool()>& senderWaiting) {
    const Expected<SharedBlock> block = SharedBlock::Map(std::move(blockFd), kHandoverMaxBlockSize);
    if (!block) return std::nullopt;
    const std::optional<HandoverContents> contents = ReadHandoverBlock(*block, wParam);
    if (!contents) return std::nullopt;
    // From here on the start can no longer withdraw the job; until it is kept, a start that
    // loses us knows we ended before the job was safe and does it itself.
    if ((senderWaiting && !senderWaiting()) ||
        !ChangeHandoverState(*block, HandoverState::Pending, HandoverState::Taken))
        return std::nullopt;
    HandedOverJob job{contents->commandLine, contents->folder, wParam, 0};
    if (keep && !keep(job)) {
        ChangeHandoverState(*block, HandoverState::Taken, HandoverState::Withdrawn);
        return std::nullopt;
    }
    ChangeHandoverState(*block, HandoverState::Taken, HandoverState::Persisted);
    return job;
}

} // namespace qorprt
