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

// The path itself when it has a dot, then the path up to its last dot (all of it when
// there is none) with ".dds", ".tga" and ".rgt".
std::vector<std::string> texture_candidates(const std::string& key);

} // namespace Render
