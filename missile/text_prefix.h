// Case-insensitive prefix test for command texts and scenario keys.
#pragma once

/// True when `text` begins with `prefix`, letters compared without regard to ASCII case. Reads
/// `text` only up to its first mismatch or its terminator, so a short text is never overrun.
inline bool StartsWithNoCase(const char* text, const char* prefix)
{
    for (; *prefix != '\0'; ++text, ++prefix) {
        char a = *text;
        char b = *prefix;
        // The host's texts are ASCII; folding by hand keeps the result independent of the locale.
        if (a >= 'a' && a <= 'z') {
            a = static_cast<char>(a - 'a' + 'A');
        }
        if (b >= 'a' && b <= 'z') {
            b = static_cast<char>(b - 'a' + 'A');
        }
        if (a != b) {
            return false;
        }
    }
    return true;
}
