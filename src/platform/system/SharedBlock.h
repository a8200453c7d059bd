#pragma once

#include "platform/system/Expected.h"
#include "platform/system/Files.h"

#include <cstddef>
#include <span>

namespace qorprt {

// A memory mapping that unmaps itself.
class MappedRegion {
public:
    MappedRegion() = default;
    MappedRegion(void* address, size_t size) : address_(address), size_(size) {}
    MappedRegion(MappedRegion&& other) noexcept;
    MappedRegion& operator=(MappedRegion&& other) noexcept;
    MappedRegion(const MappedRegion&) = delete;
    MappedRegion& operator=(const MappedRegion&) = delete;
    ~MappedRegion();

    void* Address() const { return address_; }
    size_t Size() const { return size_; }

private:
    void* address_ = nullptr;
    size_t size_ = 0;
};

// A block of shared memory without a name: a memory file that exists only while a process
// holds its descriptor or a mapping, so that no other user can take, plant or block it and a
// killed process leaves nothing behind. It reaches another process as a descriptor passed over
// a Unix socket. Its size is sealed: neither side can shrink it under the other's mapping.
class SharedBlock {
public:
    // A new zero-filled block of `size` bytes (at least one), mapped for reading and writing.
    static Expected<SharedBlock> Create(size_t size);
    // Maps the block behind a received descriptor for reading and writing. Fails for anything
    // that is not a sealed memory file, and for one larger than `maxSize`.
    static Expected<SharedBlock> Map(UniqueFd fd, size_t maxSize);

    SharedBlock() = default;

    // The descriptor to pass on.
    int Fd() const { return fd_.Get(); }
    std::span<char> Bytes() const {
        return {static_cast<char*>(mapping_.Address()), mapping_.Size()};
    }
    size_t Size() const { return mapping_.Size(); }

private:
    SharedBlock(UniqueFd fd, MappedRegion mapping)
        : fd_(std::move(fd)), mapping_(std::move(mapping)) {}

    UniqueFd fd_;
    MappedRegion mapping_;
};

} // namespace qorprt
