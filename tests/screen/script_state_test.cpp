// The sandbox that runs the mod's data scripts: what a script can reach, how chunks are
// loaded, and that no script can hang, exhaust or crash the editor.

#include "screen/case_insensitive_table.h"
#include "screen/name_hash.h"
#include "screen/script_state.h"

#include "mod/ucs_bytes.h"
#include "run_script.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace {

using Screen::ScriptState;

ScriptState screen_state(const Screen::ScriptLimits& limits = Screen::ScriptLimits())
{
    ScriptState state = Screen::create_script_state(limits);
    Screen::open_string_methods(state.get());
    return state;
}

std::string global_text(lua_State* state, const char* name)
{
    lua_getglobal(state, name);
    std::string text = lua_isnil(state, -1) ? "nil" : lua_tostring(state, -1);
    lua_pop(state, 1);
    return text;
}

TEST(ScriptStateTest, StringMethodsWithoutAGlobalStringTable)
{
    ScriptState state = screen_state();
    EXPECT_EQ(run_script(state.get(), "a = ('MiXeD'):lower() .. ('x'):rep(3) .. ('abc'):sub(2) .. ('%d'):format(7)"), "");
    EXPECT_EQ(global_text(state.get(), "a"), "mixedxxxbc7");
    EXPECT_EQ(run_script(state.get(), "b = ('abc'):len() + ('A'):byte() + #(('').char(65, 66)) + #('ab'):reverse()"
                                      " + #('q'):upper()"),
              "");
    EXPECT_EQ(global_text(state.get(), "b"), "73");

    EXPECT_EQ(run_script(state.get(), "x = string.lower('A')"), "slice:1: attempt to index global 'string' (a nil value)");
    for (const char* missing : {"find", "gmatch", "gsub", "match", "dump"}) {
        std::string script = std::string("x = ('abc'):") + missing + "('b')";
        EXPECT_NE(run_script(state.get(), script), "") << missing;
    }
}

TEST(ScriptStateTest, NoBaseLibrary)
{
    ScriptState state = screen_state();
    EXPECT_EQ(run_script(state.get(), "print('hello')"), "slice:1: attempt to call global 'print' (a nil value)");
    for (const char* name : {"pairs", "ipairs", "tostring", "require", "setmetatable", "getmetatable", "load",
                             "dofile", "next", "rawset", "error", "pcall", "os", "io", "debug", "coroutine"}) {
        EXPECT_EQ(global_text(state.get(), name), "nil") << name;
    }
}

TEST(ScriptStateTest, ColourStateOffersNextOnly)
{
    ScriptState state = Screen::create_script_state();
    Screen::register_next(state.get());
    EXPECT_EQ(run_script(state.get(), "n = 0 for k, v in next, {a = 1, b = 2, 3} do n = n + v end "
                                      "last = next({}) == nil and 'end' or 'more'"),
              "");
    EXPECT_EQ(global_text(state.get(), "n"), "6");
    EXPECT_EQ(global_text(state.get(), "last"), "end");
    EXPECT_NE(run_script(state.get(), "x = ('a'):lower()"), "") << "no string methods in the colour state";
}

TEST(ScriptStateTest, ChunksAreTextNamedSlice)
{
    ScriptState state = screen_state();
    EXPECT_EQ(Screen::load_chunk(state.get(), nullptr), LUA_ERRFILE);
    EXPECT_EQ(Screen::error_text(state.get()), "File not found");
    lua_pop(state.get(), 1);

    EXPECT_EQ(run_script(state.get(), "x = 1\ny = = 2"), "slice:2: unexpected symbol near '='");
    EXPECT_EQ(run_script(state.get(), "\n\nlocal t = nil\nx = t.field"),
              "slice:4: attempt to index local 't' (a nil value)");

    // A precompiled chunk, as luac writes it, is refused.
    EXPECT_NE(run_script(state.get(), std::string("\x1bLua\x52\x00\x01\x04\x08\x04\x08\x00", 12)).find("binary"),
              std::string::npos);

    // The empty file is an empty chunk.
    EXPECT_EQ(run_script(state.get(), ""), "");
}

