#pragma once

#include <exception>
#include <functional>
#include <string>

namespace qorprt {

// "AppException: " + the exception's class name + " - " + its message.
std::string AppExceptionLine(const std::exception& e);

// The handler for exceptions that escape an event handler: logs AppExceptionLine at level 10 and
// then asks the application to end through the registered terminate handler.
void AppException(const std::exception& e);

// Registers what AppException calls to end the program (the application's quit); empty: none.
void SetAppTerminateHandler(std::function<void()> terminate);

} // namespace qorprt
