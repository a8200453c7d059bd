#pragma once

#include <stdexcept>
#include <string>

namespace qorprt {

// Base of the program's own exceptions. The class name is what the application's exception
// handler writes into the log, so each kind keeps the name its users know it by.
class AppError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    virtual const char* ClassName() const noexcept = 0;
};

// A text that had to be a number and was not.
class EConvertError : public AppError {
public:
    using AppError::AppError;
    const char* ClassName() const noexcept override { return "EConvertError"; }
};

// A printer operation the printer object refuses (for example changing the printer while a
// document is being spooled).
class EPrinter : public AppError {
public:
    using AppError::AppError;
    const char* ClassName() const noexcept override { return "EPrinter"; }
};

// The class name of any exception, for log lines: the program's own name where it has one.
std::string ExceptionClassName(const std::exception& e);

} // namespace qorprt
