#include "formats/utf8.h"

#include <cstdio>

namespace formats {

namespace {

// The length of the well-formed sequence at `at`, or 0.
size_t SequenceAt(std::string_view text, size_t at)
{
    const auto byte = [&](size_t i) { return at + i < text.size() ? static_cast<unsigned char>(text[at + i]) : 0U; };
    const unsigned lead = byte(0);
    if (lead < 0x80) {
        return 1;
    }
    // The second byte's range narrows for the leads whose sequences could be overlong, surrogates or
    // past U+10FFFF; every other continuation byte is 0x80..0xBF.
    size_t length = 0;
    unsigned low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

}  // namespace

std::string Utf8Problem(std::string_view text)
{
    for (size_t at = 0; at < text.size();) {
        const size_t length = SequenceAt(text, at);
        if (length == 0) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned>(static_cast<unsigned char>(text[at])));
            return "not UTF-8 text: byte " + std::string(hex) + " at column " + std::to_string(at + 1);
        }
        at += length;
    }
    return "";
}

}  // namespace formats
