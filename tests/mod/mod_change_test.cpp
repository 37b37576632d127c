// What a burst of changed files means for an opened mod, and which folders are watched.

#include "mod/mod_change.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* path;
    bool style_sheets;
    bool colours;
    bool screens;
    bool font_files;
    const char* description; // the .fnt name, or null
};

TEST(ModChange, EachKindOfFile)
{
    const Case cases[] = {
        {"art/ui/styles/uistyles.styles", true, false, false, false, nullptr},
        {"Art\\UI\\Styles\\Bastion.STYLES", true, false, false, false, nullptr},
        {"art\\ui\\styles\\readme.txt", false, false, false, false, nullptr},
        {"art\\ui\\styles\\colourtable.colours", false, true, false, false, nullptr},
        {"ART/UI/STYLES/COLOURTABLE.COLOURS", false, true, false, false, nullptr},
        {"art\\ui\\styles\\old\\uistyles.styles", true, false, false, false, nullptr},
        {"Art\\UI\\Screens\\new.screen", false, false, true, false, nullptr},
        {"elsewhere\\odd.Screen", false, false, true, false, nullptr},
        {"font\\gillsans.ttf", false, false, false, true, nullptr},
        {"font\\gillsans_16.fnt", false, false, false, false, "gillsans_16"},
        {"Font/GillSans_16.FNT", false, false, false, false, "GillSans_16"},
        {"font\\old\\gillsans_16.fnt", false, false, false, false, nullptr},
        {"font\\readme.txt", false, false, false, false, nullptr},
        {"art\\ui\\textures\\button.dds", false, false, false, false, nullptr},
        // Folders: renaming one above the styles or screens changes what they hold.
        {"art", true, true, true, false, nullptr},
        {"art\\ui\\", true, true, true, false, nullptr},
        {"art\\ui\\styles", true, true, false, false, nullptr},
        {"art\\ui\\screens", false, false, true, false, nullptr},
        {"art\\ui\\textures", false, false, false, false, nullptr},
        {"artwork", false, false, false, false, nullptr},
        {"font", false, false, false, true, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        Mod::ModChange change;
        change.add(c.path);
        EXPECT_FALSE(change.empty());
        EXPECT_FALSE(change.everything());
        EXPECT_EQ(change.style_sheets(), c.style_sheets);
        EXPECT_EQ(change.colours(), c.colours);
        EXPECT_EQ(change.screens(), c.screens);
        EXPECT_EQ(change.font_files(), c.font_files);
        if (c.description)
            EXPECT_EQ(change.font_descriptions(), std::vector<std::string>{c.description});
        else
            EXPECT_TRUE(change.font_descriptions().empty());
    }
}

TEST(ModChange, FilesAreKeptOnceAndFoundInAnyCaseOrSeparator)
{
    Mod::ModChange change;
    EXPECT_TRUE(change.empty());
    change.add("Art/UI/Screens/Main.screen");
    change.add("art\\ui\\screens\\main.SCREEN"); // an editor's second write
    change.add("art/ui/textures/a.dds");
    EXPECT_EQ(change.files(), (std::vector<std::string>{"Art\\UI\\Screens\\Main.screen", "art\\ui\\textures\\a.dds"}));
    EXPECT_TRUE(change.has("ART\\UI\\SCREENS\\MAIN.SCREEN"));
    EXPECT_TRUE(change.has("art/ui/textures/A.dds"));
    EXPECT_FALSE(change.has("art/ui/textures/a.tga"));
    EXPECT_FALSE(change.has(""));
}

TEST(ModChange, WhatReloadsTheOpenScreen)
{
    Mod::ModChange texture;
    texture.add("art\\ui\\textures\\a.dds");
    EXPECT_FALSE(texture.reloads("Art\\UI\\Screens\\main.screen"));

    Mod::ModChange other_screen;
    other_screen.add("Art\\UI\\Screens\\lobby.screen");
    EXPECT_FALSE(other_screen.reloads("Art\\UI\\Screens\\main.screen"));
    EXPECT_TRUE(other_screen.reloads("art/ui/screens/LOBBY.screen"));

    Mod::ModChange sheet;
    sheet.add("art\\ui\\styles\\frontend.styles");
    EXPECT_TRUE(sheet.reloads("Art\\UI\\Screens\\main.screen"));

    Mod::ModChange colours;
    colours.add("art\\ui\\styles\\colourtable.colours");
    EXPECT_TRUE(colours.reloads("Art\\UI\\Screens\\main.screen"));
}

TEST(ModChange, TablesOfTheLocaleFolders)
{
    struct LocaleCase {
        const char* path; // relative to a locale folder
        bool tables;
    };
    const LocaleCase cases[] = {
        {"mymod.ucs", true},
        {"MyMod.UCS", true},
        {"mymod.ucs.tmp", false}, // an editor's temporary file: its rename tells
        {"readme.txt", false},
        {"old\\mymod.ucs", false}, // tables are read from the folder itself only
        {"old/mymod.ucs", false},
        {"engine.sga", false},
    };
    for (const LocaleCase& c : cases) {
        SCOPED_TRACE(c.path);
        Mod::ModChange change;
        change.add_localisation(c.path);
        EXPECT_EQ(change.ucs_tables(), c.tables);
        EXPECT_EQ(change.empty(), !c.tables) << "nothing else to report";
        EXPECT_FALSE(change.everything());
        EXPECT_FALSE(change.style_sheets() || change.colours() || change.screens() || change.font_files());
        EXPECT_TRUE(change.files().empty()) << "not a file of the mod's";
        EXPECT_FALSE(change.has(c.path));
        EXPECT_FALSE(change.reloads("Art\\UI\\Screens\\main.screen")) << "texts are resolved as they are drawn";
    }

    // A table in a data folder is not one the mod reads.
    Mod::ModChange data;
    data.add("Locale\\english\\mymod.ucs");
    EXPECT_FALSE(data.ucs_tables());

    Mod::ModChange lost;
    lost.add_localisation("");
    EXPECT_TRUE(lost.everything() && lost.ucs_tables());
}

TEST(ModChange, LostCountMeansEverything)
{
    Mod::ModChange change;
    change.add("");
    EXPECT_FALSE(change.empty());
    EXPECT_TRUE(change.everything());
    EXPECT_TRUE(change.style_sheets() && change.colours() && change.screens() && change.font_files() &&
                change.ucs_tables());
    EXPECT_TRUE(change.reloads("Art\\UI\\Screens\\main.screen"));
    EXPECT_TRUE(change.files().empty());
}

TEST(ModChange, ManyFilesInOneBurst)
{
    // Unpacking an archive into a loose folder: every file once, without quadratic work.
    Mod::ModChange change;
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 50000; ++i)
            change.add("art\\ui\\textures\\t" + std::to_string(i) + ".dds");
    }
    EXPECT_EQ(change.files().size(), 50000u);
    EXPECT_TRUE(change.has("ART/UI/TEXTURES/T49999.DDS"));
}

