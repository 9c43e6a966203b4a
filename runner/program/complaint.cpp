#include "runner/program/complaint.h"

#include <cstdarg>
#include <cstdio>

namespace runner {

namespace {

thread_local ComplaintCapture* capture = nullptr;

}  // namespace

ComplaintCapture::ComplaintCapture() : previous(capture)
{
    capture = this;
}

ComplaintCapture::~ComplaintCapture()
{
    capture = previous;
}

void Complain(const char* command, const char* format, ...)  // NOLINT(cert-dcl50-cpp)
{
    va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    // Paths and quoted scenario lines make a complaint of any length.
    const int length = std::vsnprintf(nullptr, 0, format, args);
    std::string why(static_cast<size_t>(length > 0 ? length : 0), '\0');
    std::vsnprintf(why.data(), why.size() + 1, format, again);
    va_end(again);
    va_end(args);
    if (capture != nullptr) {
        capture->last = why;
        return;
    }
    std::fprintf(stderr, "karvex %s: %s\n", command, why.c_str());
}

}  // namespace runner
