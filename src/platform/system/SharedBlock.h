#pragma once

#include "platform/system/Expected.h"
#include "platform/system/Files.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace qorprt {

// The error code of a creation whose name is taken (ERROR_ALREADY_EXISTS).
inline constexpr int32_t kErrorAlreadyExists = 183;

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

// A named block of shared memory of this user (a POSIX shared-memory object of mode 0600 whose
// system name carries the user id, see SystemName). The creator removes the name again when its
// object goes; the memory lives on while another process still has it mapped.
class SharedBlock {
public:
    // Creates the block `name` of `size` bytes (zero-filled) and maps it for writing. Fails with
    // kErrorAlreadyExists when the name is taken, so that two senders never share one block.
    static Expected<SharedBlock> Create(std::string_view name, size_t size);
    // Opens the existing block `name` and maps all of it for reading. Fails when there is none,
    // when it does not belong to this user, or when it cannot be mapped. An empty block maps to
    // no bytes.
    static Expected<SharedBlock> OpenForReading(std::string_view name);

    // The system name of the block `name` of this user: "/qorprt-<uid>-" + name.
    static std::string SystemName(std::string_view name);

    // No block.
    SharedBlock() = default;
    SharedBlock(SharedBlock&& other) noexcept;
    SharedBlock& operator=(SharedBlock&& other) noexcept;
    SharedBlock(const SharedBlock&) = delete;
    SharedBlock& operator=(const SharedBlock&) = delete;
    ~SharedBlock();

    // The block's bytes: writable for the creator, read-only for a reader.
    std::span<char> Writable();
    std::span<const char> Bytes() const;
    size_t Size() const { return mapping_.Size(); }

private:
    SharedBlock(std::string systemName, UniqueFd fd, MappedRegion mapping, bool owner);
    void Remove() noexcept;

    std::string systemName_;
    UniqueFd fd_;
    MappedRegion mapping_;
    bool owner_ = false;
    bool writable_ = false;
};

} // namespace qorprt
