#include "mod/loaded_mod.h"

#include "platform/background_work.h"
#include "platform/debug_output.h"
#include "support/sga_writer.h"
#include "support/temp_folder.h"
#include "ucs_bytes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>

using Mod::LoadedMod;
using Strings = std::vector<std::string>;

namespace {

std::string text_of(const Mod::BlobPtr& blob)
{
    return blob ? std::string(reinterpret_cast<const char*>(blob->data), blob->size) : std::string("<null>");
}

std::string archive_with(const std::string& path, const std::string& bytes, bool compress = false)
{
    SgaWriter writer(4);
    writer.add_file(path, bytes, compress);
    return writer.build();
}

std::string failure_of(const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::exception& failure) {
        return failure.what();
    }
    return "<none>";
}

class DebugCapture {
public:
    DebugCapture()
    {
        m_previous = Platform::set_debug_sink([this](const std::string& m) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_messages.push_back(m);
        });
    }
    ~DebugCapture() { Platform::set_debug_sink(m_previous); }
    Strings messages()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_messages;
    }

private:
    std::mutex m_mutex;
    Strings m_messages;
    Platform::DebugSink m_previous;
};

// A resource builder that blocks the background load until the test lets it go.
struct Gate {
    Platform::ManualResetEvent entered{false};
    Platform::ManualResetEvent open{false};
    Mod::ResourceBuilder builder()
    {
        return [this](Gfx::GraphicsContext*, std::shared_ptr<const Mod::UnionSource>, const std::atomic<bool>&) -> std::unique_ptr<Mod::ModResources> {
            entered.set();
            open.wait(Platform::wait_forever);
            return nullptr;
        };
    }
};

// Every place one path can come from, so that precedence shows in which one answers.
TEST(LoadedMod, SourcesAnswerInPrecedenceOrder)
{
    TempFolder inst;
    inst.write("Main.module", "[global]\nModFolder=Main\nDataFolder.1=Data\nArchiveFile.1=MainArc\nRequiredMod.1=Req\n"
                              "Parent=Par\n[data:common]\nfolder=Common\narchive.01=CommonArc\n");
    inst.write("Req.module", "[global]\nModFolder=Req\nDataFolder.1=Data\n");
    inst.write("Par.module", "[global]\nModFolder=Par\nArchiveFile.1=ParArc\n");
    // Highest first; each writes the file "shared.txt" and one file only it has.
    const Strings layers{"Main\\Data", "Common", "CommonArc", "Main\\MainArc", "Req\\Data", "Par\\ParArc",
                         "Engine\\Data", "Engine\\Engine", "Engine\\Locale\\english\\Extra"};
    for (std::size_t i = 0; i < layers.size(); ++i) {
        const std::string& layer = layers[i];
        bool is_archive = layer.find("Arc") != std::string::npos || layer == "Engine\\Engine" ||
                          layer.find("Extra") != std::string::npos;
        std::string own = "art\\own" + std::to_string(i) + ".txt";
        if (is_archive) {
            SgaWriter writer(i % 2 ? 2 : 4);
            writer.add_file("art\\shared.txt", layer, i % 3 == 0);
            writer.add_file(own, layer);
            inst.write(layer + ".sga", writer.build());
        } else {
            inst.write(layer + "\\art\\shared.txt", layer);
            inst.write(layer + "\\" + own, layer);
        }
    }
    LoadedMod mod;
    mod.load(nullptr, inst.path("Main.module"));
    mod.wait_until_loaded(10000);

    EXPECT_EQ(mod.files()->source_count(), layers.size());
    for (const auto& record : mod.composition().sources)
        EXPECT_TRUE(record.opened) << record.entry.path << ": " << record.reason;
    EXPECT_EQ(text_of(mod.files()->read("art\\shared.txt")), "Main\\Data");
    for (std::size_t i = 0; i < layers.size(); ++i)
        EXPECT_EQ(text_of(mod.files()->read("art\\own" + std::to_string(i) + ".txt")), layers[i]);
    ASSERT_EQ(mod.modules().size(), 3u);
    EXPECT_EQ(mod.modules()[1]->section("global").get("ModFolder"), "Req");
    EXPECT_EQ(mod.install_folder(), inst.root());

    std::vector<std::string> names;
    mod.files()->list("art", names);
    EXPECT_EQ(names.size(), layers.size() + 1);
}

