// Text that reaches the JSON outputs must be UTF-8: a check that says where it is not.
#pragma once

#include <string>
#include <string_view>

namespace formats {

/// Why `text` is not UTF-8 ("" when it is): the first byte that begins no well-formed sequence
/// (overlong forms, surrogates and code points past U+10FFFF included), and its column from 1.
std::string Utf8Problem(std::string_view text);

}  // namespace formats
