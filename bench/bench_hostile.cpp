// Hostile scripts: how long each takes to be stopped, in an optimised build. A string
// method or a concatenation copies a whole string in one instruction, so these would run
// for days on instructions alone; the bytes they make count against the budget, and the
// clock is the last guard. Also how long destroying a module takes while its background
// load is stuck in a colour table that never ends.

#include "mod/loaded_mod.h"
#include "render/resource_set.h"
#include "screen/colour_table.h"
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

} // namespace

BENCHMARK_CAPTURE(stopped_script, upper_of_50_MB, copying_upper)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(stopped_script, concat_of_32_MB, copying_concat)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(stopped_script, endless_tables, endless_tables)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(colour_table, concat_of_32_MB, copying_concat)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(destroying_a_stuck_module)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
