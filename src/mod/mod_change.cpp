#include "mod/mod_change.h"

#include "fs/name_order.h"

#include <algorithm>

namespace Mod {
namespace {

bool starts_with_ignoring_case(std::string_view name, std::string_view start)
{
    return name.size() >= start.size() && names_equal_ignoring_case(name.substr(0, start.size()), start);
}

// Whether `path` is `folder` (which ends in a backslash) or one of the folders above it:
// renaming or removing any of them changes what the folder holds.
bool is_folder_or_above(std::string_view path, std::string_view folder)
{
    while (!path.empty() && path.back() == '\\')
        path.remove_suffix(1);
    if (path.empty())
        return true;
    return folder.size() > path.size() && folder[path.size()] == '\\' && starts_with_ignoring_case(folder, path);
}

// The key has() looks a path up by: backslashes, ASCII letters upper-cased (file names
// differ only beyond ASCII in ways the system does not fold either).
std::string key_of(std::string_view path)
{
    std::string key = backslashed(path);
    for (char& c : key) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return key;
}

constexpr std::string_view styles_folder = "art\\ui\\styles\\";
constexpr std::string_view screens_folder = "art\\ui\\screens\\";
constexpr std::string_view fonts_folder = "font\\";
constexpr std::string_view colour_table = "art\\ui\\styles\\colourtable.colours";

} // namespace

std::string backslashed(std::string_view path)
{
    std::string result(path);
    std::replace(result.begin(), result.end(), '/', '\\');
    return result;
}

void ModChange::add(std::string_view path)
{
    std::string file = backslashed(path);
    if (file.empty()) {
        m_everything = true;
        return;
    }
    if (!m_keys.insert(key_of(file)).second)
        return;
    if (names_equal_ignoring_case(file, colour_table) || is_folder_or_above(file, styles_folder))
        m_colours = true;
    if ((starts_with_ignoring_case(file, styles_folder) && name_ends_with_ignoring_case(file, ".styles")) ||
        is_folder_or_above(file, styles_folder))
        m_style_sheets = true;
    if (name_ends_with_ignoring_case(file, ".screen") || is_folder_or_above(file, screens_folder))
        m_screens = true;
    if (is_folder_or_above(file, fonts_folder) ||
        (starts_with_ignoring_case(file, fonts_folder) && name_ends_with_ignoring_case(file, ".ttf")))
        m_font_files = true;
    if (starts_with_ignoring_case(file, fonts_folder) && name_ends_with_ignoring_case(file, ".fnt")) {
        std::string name = file.substr(fonts_folder.size(), file.size() - fonts_folder.size() - 4);
        // A description in a subfolder is never asked for by its name.
        if (name.find('\\') == std::string::npos)
            m_font_descriptions.push_back(std::move(name));
    }
    m_files.push_back(std::move(file));
}

void ModChange::add_localisation(std::string_view path)
{
    const std::string file = backslashed(path);
    if (file.empty()) {
        m_everything = true;
        return;
    }
    // Tables are only read from the folder itself, never from below it.
    if (file.find('\\') == std::string::npos && name_ends_with_ignoring_case(file, ".ucs"))
        m_ucs_tables = true;
}

bool ModChange::has(std::string_view path) const
{
    return m_keys.count(key_of(path)) != 0;
}

std::vector<std::string> loose_folders(const ModComposition& composition)
{
    std::vector<std::string> folders;
    for (const SourceRecord& source : composition.sources) {
        if (source.opened && source.entry.kind == SourceKind::folder)
            folders.push_back(composition.install_folder + source.entry.path);
    }
    return folders;
}

std::vector<std::string> locale_folders(const ModComposition& composition)
{
    std::vector<std::string> folders;
    std::unordered_set<std::string> seen;
    for (const std::string& folder : composition.locale_folders) {
        std::string path = composition.install_folder + folder;
        if (seen.insert(key_of(path)).second)
            folders.push_back(std::move(path));
    }
    return folders;
}

} // namespace Mod