TEST(LoadedMod, MissingArchivesAndFoldersAreLeftOutAndABrokenArchiveIsReported)
{
    TempFolder inst;
    inst.write("Main.module", "[global]\nModFolder=Main\nDataFolder.1=Data\nDataFolder.2=Empty\n"
                              "ArchiveFile.1=Broken\nArchiveFile.2=Gone\n");
    inst.write("Main\\Data\\a.txt", "a");
    inst.make_folder("Main\\Empty");
    inst.write("Main\\Broken.sga", "not an archive at all");
    DebugCapture capture;
    LoadedMod mod;
    mod.load(nullptr, inst.path("Main.module"));
    mod.wait_until_loaded(10000);
    EXPECT_EQ(mod.files()->source_count(), 1u);
    const auto& sources = mod.composition().sources;
    ASSERT_EQ(sources.size(), 6u);
    EXPECT_TRUE(sources[0].opened);
    EXPECT_EQ(sources[1].reason, "empty or missing folder");
    EXPECT_EQ(sources[4].reason, "empty or missing folder"); // the engine data folder
    EXPECT_EQ(sources[2].reason.rfind("Could not open archive " + inst.path("Main\\Broken.sga"), 0), 0u) << sources[2].reason;
    EXPECT_EQ(sources[3].reason.rfind("Could not open archive " + inst.path("Main\\Gone.sga"), 0), 0u) << sources[3].reason;
    Strings messages = capture.messages();
    EXPECT_EQ(messages.size(), 3u); // the two module archives and Engine.sga
}

TEST(LoadedMod, AMissingMainModuleFailsWithoutLoading)
{
    TempFolder inst;
    LoadedMod mod;
    const std::string path = inst.path("Nothing.module");
    EXPECT_EQ(failure_of([&] { mod.load(nullptr, path); }), "Cannot open module file " + path);
    mod.wait_until_loaded(0); // nothing was queued
}

TEST(LoadedMod, LoadsTheLocaleTablesInLocaleFolderOrder)
{
    TempFolder inst;
    inst.write("Main.module", "[global]\nModFolder=Main\nParent=Par\n");
    inst.write("Par.module", "[global]\nModFolder=Par\n");
    inst.write("Main\\Locale\\french\\main.ucs", ucs_bytes(u"5\tBonjour le monde\r\n6\tsix\r\n"));
    inst.write("Main\\Locale\\german\\main.ucs", ucs_bytes(u"5\tHallo\r\n"));
    inst.write("Par\\Locale\\french\\par.UCS", ucs_bytes(u"5\tshadowed\r\n1\tun\r\n"));
    inst.write("Par\\Locale\\french\\broken.ucs", "\xFF\xFE\x31");
    inst.write("Par\\Locale\\french\\notes.txt", "not a table");
    inst.write("Engine\\Locale\\french\\engine.ucs", ucs_bytes(u"2147483647\tlast\r\n4294967289\tfirst\r\n"));
    DebugCapture capture;
    LoadedMod mod;
    mod.load(nullptr, inst.path("Main.module"));
    mod.wait_until_loaded(10000);

    EXPECT_EQ(mod.composition().locale, "french");
    EXPECT_EQ(mod.tables().size(), 3u);
    EXPECT_EQ(mod.min_id(), -7);
    EXPECT_EQ(mod.max_id(), 2147483647);
    EXPECT_EQ(mod.resolve_text("$5"), u"Bonjour le monde");
    EXPECT_EQ(mod.resolve_text("$1"), u"un");
    EXPECT_EQ(mod.resolve_text("$2147483647"), u"last");
    EXPECT_EQ(mod.resolve_text("$3"), u"$3 No String!");
    EXPECT_EQ(mod.search_ids(u"monde", {1, 5, 6}), (std::vector<std::int32_t>{5}));
    EXPECT_EQ(mod.search_ids(u"shadowed", {1, 5, 6}), std::vector<std::int32_t>());
    EXPECT_EQ(mod.id_layout(-10, 10), (std::vector<std::int32_t>{-10, -8, -7, -6, 0, 1, 2, 4, 5, 6}));
    Strings messages = capture.messages();
    ASSERT_FALSE(messages.empty());
    bool reported = false;
    for (const auto& m : messages)
        reported = reported || m.find("UCS file has odd number of bytes") != std::string::npos;
    EXPECT_TRUE(reported);
}

