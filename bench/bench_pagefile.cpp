// Reading a page with 200,000 keys (header, key index, page record) against reading its bytes into memory.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "PageWriter.h"

namespace {

const std::string& bigPage() {
    static const std::string path = [] {
        testpages::TestPage page = testpages::samplePage(kVersionUru);
        page.groups.clear();
        for (int g = 0; g < 20; ++g) {
            testpages::TestGroup group(static_cast<uint16_t>(g + 1));
            for (int i = 0; i < 10000; ++i)
                group.objects.emplace_back(
                    testpages::makeKey(0, "Object_" + std::to_string(g) + "_" + std::to_string(i)),
                    testpages::Bytes(4, 0));
            page.groups.push_back(std::move(group));
        }
        const std::string file = (std::filesystem::temp_directory_path() / "kestrum-bench-200k.prp").string();
        testpages::writeFile(file, testpages::buildPage(page));
        return file;
    }();
    return path;
}

double gReadFileSeconds = 0;
double gReadPageSeconds = 0;

void BM_ReadFileBytes(benchmark::State& state) {
    const std::string& path = bigPage();
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        std::vector<char> bytes(static_cast<size_t>(in.tellg()));
        in.seekg(0);
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        benchmark::DoNotOptimize(bytes.data());
    }
}

void BM_ReadPageIndex(benchmark::State& state) {
    const std::string& path = bigPage();
    size_t keys = 0;
    for (auto _ : state) {
        TPlasmaFileStream stream(path, TFileMode::fmOpenRead);
        stream.ReadPageHeader();
        stream.ReadKeyIndex();
        TPRPFile page;
        stream.GetPageInfo(page);
        keys = 0;
        for (const auto& folder : page.Folders)
            keys += folder.Objects.size();
        benchmark::DoNotOptimize(keys);
    }
    state.counters["keys/s"] =
        benchmark::Counter(static_cast<double>(keys), benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadPageIndex)->Unit(benchmark::kMillisecond);

// Prints the ratio of the two after the usual report.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_name.function_name == "BM_ReadFileBytes")
                gReadFileSeconds = run.GetAdjustedRealTime();
            if (run.run_name.function_name == "BM_ReadPageIndex")
                gReadPageSeconds = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (gReadFileSeconds > 0)
        std::printf("page index read / file bytes read: ratio %.2f (target: 10 or less)\n",
                    gReadPageSeconds / gReadFileSeconds);
    benchmark::Shutdown();
    return 0;
}
