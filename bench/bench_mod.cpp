// Localisation tables at the size of a large mod: 200,000 strings in four .ucs tables.
// Parsing is compared with the least any parser must do, one scan of the bytes for CR;
// the word index is built once per load; searches run on every key stroke.

#include "mod/id_text_map.h"
#include "mod/localisation.h"
#include "mod/ucs_table.h"
#include "mod/word_index.h"

#include <benchmark/benchmark.h>

#include <algorithm>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int table_count = 4;
constexpr int strings_per_table = 50000;

const std::vector<std::u16string>& vocabulary()
{
    static const std::vector<std::u16string> words = [] {
        std::vector<std::u16string> result;
        const char* common[] = {"the", "of", "and", "to", "a", "in", "is", "your", "unit", "attack", "base",
                                "enemy", "squad", "Build", "Select", "ORDER", "move", "defend", "upgrade", "power"};
        for (const char* word : common)
            result.emplace_back(word, word + std::strlen(word));
        std::mt19937 random(7);
        std::uniform_int_distribution<int> letter('a', 'z');
        std::uniform_int_distribution<int> length(3, 11);
        while (result.size() < 20000) {
            std::u16string word;
            for (int n = length(random); n > 0; --n)
                word.push_back(static_cast<char16_t>(letter(random)));
            result.push_back(word);
        }
        return result;
    }();
    return words;
}

// Table t holds identifiers t*1,000,000 + 1 ... in ascending order, with texts of 3 to
// 14 words whose ranks are log-uniform (Zipf-like): a few words occur in many texts.
std::vector<Mod::BlobPtr> make_tables()
{
    std::vector<Mod::BlobPtr> blobs;
    std::mt19937 random(11);
    std::uniform_int_distribution<int> count(3, 14);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    const auto& words = vocabulary();
    const char16_t* separators[] = {u" ", u" ", u" ", u", ", u". ", u"! ", u" (", u") "};
    for (int t = 0; t < table_count; ++t) {
        std::u16string text(1, u'\xFEFF');
        for (int i = 1; i <= strings_per_table; ++i) {
            std::string id = std::to_string(t * 1000000 + i);
            text.append(id.begin(), id.end());
            text.push_back(u'\t');
            for (int n = count(random); n > 0; --n) {
                auto rank = static_cast<std::size_t>(std::exp(uniform(random) * std::log(double(words.size()))));
                text += words[(rank - 1) % words.size()];
                if (n > 1)
                    text += separators[random() % 8];
            }
            if (i % 50 == 0)
                text += u"%N%caf\u00e9";
            text += u"\r\n";
        }
        const std::uint32_t size = static_cast<std::uint32_t>(text.size() * 2);
        std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[size]);
        std::memcpy(bytes.get(), text.data(), size);
        blobs.push_back(Mod::make_buffer_blob(std::move(bytes), size));
    }
    return blobs;
}

const std::vector<Mod::BlobPtr>& tables_bytes()
{
    static const std::vector<Mod::BlobPtr> blobs = make_tables();
    return blobs;
}

std::int64_t total_bytes()
{
    std::int64_t total = 0;
    for (const auto& blob : tables_bytes())
        total += blob->size;
    return total;
}

struct Loaded {
    Mod::UcsTables tables;
    std::int32_t min_id = Mod::no_id;
    std::int32_t max_id = -2147483647 - 1;
    Mod::WordIndex index;
    std::vector<std::int32_t> every;
};

const Loaded& loaded()
{
    static const Loaded data = [] {
        Loaded result;
        for (const auto& blob : tables_bytes()) {
            result.tables.push_back(Mod::UcsTable::parse(blob));
            result.min_id = std::min(result.min_id, result.tables.back()->min_id());
            result.max_id = std::max(result.max_id, result.tables.back()->max_id());
        }
        Mod::build_word_index(result.tables, result.min_id, result.max_id, result.index);
        for (const auto& table : result.tables)
            result.every.insert(result.every.end(), table->ids().begin(), table->ids().end());
        return result;
    }();
    return data;
}

void BM_ScanForCarriageReturns(benchmark::State& state)
{
    for (auto _ : state) {
        std::size_t lines = 0;
        for (const auto& blob : tables_bytes()) {
            const auto* units = reinterpret_cast<const char16_t*>(blob->data);
            const std::size_t count = blob->size / 2;
            for (std::size_t i = 1; i < count; ++i)
                lines += units[i] == u'\r';
        }
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(state.iterations() * total_bytes());
}
BENCHMARK(BM_ScanForCarriageReturns)->Unit(benchmark::kMillisecond);

void BM_UcsParse(benchmark::State& state)
{
    for (auto _ : state) {
        Mod::UcsTables tables;
        for (const auto& blob : tables_bytes())
            tables.push_back(Mod::UcsTable::parse(blob));
        benchmark::DoNotOptimize(tables.back()->ids().size());
    }
    state.SetBytesProcessed(state.iterations() * total_bytes());
    state.SetItemsProcessed(state.iterations() * table_count * strings_per_table);
}
BENCHMARK(BM_UcsParse)->Unit(benchmark::kMillisecond);

void BM_WordIndexBuild(benchmark::State& state)
{
    const Loaded& data = loaded();
    for (auto _ : state) {
        Mod::WordIndex index;
        Mod::build_word_index(data.tables, data.min_id, data.max_id, index);
        benchmark::DoNotOptimize(index.size());
    }
    state.SetItemsProcessed(state.iterations() * table_count * strings_per_table);
    state.counters["words"] = static_cast<double>(data.index.size());
}
BENCHMARK(BM_WordIndexBuild)->Unit(benchmark::kMillisecond);

void BM_SearchIds(benchmark::State& state, const char16_t* query)
{
    const Loaded& data = loaded();
    std::size_t found = 0;
    for (auto _ : state) {
        auto ids = Mod::search_ids(data.index, query, data.every);
        found = ids.size();
        benchmark::DoNotOptimize(ids.data());
    }
    state.counters["found"] = static_cast<double>(found);
}
BENCHMARK_CAPTURE(BM_SearchIds, one_word, u"attack")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SearchIds, two_words, u"the unit")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SearchIds, three_words, u"the enemy base")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SearchIds, three_common_words, u"the of and")->Unit(benchmark::kMicrosecond);

void BM_ResolveText(benchmark::State& state)
{
    const Loaded& data = loaded();
    std::size_t i = 0;
    for (auto _ : state) {
        std::int32_t id = data.every[(i++ * 7919) % data.every.size()];
        benchmark::DoNotOptimize(Mod::resolve_text(data.tables, "$" + std::to_string(id)));
    }
}
BENCHMARK(BM_ResolveText);

// A table whose identifiers are spread far apart (the map's sparse form): building the
// map from 100,000 entries out of order, then finding every identifier.
void BM_SparseIdMap(benchmark::State& state)
{
    static const char16_t text[] = u"text";
    std::vector<Mod::IdTextMap::Entry> entries;
    std::mt19937 random(5);
    for (std::int32_t i = 0; i < 100000; ++i)
        entries.push_back({i * 7919 + static_cast<std::int32_t>(random() % 7000), {text, 4}});
    std::shuffle(entries.begin(), entries.end(), random);
    for (auto _ : state) {
        Mod::IdTextMap map;
        std::vector<std::int32_t> ids;
        map.build(entries, ids);
        std::size_t found = 0;
        for (const auto& entry : entries)
            found += map.find(entry.id) != nullptr;
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * entries.size());
}
BENCHMARK(BM_SparseIdMap)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
