// File sources under load: opening large archives, random stored and compressed reads,
// each beside a baseline measured in the same run.
//
// The input is generated once into a temporary folder: 100,000 members in 2,000 leaf
// folders. A folder record indexes its files with 16-bit numbers, so one archive holds
// at most 65,535 files; the members are therefore split over two archives of 50,000
// members and 1,000 leaf folders each, and every figure covers both.

#include "fs/archive_source.h"
#include "platform/mapped_file.h"

#include "support/mapping_probe.h"
#include "support/sga_writer.h"
#include "support/temp_folder.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <map>
#include <random>

namespace {

constexpr int archive_count = 2;
constexpr int folders_per_archive = 1000;
constexpr int files_per_folder = 50;
constexpr int reads_per_iteration = 10000;

struct Member {
    int archive;
    std::string path;
    std::size_t offset; // of the stored bytes in the archive file
    std::uint32_t stored_size;
    std::uint32_t unpacked_size;
};

struct Input {
    TempFolder folder;
    std::string paths[archive_count];
    std::uint32_t table_end[archive_count]; // header plus table of contents
    std::vector<Member> stored;
    std::vector<Member> compressed;
    std::vector<const Member*> stored_picks;     // the members each iteration reads, in order
    std::vector<const Member*> compressed_picks;
};

std::string text_of(std::mt19937& random, std::size_t size)
{
    static const char* const words[] = {"Screen", "Group", "Button", "text", "rect", "0.25", "colour", "=", "{",
                                        "}", ",", "\n", "Normal", "Hover", "texture", "art\\ui\\"};
    std::string text;
    while (text.size() < size) {
        text += words[random() % std::size(words)];
        text += ' ';
    }
    text.resize(size);
    return text;
}

const Input& input()
{
    // Destroyed at exit, which removes the temporary folder.
    static const std::unique_ptr<Input> made = [] {
        auto in = std::make_unique<Input>();
        std::mt19937 random(7);
        for (int a = 0; a < archive_count; ++a) {
            SgaWriter writer(4);
            for (int f = 0; f < folders_per_archive; ++f) {
                char folder[64];
                std::snprintf(folder, sizeof folder, "art\\group%02d\\folder%04d\\", f / 50, f);
                for (int i = 0; i < files_per_folder; ++i) {
                    char name[32];
                    std::snprintf(name, sizeof name, "file%03d.dat", i);
                    writer.add_file(folder + std::string(name), text_of(random, 256 + random() % 1793), i % 2 == 1);
                }
            }
            const std::string bytes = writer.build();
            in->paths[a] = in->folder.path("bench" + std::to_string(a) + ".sga");
            in->folder.write("bench" + std::to_string(a) + ".sga", bytes);
            in->table_end[a] = static_cast<std::uint32_t>(writer.layout().header_size + writer.layout().toc_size);
            for (const auto& file : writer.layout().files) {
                Member m{a, file.path, file.data, file.stored_size, file.unpacked_size};
                (file.compressed ? in->compressed : in->stored).push_back(m);
            }
        }
        for (int i = 0; i < reads_per_iteration; ++i) {
            in->stored_picks.push_back(&in->stored[random() % in->stored.size()]);
            in->compressed_picks.push_back(&in->compressed[random() % in->compressed.size()]);
        }
        return in;
    }();
    return *made;
}

std::uint64_t sum_bytes(const std::uint8_t* data, std::size_t size)
{
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < size; ++i)
        sum += data[i];
    return sum;
}

void BM_ArchiveOpen(benchmark::State& state)
{
    const Input& in = input();
    for (auto _ : state) {
        for (const auto& path : in.paths) {
            Mod::ArchiveSource source(path);
            benchmark::DoNotOptimize(&source);
        }
    }
    state.counters["archives"] = archive_count;
}
BENCHMARK(BM_ArchiveOpen)->Unit(benchmark::kMicrosecond);

// The least an open can do: open the file, map header and table, and pass over its bytes once.
void BM_ArchiveOpen_Baseline_TocPass(benchmark::State& state)
{
    const Input& in = input();
    for (auto _ : state) {
        for (int a = 0; a < archive_count; ++a) {
            auto file = Platform::MappedFile::open(in.paths[a]);
            const std::uint8_t* view = file->map(0, in.table_end[a]);
            benchmark::DoNotOptimize(sum_bytes(view, in.table_end[a]));
            Platform::unmap_view(view, in.table_end[a]);
        }
    }
}
BENCHMARK(BM_ArchiveOpen_Baseline_TocPass)->Unit(benchmark::kMicrosecond);

struct Sources {
    std::unique_ptr<Mod::ArchiveSource> archives[archive_count];
    Sources()
    {
        for (int a = 0; a < archive_count; ++a)
            archives[a] = std::make_unique<Mod::ArchiveSource>(input().paths[a]);
    }
};

