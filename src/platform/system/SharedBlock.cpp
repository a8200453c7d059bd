#include "platform/system/SharedBlock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace qorprt {

namespace {

constexpr int kSizeSeals = F_SEAL_SHRINK | F_SEAL_GROW;

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

Expected<SharedBlock> SharedBlock::Create(size_t size) {
    if (size == 0) size = 1;
    UniqueFd fd(::memfd_create("qorprt-handover", MFD_CLOEXEC | MFD_ALLOW_SEALING));
    if (!fd.Valid()) return Fail(SystemError("memfd_create", errno));
    if (::ftruncate(fd.Get(), static_cast<off_t>(size)) != 0 ||
        ::fcntl(fd.Get(), F_ADD_SEALS, kSizeSeals | F_SEAL_SEAL) != 0)
        return Fail(SystemError("memfd", errno));
    void* address = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd.Get(), 0);
    if (address == MAP_FAILED) return Fail(SystemError("mmap", errno));
    return SharedBlock(std::move(fd), MappedRegion(address, size));
}

Expected<SharedBlock> SharedBlock::Map(UniqueFd fd, size_t maxSize) {
    if (!fd.Valid()) return Fail("no block");
    // Only a sealed memory file cannot shrink under the mapping (which would fault on access).
    const int seals = ::fcntl(fd.Get(), F_GET_SEALS);
    if (seals < 0 || (seals & kSizeSeals) != kSizeSeals) return Fail("no sealed memory block");
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) return Fail(SystemError("fstat", errno));
    if (!S_ISREG(info.st_mode) || info.st_size <= 0 ||
        static_cast<uint64_t>(info.st_size) > maxSize)
        return Fail("block of unexpected size");
    const auto size = static_cast<size_t>(info.st_size);
    void* address = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd.Get(), 0);
    if (address == MAP_FAILED) return Fail(SystemError("mmap", errno));
    return SharedBlock(std::move(fd), MappedRegion(address, size));
}

} // namespace qorprt
