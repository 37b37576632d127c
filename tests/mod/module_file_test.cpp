#include "mod/module_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Mod::ModuleFile;

namespace {

struct Lookup {
    const char* section;
    const char* key;
    int index;
    const char* expected;
};

struct ParseCase {
    const char* name;
    const char* text;
    std::vector<Lookup> lookups;
};

class ModuleParsing : public testing::TestWithParam<ParseCase> {};

TEST_P(ModuleParsing, ReadsTheExpectedValues)
{
    const ParseCase& c = GetParam();
    auto file = ModuleFile::parse(std::string_view(c.text));
    for (const Lookup& l : c.lookups)
        EXPECT_EQ(file->section(l.section).get(l.key, l.index), l.expected)
            << "[" << l.section << "] " << l.key << " #" << l.index;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModuleParsing,
    testing::Values(
        ParseCase{"Basic", "[global]\nModFolder=MyMod\nDescription = A mod \n", {{"global", "ModFolder", 0, "MyMod"}, {"global", "Description", 0, "A mod"}}},
        ParseCase{"CommentAfterValue", "[global]\nModFolder = MyMod ; the mod's folder\n", {{"global", "ModFolder", 0, "MyMod"}}},
        ParseCase{"CommentLine", "[global]\n; a=b\n  ;x=y\na=1\n", {{"global", "a", 0, "1"}, {"global", "; a", 0, ""}, {"global", "x", 0, ""}}},
        ParseCase{"SecondEqualsBelongsToValue", "[global]\na=b=c\n", {{"global", "a", 0, "b=c"}}},
        ParseCase{"UnclosedHeaderIsIgnored", "[global]\na=1\n[other\nb=2\n", {{"global", "a", 0, "1"}, {"global", "b", 0, "2"}, {"other", "b", 0, ""}}},
        ParseCase{"HeaderNameNotTrimmed", "[ global ]\na=1\n", {{" global ", "a", 0, "1"}, {"global", "a", 0, ""}}},
        ParseCase{"TextAfterHeaderIgnored", "[global] trailing=x\na=1\n", {{"global", "a", 0, "1"}, {"global", "trailing", 0, ""}}},
        ParseCase{"CommentInHeaderHidesBracket", "[glo;bal]\na=1\n", {{"glo", "a", 0, ""}, {"glo;bal", "a", 0, ""}}},
        ParseCase{"FirstSectionOfANameWins", "[global]\na=1\n[global]\na=2\nb=3\n", {{"global", "a", 0, "1"}, {"global", "b", 0, ""}}},
        ParseCase{"LaterKeyReplacesEarlier", "[global]\na=1\na=2\n", {{"global", "a", 0, "2"}}},
        ParseCase{"KeysAreCaseSensitive", "[global]\nModFolder=x\n", {{"global", "modfolder", 0, ""}, {"Global", "ModFolder", 0, ""}}},
        ParseCase{"LineWithoutEqualsIgnored", "[global]\njust words\na=1\n", {{"global", "just words", 0, ""}, {"global", "a", 0, "1"}}},
        ParseCase{"CrOnlyAndTabs", "[global]\r\ta\t=\t1\t\rb=2", {{"global", "a", 0, "1"}, {"global", "b", 0, "2"}}},
        ParseCase{"EmptyValueAndEmptyKey", "[global]\na=\n=v\n", {{"global", "a", 0, ""}, {"global", "", 0, "v"}}},
        ParseCase{"NumberedWithoutColon", "[global]\nDataFolder.1=A\nDataFolder.01=B\nDataFolder.12=C\n", {{"global", "DataFolder", 1, "A"}, {"global", "DataFolder", 12, "C"}, {"global", "DataFolder", 2, ""}}},
        ParseCase{"NumberedWithColon", "[data:common]\narchive.01=A\narchive.1=B\narchive.100=C\n", {{"data:common", "archive", 1, "A"}, {"data:common", "archive", 100, "C"}}},
        ParseCase{"NoTrailingNewline", "[global]\na=1", {{"global", "a", 0, "1"}}}),
    [](const testing::TestParamInfo<ParseCase>& info) { return info.param.name; });

TEST(ModuleFile, KeysBeforeAnySectionAreLostAndMissingSectionsReadEmpty)
{
    auto file = ModuleFile::parse(std::string_view("a=1\nb=2\n"));
    EXPECT_EQ(file->section_count(), 0u);
    EXPECT_EQ(file->section("").key_count(), 0u);
    EXPECT_EQ(file->section("global").get("a"), "");
}

TEST(ModuleFile, CountsKeysAndEmptyDocuments)
{
    auto file = ModuleFile::parse(std::string_view("[a]\nx=1\ny=2\n[b]\n"));
    EXPECT_EQ(file->section("a").key_count(), 2u);
    EXPECT_EQ(file->section("b").key_count(), 0u);
    EXPECT_EQ(file->section_count(), 2u);
    EXPECT_EQ(ModuleFile::parse(std::string_view(""))->section_count(), 0u);
    EXPECT_EQ(ModuleFile::parse(std::string_view(" \r\n\t "))->section_count(), 0u);
}

TEST(ModuleFile, ParsesABlobWithoutTerminatorAndAnEmptyBlob)
{
    // The blob's bytes end exactly after the value: nothing may be read beyond them.
    std::string text = "[global]\nModFolder=Mod";
    std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[text.size()]);
    std::copy(text.begin(), text.end(), bytes.get());
    Mod::BlobPtr blob = Mod::make_buffer_blob(std::move(bytes), static_cast<std::uint32_t>(text.size()));
    EXPECT_EQ(ModuleFile::parse(*blob)->section("global").get("ModFolder"), "Mod");

