#pragma once
// One element of a mod's ordered source list, and the record of what became of it.

#include <string>

namespace Mod {

enum class SourceKind { folder, archive };

// A path relative to the installation folder: folders end with a backslash, archives
// with ".sga".
struct SourceEntry {
    SourceKind kind = SourceKind::folder;
    std::string path;
};

inline bool operator==(const SourceEntry& a, const SourceEntry& b) { return a.kind == b.kind && a.path == b.path; }

// Whether the entry joined the mod's file system, and why not when it did not.
struct SourceRecord {
    SourceEntry entry;
    bool opened = false;
    std::string reason; // empty when opened
};

inline const char* kind_name(SourceKind kind) { return kind == SourceKind::folder ? "folder" : "archive"; }

} // namespace Mod
