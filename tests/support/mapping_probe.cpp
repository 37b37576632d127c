#include "support/mapping_probe.h"

#ifdef _WIN32
#include <windows.h>

bool points_into_file_mapping(const void* address)
{
    MEMORY_BASIC_INFORMATION info{};
    return VirtualQuery(address, &info, sizeof info) == sizeof info && info.Type == MEM_MAPPED;
}

#else
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

bool points_into_file_mapping(const void* address)
{
    // Each line: start-end perms offset device inode [path]; a file-backed range has an inode.
    const auto target = reinterpret_cast<std::uintptr_t>(address);
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        std::istringstream fields(line);
        std::string range, perms, offset, device;
        unsigned long long inode = 0;
        if (!(fields >> range >> perms >> offset >> device >> inode))
            continue;
        const auto dash = range.find('-');
        const auto start = std::stoull(range.substr(0, dash), nullptr, 16);
        const auto end = std::stoull(range.substr(dash + 1), nullptr, 16);
        if (target >= start && target < end)
            return inode != 0;
    }
    return false;
}
#endif
