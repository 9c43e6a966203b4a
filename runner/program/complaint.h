// Why a command failed: printed on stderr as "karvex <command>: <why>", or kept for a caller that
// reports failures its own way (the Python package raises them).
#pragma once

#include <string>

namespace runner {

/// Says why `command` failed, printf-style: "karvex <command>: <why>" and a line end on stderr, or,
/// while the calling thread captures complaints, kept as "<why>" in its capture instead.
void Complain(const char* command, const char* format, ...) __attribute__((format(printf, 2, 3)));

/// While in scope, the calling thread's complaints are kept rather than printed.
class ComplaintCapture {
public:
    ComplaintCapture();
    ~ComplaintCapture();
    ComplaintCapture(const ComplaintCapture&) = delete;
    ComplaintCapture& operator=(const ComplaintCapture&) = delete;

    /// The last complaint, without the program's prefix or line end; "" for none.
    const std::string& Last() const { return last; }

private:
    friend void Complain(const char* command, const char* format, ...);
    std::string last;
    ComplaintCapture* previous;
};

}  // namespace runner
