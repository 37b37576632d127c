#pragma once
// How a texture named by a screen is found: the name as the cache knows it, and the
// files tried for it, in order.

#include <string>
#include <string_view>
#include <vector>

namespace Render {

// The text after the first colon when there is one (a prefix the game uses for other
// purposes), else the whole path.
std::string texture_key(std::string_view path);

// The key under which a texture is kept: the key with letter case and the kind of
// separator folded, so that art/UI/Button and art\ui\button are one texture, as they
// are one file.
std::string folded_texture_key(std::string_view key);

// The path itself when its last element has a dot, then the path up to that dot (all of
// it when there is none) with ".dds", ".tga" and ".rgt". A dot in a folder's name is no
// extension.
std::vector<std::string> texture_candidates(const std::string& key);

} // namespace Render
