#pragma once

#include <cups/cups.h>
#include <cups/ppd.h>

#include <cstdlib>
#include <memory>

namespace qorprt {

// Owners of the libcups objects, so every path frees them.

struct HttpCloser {
    void operator()(http_t* http) const { httpClose(http); }
};
using HttpPtr = std::unique_ptr<http_t, HttpCloser>;

struct DestInfoFreer {
    void operator()(cups_dinfo_t* info) const { cupsFreeDestInfo(info); }
};
using DestInfoPtr = std::unique_ptr<cups_dinfo_t, DestInfoFreer>;

struct PpdCloser {
    void operator()(ppd_file_t* ppd) const;
};
using PpdPtr = std::unique_ptr<ppd_file_t, PpdCloser>;

// An array of destinations as cupsGetDests2 returns it.
class DestArray {
public:
    DestArray() = default;
    DestArray(const DestArray&) = delete;
    DestArray& operator=(const DestArray&) = delete;
    ~DestArray() { cupsFreeDests(count_, dests_); }

    int count() const { return count_; }
    cups_dest_t* data() const { return dests_; }
    int* countRef() { return &count_; }
    cups_dest_t** destsRef() { return &dests_; }
    cups_dest_t* begin() const { return dests_; }
    cups_dest_t* end() const { return dests_ + count_; }

private:
    int count_ = 0;
    cups_dest_t* dests_ = nullptr;
};

// An option list as cupsAddOption builds it.
class OptionArray {
public:
    OptionArray() = default;
    OptionArray(const OptionArray&) = delete;
    OptionArray& operator=(const OptionArray&) = delete;
    // cupsFreeOptions leaves an array alone that Remove emptied.
    ~OptionArray() {
        if (count_ > 0)
            cupsFreeOptions(count_, options_);
        else
            std::free(options_);
    }

    void Add(const char* name, const char* value) {
        count_ = cupsAddOption(name, value, count_, &options_);
    }
    // Adds the options of a text as lpoptions lines and command lines write them.
    void Parse(const char* text) { count_ = cupsParseOptions(text, count_, &options_); }
    // True when the option was there.
    bool Remove(const char* name) {
        const int before = count_;
        count_ = cupsRemoveOption(name, count_, &options_);
        // cupsAddOption starts a new array when the count is 0: free the emptied one now.
        if (count_ == 0 && options_) {
            std::free(options_);
            options_ = nullptr;
        }
        return count_ != before;
    }
    const char* Get(const char* name) const { return cupsGetOption(name, count_, options_); }
    int count() const { return count_; }
    cups_option_t* data() const { return options_; }

private:
    int count_ = 0;
    cups_option_t* options_ = nullptr;
};

} // namespace qorprt
