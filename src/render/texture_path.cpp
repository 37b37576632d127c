#include "render/texture_path.h"

namespace Render {

std::string texture_key(std::string_view path)
{
    const std::size_t colon = path.find(':');
    return std::string(colon == std::string_view::npos ? path : path.substr(colon + 1));
}

std::string folded_texture_key(std::string_view key)
{
    std::string folded(key);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        else if (c == '/')
            c = '\\';
    }
    return folded;
}

std::vector<std::string> texture_candidates(const std::string& key)
{
    std::vector<std::string> candidates;
    const std::size_t element = key.find_last_of("/\\");
    std::size_t dot = key.rfind('.');
    if (dot != std::string::npos && element != std::string::npos && dot < element)
        dot = std::string::npos;
    if (dot != std::string::npos)
        candidates.push_back(key);
    const std::string stem = key.substr(0, dot);
    for (const char* extension : {".dds", ".tga", ".rgt"})
        candidates.push_back(stem + extension);
    return candidates;
}

} // namespace Render
