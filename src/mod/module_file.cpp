#include "mod/module_file.h"

#include <cstdio>

namespace Mod {
namespace {

bool is_blank(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

std::string_view trim(std::string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && is_blank(text[begin]))
        ++begin;
    while (end > begin && is_blank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

} // namespace

ModuleSection::ModuleSection(const std::string& name, const ModuleVariables& variables)
    : m_number_format(name.find(':') != std::string::npos ? ".%02d" : ".%d"), m_variables(&variables)
{
}

void ModuleSection::set(std::string key, std::string value) { m_keys[std::move(key)] = std::move(value); }

std::string ModuleSection::get(const std::string& key, int index) const
{
    auto found = m_keys.end();
    if (index != 0) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, m_number_format, index);
        found = m_keys.find(key + suffix);
    } else {
        found = m_keys.find(key);
    }
    if (found == m_keys.end())
        return std::string();
    return expand_variables(found->second, *m_variables);
}

std::string expand_variables(std::string value, const ModuleVariables& variables)
{
    if (variables.empty())
        return value;
    // Built anew from the pieces, so that a value of many markers costs its length, not
    // its length times the markers. A replacement is not searched for markers again.
    std::string result;
    std::size_t copied = 0;
    std::size_t c = value.find('%');
    while (c != std::string::npos) {
        std::size_t d = value.find('%', c + 1);
        if (d == std::string::npos)
            break; // no closing marker: the rest stays as written
        auto variable = variables.find(value.substr(c + 1, d - c - 1));
        if (variable != variables.end()) {
            result.append(value, copied, c - copied);
            result += variable->second;
            copied = d + 1;
        }
        c = value.find('%', d + 1);
    }
    if (copied == 0)
        return value;
    result.append(value, copied, std::string::npos);
    return result;
}

ModuleFile::ModuleFile() : m_empty(std::string(), m_variables) {}

std::unique_ptr<ModuleFile> ModuleFile::parse(const FileBlob& blob)
{
    return parse(std::string_view(reinterpret_cast<const char*>(blob.data), blob.data ? blob.size : 0));
}

std::unique_ptr<ModuleFile> ModuleFile::parse(std::string_view text)
{
    std::unique_ptr<ModuleFile> file(new ModuleFile);
    std::string current_name;
    std::unique_ptr<ModuleSection> current;
    auto store = [&] {
        // The first section of a name wins; a later one of the same name is dropped.
        if (current)
            file->m_sections.emplace(std::move(current_name), std::move(*current));
        current.reset();
    };

    const std::size_t size = text.size();
    std::size_t pos = 0;
    while (true) {
        while (pos < size && is_blank(text[pos]))
            ++pos;
        if (pos >= size)
            break;
        std::size_t end = pos;
        while (end < size && text[end] != '\n' && text[end] != '\r' && text[end] != ';')
            ++end;
        std::string_view content = text.substr(pos, end - pos);
        if (!content.empty() && content[0] == '[') {
            std::size_t close = content.find(']');
            if (close != std::string_view::npos) {
                store();
                current_name = std::string(content.substr(1, close - 1));
                current.reset(new ModuleSection(current_name, file->m_variables));
            }
        } else if (current) {
            std::size_t equals = content.find('=');
            if (equals != std::string_view::npos)
                current->set(std::string(trim(content.substr(0, equals))), std::string(trim(content.substr(equals + 1))));
        }
        // Past any comment to the line's end.
        pos = end;
        while (pos < size && text[pos] != '\n' && text[pos] != '\r')
            ++pos;
    }
    store();
    return file;
}

const ModuleSection& ModuleFile::section(const std::string& name) const
{
    auto found = m_sections.find(name);
    return found == m_sections.end() ? m_empty : found->second;
}

void ModuleFile::set_variable(const std::string& name, const std::string& value) { m_variables[name] = value; }

} // namespace Mod
