#include "fs/prefixed_source.h"

namespace Mod {

PrefixedSource::PrefixedSource(std::shared_ptr<const FileSource> inner, std::string prefix)
    : m_inner(std::move(inner)), m_prefix(std::move(prefix))
{
}

std::shared_ptr<PrefixedSource> PrefixedSource::make_shared(std::shared_ptr<const FileSource> inner,
                                                            std::string prefix)
{
    return std::make_shared<PrefixedSource>(std::move(inner), std::move(prefix));
}

BlobPtr PrefixedSource::read(const std::string& path) const { return m_inner->read(m_prefix + path); }

void PrefixedSource::list(const std::string& folder, std::vector<std::string>& names) const
{
    m_inner->list(m_prefix + folder, names);
}

} // namespace Mod
