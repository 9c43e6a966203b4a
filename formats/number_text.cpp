#include "formats/number_text.h"

#include <charconv>

namespace formats {

namespace {

// Room for the longest shortest form ("-2.2250738585072014e-308") and the NUL.
template <typename Number>
int Write(Number value, char* text)
{
    auto result = std::to_chars(text, text + NUMBER_TEXT_SIZE - 1, value);
    *result.ptr = '\0';
    return static_cast<int>(result.ptr - text);
}

template <typename Number>
void Append(std::string& out, Number value)
{
    char text[NUMBER_TEXT_SIZE];
    int n = Write(value, text);
    out.append(text, static_cast<size_t>(n));
}

}  // namespace

int NumberText(double value, char* text)
{
    return Write(value, text);
}

int NumberText(float value, char* text)
{
    return Write(value, text);
}

int NumberText(long long value, char* text)
{
    return Write(value, text);
}

std::string FormatNumber(double value)
{
    std::string out;
    Append(out, value);
    return out;
}

void AppendNumber(std::string& out, double value)
{
    Append(out, value);
}

void AppendNumber(std::string& out, long long value)
{
    Append(out, value);
}

}  // namespace formats
