// Which files a texture name leads to.

#include "render/texture_path.h"

#include <gtest/gtest.h>

namespace {

using Strings = std::vector<std::string>;

TEST(TexturePathTest, CandidatesInOrder)
{
    EXPECT_EQ(Render::texture_candidates("art/ui/button"),
              (Strings{"art/ui/button.dds", "art/ui/button.tga", "art/ui/button.rgt"}));
    // A name with an extension is tried as it is first, then with each extension instead.
    EXPECT_EQ(Render::texture_candidates("art/ui/button.tga"),
              (Strings{"art/ui/button.tga", "art/ui/button.dds", "art/ui/button.tga", "art/ui/button.rgt"}));
    EXPECT_EQ(Render::texture_candidates("art/ui.v2/button"),
              (Strings{"art/ui.v2/button.dds", "art/ui.v2/button.tga", "art/ui.v2/button.rgt"}))
        << "a dot in a folder's name is no extension";
    EXPECT_EQ(Render::texture_candidates("art\\ui.v2\\button.v1"),
              (Strings{"art\\ui.v2\\button.v1", "art\\ui.v2\\button.dds", "art\\ui.v2\\button.tga",
                       "art\\ui.v2\\button.rgt"}));
    EXPECT_EQ(Render::texture_candidates(""), (Strings{".dds", ".tga", ".rgt"}));
}

TEST(TexturePathTest, FoldedKeysIgnoreLetterCaseAndTheKindOfSeparator)
{
    EXPECT_EQ(Render::folded_texture_key("Art/UI\\Button.DDS"), "art\\ui\\button.dds");
    EXPECT_EQ(Render::folded_texture_key("art\\ui\\button.dds"), Render::folded_texture_key("ART/ui/BUTTON.dds"));
    EXPECT_EQ(Render::folded_texture_key("\xC9t\xE9"), "\xC9t\xE9") << "only ASCII letters fold";
}

TEST(TexturePathTest, KeysDropWhatPrecedesTheFirstColon)
{
    EXPECT_EQ(Render::texture_key("art/ui/button"), "art/ui/button");
    EXPECT_EQ(Render::texture_key("ui:art/ui/button"), "art/ui/button");
    EXPECT_EQ(Render::texture_key("a:b:c"), "b:c");
    EXPECT_EQ(Render::texture_key(":"), "");
}

} // namespace
