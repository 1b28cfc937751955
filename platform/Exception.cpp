#include "platform/Exception.h"

#include <cstdio>

namespace {

std::function<void(std::exception_ptr)>& Handler()
{
    static std::function<void(std::exception_ptr)> handler;
    return handler;
}

} // namespace

void SetEventExceptionHandler(std::function<void(std::exception_ptr)> handler) { Handler() = std::move(handler); }

void HandleEventException(std::exception_ptr error)
{
    if (Handler()) {
        Handler()(error);
        return;
    }
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "unknown error in an event handler\n");
    }
}
