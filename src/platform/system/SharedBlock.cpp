#include "platform/system/SharedBlock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace qorprt {

namespace {

std::string SystemError(const std::string& what, int error) {
    return what + ": " + std::strerror(error);
}

} // namespace

MappedRegion::MappedRegion(MappedRegion&& other) noexcept
    : address_(std::exchange(other.address_, nullptr)), size_(std::exchange(other.size_, 0)) {}

MappedRegion& MappedRegion::operator=(MappedRegion&& other) noexcept {
    if (this != &other) {
        if (address_) ::munmap(address_, size_);
        address_ = std::exchange(other.address_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

MappedRegion::~MappedRegion() {
    if (address_) ::munmap(address_, size_);
}

std::string SharedBlock::SystemName(std::string_view name) {
    return "/qorprt-" + std::to_string(::geteuid()) + "-" + std::string(name);
}

SharedBlock::SharedBlock(std::string systemName, UniqueFd fd, MappedRegion mapping, bool owner)
    : systemName_(std::move(systemName)), fd_(std::move(fd)), mapping_(std::move(mapping)),
      owner_(owner), writable_(owner) {}

SharedBlock::SharedBlock(SharedBlock&& other) noexcept
    : systemName_(std::move(other.systemName_)), fd_(std::move(other.fd_)),
      mapping_(std::move(other.mapping_)), owner_(std::exchange(other.owner_, false)),
      writable_(std::exchange(other.writable_, false)) {}

SharedBlock& SharedBlock::operator=(SharedBlock&& other) noexcept {
    if (this != &other) {
        Remove();
        systemName_ = std::move(other.systemName_);
        fd_ = std::move(other.fd_);
        mapping_ = std::move(other.mapping_);
        owner_ = std::exchange(other.owner_, false);
        writable_ = std::exchange(other.writable_, false);
    }
    return *this;
}

SharedBlock::~SharedBlock() {
    Remove();
}

void SharedBlock::Remove() noexcept {
    if (owner_) ::shm_unlink(systemName_.c_str());
    owner_ = false;
}

Expected<SharedBlock> SharedBlock::Create(std::string_view name, size_t size) {
    std::string systemName = SystemName(name);
    UniqueFd fd(::shm_open(systemName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!fd.Valid())
        return Fail(SystemError(systemName, errno),
                    errno == EEXIST ? kErrorAlreadyExists : kErrorAccessDenied);
    // From here on the name is ours: the object removes it on every way out.
    SharedBlock block(std::move(systemName), std::move(fd), MappedRegion(), true);
    // The umask may have taken rights the mode asked for, never added any; make it exact.
    if (::fchmod(block.fd_.Get(), 0600) != 0 ||
        ::ftruncate(block.fd_.Get(), static_cast<off_t>(size)) != 0)
        return Fail(SystemError(block.systemName_, errno));
    if (size > 0) {
        void* address =
            ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, block.fd_.Get(), 0);
        if (address == MAP_FAILED) return Fail(SystemError(block.systemName_, errno));
        block.mapping_ = MappedRegion(address, size);
    }
    return block;
}

Expected<SharedBlock> SharedBlock::OpenForReading(std::string_view name) {
    std::string systemName = SystemName(name);
    UniqueFd fd(::shm_open(systemName.c_str(), O_RDONLY | O_CLOEXEC, 0));
    if (!fd.Valid()) return Fail(SystemError(systemName, errno), kErrorFileNotFound);
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) return Fail(SystemError(systemName, errno));
    // Anyone may put an object of this name into /dev/shm; only our own user's is a handover.
    if (info.st_uid != ::geteuid())
        return Fail(systemName + ": belongs to another user", kErrorAccessDenied);
    MappedRegion mapping;
    if (info.st_size > 0) {
        const auto size = static_cast<size_t>(info.st_size);
        void* address = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd.Get(), 0);
        if (address == MAP_FAILED) return Fail(SystemError(systemName, errno));
        mapping = MappedRegion(address, size);
    }
    return SharedBlock(std::move(systemName), std::move(fd), std::move(mapping), false);
}

std::span<char> SharedBlock::Writable() {
    if (!writable_ || !mapping_.Address()) return {};
    return {static_cast<char*>(mapping_.Address()), mapping_.Size()};
}

std::span<const char> SharedBlock::Bytes() const {
    if (!mapping_.Address()) return {};
    return {static_cast<const char*>(mapping_.Address()), mapping_.Size()};
}

} // namespace qorprt