TEST(ScriptStateTest, LoadChunkReleasesTheBlob)
{
    ScriptState state = screen_state();
    Mod::BlobPtr blob = blob_of("x = 1");
    std::weak_ptr<const Mod::FileBlob> watch = blob;
    Screen::load_chunk(state.get(), std::move(blob));
    EXPECT_TRUE(watch.expired());
}

TEST(ScriptStateTest, EndlessScriptsRunOutOfInstructions)
{
    Screen::ScriptLimits limits;
    limits.instructions = 2'000'000;
    ScriptState state = screen_state(limits);
    const std::string message = run_script(state.get(), "while true do end");
    EXPECT_NE(message.find(Screen::instruction_budget_message), std::string::npos) << message;
    // The budget starts afresh with every run.
    EXPECT_EQ(run_script(state.get(), "for i = 1, 10000 do end"), "");
    // Nor is an endless chain of tail calls a way around it.
    EXPECT_NE(run_script(state.get(), "local function f() return f() end f()").find(Screen::instruction_budget_message),
              std::string::npos);
}

TEST(ScriptStateTest, DefaultBudgetStopsAnEndlessScript)
{
    ScriptState state = screen_state();
    EXPECT_NE(run_script(state.get(), "local i = 0 repeat i = i + 1 until false").find(Screen::instruction_budget_message),
              std::string::npos);
}

TEST(ScriptStateTest, WhatAScriptCopiesCountsAgainstItsBudget)
{
    // A string method or a concatenation copies a whole string in one instruction: by
    // instructions alone each of these would run for days.
    for (const char* script : {
             "local s = ('x'):rep(5e7) for i = 1, 1e7 do local t = s:upper() end",
             "local s = 'x' for i = 1, 25 do s = s .. s end for i = 1, 1e7 do local t = s .. 'y' end",
             "local s = ('ab'):rep(1e6) for i = 1, 1e7 do local t = s:reverse():sub(2) end",
         }) {
        ScriptState state = screen_state();
        const std::string message = run_script(state.get(), script);
        EXPECT_NE(message.find(Screen::instruction_budget_message), std::string::npos) << script << ": " << message;
        // The state works on afterwards, with a fresh budget.
        EXPECT_EQ(run_script(state.get(), "x = ('y'):rep(1000)"), "");
    }
}

TEST(ScriptStateTest, TimeAndAStopFromOutsideEndAScriptTheBudgetWouldLetRun)
{
    Screen::ScriptLimits endless;
    endless.instructions = ~std::uint64_t(0);
    endless.milliseconds = 100;
    ScriptState timed = screen_state(endless);
    EXPECT_NE(run_script(timed.get(), "while true do end").find(Screen::instruction_budget_message), std::string::npos);

    // Another thread stops it: the module closing while its background load runs it.
    std::atomic<bool> stop{false};
    endless.milliseconds = 60'000;
    endless.stop = &stop;
    ScriptState stopped = screen_state(endless);
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        stop = true;
    });
    const std::string message = run_script(stopped.get(), "local t = {} while true do t[#t % 100 + 1] = {} end");
    stopper.join();
    EXPECT_NE(message.find(Screen::instruction_budget_message), std::string::npos) << message;
}

TEST(ScriptStateTest, MemoryIsCappedPerState)
{
    Screen::ScriptLimits limits;
    limits.memory_bytes = 4u << 20;
    ScriptState state = screen_state(limits);
    EXPECT_EQ(run_script(state.get(), "s = ('x'):rep(1000000000)"), "not enough memory");
    EXPECT_EQ(run_script(state.get(), "t = {} for i = 1, 10000000 do t[i] = i end"), "not enough memory");
    // After the refusal the state still works.
    EXPECT_EQ(run_script(state.get(), "t = nil ok = ('a'):rep(10)"), "");
    EXPECT_EQ(global_text(state.get(), "ok"), "aaaaaaaaaa");
}