void read_picks(benchmark::State& state, const std::vector<const Member*>& picks)
{
    Sources sources;
    std::uint64_t bytes = 0;
    for (auto _ : state) {
        for (const Member* m : picks) {
            Mod::BlobPtr blob = sources.archives[m->archive]->read(m->path);
            if (!blob) {
                state.SkipWithError("a member did not read");
                return;
            }
            benchmark::DoNotOptimize(sum_bytes(blob->data, blob->size));
            bytes += blob->size;
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(picks.size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}

void BM_StoredReads(benchmark::State& state)
{
    const Input& in = input();
    read_picks(state, in.stored_picks);
    // Outside the timing: stored blobs must be views of the archive's mapping, not copies.
    Sources sources;
    int in_mapping = 0;
    for (int i = 0; i < 100; ++i) {
        const Member* m = in.stored_picks[i];
        Mod::BlobPtr blob = sources.archives[m->archive]->read(m->path);
        in_mapping += blob && points_into_file_mapping(blob->data) ? 1 : 0;
    }
    state.counters["in_mapping_pct"] = in_mapping;
}
BENCHMARK(BM_StoredReads)->Unit(benchmark::kMillisecond);

// The same bytes through plain reads of files kept open.
void BM_StoredReads_Baseline_FileReads(benchmark::State& state)
{
    const Input& in = input();
    std::FILE* files[archive_count];
    for (int a = 0; a < archive_count; ++a)
        files[a] = std::fopen(in.paths[a].c_str(), "rb");
    std::vector<std::uint8_t> buffer(4096);
    std::uint64_t bytes = 0;
    for (auto _ : state) {
        for (const Member* m : in.stored_picks) {
            std::fseek(files[m->archive], static_cast<long>(m->offset), SEEK_SET);
            const std::size_t got = std::fread(buffer.data(), 1, m->stored_size, files[m->archive]);
            benchmark::DoNotOptimize(sum_bytes(buffer.data(), got));
            bytes += got;
        }
    }
    for (std::FILE* file : files)
        std::fclose(file);
    state.SetItemsProcessed(state.iterations() * reads_per_iteration);
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_StoredReads_Baseline_FileReads)->Unit(benchmark::kMillisecond);

void BM_CompressedReads(benchmark::State& state) { read_picks(state, input().compressed_picks); }
BENCHMARK(BM_CompressedReads)->Unit(benchmark::kMillisecond);

// zlib's uncompress alone on the same streams, already in memory.
void BM_CompressedReads_Baseline_Uncompress(benchmark::State& state)
{
    const Input& in = input();
    std::map<const Member*, std::string> streams;
    for (int a = 0; a < archive_count; ++a) {
        auto file = Platform::MappedFile::open(in.paths[a]);
        const std::uint8_t* view = file->map(0, 0);
        for (const Member* m : in.compressed_picks)
            if (m->archive == a)
                streams[m].assign(reinterpret_cast<const char*>(view + m->offset), m->stored_size);
        Platform::unmap_view(view, static_cast<std::size_t>(file->size()));
    }
    std::vector<const std::string*> order;
    for (const Member* m : in.compressed_picks)
        order.push_back(&streams[m]);
    std::vector<std::uint8_t> output(4096);
    std::uint64_t bytes = 0;
    for (auto _ : state) {
        for (const std::string* stream : order) {
            uLongf size = static_cast<uLongf>(output.size());
            if (uncompress(output.data(), &size, reinterpret_cast<const Bytef*>(stream->data()),
                           static_cast<uLong>(stream->size())) != Z_OK) {
                state.SkipWithError("uncompress failed");
                return;
            }
            benchmark::DoNotOptimize(sum_bytes(output.data(), size));
            bytes += size;
        }
    }
    state.SetItemsProcessed(state.iterations() * reads_per_iteration);
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_CompressedReads_Baseline_Uncompress)->Unit(benchmark::kMillisecond);

// Prints every run as usual, and at the end each measurement as a multiple of its baseline.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                m_times[run.benchmark_name()] = {
                    run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit),
                    run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit)};
    }
    void summarise() const
    {
        std::printf("\nAgainst the baselines (per iteration; real time, then CPU time):\n");
        for (const auto& [name, time] : m_times) {
            if (name.find("_Baseline") != std::string::npos)
                continue;
            for (const auto& [other, base] : m_times)
                if (other.rfind(name + "_Baseline", 0) == 0)
                    std::printf("  %-18s %9.3f ms (cpu %9.3f)  %-38s %9.3f ms (cpu %9.3f)  ratio %.2f (cpu %.2f)\n",
                                name.c_str(), time.first * 1e3, time.second * 1e3, other.c_str(), base.first * 1e3,
                                base.second * 1e3, time.first / base.first, time.second / base.second);
        }
    }

private:
    std::map<std::string, std::pair<double, double>> m_times; // seconds: real, CPU
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    input(); // generate outside any timing
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.summarise();
    benchmark::Shutdown();
    return 0;
}
