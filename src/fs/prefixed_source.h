#pragma once
// A view of another source rooted at a sub-path: the prefix is prepended verbatim to
// every path and folder.

#include "fs/file_source.h"

#include <memory>

namespace Mod {

class PrefixedSource : public FileSource {
public:
    PrefixedSource(std::shared_ptr<const FileSource> inner, std::string prefix);

    static std::shared_ptr<PrefixedSource> make_shared(std::shared_ptr<const FileSource> inner, std::string prefix);

    BlobPtr read(const std::string& path) const override;
    void list(const std::string& folder, std::vector<std::string>& names) const override;

private:
    std::shared_ptr<const FileSource> m_inner;
    std::string m_prefix;
};

} // namespace Mod
