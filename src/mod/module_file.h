#pragma once
// A parsed .module document: INI-like sections of keys, numbered keys and %NAME%
// variables. Lookups never fail: a missing section reads as an empty one and a missing
// key as the empty string. The document copies all text; it keeps no reference to the
// bytes it was parsed from.

#include "fs/file_blob.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace Mod {

using ModuleVariables = std::unordered_map<std::string, std::string>;

class ModuleSection {
public:
    ModuleSection(const std::string& name, const ModuleVariables& variables);

    // The value of `key` (extended by ".N", or ".NN" in a section whose name has a
    // colon, when `index` is not 0) with the document's variables expanded; empty when
    // the key is missing.
    std::string get(const std::string& key, int index = 0) const;

    std::size_t key_count() const { return m_keys.size(); }

    // Sets or replaces one key (the parser's only way in).
    void set(std::string key, std::string value);

private:
    std::unordered_map<std::string, std::string> m_keys;
    const char* m_number_format;
    const ModuleVariables* m_variables;
};

class ModuleFile {
public:
    // Parsing never fails: malformed lines are skipped.
    static std::unique_ptr<ModuleFile> parse(const FileBlob& blob);
    static std::unique_ptr<ModuleFile> parse(std::string_view text);

    // Sections keep a pointer to the variable table, so a document stays where it was made.
    ModuleFile(const ModuleFile&) = delete;
    ModuleFile& operator=(const ModuleFile&) = delete;

    // The section of exactly that name, or an empty section.
    const ModuleSection& section(const std::string& name) const;
    std::size_t section_count() const { return m_sections.size(); }

    void set_variable(const std::string& name, const std::string& value);

private:
    ModuleFile();

    std::unordered_map<std::string, ModuleSection> m_sections;
    ModuleVariables m_variables;
    ModuleSection m_empty;
};

// Replaces each %NAME% marker whose NAME is in `variables` by its value, without
// scanning inserted text again; unknown markers and an unclosed % stay as written.
std::string expand_variables(std::string value, const ModuleVariables& variables);

} // namespace Mod
