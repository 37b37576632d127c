#pragma once
// The file source over one SGA archive (versions 2 and 4). Only the header and the
// table of contents stay mapped; each read maps just one member and inflates it when it
// is compressed. Paths are relative to the archive's root; '/' and '\' both separate
// and letter case does not matter.

#include "fs/file_source.h"

#include <memory>

namespace Mod {

class ArchiveSource : public FileSource {
public:
    // Throws std::runtime_error "Could not open archive <path>[ (<reason>)]".
    explicit ArchiveSource(const std::string& path);
    ~ArchiveSource() override;

    BlobPtr read(const std::string& path) const override;
    void list(const std::string& folder, std::vector<std::string>& names) const override;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace Mod
