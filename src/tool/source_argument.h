#pragma once
// How the file-system commands (ls, cat) get their FileSource from the command line.
// They differ only in what they do with the source, so every way of naming a source
// lives here.

#include "fs/file_source.h"

#include <memory>
#include <string>
#include <vector>

namespace Tool {

// The source forms for usage texts, e.g. "ls " + source_usage + " [FOLDER]".
extern const char* const source_usage;

struct SourceArgument {
    // The opened source. It may share ownership of whatever it belongs to, so holding
    // it keeps that alive for the command's run.
    std::shared_ptr<const Mod::FileSource> source;
    // The arguments after those that named the source.
    std::vector<std::string> rest;
};

// Opens the source that the leading arguments name: ARCHIVE.sga. Null when no source
// is named (the caller prints its usage); throws std::runtime_error with the source's
// own message when it cannot be opened.
std::unique_ptr<SourceArgument> open_source_argument(const std::vector<std::string>& arguments);

} // namespace Tool
