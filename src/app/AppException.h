#pragma once

#include <exception>
#include <functional>
#include <stdexcept>
#include <string>

namespace qorprt {

// "AppException: " + the exception's class name + " - " + its message.
std::string AppExceptionLine(const std::exception& e);
// The same for a thrown value that is no exception object.
std::string AppExceptionLineUnknown();

// The handler for exceptions that escape an event handler: logs AppExceptionLine at level 10 and
// then asks the application to end through the registered terminate handler.
void AppException(const std::exception& e);

// Registers what AppException calls to end the program (the application's quit); empty: none.
void SetAppTerminateHandler(std::function<void()> terminate);

// Runs an event handler; whatever it throws goes to AppException instead of into the event loop
// (which cannot carry exceptions).
template <class Handler> void RunHandler(Handler&& handler) noexcept {
    try {
        handler();
    } catch (const std::exception& e) {
        AppException(e);
    } catch (...) {
        AppException(std::runtime_error(""));
    }
}

} // namespace qorprt
