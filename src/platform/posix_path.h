#pragma once
// Game paths use backslashes; POSIX calls need slashes.

#include <string>

namespace Platform {

inline std::string posix_path(std::string path)
{
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

} // namespace Platform
