#include "Utf8.h"

#include <algorithm>

namespace winnet {

namespace {

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Length of the well-formed sequence starting at text[i], or 0.
std::size_t sequenceLength(std::string_view text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length;
    unsigned char min2 = 0x80, max2 = 0xBF; // bounds of the second byte
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            min2 = 0xA0; // overlong
        if (lead == 0xED)
            max2 = 0x9F; // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            min2 = 0x90; // overlong
        if (lead == 0xF4)
            max2 = 0x8F; // beyond U+10FFFF
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    const auto second = static_cast<unsigned char>(text[i + 1]);
    if (second < min2 || second > max2)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (!isContinuation(static_cast<unsigned char>(text[i + k])))
            return 0;
    return length;
}

} // namespace

std::size_t firstInvalidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = sequenceLength(text, i);
        if (length == 0)
            return i;
        i += length;
    }
    return std::string_view::npos;
}

std::string_view utf8FirstCharacter(std::string_view text) {
    if (text.empty())
        return text;
    return text.substr(0, std::max<std::size_t>(sequenceLength(text, 0), 1));
}

std::string_view utf8Prefix(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes)
        return text;
    std::size_t end = maxBytes;
    while (end > 0 && isContinuation(static_cast<unsigned char>(text[end])))
        --end;
    return text.substr(0, end);
}

} // namespace winnet
