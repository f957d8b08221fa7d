#pragma once

#include <cstddef>
#include <string_view>

namespace winnet {

// Offset of the first byte that is not part of well-formed UTF-8, or npos.
std::size_t firstInvalidUtf8(std::string_view text);

// The first character of text, whole; its first byte when that begins no valid character.
std::string_view utf8FirstCharacter(std::string_view text);

// The longest prefix of at most maxBytes bytes that ends between characters.
std::string_view utf8Prefix(std::string_view text, std::size_t maxBytes);

} // namespace winnet
