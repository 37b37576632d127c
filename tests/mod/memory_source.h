#pragma once
// An in-memory FileSource for composition tests: files by path ('\' separated, exact
// case), with folders implied by the paths plus explicitly empty ones.

#include "fs/file_source.h"

#include "ucs_bytes.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>

class MemorySource : public Mod::FileSource {
public:
    void add(const std::string& path, const std::string& bytes = "x") { m_files[normal(path)] = bytes; }
    void add_folder(const std::string& path) { m_folders.insert(with_separator(normal(path))); }

    Mod::BlobPtr read(const std::string& path) const override
    {
        auto found = m_files.find(normal(path));
        return found == m_files.end() ? nullptr : blob_of(found->second);
    }

    void list(const std::string& folder, std::vector<std::string>& names) const override
    {
        if (folder.empty())
            return;
        const std::string prefix = with_separator(normal(folder));
        std::set<std::string> seen;
        auto visit = [&](const std::string& path) {
            if (path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0)
                return;
            std::string name = path.substr(prefix.size(), path.find('\\', prefix.size()) - prefix.size());
            if (!name.empty() && seen.insert(name).second)
                names.push_back(name);
        };
        for (const auto& file : m_files)
            visit(file.first);
        for (const auto& empty : m_folders)
            visit(empty);
    }

private:
    static std::string normal(std::string path)
    {
        std::replace(path.begin(), path.end(), '/', '\\');
        // Doubled separators name the same folder, as on the real file systems.
        std::string result;
        for (char c : path)
            if (!(c == '\\' && !result.empty() && result.back() == '\\'))
                result.push_back(c);
        return result;
    }
    static std::string with_separator(std::string path)
    {
        if (path.empty() || path.back() != '\\')
            path += '\\';
        return path;
    }

    std::map<std::string, std::string> m_files;
    std::set<std::string> m_folders;
};
