// SPDX-License-Identifier: GPL-3.0-or-later
// NumberText: numbers read from text the same way whatever the user's locale.
#pragma once

#include <charconv>
#include <string>
#include <system_error>
#include <type_traits>

/// `text` read whole as a number: an optional "+" or "-", then digits (for floating point in
/// `format`, with "." as the separator). False when the text is empty, anything is left over, or
/// the number is out of the type's range; `value` is then unspecified.
template <typename T>
bool TryParseNumber(const std::string &text, T &value, std::chars_format format = std::chars_format::general)
{
    const char *first = text.data();
    const char *last = first + text.size();
    if (first != last && *first == '+')
        ++first;
    std::from_chars_result result;
    if constexpr (std::is_floating_point_v<T>)
        result = std::from_chars(first, last, value, format);
    else
        result = std::from_chars(first, last, value);
    return first != last && result.ec == std::errc() && result.ptr == last;
}
