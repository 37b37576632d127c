// The display names of the sample installation's loose screens, read from the folder
// that TVSE_SAMPLE_DIR names (which also proves that path resolves in this tree, under
// Wine too).

#include "platform/folder_search.h"
#include "start/display_name.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

std::vector<std::string> loose_screens()
{
    std::vector<std::string> names;
    Platform::search_folder(std::string(TVSE_SAMPLE_DIR) + "\\Bastion\\Data\\Art\\UI\\Screens\\*",
                            [&](const char* name) {
                                std::string text(name);
                                if (text.size() > 7 && text.compare(text.size() - 7, 7, ".screen") == 0)
                                    names.push_back(text);
                            });
    std::sort(names.begin(), names.end());
    return names;
}

TEST(SampleScreenNames, LooseScreensGetTheirReadableNames)
{
    const std::map<std::string, std::string> expected = {
        {"mainmenuscreen.screen", "Main menu"},
        {"MPGameSetupDialog.screen", "MP game Setup"},
        {"main_menu.screen", "Main menu"},
        {"loadingx.screen", "Loading x"},
        {"w40kgame.screen", "W40K game"},
        {"lobby2.screen", "Lobby 2"},
        {"creditsscreen.screen", "Credits"},
        {"FEMainMenu.screen", "FE main menu"},
        {"SPCampaignScreen.screen", "SP campaign"},
        {"cdkeydialog.screen", "CD key"},
        {"ingamemenuscreen.screen", "In game menu"},
        // "st" and "res" begin vocabulary words that never complete.
        {"stressscreen.screen", "Stress"},
    };
    std::vector<std::string> names = loose_screens();
    ASSERT_GE(names.size(), expected.size()) << "sample folder: " << TVSE_SAMPLE_DIR;
    for (const auto& [file, display] : expected) {
        EXPECT_TRUE(std::find(names.begin(), names.end(), file) != names.end()) << file;
        EXPECT_EQ(Start::make_display_name(std::string("Art\\UI\\Screens\\") + file), display);
    }
    for (const std::string& name : names)
        EXPECT_FALSE(Start::make_display_name(name).empty()) << name;
}

} // namespace