TEST(LoadedMod, ReadsItsTablesAgainAsTheyChangeOnDisk)
{
    TempFolder inst;
    inst.write("Main.module", "[global]\nModFolder=Main\n");
    inst.write("Main\\Locale\\english\\main.ucs", ucs_bytes(u"5\tPlay the game\r\n6\tQuit\r\n"));
    inst.write("Engine\\Locale\\english\\engine.ucs", ucs_bytes(u"5\tshadowed\r\n1\tOne\r\n"));
    LoadedMod mod;
    mod.load(nullptr, inst.path("Main.module"));
    mod.wait_until_loaded(10000);
    ASSERT_EQ(mod.resolve_text("$5"), u"Play the game");
    const std::filesystem::path main = std::filesystem::path(inst.root()) / "Main/Locale/english/main.ucs";
    // Saved as editors save: a new file renamed over the mapped one.
    const auto save = [&](const std::u16string& body) {
        inst.write("Main\\Locale\\english\\main.ucs.new", ucs_bytes(body));
        std::filesystem::rename(main.string() + ".new", main);
    };

    // Written in place (shorter), as simple editors do: the tables read before stay
    // whole until they are read again.
    inst.write("Main\\Locale\\english\\main.ucs", ucs_bytes(u"5\tPlay\r\n"));
    EXPECT_EQ(mod.resolve_text("$6"), u"Quit");
    mod.reload_tables();
    EXPECT_EQ(mod.resolve_text("$5"), u"Play");

    save(u"5\tStart a skirmish\r\n9\tCredits\r\n");
    mod.reload_tables();
    EXPECT_EQ(mod.tables().size(), 2u);
    EXPECT_EQ(mod.resolve_text("$5"), u"Start a skirmish");
    EXPECT_EQ(mod.resolve_text("$6"), u"$6 No String!");
    EXPECT_EQ(mod.resolve_text("$1"), u"One") << "the other table is read again too";
    EXPECT_EQ(mod.min_id(), 1);
    EXPECT_EQ(mod.max_id(), 9);
    EXPECT_EQ(mod.id_layout(1, 9), (std::vector<std::int32_t>{1, 2, 4, 5, 6, 8, 9}));
    EXPECT_EQ(mod.search_ids(u"skirmish", {1, 5, 9}), (std::vector<std::int32_t>{5}));
    EXPECT_EQ(mod.search_ids(u"game", {1, 5, 9}), std::vector<std::int32_t>()) << "the old words are gone";

    // A table added, a broken one beside it (left out), then the first one removed.
    inst.write("Main\\Locale\\english\\added.ucs", ucs_bytes(u"4294967293\tBelow\r\n"));
    inst.write("Main\\Locale\\english\\broken.ucs", "\xFF\xFE\x31");
    mod.reload_tables();
    EXPECT_EQ(mod.tables().size(), 3u);
    EXPECT_EQ(mod.resolve_text("$-3"), u"Below");
    EXPECT_EQ(mod.min_id(), -3);
    std::filesystem::remove(main);
    mod.reload_tables();
    EXPECT_EQ(mod.resolve_text("$5"), u"shadowed");
    EXPECT_EQ(mod.max_id(), 5);

    // Every table gone: nothing resolves, and the range is empty.
    std::filesystem::remove_all(std::filesystem::path(inst.root()) / "Main/Locale");
    std::filesystem::remove_all(std::filesystem::path(inst.root()) / "Engine");
    mod.reload_tables();
    EXPECT_TRUE(mod.tables().empty());
    EXPECT_EQ(mod.resolve_text("$1"), u"$1 No String!");
    EXPECT_TRUE(mod.id_layout(mod.min_id(), mod.max_id()).empty());
    EXPECT_TRUE(mod.word_index().empty());
}

TEST(LoadedMod, TablesInsideArchivesAreNotLoaded)
{
    TempFolder inst;
    inst.write("Main.module", "[global]\nModFolder=Main\nArchiveFile.1=Loc\n");
    inst.write("Main\\Loc.sga", archive_with("Main\\Locale\\english\\a.ucs", ucs_bytes(u"1\tone\r\n")));
    LoadedMod mod;
    mod.load(nullptr, inst.path("Main.module"));
    mod.wait_until_loaded(10000);
    EXPECT_TRUE(mod.tables().empty());
    EXPECT_EQ(mod.resolve_text("$1"), u"$1 No String!");
}

