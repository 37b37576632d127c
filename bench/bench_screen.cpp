// Opening the sample's stress screen (2,000+ widgets) as a full document: the script,
// the mod's style sheets and the widget tree. Compared with the least any editor must
// do, running the same script in a bare sandboxed state, and measured for memory per
// widget (the Lua state plus the C++ objects, resident and at the peak of the load).

#include "bench_sample_mod.h"
#include "heap_count.h"
#include "screen/screen_document.h"
#include "screen/script_state.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

using BenchSample::sample_mod;
using BenchSample::stress_path;

// The script alone: the state every screen needs, its text compiled and run.
Screen::ScriptState run_script_alone(const Mod::LoadedMod& mod)
{
    Screen::ScriptState state = Screen::create_script_state();
    lua_State* L = state.get();
    Screen::open_string_methods(L);
    if (Screen::load_chunk(L, mod.files()->read(stress_path)) != LUA_OK || Screen::run(L, 0) != LUA_OK)
        throw std::runtime_error(Screen::error_text(L));
    return state;
}

std::size_t lua_bytes(lua_State* L)
{
    return static_cast<std::size_t>(lua_gc(L, LUA_GCCOUNT, 0)) * 1024 + static_cast<std::size_t>(lua_gc(L, LUA_GCCOUNTB, 0));
}

// (a) The document as the editor opens it, closed again.
void BM_StressDocument(benchmark::State& state)
{
    const Mod::LoadedMod& mod = sample_mod();
    std::size_t widgets = 0;
    for (auto _ : state) {
        Screen::ScreenDocument document(nullptr, mod, stress_path);
        widgets = document.widget_count();
        benchmark::DoNotOptimize(widgets);
    }
    state.counters["widgets"] = static_cast<double>(widgets);
}
BENCHMARK(BM_StressDocument)->Unit(benchmark::kMillisecond);

// (b) The same script in a bare state, closed again.
void BM_StressDocument_Baseline_ScriptAlone(benchmark::State& state)
{
    const Mod::LoadedMod& mod = sample_mod();
    try {
        for (auto _ : state)
            benchmark::DoNotOptimize(run_script_alone(mod).get());
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
    }
}
BENCHMARK(BM_StressDocument_Baseline_ScriptAlone)->Unit(benchmark::kMillisecond);

// (a) / (b), each iteration timing one of each in turn so that both see the same
// machine; the build and the close are also shown apart.
void BM_StressDocument_OverScriptAlone(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    const Mod::LoadedMod& mod = sample_mod();
    std::chrono::duration<double> build{0}, close{0}, script{0}, script_close{0};
    for (auto _ : state) {
        auto t0 = Clock::now();
        auto document = std::make_unique<Screen::ScreenDocument>(nullptr, mod, stress_path);
        auto t1 = Clock::now();
        document.reset();
        auto t2 = Clock::now();
        Screen::ScriptState bare = run_script_alone(mod);
        auto t3 = Clock::now();
        bare.reset();
        auto t4 = Clock::now();
        build += t1 - t0;
        close += t2 - t1;
        script += t3 - t2;
        script_close += t4 - t3;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["doc_build_ms"] = build.count() * 1e3 / n;
    state.counters["doc_close_ms"] = close.count() * 1e3 / n;
    state.counters["script_ms"] = script.count() * 1e3 / n;
    state.counters["script_close_ms"] = script_close.count() * 1e3 / n;
    state.counters["ratio"] = (build + close).count() / (script + script_close).count();
    state.counters["build_ratio"] = build.count() / script.count();
}
BENCHMARK(BM_StressDocument_OverScriptAlone)->Unit(benchmark::kMillisecond);

// (c) Bytes per widget of the loaded document: its Lua state (as Lua counts it, and
// after a full collection), the whole heap it holds, and the heap's peak while loading.
void BM_StressDocument_Memory(benchmark::State& state)
{
    const Mod::LoadedMod& mod = sample_mod();
    for (auto _ : state) {
#ifdef TVSE_COUNT_HEAP
        g_in_use = 0;
        g_peak = 0;
        g_counting = true;
#endif
        Screen::ScreenDocument document(nullptr, mod, stress_path);
#ifdef TVSE_COUNT_HEAP
        const double held = static_cast<double>(g_in_use.load());
        const double peak = static_cast<double>(g_peak.load());
        g_counting = false;
#endif
        const double widgets = static_cast<double>(document.widget_count());
        const double lua = static_cast<double>(lua_bytes(document.lua()));
        lua_gc(document.lua(), LUA_GCCOLLECT, 0);
        const double lua_live = static_cast<double>(lua_bytes(document.lua()));
        const double script_lua = static_cast<double>(lua_bytes(run_script_alone(mod).get()));
        state.counters["widgets"] = widgets;
        state.counters["lua_B_per_widget"] = lua / widgets;
        state.counters["lua_live_B_per_widget"] = lua_live / widgets;
        state.counters["bare_script_lua_B_per_widget"] = script_lua / widgets;
#ifdef TVSE_COUNT_HEAP
        // The Lua state's blocks are in the heap too: the rest is the C++ side.
        state.counters["cpp_B_per_widget"] = (held - lua) / widgets;
        state.counters["total_B_per_widget"] = held / widgets;
        state.counters["peak_B_per_widget"] = peak / widgets;
#endif
    }
}
BENCHMARK(BM_StressDocument_Memory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