TEST(LooseFolders, OnlyOpenedFoldersUnderTheInstallation)
{
    Mod::ModComposition composition;
    composition.install_folder = "C:\\Game\\";
    composition.sources = {
        {{Mod::SourceKind::folder, "Mod\\Data\\"}, true, ""},
        {{Mod::SourceKind::archive, "Mod\\Art.sga"}, true, ""},
        {{Mod::SourceKind::folder, "Mod\\Missing\\"}, false, "empty or missing folder"},
        {{Mod::SourceKind::folder, "Engine\\Data\\"}, true, ""},
    };
    EXPECT_EQ(Mod::loose_folders(composition),
              (std::vector<std::string>{"C:\\Game\\Mod\\Data\\", "C:\\Game\\Engine\\Data\\"}));
}

TEST(LocaleFolders, EachOnceInReadingOrder)
{
    Mod::ModComposition composition;
    composition.install_folder = "C:\\Game\\";
    composition.locale_folders = {"Mod\\Locale\\english\\", "Par\\Locale\\english\\", "mod/locale/English/",
                                  "Engine\\Locale\\english\\"};
    EXPECT_EQ(Mod::locale_folders(composition),
              (std::vector<std::string>{"C:\\Game\\Mod\\Locale\\english\\", "C:\\Game\\Par\\Locale\\english\\",
                                        "C:\\Game\\Engine\\Locale\\english\\"}));
    EXPECT_TRUE(Mod::locale_folders(Mod::ModComposition()).empty());
}

} // namespace
