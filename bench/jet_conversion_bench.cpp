// Conversion of a Jet board file (bench-board: 100,000 replies, 102 MB) next to mdb-export
// of the same five tables from the same file, and the helper's peak memory.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "archive/jet_conversion.h"
#include "archive/schema.h"
#include "support/bench_archive.h"

namespace zenta {
namespace {

namespace fs = std::filesystem;

// The inflated bench-board.znt (a 4-byte length, then a zlib stream), made once.
std::string BenchBoard() {
    std::string jet = bench::CacheFolder() + "/bench-board.mdb";
    if (!fs::exists(jet)) {
        fs::create_directories(bench::CacheFolder());
        std::cerr << "inflating " << ZENTA_BENCH_BOARD << " ...\n";
        std::string command = "tail -c +5 '" ZENTA_BENCH_BOARD "' | zlib-flate -uncompress > '" + jet +
                              ".tmp' && mv '" + jet + ".tmp' '" + jet + "'";
        if (std::system(command.c_str()) != 0) throw std::runtime_error("cannot inflate " ZENTA_BENCH_BOARD);
    }
    return jet;
}

void SetThroughput(benchmark::State& state, const std::string& jet) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(jet)));
}

void ConvertBenchBoard(benchmark::State& state) {
    std::string jet = BenchBoard();
    std::string dest = bench::CacheFolder() + "/bench-board.converted";
    int64_t rows = 0;
    for (auto _ : state) {
        fs::remove(dest);
        ConvertJetArchive(jet, dest, [&](int64_t copied, int64_t) { rows = copied; });
    }
    fs::remove(dest);
    SetThroughput(state, jet);
    state.counters["rows/s"] =
        benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsIterationInvariantRate);
    // The largest resident size of any child so far: run before the mdb-export benchmark.
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    state.counters["helper_peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(ConvertBenchBoard)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void MdbExportBenchBoard(benchmark::State& state) {
    std::string jet = BenchBoard();
    std::string command;
    for (const char* table : kArchiveTables) command += "mdb-export '" + jet + "' " + table + " >/dev/null && ";
    command += "true";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("mdb-export failed");
    SetThroughput(state, jet);
}
BENCHMARK(MdbExportBenchBoard)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
}  // namespace zenta
