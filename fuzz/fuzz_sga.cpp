// SGA archives: open, list every folder, read every member.

#include "fs/archive_source.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Walks the folder tree from `folder`, reading each name as a file and listing it as a
// folder. Bounded: archive folders form a tree of at most 65,535, but a damaged table
// may name one folder from many places.
void walk(const Mod::ArchiveSource& archive, const std::string& folder, int depth, int& budget)
{
    std::vector<std::string> names;
    archive.list(folder, names);
    for (const std::string& name : names) {
        if (--budget < 0)
            return;
        const std::string path = folder.empty() ? name : folder + "\\" + name;
        if (Mod::BlobPtr blob = archive.read(path)) {
            volatile std::uint8_t sum = 0;
            for (std::uint32_t i = 0; i < blob->size; ++i)
                sum = static_cast<std::uint8_t>(sum + blob->data[i]);
        }
        if (depth < 32)
            walk(archive, path, depth + 1, budget);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The reader maps files: the input goes through one of this process's own.
    static const std::string path = "/tmp/tvse-fuzz-sga-" + std::to_string(getpid()) + ".sga";
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    try {
        Mod::ArchiveSource archive(path);
        int budget = 20000;
        walk(archive, "", 0, budget);
        archive.read("art\\ui\\screens\\missing.screen");
    } catch (const std::exception&) {
    }
    return 0;
}
