#pragma once
// Conversions between the game's narrow (ANSI code page) strings, UTF-16 and UTF-8.

#include <string>
#include <string_view>

namespace Platform {

// From the thread's ANSI code page (Windows) or Windows-1252 (elsewhere) to UTF-16.
std::u16string ansi_to_utf16(std::string_view text);
// Back to the narrow code page; characters it lacks become '?'.
std::string utf16_to_ansi(std::u16string_view text);

// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string utf16_to_utf8(std::u16string_view text);

// UTF-8 to UTF-16; malformed sequences become U+FFFD.
std::u16string utf8_to_utf16(std::string_view text);

} // namespace Platform
