#include "start/module_selector.h"

#include "fs/folder_source.h"
#include "mod/loaded_mod.h"
#include "mod/module_file.h"
#include "start/screen_selector.h"
#include "ui/ansi_text.h"

namespace Start {

ModuleSelector::ModuleSelector(Gfx::GraphicsContext* graphics)
    : FileSelector(graphics, std::make_shared<const Mod::FolderSource>(), "module")
{
    set_column_count(2);
}

ModuleSelector::~ModuleSelector() = default;

std::wstring ModuleSelector::cell_text(std::size_t column, const std::string& path)
{
    if (column != 1)
        return FileSelector::cell_text(column, path);
    Mod::BlobPtr blob = source().read(path);
    if (!blob)
        return std::wstring();
    std::unique_ptr<Mod::ModuleFile> module = Mod::ModuleFile::parse(*blob);
    return Ui::ansi_to_wide(module->section("global").get("Description"));
}

std::unique_ptr<Ui::Element> ModuleSelector::make_detail(const std::string& path)
{
    auto mod = std::make_unique<Mod::LoadedMod>();
    mod->load(graphics(), path);
    return std::make_unique<ScreenSelector>(graphics(), std::move(mod));
}

} // namespace Start
