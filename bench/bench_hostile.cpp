// Hostile scripts: how long each takes to be stopped, in an optimised build. A string
// method or a concatenation copies a whole string in one instruction, so these would run
// for days on instructions alone; the bytes they make count against the budget, and the
// clock is the last guard. Also how long destroying a module takes while its background
// load is stuck in a colour table that never ends, and the peak heap of screens that
// share one large string among many widgets or styles (copies the editor would make).

#include "heap_count.h"
#include "mod/loaded_mod.h"
#include "render/resource_set.h"
#include "screen/colour_table.h"
#include "screen/screen_document.h"
#include "screen/script_state.h"
#include "support/temp_folder.h"

#include "mod/memory_source.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

const char* const copying_upper = "local s = ('x'):rep(5e7) for i = 1, 1e7 do local t = s:upper() end";
const char* const copying_concat = "local s = 'x' for i = 1, 25 do s = s .. s end for i = 1, 1e7 do local t = s .. 'y' end";
const char* const endless_tables = "local t = {} while true do t[#t % 64 + 1] = {} end";

// Runs `script` in a fresh screen state; the figure is the time until it is stopped.
void stopped_script(benchmark::State& state, const char* script)
{
    std::string message;
    for (auto _ : state) {
        Screen::ScriptState lua = Screen::create_script_state();
        Screen::open_string_methods(lua.get());
        Mod::BlobPtr blob = blob_of(script);
        if (Screen::load_chunk(lua.get(), std::move(blob)) == LUA_OK && Screen::run(lua.get(), 0) != LUA_OK)
            message = Screen::error_text(lua.get());
    }
    state.SetLabel(message.find(Screen::instruction_budget_message) == 0 ? "stopped" : "NOT STOPPED: " + message);
}

void colour_table(benchmark::State& state, const char* script)
{
    MemorySource files;
    files.add(Screen::ColourTable::path, std::string("ColourTable = {} ") + script);
    for (auto _ : state)
        benchmark::DoNotOptimize(Screen::ColourTable::load(files));
}

// A module whose colour table never ends, destroyed as soon as its background load is
// under way: the figure is the destruction alone.
void destroying_a_stuck_module(benchmark::State& state)
{
    TempFolder folder;
    folder.write("Main.module", "[global]\nModFolder = Main\nDataFolder.1 = Data\n");
    folder.write(std::string("Main\\Data\\") + Screen::ColourTable::path, std::string("ColourTable = {} ") + endless_tables);
    for (auto _ : state) {
        state.PauseTiming();
        auto mod = std::make_unique<Mod::LoadedMod>();
        mod->set_resource_builder(Render::resource_set_builder());
        mod->load(nullptr, folder.path("Main.module"));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        state.ResumeTiming();
        mod.reset();
    }
}

// A screen (and its sheet) whose texts are one large string shared many times; the
// figures are the peak of the heap while it loads, and whether it loaded.
void amplified_copies(benchmark::State& state, const char* screen, const char* sheet)
{
    auto files = std::make_shared<MemorySource>();
    files->add("Art\\UI\\Screens\\amplified.screen", screen);
    files->add("art\\ui\\styles\\uistyles.styles", sheet);
    Screen::ScriptLimits limits;
    limits.memory_bytes = std::size_t(64) << 20;
    std::string outcome;
    for (auto _ : state) {
#ifdef TVSE_COUNT_HEAP
        g_in_use = 0;
        g_peak = 0;
        g_counting = true;
#endif
        try {
            Screen::ScreenDocument document(nullptr, Screen::ScreenSources{files}, "Art\\UI\\Screens\\amplified.screen",
                                            limits);
            outcome = document.style_problems().empty() ? "loaded" : "sheet refused: " + document.style_problems().back().message;
        } catch (const std::exception& failure) {
            outcome = std::string("refused: ") + failure.what();
        }
#ifdef TVSE_COUNT_HEAP
        g_counting = false;
        state.counters["peak_MB"] = static_cast<double>(g_peak.load()) / (1 << 20);
#endif
    }
    state.SetLabel(outcome.substr(0, 60));
}

const char* const shared_widget_texts =
    "local s = ('x'):rep(4e6) local children = {} for i = 1, 100 do children[i] = { type = 'TextLabel', "
    "name = s, text = s, tooltip_text = s } end Screen = { Widgets = { type = 'Group', name = 'root', "
    "Children = children } }";
const char* const shared_style_names = "local n = ('y'):rep(1e6) local styles = {} for i = 1, 400 do styles[i] = "
                                       "{ name = n, type = 'ButtonStyle' } end StyleSheet = { Styles = styles }";

} // namespace

BENCHMARK_CAPTURE(amplified_copies, widgets_sharing_4_MB, shared_widget_texts, "")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(amplified_copies, styles_sharing_1_MB, "Screen = {}", shared_style_names)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(stopped_script, upper_of_50_MB, copying_upper)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(stopped_script, concat_of_32_MB, copying_concat)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(stopped_script, endless_tables, endless_tables)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(colour_table, concat_of_32_MB, copying_concat)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(destroying_a_stuck_module)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
