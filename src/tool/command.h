#pragma once
// tvse-tool's subcommands. Each lives in a command_*.cpp file of its own and registers
// itself with a static Command object; main() looks the first argument up.
//
// Output conventions: text is UTF-8; binary output goes to stdout in binary mode;
// errors go to stderr and the command returns 1.

#include <cstdio>
#include <string>
#include <vector>

namespace Tool {

struct Arguments {
    std::vector<std::string> narrow;     // each argument in the ANSI code page (paths)
    std::vector<std::u16string> text;    // the same arguments as UTF-16 (texts, queries)
};

using CommandFunction = int (*)(const Arguments& arguments); // arguments after the command name

class Command {
public:
    Command(const char* name, const char* usage, CommandFunction function);

    static const Command* find(const std::string& name);
    static std::vector<const Command*> all();

    const char* name() const { return m_name; }
    const char* usage() const { return m_usage; }
    int run(const Arguments& arguments) const { return m_function(arguments); }

private:
    const char* m_name;
    const char* m_usage;
    CommandFunction m_function;
};

// Writes `message` and a line break to stderr and returns 1, for `return fail(...)`.
int fail(const std::string& message);

// Prints one line of UTF-8 text to stdout.
void print_line(const std::string& utf8);
void print_line(const std::u16string& text);

// Writes bytes unchanged to stdout (binary mode).
void write_binary(const void* data, std::size_t size);

} // namespace Tool
