// Module files and the composition of a mod from them: the input is the main module
// and the module it may require or name as its parent.

#include "fuzz_input.h"
#include "mod/memory_source.h"
#include "mod/mod_composition.h"
#include "mod/module_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string> parts = Fuzz::split_input(data, size, 2);
    try {
        std::unique_ptr<Mod::ModuleFile> file = Mod::ModuleFile::parse(parts[0]);
        const Mod::ModuleSection& global = file->section("global");
        for (int n = 1; n <= 4; ++n)
            global.get("DataFolder", n);
        global.get("ModFolder");

        auto disk = std::make_shared<MemorySource>();
        disk->add("inst\\Main.module", parts[0]);
        disk->add("inst\\Common.module", parts[1]);
        disk->add("inst\\Parent.module", parts[1]);
        disk->add("inst\\Main\\Data\\x.txt", "x");
        Mod::ComposedMod mod = Mod::compose_mod(disk, "inst\\Main.module", [](const std::string&) {
            return std::make_unique<MemorySource>();
        });
        mod.files->read("x.txt");
    } catch (const std::exception&) {
    }
    return 0;
}