TEST(ScriptStateTest, ProtectedCallTurnsLuaErrorsIntoExceptions)
{
    ScriptState state = screen_state();
    lua_State* L = state.get();
    lua_pushinteger(L, 42);
    try {
        Screen::protected_call(L, [](lua_State* s) {
            lua_pushnil(s);
            lua_getfield(s, -1, "field"); // indexing nil raises
        });
        FAIL() << "no exception";
    } catch (const Screen::ScriptError& error) {
        EXPECT_STREQ(error.what(), "attempt to index a nil value");
    }
    EXPECT_EQ(lua_gettop(L), 1) << "stack height restored";

    // Our own exceptions travel through Lua unchanged.
    EXPECT_THROW(Screen::protected_call(L, [](lua_State*) { throw std::invalid_argument("ours"); }),
                 std::invalid_argument);
    EXPECT_EQ(lua_gettop(L), 1);

    // A host function's C++ failure becomes a Lua error with its message.
    lua_pushcfunction(L, [](lua_State* s) {
        return Screen::host_function_guard(s, [](lua_State*) -> int { throw std::runtime_error("host says no"); });
    });
    EXPECT_EQ(Screen::run(L, 0), LUA_ERRRUN);
    EXPECT_EQ(Screen::error_text(L), "host says no");
}

TEST(ScriptStateTest, ErrorTextOfOtherValues)
{
    ScriptState state = screen_state();
    lua_newtable(state.get());
    EXPECT_EQ(Screen::error_text(state.get()), "(error object is a table value)");
    lua_pushnumber(state.get(), 12);
    EXPECT_EQ(Screen::error_text(state.get()), "12");
    EXPECT_EQ(lua_type(state.get(), -1), LUA_TNUMBER) << "the slot keeps its type";
}

TEST(CaseInsensitiveTableTest, StoresAndFindsIgnoringCase)
{
    ScriptState state = screen_state();
    lua_State* L = state.get();
    Screen::protected_call(L, [](lua_State* s) {
        Screen::make_case_insensitive_table(s, 4);
        lua_setglobal(s, "t");
    });
    EXPECT_EQ(run_script(L, "t.Foo = 1 a = t.foo .. t.FOO .. t.Foo"), "");
    EXPECT_EQ(global_text(L, "a"), "111");

    // A raw store under the lower case is found by any spelling, which is then cached.
    Screen::protected_call(L, [](lua_State* s) {
        lua_getglobal(s, "t");
        lua_pushliteral(s, "bar");
        lua_pushinteger(s, 2);
        lua_rawset(s, -3);
    });
    EXPECT_EQ(run_script(L, "b = t.BAR"), "");
    EXPECT_EQ(global_text(L, "b"), "2");
    Screen::protected_call(L, [](lua_State* s) {
        lua_getglobal(s, "t");
        lua_pushliteral(s, "BAR");
        lua_rawget(s, -2);
        EXPECT_EQ(lua_tointeger(s, -1), 2);
    });

    // Other keys are stored as they are; unknown names read nil.
    EXPECT_EQ(run_script(L, "t[1] = 'one' c = t[1] d = t.unknown"), "");
    EXPECT_EQ(global_text(L, "c"), "one");
    EXPECT_EQ(global_text(L, "d"), "nil");
}

