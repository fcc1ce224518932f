// The two costs of "Add data": unpacking a compressed archive (next to zlib-flate on the same
// zlib stream) and merging a million replies into a main archive that holds half of them.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "archive/connection.h"
#include "archive/schema.h"
#include "import/archive_merge.h"
#include "import/unpack_archive.h"
#include "support/bench_archive.h"

namespace zenta {
namespace {

// A file in the benchmarks' cache folder.
std::string CacheFile(const std::string& name) {
    std::filesystem::create_directories(bench::CacheFolder());
    return bench::CacheFolder() + "/" + name;
}

const std::string kCompressed = std::string(ZENTA_FIXTURES_DIR) + "/bench-board.znt";

double Seconds(const std::function<void()>& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// zlib-flate reads the bare zlib stream, so it gets the archive's bytes after the size field.
double ZlibFlateSeconds() {
    const std::string stream = CacheFile("bench-board.zlib");
    if (!std::filesystem::exists(stream)) {
        std::ifstream in(kCompressed, std::ios::binary);
        in.seekg(4);
        std::ofstream(stream, std::ios::binary) << in.rdbuf();
    }
    const std::string command = "zlib-flate -uncompress <'" + stream + "' >'" + CacheFile("zlib-flate.out") + "'";
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        int status = 0;
        best = std::min(best, Seconds([&] { status = std::system(command.c_str()); }));
        if (status != 0) return -1;
    }
    std::filesystem::remove(CacheFile("zlib-flate.out"));
    return best;
}

void Unpack(benchmark::State& state) {
    if (!std::filesystem::exists(kCompressed)) return state.SkipWithError("bench-board.znt not found among the fixtures");
    const std::string destination = CacheFile("tmp.tst");
    double best = 1e9;
    for (auto _ : state) best = std::min(best, Seconds([&] { UnpackArchive(kCompressed, destination); }));
    const auto bytes = static_cast<double>(std::filesystem::file_size(destination));
    std::filesystem::remove(destination);
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
    const double zlibFlate = ZlibFlateSeconds();
    if (zlibFlate < 0) return state.SkipWithError("zlib-flate (package qpdf) did not run");
    state.counters["zlib_flate_MBps"] = bytes / zlibFlate / 1e6;
    state.counters["MBps"] = bytes / best / 1e6;
    // Above 1: slower than zlib-flate.
    state.counters["time_vs_zlib_flate"] = best / zlibFlate;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024;
}
BENCHMARK(Unpack)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The main archive: the source with every second reply taken out, made once.
std::string HalfOfTheReplies(const std::string& source) {
    const std::string path = CacheFile("merge-main-half.mdb");
    if (std::filesystem::exists(path)) return path;
    const std::string building = path + ".part";
    std::filesystem::copy_file(source, building, std::filesystem::copy_options::overwrite_existing);
    {
        Connection connection(building);
        ExecuteStatements(connection.handle(), "DELETE FROM FORUM_REPLY WHERE REPLY_ID % 2 = 0; VACUUM;");
    }
    std::filesystem::rename(building, path);
    return path;
}

void MergeMillionReplies(benchmark::State& state) {
    BoardShape shape;
    shape.topics = 100000;
    shape.replies = 1000000;
    const std::string source = bench::CachedArchive("merge-1m-replies", shape).path;
    const std::string half = HalfOfTheReplies(source);
    const std::string main = CacheFile("merge-main.mdb");
    std::int64_t sourceRows = 0;
    std::int64_t added = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::copy_file(half, main, std::filesystem::copy_options::overwrite_existing);
        Connection destination(main);
        Connection from(source);
        state.ResumeTiming();
        sourceRows = 0;
        added = 0;
        for (const TableCopy& copy : MergeArchive(destination, from)) {
            sourceRows += copy.sourceRows;
            added += copy.added;
        }
    }
    std::filesystem::remove(main);
    state.counters["source_rows"] = static_cast<double>(sourceRows);
    state.counters["added"] = static_cast<double>(added);
    state.counters["rows_per_s"] = benchmark::Counter(static_cast<double>(sourceRows) * state.iterations(),
                                                      benchmark::Counter::kIsRate);
}
BENCHMARK(MergeMillionReplies)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(2);

}  // namespace
}  // namespace zenta
