#pragma once
// Runs the built tvse-tool with arguments and collects what it printed. Natively the
// tool is spawned directly; in the Windows tree the test itself runs under Wine, which
// starts tvse-tool.exe in the same Wine session.

#include <string>
#include <vector>

struct ToolRun {
    int exit_code = -1;
    std::string out; // stdout, bytes unchanged
    std::string err; // stderr
};

// `arguments` follow the program name (the subcommand first). Arguments are passed
// without a shell, so spaces and quotes need no escaping by the caller.
ToolRun run_tool(const std::vector<std::string>& arguments);

// The lines of `text`, split at "\n" with any "\r" before it removed.
std::vector<std::string> lines_of(const std::string& text);