TEST(NameHashTest, KeywordsOfTheScreenFormat)
{
    struct Case {
        const char* word;
        std::uint32_t hash;
    };
    const Case cases[] = {
        {"Group", 0x11F1C3C4},       {"CustomListBoxItem", 0x4E1A6122}, {"Button", 0x5D5599AC},
        {"CheckButton", 0xCB5C821A}, {"RadioButton", 0xD693D97B},       {"ProgressBar", 0x55A4EE66},
        {"ScrollBar", 0xBDC41C9C},   {"ComboBox", 0xA9F0464E},          {"TextListBox", 0x95E0F61B},
        {"CustomListBox", 0xB7B405E4}, {"Custom", 0x7FB3D21A},          {"TextLabel", 0x401AB09A},
        {"EditText", 0x73EA16E6},    {"ArtLabel", 0xDA576468},          {"Swf", 0x321DB},
        {"ClickOnRelease", 0x3480AEB0}, {"ClickOnPress", 0xF90BE6DD},   {"Disabled", 0x3F7BF8A2},
        {"Normal", 0x62EA5F10},      {"Hover", 0x1231D350},             {"Active", 0x4B519583},
        {"CheckedDisabled", 0xC599A18B}, {"Checked", 0xDBDA73E2},       {"CheckedHover", 0x70D17CEC},
        {"CheckedActive", 0xE9D429BB}, {"Graphic", 0x53F2AEE5},         {"Text", 0x7898F5},
        {"Rectangle", 0xE0AB7B47},   {"Line", 0x77FEE9},                {"Border", 0x77DFCDC6},
        {"Right", 0x12DA3F05},       {"Centre", 0x4B7B864A},            {"Top", 0x39A98},
        {"Bottom", 0x7FB3AB13},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Screen::name_hash(c.word), c.hash) << c.word;
    EXPECT_EQ(Screen::name_hash(""), 0u);
    // Letter case changes the hash: keywords match as written only.
    EXPECT_NE(Screen::name_hash("normal"), Screen::name_hash("Normal"));
    EXPECT_FALSE(Screen::is_keyword("Buttons", {6, 0x5D5599AC}));
}

TEST(NameHashTest, LongNamesAreSampled)
{
    // From 32 bytes on only every second byte (counting from the end) is hashed.
    const std::string a(40, 'a');
    std::string b = a;
    b[38] = 'z'; // position 39 from the start is sampled, 38 is not
    EXPECT_EQ(Screen::name_hash(a), Screen::name_hash(b));
    b[39] = 'z';
    EXPECT_NE(Screen::name_hash(a), Screen::name_hash(b));
}

} // namespace

TEST(ScriptStateTest, NumbersBeyondTheIntegerRangeAreNoUndefinedConversions)
{
    // Under the sanitizers these conversions fail the test if they are casts out of range.
    ScriptState state = screen_state();
    EXPECT_EQ(run_script(state.get(), "t = { [2e116] = 1, [-1e300] = 2, [1/0] = 3 } x = t[2e116] + t[-1e300] + t[1/0]"),
              "");
    EXPECT_EQ(run_script(state.get(), "s = ('x'):sub(1e300, -1e300) .. ('abc'):sub(-1e300, 1e300)"), "");
    EXPECT_EQ(run_script(state.get(), "s = ('x'):rep(1e300) .. ('x'):rep(0/0)"), "") << "counts saturate";
    // The numbers are checked before they are converted, with the library's messages.
    EXPECT_EQ(run_script(state.get(), "s = ('%d'):format(1e300)"),
              "slice:1: bad argument #1 to 'format' (not a number in proper range)");
    EXPECT_EQ(run_script(state.get(), "s = ('%5.2s %-3i|%%|%x'):format('ab', 7, -1)"),
              "slice:1: bad argument #3 to 'format' (not a non-negative number in proper range)");
    EXPECT_EQ(run_script(state.get(), "s = ('%X'):format(0/0)"),
              "slice:1: bad argument #1 to 'format' (not a non-negative number in proper range)");
    EXPECT_EQ(run_script(state.get(), "s = ('%d|%5.1f|%x|%s'):format(-12, 2.5, 255, 'z')"), "");
    EXPECT_EQ(global_text(state.get(), "s"), "-12|  2.5|ff|z");
    EXPECT_NE(run_script(state.get(), "s = ('%d'):format('nope')"), "") << "the library's own complaint";
}
