#pragma once
// The start window's list of the game's module files, each with its description.
// Opening one loads that module and shows its screen list in place of this list.

#include "gfx/graphics_context.h"
#include "ui/file_selector.h"

namespace Start {

class ModuleSelector : public Ui::FileSelector {
public:
    // Lists through a FolderSource of its own; two columns: file name and description.
    explicit ModuleSelector(Gfx::GraphicsContext* graphics);
    ~ModuleSelector() override;

    // Column 1: the module's Description from its global section (empty when missing or
    // unreadable).
    std::wstring cell_text(std::size_t column, const std::string& path) override;
    // Loads the module and returns its ScreenSelector. Raises "Cannot open module file
    // <path>" when the module file cannot be read.
    std::unique_ptr<Ui::Element> make_detail(const std::string& path) override;
};

} // namespace Start
