// tvse-tool cat SOURCE PATH: writes one file's bytes, unchanged, to stdout.

#include "tool/command.h"
#include "tool/source_argument.h"

namespace {

const std::string usage = std::string("cat ") + Tool::source_usage + " PATH";

int run(const Tool::Arguments& arguments)
{
    auto opened = Tool::open_source_argument(arguments.narrow);
    if (!opened || opened->rest.size() != 1)
        return Tool::fail("usage: tvse-tool " + usage);
    const std::string& path = opened->rest[0];
    Mod::BlobPtr blob = opened->source->read(path);
    if (!blob)
        return Tool::fail("Not found: " + path);
    Tool::write_binary(blob->data, blob->size);
    return 0;
}

const Tool::Command command("cat", usage.c_str(), run);

} // namespace
