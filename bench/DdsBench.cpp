// Map image decoding speed and memory: 2048 x 2048 DXT1, DXT5 and A8R8G8B8 maps loaded from
// files with conversion and gamma, our block decoder against libsquish on the same blocks, and
// the peak memory of one load compared with the decoded image.

#include "ProcessMemory.h"
#include "mapview/MapImage.h"
#include "support/DdsImage.h"

#include <benchmark/benchmark.h>
#include <squish.h>

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kSide = 2048;
constexpr int kBlockSide = 4;
constexpr size_t kBlocks = size_t(kSide / kBlockSide) * (kSide / kBlockSide);
constexpr size_t kDxt1Bytes = kBlocks * 8;
constexpr size_t kDxt5Bytes = kBlocks * 16;
constexpr size_t kArgbBytes = size_t(kSide) * kSide * 4;
constexpr double kGamma = 0.7;
constexpr uint32_t kSeed = 2048;
constexpr double kBytesPerMiB = 1024.0 * 1024.0;

// Random blocks: every path of the decoders (both DXT1 modes, both DXT5 alpha modes) is taken.
std::vector<uint8_t> randomBytes(size_t count)
{
    std::mt19937 rng(kSeed);
    std::vector<uint8_t> bytes(count);
    for (uint8_t& b : bytes)
        b = uint8_t(rng());
    return bytes;
}

const std::vector<uint8_t>& dxt1Blocks()
{
    static const std::vector<uint8_t> blocks = randomBytes(kDxt1Bytes);
    return blocks;
}

const std::vector<uint8_t>& dxt5Blocks()
{
    static const std::vector<uint8_t> blocks = randomBytes(kDxt5Bytes);
    return blocks;
}

void put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(v >> (8 * i));
}

// A DDS header for a kSide x kSide map: a four-character code, or 32-bit colour with alpha.
std::vector<uint8_t> header(const char* fourCC)
{
    std::vector<uint8_t> h(128, 0);
    std::memcpy(h.data(), "DDS ", 4);
    put32(h, 4, 124);
    put32(h, 8, 0x1007);
    put32(h, 12, kSide);
    put32(h, 16, kSide);
    put32(h, 76, 32);
    if (fourCC) {
        put32(h, 80, 0x4);
        std::memcpy(h.data() + 84, fourCC, 4);
    } else {
        put32(h, 80, 0x41);
        put32(h, 88, 32);
        put32(h, 92, 0xFF0000);
        put32(h, 96, 0xFF00);
        put32(h, 100, 0xFF);
        put32(h, 104, 0xFF000000);
    }
    put32(h, 108, 0x1000);
    return h;
}

struct MapFile {
    const char* label;
    std::string path;
};

std::vector<MapFile> writeMapFiles()
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "vynmap-dds-bench";
    std::filesystem::create_directories(dir);
    const std::vector<std::pair<const char*, std::vector<uint8_t>>> files
        = {{"DXT1", dxt1Blocks()}, {"DXT5", dxt5Blocks()}, {"A8R8G8B8", randomBytes(kArgbBytes)}};
    std::vector<MapFile> written;
    for (const auto& [label, data] : files) {
        const bool argb = std::strcmp(label, "A8R8G8B8") == 0;
        std::vector<uint8_t> bytes = header(argb ? nullptr : label);
        bytes.insert(bytes.end(), data.begin(), data.end());
        const std::string path = (dir / (std::string("map_") + label + ".dds")).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        written.push_back({label, path});
    }
    return written;
}

const std::vector<MapFile>& mapFiles()
{
    static const std::vector<MapFile> files = writeMapFiles();
    return files;
}

void BM_LoadMapImage(benchmark::State& state, size_t fileIndex)
{
    const std::string& path = mapFiles()[fileIndex].path;
    for (auto _ : state) {
        QImage image = LoadMapImage(path, kGamma);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kArgbBytes));
}
BENCHMARK_CAPTURE(BM_LoadMapImage, DXT1, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadMapImage, DXT5, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadMapImage, A8R8G8B8, 2)->Unit(benchmark::kMillisecond);

