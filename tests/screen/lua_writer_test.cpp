// Lua values written back as Lua source: layout, key order, numbers, string escapes,
// values the text cannot hold, cycles and the bounds.

#include "screen_fixture.h"

#include "screen/lua_writer.h"
#include "screen/script_state.h"

#include "mod/ucs_bytes.h"
#include "run_script.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <string>
#include <vector>

namespace {

using Screen::ScriptState;

ScriptState screen_state()
{
    ScriptState state = Screen::create_script_state();
    Screen::open_string_methods(state.get());
    return state;
}

// The text of global `name`, written by write_lua_value.
std::string write_global(lua_State* state, const char* name, int indent = 0)
{
    lua_getglobal(state, name);
    std::string text = Screen::write_lua_value(state, -1, indent);
    lua_pop(state, 1);
    return text;
}

struct WriteCase {
    const char* script; // sets v
    const char* text;
    bool reloads_same = true; // writing the text's value again gives the text
};

void check_cases(const std::vector<WriteCase>& cases)
{
    for (const WriteCase& c : cases) {
        ScriptState state = screen_state();
        ASSERT_EQ(run_script(state.get(), c.script), "") << c.script;
        const std::string text = write_global(state.get(), "v");
        EXPECT_EQ(text, c.text) << c.script;
        ASSERT_EQ(run_script(state.get(), "w = " + text), "") << c.script << "\n" << text;
        if (c.reloads_same) {
            EXPECT_EQ(write_global(state.get(), "w"), text) << c.script;
        }
        EXPECT_EQ(lua_gettop(state.get()), 0);
    }
}

TEST(LuaWriterTest, TablesAreLaidOutInAFixedOrder)
{
    check_cases({
        {"v = {}", "{}"},
        {"v = {0.05, 0.1}", "{0.05, 0.1}"},
        {"v = {1, 'two', true, false}", "{1, \"two\", true, false}"},
        // Five scalars, or anything not scalar, take a line each.
        {"v = {1, 2, 3, 4, 5}", "{\n    1,\n    2,\n    3,\n    4,\n    5,\n}"},
        {"v = {{}}", "{\n    {},\n}"},
        {"v = {b = 1, name = 'n', A = 2, type = 't', c = 3, 10, 20}",
         "{\n    type = \"t\",\n    name = \"n\",\n    A = 2,\n    b = 1,\n    c = 3,\n    10,\n    20,\n}"},
        // Keys differing only in case keep one order however the table holds them.
        {"v = {ab = 1, AB = 2, Ab = 3}", "{\n    AB = 2,\n    Ab = 3,\n    ab = 1,\n}"},
        {"v = {type = 'Group', Children = {{name = 'a', size = {0.5, 0.25}}}}",
         "{\n    type = \"Group\",\n    Children = {\n        {\n            name = \"a\",\n"
         "            size = {0.5, 0.25},\n        },\n    },\n}"},
    });
}

TEST(LuaWriterTest, KeysThatAreNoIdentifiersAreBracketed)
{
    check_cases({
        {"v = {['a b'] = 1, ['end'] = 2, ['1x'] = 3, [''] = 4, _ok9 = 5}",
         "{\n    [\"\"] = 4,\n    [\"1x\"] = 3,\n    _ok9 = 5,\n    [\"a b\"] = 1,\n    [\"end\"] = 2,\n}"},
        {"v = {['\\n'] = 1, ['\\128'] = 2}", "{\n    [\"\\n\"] = 1,\n    [\"\x80\"] = 2,\n}"},
        // After the array part, numbers in order, then booleans.
        {"v = {[5] = 'e', [0.5] = 'h', [-1] = 'm', [true] = 1, [false] = 0, 'a'}",
         "{\n    \"a\",\n    [-1] = \"m\",\n    [0.5] = \"h\",\n    [5] = \"e\",\n    [false] = 0,\n    [true] = 1,\n}"},
        // The array part ends at the first hole.
        {"v = {1, nil, 3}", "{\n    1,\n    [3] = 3,\n}"},
        {"v = {[2] = 'b'}", "{\n    [2] = \"b\",\n}"},
        {"v = {[1/0] = 1}", "{\n    [1/0] = 1,\n}"},
        // Keys keep every digit: rounded, these two would become one.
        {"v = {[0.1234567801] = 1, [0.1234567802] = 2}",
         "{\n    [0.1234567801] = 1,\n    [0.1234567802] = 2,\n}"},
    });
}

TEST(LuaWriterTest, Numbers)
{
    check_cases({
        {"v = 0", "0"}, {"local z = 0; v = -z", "-0"}, {"v = -42", "-42"}, {"v = 0.1", "0.1"},
        // The shortest text that reads back to the very same number.
        {"v = 1/3", "0.3333333333333333"}, {"v = 1e300", "1e+300"}, {"v = -1e-300", "-1e-300"},
        {"v = 0.5 + 2^-24", "0.5000000596046448"}, // a widget dragged to x = 0.50000006
        {"v = 2^-1074", "5e-324"},
        // Whole numbers stay exact up to 2^63 and beyond.
        {"v = 2^53 + 2", "9007199254740994"},
        {"v = -2^62", "-4611686018427387904"},
        {"v = 2^63", "9223372036854775808"},
        {"v = 2^70", "1180591620717411303424"},
        {"v = 0/0", "0/0"}, {"v = 1/0", "1/0"}, {"v = -1/0", "-1/0"},
        {"v = true", "true"}, {"v = false", "false"}, {"v = nil", "nil"},
    });
}

TEST(LuaWriterTest, StringsLoadBackByteForByte)
{
    check_cases({
        {"v = ''", "\"\""},
        {"v = 'say \"hi\"\\\\ it\\'s'", "\"say \\\"hi\\\"\\\\ it's\""},
        {"v = 'two\\nlines\\r\\n'", "\"two\\nlines\\013\\n\""},
        // Three digits always: a digit after the escape stays a digit.
        {"v = '\\0' .. '1'", "\"\\0001\""},
        {"v = '\\t\\127'", "\"\\009\\127\""},
        {"v = '\\128\\255 \\195\\169'", "\"\x80\xff \xc3\xa9\""},
        {"v = ']]--[['", "\"]]--[[\""},
    });
    // Every byte value, loaded back through the text.
    ScriptState state = screen_state();
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    lua_pushlstring(state.get(), all.data(), all.size());
    ASSERT_EQ(run_script(state.get(), "w = " + Screen::write_lua_value(state.get(), -1)), "");
    lua_getglobal(state.get(), "w");
    std::size_t length = 0;
    const char* loaded = lua_tolstring(state.get(), -1, &length);
    EXPECT_EQ(std::string(loaded, length), all);
}

TEST(LuaWriterTest, ValuesTheTextCannotHoldBecomeComments)
{
    check_cases({
        {"v = function() end", "nil --[[ function ]]", false},
        {"v = {f = function() end, 1}", "{\n    f = nil --[[ function ]],\n    1,\n}", false},
        {"v = {[function() end] = 1, [{}] = 2}",
         "{\n    --[[ an entry with a function key ]]\n    --[[ an entry with a table key ]]\n}", false},
        {"local t = {} t.self = t t[1] = {t} v = t",
         "{\n    self = nil --[[ cycle ]],\n    {\n        nil --[[ cycle ]],\n    },\n}", false},
        // Shared, but no cycle: written where it appears.
        {"local s = {1} v = {a = s, b = s}", "{\n    a = {1},\n    b = {1},\n}"},
    });

    ScriptState state = screen_state();
    lua_State* L = state.get();
    lua_pushlightuserdata(L, &state);
    EXPECT_EQ(Screen::write_lua_value(L, -1), "nil --[[ userdata ]]");
    lua_newthread(L);
    EXPECT_EQ(Screen::write_lua_value(L, -1), "nil --[[ thread ]]");
    EXPECT_EQ(Screen::write_lua_value(L, -2), "nil --[[ userdata ]]");
    lua_pop(L, 2);
    EXPECT_EQ(lua_gettop(L), 0);
}

TEST(LuaWriterTest, MetatablesAreIgnored)
{
    ScriptState state = screen_state();
    lua_State* L = state.get();
    ASSERT_EQ(run_script(L, "v = {own = 1} m = {__index = {type = 'Hidden'}, __newindex = function() error('no') end}"),
              "");
    lua_getglobal(L, "v");
    lua_getglobal(L, "m");
    lua_setmetatable(L, -2);
    EXPECT_EQ(Screen::write_lua_value(L, -1), "{\n    own = 1,\n}");
    lua_pop(L, 1);
}

TEST(LuaWriterTest, NestingAndSizeAreBounded)
{
    ScriptState state = screen_state();
    lua_State* L = state.get();
    const std::string chain = "local t = {} v = t for i = 2, n do t[1] = {} t = t[1] end";
    ASSERT_EQ(run_script(L, "n = " + std::to_string(Screen::lua_writer_max_depth) + " " + chain), "");
    EXPECT_NO_THROW(write_global(L, "v"));
    ASSERT_EQ(run_script(L, "n = " + std::to_string(Screen::lua_writer_max_depth + 1) + " " + chain), "");
    EXPECT_THROW(write_global(L, "v"), Screen::LuaWriteError);
    lua_pop(L, 1); // write_global's value, left by the throw
    EXPECT_EQ(lua_gettop(L), 0);

    // A shared table doubling at each level: little memory, too much text.
    ASSERT_EQ(run_script(L, "local t = {('x'):rep(1048576)} for i = 1, 7 do t = {t, t} end v = t"), "");
    lua_getglobal(L, "v");
    try {
        Screen::write_lua_value(L, -1);
        ADD_FAILURE() << "no exception";
    } catch (const Screen::LuaWriteError& error) {
        EXPECT_EQ(std::string(error.what()), "Lua text exceeds 64 MB");
    }
    EXPECT_EQ(lua_gettop(L), 1);
}

TEST(LuaWriterTest, ScreensNestedDeeperThanTheParserTakesLoadBackFromTheirText)
{
    // 150 widget levels are 300 nested tables: one constructor that deep does not parse.
    ScreenFixture fixture;
    const std::string deep = "local w = { type = 'Button', name = 'leaf' } "
                             "for i = 1, 149 do w = { type = 'Group', name = 'g' .. i, Children = { w } } end "
                             "Screen = { Widgets = w }";
    auto document = fixture.open(deep);
    const std::string text = Screen::write_screen_table(document->lua());
    EXPECT_EQ(text.rfind("local P = {}\nP[1] = ", 0), 0u) << text.substr(0, 80);
    auto again = fixture.open(text);
    EXPECT_EQ(Screen::write_screen_table(again->lua()), text);
    EXPECT_NE(find_widget(again->widgets(), "leaf"), nullptr);

    // A widget copied out of it is an expression that a screen takes.
    std::string widget;
    Screen::protected_call(document->lua(), [&](lua_State* L) {
        lua_rawgeti(L, LUA_REGISTRYINDEX, document->widgets()->ref());
        widget = Screen::write_lua_value(L, -1);
    });
    auto pasted = fixture.open("Screen = { Widgets = " + widget + " }");
    EXPECT_EQ(Screen::write_screen_table(pasted->lua()), text);
}

TEST(LuaWriterTest, EveryScreenOfTheFuzzCorpusThatLoadsLoadsBackFromItsText)
{
    // The fuzz target's inputs: a screen, then its style sheet, and more, at a marker.
    const std::filesystem::path corpus = std::filesystem::path(TVSE_SOURCE_DIR) / "fuzz" / "corpus" / "screen";
    Screen::ScriptLimits limits;
    limits.memory_bytes = std::size_t(64) << 20;
    limits.instructions = 2'000'000;
    int loaded = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string input((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::size_t marker = input.find("\n@@@@\n");
        const std::size_t sheet_end = marker == std::string::npos ? marker : input.find("\n@@@@\n", marker + 6);
        ScreenFixture fixture;
        if (marker != std::string::npos)
            fixture.add_sheet("uistyles.styles", input.substr(marker + 6, sheet_end - marker - 6));
        std::unique_ptr<Screen::ScreenDocument> document;
        try {
            document = fixture.open(input.substr(0, marker), limits);
        } catch (const std::exception&) {
            continue; // a screen that does not load writes nothing
        }
        const std::string text = Screen::write_screen_table(document->lua());
        const std::string again = Screen::write_screen_table(fixture.open(text, limits)->lua());
        EXPECT_EQ(again, text) << entry.path().filename();
        ++loaded;
    }
    EXPECT_GT(loaded, 10);
}

TEST(LuaWriterTest, ASizeTheWidgetTakesFromItsStyleIsNotCopiedAsALiteral)
{
    ScreenFixture fixture;
    fixture.add_sheet("uistyles.styles",
                      "StyleSheet = { Styles = { { name = 'Small', type = 'ButtonStyle', size = {0.1, 0.2} } } }");
    auto document = fixture.open("Screen = { Widgets = { type = 'Button', name = 'b', style = {'UIStyles', 'Small'} } }");
    Screen::Widget* button = document->widgets();
    // Its own size, then "Style Default" again: the style's size stands in the table.
    button->set_size_from_style(false);
    EXPECT_NE(document->lua_text(button).find("size = {0.1, 0.2}"), std::string::npos);
    button->set_size_from_style(true);
    for (const Screen::Widget* copied : {button, static_cast<Screen::Widget*>(nullptr)}) {
        const std::string text = document->lua_text(copied);
        EXPECT_EQ(text.find("size ="), std::string::npos) << text;
    }
    // Pasted into a screen with another style of that name, it follows that style.
    ScreenFixture other;
    other.add_sheet("uistyles.styles",
                    "StyleSheet = { Styles = { { name = 'Small', type = 'ButtonStyle', size = {0.3, 0.4} } } }");
    auto pasted = other.open("Screen = { Widgets = " + document->lua_text(button) + " }");
    EXPECT_TRUE(pasted->widgets()->size_from_style());
    EXPECT_FLOAT_EQ(pasted->widgets()->width(), 0.3f);
}

TEST(LuaWriterTest, AWidgetTableLoadsBackInsideAScreen)
{
    ScreenFixture fixture;
    auto document = fixture.open(
        "Screen = { Widgets = { type = 'Group', name = 'root', Children = {"
        "  { type = 'Button', name = 'Ok', position = {0.25, 0.5}, size = {0.125, 0.0625}, text = 'O\"k\\n',"
        "    visible = false, tooltip_text = 'Press',"
        "    Presentation = { Art = { { type = 'Rectangle', colour = {255, 0, 0, 128} } } } } } } }");
    Screen::Widget* button = find_widget(document->widgets(), "Ok");
    ASSERT_NE(button, nullptr);
    std::string text;
    Screen::protected_call(button->lua(), [&](lua_State* L) {
        lua_rawgeti(L, LUA_REGISTRYINDEX, button->ref());
        text = Screen::write_lua_value(L, -1, 3);
    });
    EXPECT_EQ(text.substr(0, 40), "{\n                type = \"Button\",\n     ");

    auto copy = fixture.open("Screen = { Widgets = { type = 'Group', name = 'copy', Children = {\n            " +
                             text + "\n} } }");
    Screen::Widget* loaded = find_widget(copy->widgets(), "Ok");
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->type(), button->type());
    EXPECT_EQ(loaded->text(), std::optional<std::string>("O\"k\n"));
    EXPECT_EQ(loaded->tooltip(), "Press");
    EXPECT_FALSE(loaded->is_visible());
    EXPECT_EQ(std::vector<float>({loaded->x(), loaded->y(), loaded->width(), loaded->height()}),
              std::vector<float>({0.25f, 0.5f, 0.125f, 0.0625f}));
    EXPECT_EQ(loaded->art().size(), 1u);
}

} // namespace
