#include "formats/number_text.h"

#include <charconv>

namespace formats {

int NumberText(double value, char* text)
{
    // Room for the longest shortest form ("-2.2250738585072014e-308") and the NUL.
    auto result = std::to_chars(text, text + NUMBER_TEXT_SIZE - 1, value);
    *result.ptr = '\0';
    return static_cast<int>(result.ptr - text);
}

std::string FormatNumber(double value)
{
    char text[NUMBER_TEXT_SIZE];
    int n = NumberText(value, text);
    return std::string(text, static_cast<size_t>(n));
}

void AppendNumber(std::string& out, double value)
{
    char text[NUMBER_TEXT_SIZE];
    int n = NumberText(value, text);
    out.append(text, static_cast<size_t>(n));
}

}  // namespace formats