void BM_Blocks(benchmark::State& state, PixelFormat format, bool ours)
{
    const std::vector<uint8_t>& blocks = format == PixelFormat::DXT1 ? dxt1Blocks() : dxt5Blocks();
    std::vector<uint32_t> pixels(size_t(kSide) * kSide);
    const int squishFlags = format == PixelFormat::DXT1 ? squish::kDxt1 : squish::kDxt5;
    for (auto _ : state) {
        if (ours)
            decodeDxtBlocks(format, blocks.data(), kSide, kSide, pixels.data());
        else
            squish::DecompressImage(reinterpret_cast<squish::u8*>(pixels.data()), kSide, kSide,
                blocks.data(), squishFlags);
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kArgbBytes));
}
// libsquish may decode on several OpenMP threads: CPU time of the whole process compares the work.
BENCHMARK_CAPTURE(BM_Blocks, DXT1_ours, PixelFormat::DXT1, true)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Blocks, DXT1_squish, PixelFormat::DXT1, false)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Blocks, DXT5_ours, PixelFormat::DXT5, true)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Blocks, DXT5_squish, PixelFormat::DXT5, false)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

// Console output plus the real time per iteration of every benchmark, for the ratios.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    struct Times {
        double real = 0;
        double cpu = 0;
    };
    std::map<std::string, Times> times;  // per iteration, in the benchmark's time unit

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration)
                times[run.run_name.function_name]
                    = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
        ConsoleReporter::ReportRuns(runs);
    }
};

// Peak memory of `work`, measured in a child process whose allocator never returns memory to
// the system: every page touched during the work stays resident, so the growth of the resident
// size is the peak (the kernel's own peak counter is not updated when memory is unmapped).
template <typename Work> long peakGrowthKiB(Work work)
{
    int channel[2];
    if (pipe(channel) != 0)
        return -1;
    std::fflush(nullptr);
    malloc_trim(0);  // freed memory still resident here would be reused by the child unseen
    const pid_t pid = fork();
    if (pid == 0) {
        mallopt(M_MMAP_MAX, 0);
        mallopt(M_TRIM_THRESHOLD, INT_MAX);
        const long before = statusKiB("VmRSS");
        work();
        const long grown = before < 0 ? -1 : statusKiB("VmRSS") - before;
        const ssize_t written = write(channel[1], &grown, sizeof grown);
        _exit(written == sizeof grown ? 0 : 1);
    }
    close(channel[1]);
    long grown = -1;
    if (pid < 0 || read(channel[0], &grown, sizeof grown) != sizeof grown)
        grown = -1;
    close(channel[0]);
    if (pid > 0)
        waitpid(pid, nullptr, 0);
    return grown;
}

void reportPeakMemory()
{
    std::printf(
        "\nPeak memory of one LoadMapImage (decoded image %.1f MiB):\n", kArgbBytes / kBytesPerMiB);
    for (const MapFile& file : mapFiles()) {
        const long grown = peakGrowthKiB([&file] {
            QImage image = LoadMapImage(file.path, kGamma);
            benchmark::DoNotOptimize(image.constBits());
        });
        if (grown < 0) {
            std::printf("  %-9s unavailable\n", file.label);
            continue;
        }
        const double grownMiB = grown / 1024.0;
        std::printf("  %-9s %6.1f MiB = %.2f x the decoded image\n", file.label, grownMiB,
            grownMiB * kBytesPerMiB / kArgbBytes);
    }
}

void reportRatios(const RecordingReporter& reporter)
{
    std::printf("\nBlock decoding, libsquish time / our time (target >= 2):\n");
    for (const char* format : {"DXT1", "DXT5"}) {
        const auto ours = reporter.times.find(std::string("BM_Blocks/") + format + "_ours");
        const auto theirs = reporter.times.find(std::string("BM_Blocks/") + format + "_squish");
        if (ours == reporter.times.end() || theirs == reporter.times.end() || ours->second.cpu <= 0
            || ours->second.real <= 0)
            continue;
        std::printf("  %s: CPU ours %.2f ms, libsquish %.2f ms, ratio %.2f;"
                    " wall ours %.2f ms, libsquish %.2f ms, ratio %.2f\n",
            format, ours->second.cpu, theirs->second.cpu, theirs->second.cpu / ours->second.cpu,
            ours->second.real, theirs->second.real, theirs->second.real / ours->second.real);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    mapFiles();  // written before any measurement
    reportPeakMemory();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    reportRatios(reporter);
    std::filesystem::remove_all(std::filesystem::temp_directory_path() / "vynmap-dds-bench");
    return 0;
}
