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
              (Strings{"art/ui.v2/button", "art/ui.dds", "art/ui.tga", "art/ui.rgt"}))
        << "the last dot counts, wherever it is";
    EXPECT_EQ(Render::texture_candidates(""), (Strings{".dds", ".tga", ".rgt"}));
}

TEST(TexturePathTest, KeysDropWhatPrecedesTheFirstColon)
{
    EXPECT_EQ(Render::texture_key("art/ui/button"), "art/ui/button");
    EXPECT_EQ(Render::texture_key("ui:art/ui/button"), "art/ui/button");
    EXPECT_EQ(Render::texture_key("a:b:c"), "b:c");
    EXPECT_EQ(Render::texture_key(":"), "");
}

} // namespace
