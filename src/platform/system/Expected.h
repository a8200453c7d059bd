#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>

namespace qorprt {

// Windows error codes a failure carries, for the places that show "Error : " and the code.
inline constexpr int32_t kErrorFileNotFound = 2; // no default printer
inline constexpr int32_t kErrorAccessDenied = 5;
inline constexpr int32_t kErrorInvalidHandle = 6;
inline constexpr int32_t kErrorGenFailure = 31;          // anything else
inline constexpr int32_t kErrorServerUnavailable = 1722; // RPC_S_SERVER_UNAVAILABLE
inline constexpr int32_t kErrorInvalidPrinterName = 1801;

// The reason a platform operation failed: a text for the log and a Windows-style error code.
struct Failure {
    std::string text;
    int32_t code = kErrorGenFailure;
};

// The value of an operation that may fail, or the reason it failed. Callers log the failure and
// go on, so every spooler operation returns one of these instead of throwing.
template <class T> class Expected {
public:
    Expected(T value) : state_(std::move(value)) {}
    Expected(Failure failure) : state_(std::move(failure)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<0>(state_); }
    const T& value() const { return std::get<0>(state_); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    // The failure's text; empty when the operation succeeded.
    std::string error() const { return ok() ? std::string() : std::get<1>(state_).text; }
    // The failure's error code; 0 when the operation succeeded.
    int32_t code() const { return ok() ? 0 : std::get<1>(state_).code; }
    // The failure, to hand on unchanged.
    Failure failure() const { return ok() ? Failure{} : std::get<1>(state_); }

private:
    std::variant<T, Failure> state_;
};

struct Done {};
// The result of an operation that yields nothing but success or a failure.
using Status = Expected<Done>;
inline Status Ok() {
    return Status(Done{});
}
inline Failure Fail(std::string text, int32_t code = kErrorGenFailure) {
    return Failure{std::move(text), code};
}

} // namespace qorprt
