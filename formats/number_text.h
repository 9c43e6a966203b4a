// Numbers as text: the shortest text that reads back to the same double, the one way every file
// and message of the host and the runner writes a number.
#pragma once

#include <string>

namespace formats {

/// Room a number's text needs, terminating NUL included.
inline constexpr int NUMBER_TEXT_SIZE = 32;

/// Writes `value` into `text` (NUMBER_TEXT_SIZE chars) in shortest round-trip form, NUL-terminated;
/// returns its length. Infinities and NaN read "inf", "-inf" and "nan".
int NumberText(double value, char* text);
/// As for a double, the shortest text that reads back to the same float.
int NumberText(float value, char* text);
/// Writes the whole number `value` into `text` (NUMBER_TEXT_SIZE chars) in decimal, NUL-terminated;
/// returns its length.
int NumberText(long long value, char* text);
/// `value` in shortest round-trip form.
std::string FormatNumber(double value);
/// Appends `value` in shortest round-trip form to `out`.
void AppendNumber(std::string& out, double value);
/// Appends the whole number `value` in decimal to `out`.
void AppendNumber(std::string& out, long long value);

}  // namespace formats
