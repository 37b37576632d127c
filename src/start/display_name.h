#pragma once
// Readable names for the game's run-together screen file names, shown beside each
// file in the screen list: "automatchlobbyscreen.screen" becomes "Automatch lobby".

#include <string>

namespace Start {

// The whole transformation: drops the folder part, the ".screen" extension and one
// trailing "screen" or "dialog" (letter case ignored), then splits the rest into words.
std::string make_display_name(const std::string& file_name);

// Cuts `name` into words at spaces, underscores and the words of the interface
// vocabulary (found anywhere, matched without regard to ASCII case and emitted in
// their listed form), joins them with single spaces and upper-cases the first
// character. `name` is NUL-terminated; a null pointer gives the empty string.
std::string split_name_words(const char* name);

} // namespace Start