TEST(LoadedMod, TheBuilderRunsInTheBackgroundWithTheGraphicsAndTheFiles)
{
    struct Resources : Mod::ModResources {
        std::string read;
    };
    TempFolder inst;
    inst.write("Main.module", "[global]\nModFolder=Main\nDataFolder.1=Data\n");
    inst.write("Main\\Data\\colours.txt", "red");
    auto* context = reinterpret_cast<Gfx::GraphicsContext*>(0x1234);
    Gfx::GraphicsContext* seen = nullptr;
    std::thread::id builder_thread;
    LoadedMod mod;
    mod.set_resource_builder([&](Gfx::GraphicsContext* graphics, std::shared_ptr<const Mod::UnionSource> files, const std::atomic<bool>&) {
        seen = graphics;
        builder_thread = std::this_thread::get_id();
        auto resources = std::make_unique<Resources>();
        resources->read = text_of(files->read("colours.txt"));
        return resources;
    });
    mod.load(context, inst.path("Main.module"));
    mod.wait_until_loaded(10000);
    ASSERT_NE(mod.resources(), nullptr);
    EXPECT_EQ(static_cast<Resources*>(mod.resources())->read, "red");
    EXPECT_EQ(seen, context);
    EXPECT_NE(builder_thread, std::this_thread::get_id());
}

TEST(LoadedMod, WithoutABuilderNoResourcesAreBuilt)
{
    TempFolder inst;
    inst.write("Main.module", "[global]\n");
    LoadedMod mod;
    mod.load(nullptr, inst.path("Main.module"));
    mod.wait_until_loaded(10000);
    EXPECT_EQ(mod.resources(), nullptr);
}

TEST(LoadedMod, WaitingTimesOutWhileTheLoadRunsAndSucceedsLater)
{
    TempFolder inst;
    inst.write("Main.module", "[global]\nModFolder=Main\nDataFolder.1=Data\n");
    inst.write("Main\\Data\\a.txt", "a");
    Gate gate;
    LoadedMod mod;
    mod.set_resource_builder(gate.builder());
    mod.load(nullptr, inst.path("Main.module"));
    ASSERT_TRUE(gate.entered.wait(10000));
    EXPECT_EQ(failure_of([&] { mod.wait_until_loaded(20); }), "The mod is still being loaded.");
    // The file system is ready before the background part is.
    EXPECT_EQ(text_of(mod.files()->read("a.txt")), "a");
    gate.open.set();
    mod.wait_until_loaded(10000);
    mod.wait_until_loaded(0);
}

TEST(LoadedMod, ASecondLoadWaitsForTheFirst)
{
    TempFolder inst;
    inst.write("Main.module", "[global]\n");
    Gate gate;
    std::atomic<bool> released{false};
    LoadedMod mod;
    mod.set_resource_builder(gate.builder());
    mod.load(nullptr, inst.path("Main.module"));
    ASSERT_TRUE(gate.entered.wait(10000));
    std::thread opener([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        released = true;
        gate.open.set();
    });
    mod.load(nullptr, inst.path("Main.module"));
    EXPECT_TRUE(released);
    mod.wait_until_loaded(10000);
    opener.join();
}

TEST(LoadedMod, DestructionWaitsForTheBackgroundLoad)
{
    TempFolder inst;
    inst.write("Main.module", "[global]\n");
    Gate gate;
    std::atomic<bool> finished{false};
    auto mod = std::make_unique<LoadedMod>();
    mod->set_resource_builder([&](Gfx::GraphicsContext* g, std::shared_ptr<const Mod::UnionSource> f,
                                  const std::atomic<bool>& stopping) {
        auto result = gate.builder()(g, f, stopping);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        finished = true;
        return result;
    });
    mod->load(nullptr, inst.path("Main.module"));
    ASSERT_TRUE(gate.entered.wait(10000));
    std::thread opener([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        gate.open.set();
    });
    mod.reset();
    EXPECT_TRUE(finished);
    opener.join();
}

