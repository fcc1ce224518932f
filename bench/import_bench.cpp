// The two costs of "Add data": unpacking a compressed archive (next to zlib-flate on the same
// zlib stream) and merging a million replies into a main archive that holds half of them (next
// to the sqlite3 shell appending the same rows).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>

#include "archive/connection.h"
#include "archive/content_index.h"
#include "archive/schema.h"
#include "archive/sqlite_handles.h"
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

double Seconds(const std::function<void()>& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A compressed archive of about 200 MB unpacked (a 32-bit little-endian size, then the zlib
// stream of a generated board), made once; also its bare stream, for zlib-flate.
struct Compressed {
    std::string archive;
    std::string stream;
};

const Compressed& Compressed200MB() {
    static const Compressed made = [] {
        BoardShape shape;
        shape.topics = 50000;
        shape.replies = 500000;
        const std::string plain = bench::CachedArchive("unpack-200mb", shape).path;
        Compressed files{CacheFile("unpack-200mb.znt"), CacheFile("unpack-200mb.zlib")};
        if (!std::filesystem::exists(files.stream)) {
            const std::string command = "zlib-flate -compress <'" + plain + "' >'" + files.stream + ".part' && mv '" +
                                        files.stream + ".part' '" + files.stream + "'";
            if (std::system(command.c_str()) != 0) throw std::runtime_error("zlib-flate (package qpdf) did not run");
        }
        if (!std::filesystem::exists(files.archive)) {
            const auto size = static_cast<std::uint32_t>(std::filesystem::file_size(plain));
            const char length[4] = {static_cast<char>(size), static_cast<char>(size >> 8),
                                    static_cast<char>(size >> 16), static_cast<char>(size >> 24)};
            {
                std::ofstream out(files.archive + ".part", std::ios::binary);
                out.write(length, 4);
                out << std::ifstream(files.stream, std::ios::binary).rdbuf();
            }
            std::filesystem::rename(files.archive + ".part", files.archive);
        }
        return files;
    }();
    return made;
}

// zlib-flate reads the bare zlib stream, as the archive holds it after the size field.
double ZlibFlateSeconds(const std::string& stream) {
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
    const Compressed& compressed = Compressed200MB();
    const std::string destination = CacheFile("tmp.tst");
    double best = 1e9;
    for (auto _ : state) best = std::min(best, Seconds([&] { UnpackArchive(compressed.archive, destination); }));
    const auto bytes = static_cast<double>(std::filesystem::file_size(destination));
    std::filesystem::remove(destination);
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
    const double zlibFlate = ZlibFlateSeconds(compressed.stream);
    if (zlibFlate < 0) return state.SkipWithError("zlib-flate (package qpdf) did not run");
    state.counters["zlib_flate_ms"] = zlibFlate * 1e3;
    state.counters["zlib_flate_MBps"] = bytes / zlibFlate / 1e6;
    state.counters["MBps"] = bytes / best / 1e6;
    // Above 1: slower than zlib-flate.
    state.counters["time_vs_zlib_flate"] = best / zlibFlate;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024;
}
BENCHMARK(Unpack)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// A copy of `from` changed by `prepare`, made once and kept in the cache under `name`.
std::string CachedCopy(const std::string& name, const std::string& from,
                       const std::function<void(Connection&)>& prepare) {
    const std::string path = CacheFile(name);
    if (std::filesystem::exists(path)) return path;
    const std::string building = path + ".part";
    std::filesystem::copy_file(from, building, std::filesystem::copy_options::overwrite_existing);
    {
        Connection connection(building);
        prepare(connection);
    }
    std::filesystem::rename(building, path);
    return path;
}

// The main archive: the source with every second reply taken out.
std::string HalfOfTheReplies(const std::string& source) {
    return CachedCopy("merge-main-half.mdb", source, [](Connection& connection) {
        ExecuteStatements(connection.handle(), "DELETE FROM FORUM_REPLY WHERE REPLY_ID % 2 = 0; VACUUM;");
    });
}

// The half main archive with its content index complete.
std::string HalfWithContentIndex(const std::string& half) {
    return CachedCopy("merge-main-half-indexed.mdb", half,
                      [](Connection& connection) { BuildContentIndex(connection.handle()); });
}

// Runs `merge` from the million-reply source into a fresh copy of the half main archive (with
// its content index when asked) at each iteration (the copy untimed).
void TimeMerges(benchmark::State& state,
                const std::function<void(const std::string& main, const std::string& source)>& merge,
                bool withContentIndex = false) {
    BoardShape shape;
    shape.topics = 100000;
    shape.replies = 1000000;
    const std::string source = bench::CachedArchive("merge-1m-replies", shape).path;
    std::string half = HalfOfTheReplies(source);
    if (withContentIndex) half = HalfWithContentIndex(half);
    const std::string main = CacheFile("merge-main.mdb");
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::copy_file(half, main, std::filesystem::copy_options::overwrite_existing);
        state.ResumeTiming();
        merge(main, source);
    }
    std::filesystem::remove(main);
}

void MergeReplies(benchmark::State& state, bool withContentIndex) {
    std::int64_t sourceRows = 0;
    std::int64_t added = 0;
    TimeMerges(
        state,
        [&](const std::string& main, const std::string& source) {
            Connection destination(main);
            Connection from(source);
            sourceRows = 0;
            added = 0;
            for (const TableCopy& copy : MergeArchive(destination, from)) {
                sourceRows += copy.sourceRows;
                added += copy.added;
            }
        },
        withContentIndex);
    state.counters["source_rows"] = static_cast<double>(sourceRows);
    state.counters["added"] = static_cast<double>(added);
    state.counters["rows_per_s"] =
        benchmark::Counter(static_cast<double>(sourceRows) * state.iterations(), benchmark::Counter::kIsRate);
}
void MergeMillionReplies(benchmark::State& state) { MergeReplies(state, false); }
BENCHMARK(MergeMillionReplies)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(2);

// The same merge into a main archive with its content index, which the merge keeps in step.
void MergeMillionRepliesIndexed(benchmark::State& state) { MergeReplies(state, true); }
BENCHMARK(MergeMillionRepliesIndexed)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(2);

// The limit: the sqlite3 shell appending the same rows, one INSERT OR IGNORE ... SELECT a table,
// in one transaction.
void BareSqliteMerge(benchmark::State& state) {
    TimeMerges(state, [&](const std::string& main, const std::string& source) {
        std::string command = "sqlite3 '" + main + "' \"ATTACH '" + source + "' AS source; BEGIN;";
        for (const char* table : kArchiveTables)
            command += std::string(" INSERT OR IGNORE INTO main.") + table + " SELECT * FROM source." + table + ";";
        command += " COMMIT;\"";
        if (std::system(command.c_str()) != 0) state.SkipWithError("sqlite3 did not run");
    });
}
BENCHMARK(BareSqliteMerge)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(2);

}  // namespace
}  // namespace zenta