    Mod::FileBlob empty;
    EXPECT_EQ(ModuleFile::parse(empty)->section_count(), 0u);
}

TEST(ModuleFile, KeepsNoReferenceToTheParsedBytes)
{
    std::string text = "[global]\na=value\n";
    auto file = ModuleFile::parse(std::string_view(text));
    text.assign(text.size(), 'x');
    EXPECT_EQ(file->section("global").get("a"), "value");
}

struct ExpandCase {
    const char* value;
    const char* expected;
};

class VariableExpansion : public testing::TestWithParam<ExpandCase> {};

TEST_P(VariableExpansion, ExpandsKnownMarkersOnce)
{
    auto file = ModuleFile::parse("[global]\nv=" + std::string(GetParam().value) + "\n");
    file->set_variable("LOCALE", "Locale\\french");
    file->set_variable("PCT", "%LOCALE%");
    file->set_variable("EMPTY", "");
    EXPECT_EQ(file->section("global").get("v"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VariableExpansion,
    testing::Values(ExpandCase{"%LOCALE%\\Data", "Locale\\french\\Data"},
                    ExpandCase{"%NOSUCH%\\x", "%NOSUCH%\\x"},
                    ExpandCase{"%NOSUCH%%LOCALE%", "%NOSUCH%Locale\\french"},
                    ExpandCase{"%LOCALE%%LOCALE%", "Locale\\frenchLocale\\french"},
                    ExpandCase{"%PCT%", "%LOCALE%"},            // inserted text is not scanned again
                    ExpandCase{"%PCT%%LOCALE%", "%LOCALE%Locale\\french"},
                    ExpandCase{"a%EMPTY%b", "ab"},
                    ExpandCase{"50% of %LOCALE", "50% of %LOCALE"}, // "% of %" is an unknown marker
                    ExpandCase{"%LOCALE%\\100%", "Locale\\french\\100%"}, // unclosed: kept
                    ExpandCase{"%", "%"},
                    ExpandCase{"%%", "%%"},
                    ExpandCase{"%locale%", "%locale%"}), // names are case-sensitive
    [](const testing::TestParamInfo<ExpandCase>& info) { return "Value" + std::to_string(info.index); });

TEST(ModuleFile, VariablesAreSharedBySectionsAndCanBeReplaced)
{
    auto file = ModuleFile::parse(std::string_view("[a]\nv=%X%\n[b:c]\nv.01=%X%\n"));
    EXPECT_EQ(file->section("a").get("v"), "%X%"); // none set yet: left as written
    file->set_variable("X", "1");
    EXPECT_EQ(file->section("a").get("v"), "1");
    file->set_variable("X", "2");
    EXPECT_EQ(file->section("b:c").get("v", 1), "2");
}

TEST(ModuleFile, NumberedListStopsAtTheFirstGap)
{
    auto file = ModuleFile::parse(std::string_view("[data:common]\narchive.01=a\narchive.02=b\narchive.04=d\n"));
    std::vector<std::string> archives;
    for (int n = 1;; ++n) {
        std::string value = file->section("data:common").get("archive", n);
        if (value.empty())
            break;
        archives.push_back(value);
    }
    EXPECT_EQ(archives, (std::vector<std::string>{"a", "b"}));
}

} // namespace
