#pragma once
// An ordered stack of sources: a read is answered by the first source that has the
// file; a listing merges all of them, sorted and de-duplicated without regard to case.

#include "fs/file_source.h"

#include <memory>

namespace Mod {

class UnionSource : public FileSource {
public:
    // Appends a source (asked after those added before); a null source is ignored. Only
    // while the union is being built, before it is shared with readers.
    void add(std::unique_ptr<FileSource> source);

    std::size_t source_count() const { return m_sources.size(); }

    BlobPtr read(const std::string& path) const override;
    void list(const std::string& folder, std::vector<std::string>& names) const override;

private:
    std::vector<std::unique_ptr<FileSource>> m_sources;
};

} // namespace Mod
