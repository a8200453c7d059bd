#pragma once

#include <string>
#include <utility>
#include <variant>

namespace qorprt {

// The reason a platform operation failed, as a text for the log.
struct Failure {
    std::string text;
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

private:
    std::variant<T, Failure> state_;
};

struct Done {};
// The result of an operation that yields nothing but success or a failure.
using Status = Expected<Done>;
inline Status Ok() {
    return Status(Done{});
}
inline Failure Fail(std::string text) {
    return Failure{std::move(text)};
}

} // namespace qorprt
