#include "platform/system/JobQueue.h"

#include "platform/system/Log.h"
#include "platform/system/PrivateFolder.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qorprt {

namespace {

constexpr std::string_view kMagic = "QORPRT-JOB\n";
constexpr std::string_view kWaiting = ".job";
constexpr std::string_view kStarted = ".run";
constexpr const char* kLockName = "lock";

std::string SystemError(const std::string& what, int error) {
    return what + ": " + std::strerror(error);
}

void SyncFolder(const std::string& folder) {
    const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Valid()) ::fsync(fd.Get());
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool WriteWhole(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

std::optional<std::string> ReadWhole(const std::string& path) {
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.Valid()) return std::nullopt;
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd.Get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) return text;
        text.append(buffer, static_cast<size_t>(got));
    }
}

// The number of a job file name ("00000000000000000042.job"); 0 when it is none.
uint64_t JobNumber(const std::string& name, bool& started) {
    const bool waiting = name.ends_with(kWaiting);
    started = name.ends_with(kStarted);
    if (!waiting && !started) return 0;
    uint64_t number = 0;
    for (const char c : std::string_view(name).substr(0, name.size() - 4)) {
        if (c < '0' || c > '9') return 0;
        number = number * 10 + static_cast<uint64_t>(c - '0');
    }
    return number;
}

} // namespace

std::string UserQueueFolder() {
    const std::string state = UserStateLogFolder();
    return state.empty() ? state : state + "queue/";
}

Expected<std::unique_ptr<JobQueue>> JobQueue::Open(std::string queueFolder) {
    if (queueFolder.empty()) queueFolder = UserQueueFolder();
    if (queueFolder.empty()) return Fail("no state folder (neither XDG_STATE_HOME nor HOME)");
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(queueFolder).parent_path(), ignored);
    Expected<std::string> queue = EnsurePrivateFolder(queueFolder);
    if (!queue) return queue.failure();
    const auto stamp = std::chrono::duration_cast<std::chrono::nanoseconds>(
                           std::chrono::system_clock::now().time_since_epoch())
                           .count();
    char name[64];
    std::snprintf(name, sizeof name, "%020" PRId64 "-%d", static_cast<int64_t>(stamp),
                  static_cast<int>(::getpid()));
    const std::string final = *queue + name;
    const std::string setup = final + ".new";
    // The folder gets its lock before it gets a name another instance would take up.
    if (::mkdir(setup.c_str(), 0700) != 0) return Fail(SystemError(setup, errno));
    UniqueFd lock(::open((setup + "/" + kLockName).c_str(),
                         O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!lock.Valid() || ::flock(lock.Get(), LOCK_EX | LOCK_NB) != 0 ||
        ::rename(setup.c_str(), final.c_str()) != 0) {
        const int error = errno;
        std::filesystem::remove_all(setup, ignored);
        return Fail(SystemError(final, error));
    }
    SyncFolder(*queue);
    return std::make_unique<JobQueue>(Key(), *queue, final + "/", std::move(lock));
}

JobQueue::JobQueue(Key, std::string queueFolder, std::string folder, UniqueFd lock)
    : queueFolder_(std::move(queueFolder)), folder_(std::move(folder)), lock_(std::move(lock)),
      folderFd_(::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}

JobQueue::~JobQueue() {
    for (const std::string& name : Names(folder_)) {
        bool started = false;
        if (JobNumber(name, started) != 0) return; // jobs stay for the next start
    }
    std::error_code ignored;
    ::unlink((folder_ + kLockName).c_str());
    std::filesystem::remove_all(folder_, ignored);
}

std::string JobQueue::FileName(uint64_t number, bool started) const {
    char name[32];
    std::snprintf(name, sizeof name, "%020" PRIu64, number);
    return folder_ + name + std::string(started ? kStarted : kWaiting);
}

uint64_t JobQueue::NextNumber() {
    std::lock_guard lock(mutex_);
    return next_++;
}

Expected<uint64_t> JobQueue::Add(const std::string& commandLine, const std::string& folder) {
    const uint64_t number = NextNumber();
    const std::string path = FileName(number, false);
    const std::string temp = path + ".tmp";
    std::string bytes(kMagic);
    bytes += folder;
    bytes += '\0';
    bytes += commandLine;
    UniqueFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!fd.Valid()) return Fail(SystemError(temp, errno));
    if (!WriteWhole(fd.Get(), bytes) || ::fsync(fd.Get()) != 0 ||
        ::rename(temp.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return Fail(SystemError(path, error));
    }
    if (folderFd_.Valid()) ::fsync(folderFd_.Get());
    return number;
}

void JobQueue::MarkStarted(uint64_t number) {
    if (::rename(FileName(number, false).c_str(), FileName(number, true).c_str()) == 0 &&
        folderFd_.Valid())
        ::fsync(folderFd_.Get());
}

void JobQueue::Remove(uint64_t number) {
    const bool removed = ::unlink(FileName(number, false).c_str()) == 0 ||
                         ::unlink(FileName(number, true).c_str()) == 0;
    if (removed && folderFd_.Valid()) ::fsync(folderFd_.Get());
}

std::vector<JobQueue::Record> JobQueue::TakeUpOrphans() {
    std::vector<Record> taken;
    const std::string own =
        folder_.substr(queueFolder_.size(), folder_.size() - queueFolder_.size() - 1);
    for (const std::string& name : Names(queueFolder_)) {
        if (name == own) continue;
        const std::string other = queueFolder_ + name + "/";
        const UniqueFd lock(::open((other + kLockName).c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
        if (name.ends_with(".new")) {
            // A folder being set up; one whose lock is free was left by a start that died.
            std::error_code ignored;
            if (lock.Valid() && ::flock(lock.Get(), LOCK_EX | LOCK_NB) == 0)
                std::filesystem::remove_all(other, ignored);
            continue;
        }
        // Without its lock a folder is the rest of a take-up; with a held lock it is alive.
        if (lock.Valid() && ::flock(lock.Get(), LOCK_EX | LOCK_NB) != 0) continue;
        for (const std::string& file : Names(other)) {
            const std::string path = other + file;
            bool started = false;
            if (JobNumber(file, started) == 0) {
                if (file != kLockName) ::unlink(path.c_str()); // a job cut off while written
                continue;
            }
            const std::optional<std::string> bytes = ReadWhole(path);
            const size_t nul = bytes ? bytes->find('\0') : std::string::npos;
            if (!bytes || !bytes->starts_with(kMagic) || nul == std::string::npos) {
                WriteLog(10, "Auftragsdatei unlesbar, verworfen: " + path);
                ::unlink(path.c_str());
                continue;
            }
            Record record;
            record.number = NextNumber();
            record.folder = bytes->substr(kMagic.size(), nul - kMagic.size());
            record.commandLine = bytes->substr(nul + 1);
            record.started = started;
            if (::rename(path.c_str(), FileName(record.number, started).c_str()) != 0) continue;
            taken.push_back(std::move(record));
        }
        if (folderFd_.Valid()) ::fsync(folderFd_.Get());
        ::unlink((other + kLockName).c_str());
        ::rmdir(other.c_str());
    }
    SyncFolder(queueFolder_);
    return taken;
}

} // namespace qorprt
