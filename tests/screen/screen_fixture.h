#pragma once
// Screens, style sheets and colour tables in memory, for the screen-model tests.

#include "mod/memory_source.h"
#include "screen/colour_table.h"
#include "screen/screen_document.h"
#include "screen/widget.h"

#include <memory>
#include <string>

class ScreenFixture {
public:
    static constexpr const char* screen_path = "Art\\UI\\Screens\\test.screen";

    ScreenFixture() : m_files(std::make_shared<MemorySource>()) {}

    void add_sheet(const std::string& file_name, const std::string& script)
    {
        m_files->add("art\\ui\\styles\\" + file_name, script);
    }
    void add_colours(const std::string& script) { m_files->add(Screen::ColourTable::path, script); }
    MemorySource& files() { return *m_files; }

    // The document of `script`, with the colour table as the files hold it now.
    std::unique_ptr<Screen::ScreenDocument> open(const std::string& script,
                                                 const Screen::ScriptLimits& limits = Screen::ScriptLimits())
    {
        m_files->add(screen_path, script);
        m_colours = Screen::ColourTable::load(*m_files);
        Screen::ScreenSources sources{m_files, m_colours.get(), nullptr};
        return std::make_unique<Screen::ScreenDocument>(nullptr, sources, screen_path, limits);
    }

    // The message the document throws for `script`, or "" when it loads.
    std::string failure(const std::string& script, const Screen::ScriptLimits& limits = Screen::ScriptLimits())
    {
        try {
            open(script, limits);
        } catch (const std::exception& error) {
            return error.what();
        }
        return std::string();
    }

private:
    std::shared_ptr<MemorySource> m_files;
    std::unique_ptr<Screen::ColourTable> m_colours;
};

// The widget named `name` in the tree under `root` (depth first), or null.
inline Screen::Widget* find_widget(Screen::Widget* root, const std::string& name)
{
    if (!root)
        return nullptr;
    if (root->name() == name)
        return root;
    for (std::size_t i = 0; i < root->child_count(); ++i) {
        if (Screen::Widget* found = find_widget(dynamic_cast<Screen::Widget*>(root->child(i)), name))
            return found;
    }
    return nullptr;
}

// The names of the widget's child elements that are widgets, front to back.
inline std::string child_names(const Screen::Widget& widget)
{
    std::string names;
    for (std::size_t i = 0; i < widget.child_count(); ++i) {
        if (const auto* child = dynamic_cast<const Screen::Widget*>(widget.child(i)))
            names += (names.empty() ? "" : " ") + child->name();
    }
    return names;
}
