#include "platform/system/WindowMessages.h"

namespace qorprt {

namespace {

constexpr uint32_t kFirstRegistered = 0xC000;
constexpr uint32_t kRegisteredCount = 0x4000;
constexpr size_t kMaxNameLength = 255;

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

uint32_t RegisterWindowMessage(std::string_view name) {
    if (name.empty() || name.size() > kMaxNameLength) return 0;
    // The number follows from the name alone (FNV-1a), so no process needs to ask another one.
    uint32_t hash = 2166136261u;
    for (const char c : name) {
        hash ^= static_cast<unsigned char>(UpperAscii(c));
        hash *= 16777619u;
    }
    return kFirstRegistered + hash % kRegisteredCount;
}

} // namespace qorprt
