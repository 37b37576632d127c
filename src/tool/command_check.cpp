// tvse-tool check FILE.module [SCREENPATH...]: a modder's check of the mod's screens
// (all of those the start window lists, or the ones named), one problem a line (see
// tool/mod_check.h), then "N screens checked, M problems found". Exits with 0 when
// nothing was found, 1 with problems, 2 for a usage error or a module that cannot be
// read, 3 when the check itself fails (with its message).

#include "tool/command.h"
#include "tool/mod_check.h"

#include "mod/loaded_mod.h"
#include "platform/debug_output.h"
#include "platform/text_encoding.h"
#include "render/resource_set.h"

namespace {

std::string utf8(const std::string& narrow) { return Platform::utf16_to_utf8(Platform::ansi_to_utf16(narrow)); }

// The editor's developer messages (a style not found, ...) would repeat what the check
// prints, on standard error outside Windows.
class QuietDebugOutput {
public:
    QuietDebugOutput() : m_previous(Platform::set_debug_sink([](const std::string&) {})) {}
    ~QuietDebugOutput() { Platform::set_debug_sink(m_previous); }
    QuietDebugOutput(const QuietDebugOutput&) = delete;
    QuietDebugOutput& operator=(const QuietDebugOutput&) = delete;

private:
    Platform::DebugSink m_previous;
};

int run(const Tool::Arguments& arguments)
{
    if (arguments.narrow.empty()) {
        Tool::fail("usage: tvse-tool check FILE.module [SCREENPATH...]");
        return 2;
    }
    Mod::LoadedMod mod;
    mod.set_resource_builder(Render::resource_set_builder());
    try {
        mod.load(nullptr, arguments.narrow[0]);
        mod.wait_until_loaded(Platform::wait_forever);
    } catch (const std::exception& failure) {
        Tool::fail(utf8(failure.what()));
        return 2;
    }
    const std::vector<std::string> screens =
        arguments.narrow.size() > 1 ? std::vector<std::string>(arguments.narrow.begin() + 1, arguments.narrow.end())
                                    : Tool::list_screens(*mod.files());
    QuietDebugOutput quiet;
    try {
        Tool::ModCheck check(mod);
        for (const std::string& path : screens) {
            for (const std::string& line : check.check_screen(path))
                Tool::print_line(utf8(line));
        }
        Tool::print_line(Tool::check_summary(check.screens_checked(), check.problems_found()));
        return check.problems_found() ? 1 : 0;
    } catch (const std::exception& failure) {
        // The check itself failed: not a problem of the mod's, and not to be mistaken
        // for one.
        Tool::fail("the check failed: " + utf8(failure.what()));
        return 3;
    }
}

const Tool::Command command("check", "check FILE.module [SCREENPATH...]", run);

} // namespace
