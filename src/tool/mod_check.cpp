#include "tool/mod_check.h"

#include "fs/name_order.h"
#include "mod/loaded_mod.h"
#include "render/font_description.h"
#include "render/image_decoder.h"
#include "render/texture_path.h"
#include "screen/colour_table.h"
#include "screen/presentation_item.h"
#include "screen/screen_document.h"
#include "screen/widget.h"
#include "screen/widget_types.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <stdexcept>

namespace Tool {

const char* const screens_folder = "Art\\UI\\Screens\\";

std::vector<std::string> list_screens(const Mod::FileSource& files)
{
    std::vector<std::string> names;
    files.list(screens_folder, names);
    std::vector<std::string> paths;
    for (const std::string& name : names) {
        if (Mod::name_ends_with_ignoring_case(name, ".screen"))
            paths.push_back(screens_folder + name);
    }
    return paths;
}

bool is_missing_string(const Mod::LoadedMod& mod, const std::string& text)
{
    if (text.empty() || text[0] != '$')
        return false;
    if (!std::all_of(text.begin() + 1, text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    return !mod.find_text(Mod::parse_string_number(std::string_view(text).substr(1)));
}

std::string check_summary(std::size_t screens, std::size_t problems)
{
    return std::to_string(screens) + (screens == 1 ? " screen" : " screens") + " checked, " +
           std::to_string(problems) + (problems == 1 ? " problem" : " problems") + " found";
}

namespace {

// Names and messages come from the mod: a line break in one must not start a new line.
std::string one_line(std::string text)
{
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    }
    return text;
}

} // namespace

// One screen's checking: its document, the sheets it went without, and its lines.
class ModCheck::ScreenRun {
public:
    ScreenRun(ModCheck& check, const Screen::ScreenDocument& document, const std::string& path)
        : m_check(check), m_document(document), m_path(path)
    {
        for (const Screen::SheetProblem& problem : document.style_problems()) {
            m_all_sheets_failed = m_all_sheets_failed || problem.ended_loading;
            if (!problem.sheet.empty())
                m_failed_sheets.push_back(problem.sheet);
        }
    }

    // Depth first in the order the screen file lists the widgets, as `widgets` prints;
    // a widget's own problems before its children's.
    void check_tree(const Screen::Widget& widget)
    {
        m_widget_lines.clear();
        if (widget.type() && !Screen::is_widget_type(*widget.type()))
            report(widget, "unknown widget type " + *widget.type());
        check_style(widget);
        check_tooltip_name(widget);
        if (widget.text())
            check_text(widget, *widget.text());
        check_text(widget, widget.tooltip());
        // Children last to first are in the order the screen file lists them.
        for (std::size_t i = widget.child_count(); i-- > 0;) {
            const auto* item = dynamic_cast<const Screen::PresentationItem*>(widget.child(i));
            if (!item)
                continue;
            if (item->type() && !Screen::is_item_type(*item->type()))
                report(widget, "unknown item type " + *item->type());
            if (const auto* image = dynamic_cast<const Screen::ImageItem*>(item)) {
                if (!image->texture().empty())
                    report(widget, m_check.texture_problem(image->texture()));
                check_colour(widget, image->colour());
            } else if (const auto* text = dynamic_cast<const Screen::TextItem*>(item)) {
                report(widget, m_check.font_problem(text->font_name()));
                check_colour(widget, text->colour_top());
                check_colour(widget, text->colour_bottom());
            } else if (const auto* rectangle = dynamic_cast<const Screen::RectangleItem*>(item)) {
                check_colour(widget, rectangle->colour());
            } else if (const auto* segment = dynamic_cast<const Screen::SegmentItem*>(item)) {
                check_colour(widget, segment->colour());
            }
        }
        for (std::size_t i = widget.child_count(); i-- > 0;) {
            if (const auto* child = dynamic_cast<const Screen::Widget*>(widget.child(i)))
                check_tree(*child);
        }
    }

    std::vector<std::string>& lines() { return m_lines; }

private:
    void check_style(const Screen::Widget& widget)
    {
        const auto& sheet = widget.style_sheet();
        const auto& style = widget.style_name();
        if (!sheet || !style || !widget.lua() || m_all_sheets_failed)
            return;
        // The sheet's own line tells why none of its styles are there.
        for (const std::string& failed : m_failed_sheets) {
            if (Mod::names_equal_ignoring_case(failed, *sheet))
                return;
        }
        const std::string name = *sheet + "/" + *style;
        bool found = false;
        try {
            Screen::protected_call(widget.lua(), [&](lua_State* L) { found = m_document.push_style(L, sheet, style); });
        } catch (const std::exception& failure) {
            report(widget, "cannot look up style " + name + ": " + failure.what());
            return;
        }
        if (!found)
            report(widget, "unknown style " + name);
    }

    void check_tooltip_name(const Screen::Widget& widget)
    {
        if (!widget.lua() || widget.tooltip_widget())
            return;
        std::optional<std::string> name;
        try {
            Screen::protected_call(widget.lua(), [&](lua_State* L) {
                lua_rawgeti(L, LUA_REGISTRYINDEX, widget.ref());
                if (!lua_istable(L, -1))
                    return;
                lua_getfield(L, -1, "tooltip_name");
                if (lua_type(L, -1) == LUA_TSTRING) {
                    std::size_t length = 0;
                    const char* text = lua_tolstring(L, -1, &length);
                    name.emplace(text, length);
                }
            });
        } catch (const std::exception& failure) {
            report(widget, std::string("cannot read tooltip_name: ") + failure.what());
            return;
        }
        if (name)
            report(widget, "tooltip_name " + *name + " names no widget");
    }

    // A name the colour table lacks draws black. When the table itself failed, its own
    // line tells why, once.
    void check_colour(const Screen::Widget& widget, const Screen::ColourSetting& colour)
    {
        if (colour.name.empty() || m_check.m_colours_problem)
            return;
        const Screen::ColourTable* colours = m_document.colours();
        if (!colours || !colours->has(colour.name))
            report(widget, "unknown colour " + colour.name);
    }

    void check_text(const Screen::Widget& widget, const std::string& text)
    {
        if (is_missing_string(m_check.m_mod, text))
            report(widget, "no string for " + text);
    }

    // A widget's line once, however many of its items share the problem.
    void report(const Screen::Widget& widget, const std::optional<std::string>& problem)
    {
        if (!problem || std::find(m_widget_lines.begin(), m_widget_lines.end(), *problem) != m_widget_lines.end())
            return;
        m_widget_lines.push_back(*problem);
        m_lines.push_back(one_line(m_path + ": widget " + widget.name() + ": " + *problem));
    }

    ModCheck& m_check;
    const Screen::ScreenDocument& m_document;
    const std::string& m_path;
    std::vector<std::string> m_failed_sheets;
    bool m_all_sheets_failed = false;
    std::vector<std::string> m_widget_lines; // the current widget's problems
    std::vector<std::string> m_lines;
};

ModCheck::ModCheck(const Mod::LoadedMod& mod) : m_mod(mod)
{
    // The editor goes without a colour table that fails: why, the check tells.
    std::string problem;
    if (mod.files() && !Screen::ColourTable::load(*mod.files(), Screen::ScriptLimits(), &problem) &&
        !problem.empty())
        m_colours_problem = one_line(std::string(Screen::ColourTable::path) + ": " + problem);
}

std::vector<std::string> ModCheck::check_screen(const std::string& path)
{
    ++m_screens;
    std::unique_ptr<Screen::ScreenDocument> document;
    try {
        document = std::make_unique<Screen::ScreenDocument>(nullptr, m_mod, path);
    } catch (const std::exception& failure) {
        ++m_problems;
        return {one_line(path + ": " + failure.what())};
    }

    std::vector<std::string> lines;
    if (m_colours_problem && m_sheet_lines_told.insert(*m_colours_problem).second)
        lines.push_back(*m_colours_problem);
    for (const Screen::SheetProblem& problem : document->style_problems()) {
        std::string line = one_line(problem.file + ": " + problem.message);
        if (problem.ended_loading)
            line += " (no style sheet loaded)";
        if (m_sheet_lines_told.insert(line).second)
            lines.push_back(std::move(line));
    }
    ScreenRun run(*this, *document, path);
    if (const Screen::Widget* widgets = document->widgets())
        run.check_tree(*widgets);
    if (const Screen::Widget* tooltips = document->tooltip_widgets())
        run.check_tree(*tooltips);
    lines.insert(lines.end(), run.lines().begin(), run.lines().end());
    m_problems += lines.size();
    return lines;
}

std::optional<std::string> ModCheck::texture_problem(const std::string& path)
{
    const std::string key = Render::texture_key(path);
    const std::string folded = Render::folded_texture_key(key);
    auto cached = m_textures.find(folded);
    if (cached != m_textures.end())
        return cached->second;
    // As the editor's texture cache: the first candidate there is decides.
    std::optional<std::string> verdict = "Missing texture: " + key;
    const std::shared_ptr<Mod::UnionSource>& files = m_mod.files();
    for (const std::string& candidate : Render::texture_candidates(key)) {
        Mod::BlobPtr file = files ? files->read(candidate) : nullptr;
        if (!file)
            continue;
        try {
            Render::decode_image_file(std::move(file), [](const Render::PixelSource&) {});
            verdict.reset();
        } catch (const std::exception& failure) {
            const std::string reason = failure.what();
            verdict = "Invalid texture: " + key + " (" + (reason.empty() ? "unknown" : reason) + ")";
        }
        break;
    }
    m_textures.emplace(folded, verdict);
    return verdict;
}

std::optional<std::string> ModCheck::font_problem(const std::string& name)
{
    if (name.empty())
        return std::nullopt;
    auto cached = m_fonts.find(name);
    if (cached != m_fonts.end())
        return cached->second;
    std::optional<std::string> verdict;
    const std::shared_ptr<Mod::UnionSource>& files = m_mod.files();
    try {
        if (!files)
            throw std::runtime_error("Cannot open font description font\\" + name + ".fnt");
        Render::load_font_description(*files, name);
    } catch (const std::runtime_error& failure) {
        verdict = failure.what();
    }
    m_fonts.emplace(name, verdict);
    return verdict;
}

} // namespace Tool
