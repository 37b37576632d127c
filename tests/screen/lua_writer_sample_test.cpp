// Every screen of the sample installation written back as Lua and loaded again: the
// text builds the same widget tree as the screen it came from.

#include "mod/loaded_mod.h"
#include "mod/ucs_bytes.h"
#include "render/resource_set.h"
#include "screen/lua_writer.h"
#include "screen/presentation_item.h"
#include "screen/screen_document.h"
#include "screen/widget.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>
#include <vector>

namespace {

using Screen::ScreenDocument;
using Screen::Widget;

bool is_screen_file(std::string name)
{
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    const std::string suffix = ".screen";
    return name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// What a widget shows, one line per widget, depth first, so that two trees compare as
// text and a difference names its widget.
void describe(const Widget* widget, int depth, std::string& out)
{
    if (!widget)
        return;
    out += std::string(static_cast<std::size_t>(depth) * 2, ' ') + widget->class_name() + " " +
           widget->type().value_or("-") + " " + widget->name() + " [" + std::to_string(widget->x()) + " " +
           std::to_string(widget->y()) + " " + std::to_string(widget->width()) + " " +
           std::to_string(widget->height()) + "]" + (widget->is_visible() ? "" : " hidden") +
           " text=" + widget->text().value_or("-") + " tip=" + widget->tooltip() +
           " tipwidget=" + (widget->tooltip_widget() ? widget->tooltip_widget()->name() : "-") +
           " style=" + widget->style_sheet().value_or("-") + "/" + widget->style_name().value_or("-") +
           " children=" + std::to_string(widget->child_count()) + "\n";
    for (const Screen::PresentationItem* item : widget->art()) {
        std::string states;
        for (bool in_state : item->states())
            states += in_state ? '1' : '0';
        out += std::string(static_cast<std::size_t>(depth) * 2 + 1, ' ') + item->class_name() + " id=" +
               std::to_string(item->id()) + " [" + std::to_string(item->x()) + " " + std::to_string(item->y()) + " " +
               std::to_string(item->width()) + " " + std::to_string(item->height()) + "] states=" + states + "\n";
    }
    for (std::size_t i = 0; i < widget->child_count(); ++i)
        describe(dynamic_cast<const Widget*>(widget->child(i)), depth + 1, out);
}

std::string tree_of(const ScreenDocument& document)
{
    std::string text = "widgets\n";
    describe(document.widgets(), 1, text);
    text += "tooltips\n";
    describe(document.tooltip_widgets(), 1, text);
    return text;
}

// The mod's files with the written screen added under its own path.
class WithScreen : public Mod::FileSource {
public:
    WithScreen(std::shared_ptr<const Mod::FileSource> files, std::string path, std::string text)
        : m_files(std::move(files)), m_path(std::move(path)), m_text(std::move(text))
    {
    }
    Mod::BlobPtr read(const std::string& path) const override
    {
        return path == m_path ? blob_of(m_text) : m_files->read(path);
    }
    void list(const std::string& folder, std::vector<std::string>& names) const override
    {
        m_files->list(folder, names);
    }

private:
    std::shared_ptr<const Mod::FileSource> m_files;
    std::string m_path;
    std::string m_text;
};

TEST(LuaWriterSample, EveryScreenLoadsBackFromItsText)
{
    Mod::LoadedMod mod;
    mod.set_resource_builder(Render::resource_set_builder());
    mod.load(nullptr, std::string(TVSE_SAMPLE_DIR) + "/Bastion.module");
    mod.wait_until_loaded(30000);

    std::vector<std::string> names;
    mod.files()->list("Art\\UI\\Screens", names);
    std::size_t screens = 0;
    std::size_t widgets = 0;
    for (const std::string& name : names) {
        if (!is_screen_file(name))
            continue;
        const std::string path = "Art\\UI\\Screens\\" + name;
        std::unique_ptr<ScreenDocument> original;
        try {
            original = std::make_unique<ScreenDocument>(nullptr, mod, path);
        } catch (const std::exception& error) {
            ADD_FAILURE() << path << ": " << error.what();
            continue;
        }
        ++screens;
        widgets += original->widget_count();
        const std::string text = Screen::write_screen_table(original->lua());
        EXPECT_EQ(text.compare(0, 9, "Screen = "), 0) << path;

        const std::string copy_path = "Art\\UI\\Screens\\written_copy.screen";
        Screen::ScreenSources sources{std::make_shared<WithScreen>(mod.files(), copy_path, text),
                                      Screen::colours_of(mod), &mod,
                                      dynamic_cast<Render::ResourceSet*>(mod.resources())};
        std::unique_ptr<ScreenDocument> copy;
        try {
            copy = std::make_unique<ScreenDocument>(nullptr, sources, copy_path);
        } catch (const std::exception& error) {
            ADD_FAILURE() << path << ": " << error.what();
            continue;
        }
        EXPECT_EQ(copy->widget_count(), original->widget_count()) << path;
        EXPECT_EQ(tree_of(*copy), tree_of(*original)) << path;
        // Written again, the copy gives the same text: the layout is stable.
        EXPECT_EQ(Screen::write_screen_table(copy->lua()), text) << path;
    }
    EXPECT_EQ(screens, 52u);
    // The stress screen alone has thousands.
    EXPECT_GE(widgets, 2000u);
}

} // namespace