TEST(LoadedMod, DestructionStopsWhatTheBackgroundLoadRuns)
{
    TempFolder inst;
    inst.write("Main.module", "[global]\n");
    Platform::ManualResetEvent entered(false);
    bool saw_stop = false;
    auto mod = std::make_unique<LoadedMod>();
    // A build that runs until it is told to stop, as a stranger's endless script would.
    mod->set_resource_builder([&](Gfx::GraphicsContext*, std::shared_ptr<const Mod::UnionSource>,
                                  const std::atomic<bool>& stopping) -> std::unique_ptr<Mod::ModResources> {
        entered.set();
        for (int i = 0; i < 1000 && !stopping; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        saw_stop = stopping;
        return nullptr;
    });
    mod->load(nullptr, inst.path("Main.module"));
    ASSERT_TRUE(entered.wait(10000));
    mod.reset();
    EXPECT_TRUE(saw_stop);
}

TEST(LoadedMod, AFailedLoadReportsItsMessageOnEveryWait)
{
    struct Case {
        const char* name;
        std::function<void()> fail;
        const char* expected;
    };
    for (const Case& c : {Case{"standard", [] { throw std::runtime_error("no colour table"); }, "no colour table"},
                          Case{"other", [] { throw 42; }, "The mod could not be loaded (unknown failure)."}}) {
        TempFolder inst;
        inst.write("Main.module", "[global]\n");
        LoadedMod mod;
        auto fail = c.fail;
        mod.set_resource_builder([fail](Gfx::GraphicsContext*, std::shared_ptr<const Mod::UnionSource>, const std::atomic<bool>&) {
            fail();
            return std::unique_ptr<Mod::ModResources>();
        });
        mod.load(nullptr, inst.path("Main.module"));
        EXPECT_EQ(failure_of([&] { mod.wait_until_loaded(10000); }), c.expected) << c.name;
        EXPECT_EQ(failure_of([&] { mod.wait_until_loaded(0); }), c.expected) << c.name;
        // A reload first reports the stored failure.
        EXPECT_EQ(failure_of([&] { mod.load(nullptr, inst.path("Main.module")); }), c.expected) << c.name;
    }
}

TEST(LoadedMod, ASecondLoadStartsAfresh)
{
    TempFolder inst;
    inst.write("One.module", "[global]\nModFolder=One\nDataFolder.1=Data\n");
    inst.write("One\\Data\\one.txt", "1");
    inst.write("One\\Locale\\english\\one.ucs", ucs_bytes(u"1\tone\r\n"));
    inst.write("Two.module", "[global]\nModFolder=Two\nDataFolder.1=Data\n");
    inst.write("Two\\Data\\two.txt", "2");
    inst.write("Two\\Locale\\english\\two.ucs", ucs_bytes(u"2\ttwo\r\n"));
    LoadedMod mod;
    mod.load(nullptr, inst.path("One.module"));
    mod.wait_until_loaded(10000);
    EXPECT_EQ(mod.resolve_text("$1"), u"one");
    mod.load(nullptr, inst.path("Two.module"));
    mod.wait_until_loaded(10000);
    EXPECT_EQ(mod.tables().size(), 1u);
    EXPECT_EQ(mod.min_id(), 2);
    EXPECT_EQ(mod.resolve_text("$1"), u"$1 No String!");
    EXPECT_EQ(mod.resolve_text("$2"), u"two");
    EXPECT_FALSE(mod.files()->read("one.txt"));
    EXPECT_TRUE(mod.files()->read("two.txt"));
    EXPECT_EQ(mod.word_index().count(u"one"), 0u);
    EXPECT_EQ(mod.modules().size(), 1u);
}

TEST(LoadedMod, ANewObjectIsEmptyAndLoaded)
{
    LoadedMod mod;
    mod.wait_until_loaded(0);
    EXPECT_TRUE(mod.tables().empty());
    EXPECT_EQ(mod.min_id(), 2147483647);
    EXPECT_EQ(mod.max_id(), -2147483647 - 1);
    EXPECT_EQ(mod.id_layout(0, 10), std::vector<std::int32_t>());
}

} // namespace

TEST(LoadedMod, AWorkQueueThatRefusesStillCompletesTheLoad)
{
    TempFolder inst;
    inst.write("Main.module", "[global]\nModFolder=Main\n");
    inst.write("Main\\Locale\\english\\main.ucs", ucs_bytes(u"5\tfive\r\n"));
    const Platform::WorkQueue previous =
        Platform::replace_work_queue([](void (*)(void*), void*) { return false; });
    {
        LoadedMod mod;
        mod.load(nullptr, inst.path("Main.module"));
        // Done on this thread instead: the event is set, nothing is left to wait for.
        mod.wait_until_loaded(0);
        EXPECT_EQ(mod.resolve_text("$5"), u"five");
    } // destroying the mod waits for its load without limit: it must not hang here
    Platform::replace_work_queue(previous);
}
