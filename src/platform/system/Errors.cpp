#include "platform/system/Errors.h"

#include <cstdlib>
#include <cxxabi.h>
#include <memory>
#include <typeinfo>

namespace qorprt {

std::string ExceptionClassName(const std::exception& e) {
    if (const auto* own = dynamic_cast<const AppError*>(&e)) return own->ClassName();
    const char* mangled = typeid(e).name();
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> demangled(
        abi::__cxa_demangle(mangled, nullptr, nullptr, &status), &std::free);
    return status == 0 && demangled ? std::string(demangled.get()) : std::string(mangled);
}

} // namespace qorprt
