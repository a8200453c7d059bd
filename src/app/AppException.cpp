#include "app/AppException.h"

#include "platform/system/Errors.h"
#include "platform/system/Log.h"

namespace qorprt {

namespace {

std::function<void()>& TerminateHandler() {
    static std::function<void()> terminate;
    return terminate;
}

} // namespace

std::string AppExceptionLine(const std::exception& e) {
    return "AppException: " + ExceptionClassName(e) + " - " + e.what();
}

std::string AppExceptionLineUnknown() {
    return "AppException: Exception - ";
}

void AppException(const std::exception& e) {
    try {
        WriteLog(10, AppExceptionLine(e));
    } catch (...) {
        // Even without the line the program must end.
    }
    if (TerminateHandler()) TerminateHandler()();
}

void SetAppTerminateHandler(std::function<void()> terminate) {
    TerminateHandler() = std::move(terminate);
}

} // namespace qorprt
