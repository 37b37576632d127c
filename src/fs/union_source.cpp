#include "fs/union_source.h"

#include "fs/name_order.h"

#include <algorithm>

namespace Mod {

void UnionSource::add(std::unique_ptr<FileSource> source)
{
    if (source)
        m_sources.push_back(std::move(source));
}

BlobPtr UnionSource::read(const std::string& path) const
{
    for (const auto& source : m_sources)
        if (BlobPtr blob = source->read(path))
            return blob; // an empty loose file counts as found
    return nullptr;
}

void UnionSource::list(const std::string& folder, std::vector<std::string>& names) const
{
    const auto first_new = static_cast<std::ptrdiff_t>(names.size());
    for (const auto& source : m_sources)
        source->list(folder, names);
    // Only the names appended here are merged; the caller's earlier entries stay put.
    const auto begin = names.begin() + first_new;
    std::sort(begin, names.end(), names_less_ignoring_case);
    names.erase(std::unique(begin, names.end(), names_equal_ignoring_case), names.end());
}

} // namespace Mod
