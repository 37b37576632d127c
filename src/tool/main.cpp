// tvse-tool: the console companion of the editor, built from the same libraries.

#include "tool/command.h"

#include "platform/text_encoding.h"

#include <exception>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>
#endif

namespace {

Tool::Arguments collect_arguments(int argc, char** argv)
{
    Tool::Arguments arguments;
    for (int i = 2; i < argc; ++i)
        arguments.narrow.emplace_back(argv[i]);
#ifdef _WIN32
    int count = 0;
    if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 2; i < count; ++i)
            arguments.text.emplace_back(reinterpret_cast<const char16_t*>(wide[i]));
        LocalFree(wide);
    }
    if (arguments.text.size() != arguments.narrow.size()) {
        arguments.text.clear();
        for (const auto& narrow : arguments.narrow)
            arguments.text.push_back(Platform::ansi_to_utf16(narrow));
    }
#else
    for (const auto& narrow : arguments.narrow)
        arguments.text.push_back(Platform::utf8_to_utf16(narrow));
#endif
    return arguments;
}

int usage()
{
    std::string text = "usage:";
    for (const Tool::Command* command : Tool::Command::all())
        text += std::string("\n  tvse-tool ") + command->usage();
    return Tool::fail(text);
}

} // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    // Member bytes must reach stdout unchanged.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    if (argc < 2)
        return usage();
    const Tool::Command* command = Tool::Command::find(argv[1]);
    if (!command)
        return usage();
    try {
        int status = command->run(collect_arguments(argc, argv));
        std::fflush(stdout);
        return status;
    } catch (const std::exception& failure) {
        return Tool::fail(failure.what());
    }
}
