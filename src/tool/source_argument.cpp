#include "tool/source_argument.h"

#include "fs/archive_source.h"
#include "tool/loaded_mod_argument.h"

namespace Tool {

const char* const source_usage = "{ARCHIVE.sga | --module FILE.module}";

std::unique_ptr<SourceArgument> open_source_argument(const std::vector<std::string>& arguments)
{
    if (arguments.empty())
        return nullptr;
    auto result = std::make_unique<SourceArgument>();
    // Other source forms (a loaded module's file system) are recognised here, before
    // the plain archive path, and consume their own arguments.
    if (arguments[0] == "--module") {
        if (arguments.size() < 2)
            return nullptr;
        std::shared_ptr<Mod::LoadedMod> mod = open_loaded_mod(arguments[1], false);
        // The union lives as long as the mod that composed it.
        result->source = std::shared_ptr<const Mod::FileSource>(mod, mod->files().get());
        result->rest.assign(arguments.begin() + 2, arguments.end());
        return result;
    }
    result->source = std::make_shared<Mod::ArchiveSource>(arguments[0]);
    result->rest.assign(arguments.begin() + 1, arguments.end());
    return result;
}

} // namespace Tool
