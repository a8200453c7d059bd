#pragma once

#include "platform/system/Expected.h"
#include "platform/system/Files.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qorprt {

// The job list of one running instance kept on disk, so that no accepted job is lost when the
// instance is stopped, killed or the power fails. Under the queue folder ($XDG_STATE_HOME/qorva/
// queue/, by default ~/.local/state/qorva/queue/) every instance has a folder of its own, held
// by an flock() lock that the kernel gives up when the process ends; in it every job is one
// file "<number>.job" (its number keeps the order of arrival), renamed to "<number>.run" when
// its printing starts. A file holds "QORPRT-JOB" LF, the job's folder, NUL, the command line.
// Every change is flushed (the file and the folder) before the call returns.
class JobQueue {
public:
    // A job on disk.
    struct Record {
        uint64_t number = 0;
        std::string commandLine;
        std::string folder;
        bool started = false; // its printing started and did not end
    };

    // Creates this instance's folder in `queueFolder` (empty: the user's queue folder) and
    // takes its lock.
    static Expected<std::unique_ptr<JobQueue>> Open(std::string queueFolder = {});
    // Leaves the jobs on disk for the next start; the folder is removed when it holds none.
    ~JobQueue();
    JobQueue(const JobQueue&) = delete;
    JobQueue& operator=(const JobQueue&) = delete;

    // Writes a new job; its number comes back. Safe to call from any thread.
    Expected<uint64_t> Add(const std::string& commandLine, const std::string& folder);
    // The job's printing starts.
    void MarkStarted(uint64_t number);
    // The job left the list.
    void Remove(uint64_t number);

    // Moves the jobs of instances that no longer run (their lock is free) into this instance's
    // folder, in the order they arrived there, and returns them with their new numbers.
    std::vector<Record> TakeUpOrphans();

    const std::string& Folder() const { return folder_; }

    struct Key {
        explicit Key() = default;
    };
    JobQueue(Key, std::string queueFolder, std::string folder, UniqueFd lock);

private:
    std::string FileName(uint64_t number, bool started) const;
    uint64_t NextNumber();

    std::string queueFolder_;
    std::string folder_; // with trailing "/"
    UniqueFd lock_;
    UniqueFd folderFd_;
    std::mutex mutex_;
    uint64_t next_ = 1;
};

// The user's queue folder with its trailing "/"; empty without XDG_STATE_HOME and HOME.
std::string UserQueueFolder();

} // namespace qorprt
