#include "tool/command.h"

#include "platform/text_encoding.h"

#include <algorithm>
#include <map>

namespace Tool {
namespace {
std::map<std::string, const Command*>& registry()
{
    static std::map<std::string, const Command*> commands;
    return commands;
}
} // namespace

Command::Command(const char* name, const char* usage, CommandFunction function)
    : m_name(name), m_usage(usage), m_function(function)
{
    registry()[name] = this;
}

const Command* Command::find(const std::string& name)
{
    auto found = registry().find(name);
    return found == registry().end() ? nullptr : found->second;
}

std::vector<const Command*> Command::all()
{
    std::vector<const Command*> commands;
    for (const auto& entry : registry())
        commands.push_back(entry.second);
    return commands;
}

int fail(const std::string& message)
{
    std::fwrite(message.data(), 1, message.size(), stderr);
    std::fputc('\n', stderr);
    return 1;
}

void print_line(const std::string& utf8)
{
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fputc('\n', stdout);
}

void print_line(const std::u16string& text) { print_line(Platform::utf16_to_utf8(text)); }

void write_binary(const void* data, std::size_t size)
{
    if (size)
        std::fwrite(data, 1, size, stdout);
}

} // namespace Tool
