#include "tool/source_argument.h"

#include "fs/archive_source.h"

namespace Tool {

const char* const source_usage = "ARCHIVE.sga";

std::unique_ptr<SourceArgument> open_source_argument(const std::vector<std::string>& arguments)
{
    if (arguments.empty())
        return nullptr;
    auto result = std::make_unique<SourceArgument>();
    // Other source forms (a loaded module's file system) are recognised here, before
    // the plain archive path, and consume their own arguments.
    result->source = std::make_shared<Mod::ArchiveSource>(arguments[0]);
    result->rest.assign(arguments.begin() + 1, arguments.end());
    return result;
}

} // namespace Tool
