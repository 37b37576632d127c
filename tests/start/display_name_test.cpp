// Display names of screen files: the documented examples, the vocabulary walk's
// resume rules, and inputs that must not trip the scanner.

#include "start/display_name.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

struct NameCase {
    const char* input;
    const char* expected;
};

void PrintTo(const NameCase& value, std::ostream* out) { *out << '"' << value.input << '"'; }

class DisplayName : public testing::TestWithParam<NameCase> {};

TEST_P(DisplayName, MakesReadableName)
{
    EXPECT_EQ(Start::make_display_name(GetParam().input), GetParam().expected)
        << "input: " << GetParam().input;
}

INSTANTIATE_TEST_SUITE_P(Examples, DisplayName, testing::Values(
    NameCase{"automatchlobbyscreen.screen", "Automatch lobby"},
    NameCase{"MPGameSetupDialog.screen", "MP game Setup"},
    NameCase{"Art\\UI\\Screens\\main_menu.screen", "Main menu"},
    NameCase{"creditsscreen.screen", "Credits"},
    NameCase{"loadingx.screen", "Loading x"},
    NameCase{"loadinx.screen", "Load inx"},
    NameCase{"w40kgame.screen", "W40K game"},
    NameCase{"screen.screen", ""},
    NameCase{"lobby2", "Lobby 2"},
    NameCase{"armypainter", "Army pa in ter"},
    NameCase{"gamesetup", "Game setup"},
    NameCase{"friendslist", "Friends list"},
    NameCase{"mainmenuscreen.screen", "Main menu"},
    NameCase{"xlobby", "X lobby"},
    NameCase{"inside", "In side"},
    NameCase{"acchat", "Acchat"},
    NameCase{"lan", "LAN"},
    NameCase{"gamespy", "GameSpy"}));

// Only one ending is removed, case folds, and the folder part goes with either slash.
INSTANTIATE_TEST_SUITE_P(Endings, DisplayName, testing::Values(
    NameCase{"", ""},
    NameCase{".screen", ""},
    NameCase{"lobby.SCREEN", "Lobby"},
    NameCase{"LobbyScreen.Screen", "Lobby"},
    NameCase{"lobbydialogscreen.screen", "Lobby dialog"},
    NameCase{"lobbyscreendialog.screen", "Lobby screen"},
    NameCase{"lobbyscreenscreen.screen", "Lobby screen"},
    NameCase{"lobby.screen.screen", "Lobby ."},
    NameCase{"art/ui/screens/lobby.screen", "Lobby"},
    NameCase{"art\\ui/screens\\dialog.screen", ""},
    NameCase{"folder.screen\\", ""},
    NameCase{"lobby.screens", "Lobby .screens"},
    NameCase{"reen", "Reen"}));

struct SplitCase {
    const char* input;
    const char* expected;
};

void PrintTo(const SplitCase& value, std::ostream* out) { *out << '"' << value.input << '"'; }

class SplitWords : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitWords, SplitsAsDocumented)
{
    EXPECT_EQ(Start::split_name_words(GetParam().input), GetParam().expected)
        << "input: " << GetParam().input;
}

INSTANTIATE_TEST_SUITE_P(Walk, SplitWords, testing::Values(
    // Prefix pairs: the longer word wins when it completes, else the shorter one stays.
    SplitCase{"credit", "Credit"},
    SplitCase{"credits", "Credits"},
    SplitCase{"confirmation", "Confirmation"},
    SplitCase{"confirmatio", "Confirm atio"},
    SplitCase{"insert", "Insert"},
    SplitCase{"invite", "Invite"},
    SplitCase{"invalid", "Invalid"},
    SplitCase{"inva", "In va"},
    SplitCase{"teammate", "Teammate"},
    SplitCase{"teammat", "Team mat"},
    SplitCase{"players", "Player s"},
    SplitCase{"selectionx", "Selection x"},
    // A walk that completes nothing still consumes its letters.
    SplitCase{"automa", "Automa"},
    SplitCase{"autosavegame", "Autosave game"},
    // Listed forms replace the name's letters; matching ignores case.
    SplitCase{"CHATLOBBY", "Chat lobby"},
    SplitCase{"cdkey", "CD key"},
    SplitCase{"femainmenu", "FE main menu"},
    SplitCase{"SPCampaign", "SP campaign"},
    SplitCase{"relicOnlinelogin", "RelicOnline login"},
    SplitCase{"windowswxp", "Windows WXP"},
    SplitCase{"w40K", "W40K"},
    SplitCase{"w40", "W40"},
    SplitCase{"w4", "W4"},
    // Separators: runs collapse, leading and trailing ones vanish.
    SplitCase{"  __ _ ", ""},
    SplitCase{"_", ""},
    SplitCase{"__main__menu__", "Main menu"},
    SplitCase{"my mod", "My mod"},
    SplitCase{"a_b c", "A b c"},
    // Only the very first character is capitalised, and only an ASCII letter.
    SplitCase{"9lives", "9lives"},
    SplitCase{"zzz", "Zzz"},
    SplitCase{"x-ray", "X-ray"},
    SplitCase{"", ""}));

TEST(SplitWords, NullPointerGivesEmptyText)
{
    EXPECT_EQ(Start::split_name_words(nullptr), "");
}

// Bytes above 0x7F are plain text: they neither match letters nor change case.
TEST(SplitWords, NonAsciiBytesArePlainText)
{
    EXPECT_EQ(Start::split_name_words("\xC3\xA9quipe"), "\xC3\xA9quipe");
    EXPECT_EQ(Start::split_name_words("\xE9lobby\xFF"), "\xE9 lobby \xFF");
    EXPECT_EQ(Start::make_display_name("m\xC9nu.screen"), "M\xC9nu");
    // A byte that folds to 'a' only under a Latin-1 locale must not start "army".
    EXPECT_EQ(Start::split_name_words("\xC1rmy"), "\xC1rmy");
}

// The walk stops at the terminator even in the middle of a word, so a name that is a
// cut-off vocabulary word ends cleanly (the sanitizers catch a read past the end).
TEST(SplitWords, WalkStopsAtTheTerminator)
{
    const char exact[] = {'r', 'e', 'i', 'n', 'f', 'o', 'r', 'c', 'e'};
    std::string cut(exact, sizeof exact);
    EXPECT_EQ(Start::split_name_words(cut.c_str()), "Reinforce");
    EXPECT_EQ(Start::make_display_name(std::string("lob\0by.screen", 13)), "Lob");
}

TEST(SplitWords, VeryLongNamesAreSplitCompletely)
{
    std::string name;
    std::string expected;
    for (int i = 0; i < 20000; ++i) {
        name += "lobby";
        expected += i == 0 ? "Lobby" : " lobby";
    }
    EXPECT_EQ(Start::split_name_words(name.c_str()), expected);

    std::string plain(100000, 'x');
    std::string result = Start::split_name_words(plain.c_str());
    ASSERT_EQ(result.size(), plain.size());
    EXPECT_EQ(result[0], 'X');
    EXPECT_EQ(result.substr(1), plain.substr(1));
}

} // namespace
