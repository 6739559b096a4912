// Opening the objects of a loaded page of 200,000 keys, one after another, while its file is as loaded and
// after it was touched (a new modification time, every byte the same). The key index of the touched page is
// read again once for the change, not once for each object: its objects open about as fast as before.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "PageWriter.h"

namespace {

constexpr int kGroups = 20;
constexpr int kKeysPerGroup = 10000;

struct LoadedPage {
    std::string path;
    std::vector<TPRPFileObject> entries; // as the page loader fills them
};

// A page of its own for each benchmark, so that a touch of one leaves the others as loaded.
LoadedPage loadBigPage(const std::string& name) {
    testpages::TestPage page = testpages::samplePage(kVersionUru);
    page.groups.clear();
    for (int g = 0; g < kGroups; ++g) {
        testpages::TestGroup group(static_cast<uint16_t>(g + 1));
        for (int i = 0; i < kKeysPerGroup; ++i)
            group.objects.emplace_back(
                testpages::makeKey(0, "Object_" + std::to_string(g) + "_" + std::to_string(i)),
                testpages::Bytes(64, static_cast<uint8_t>(i)));
        page.groups.push_back(std::move(group));
    }
    LoadedPage loaded;
    loaded.path = (std::filesystem::temp_directory_path() /
                   ("kestrum-bench-changed-" + std::to_string(::getpid()) + "-" + name + ".prp"))
                      .string();
    testpages::writeFile(loaded.path, testpages::buildPage(page));
    TPlasmaFileStream stream(loaded.path, TFileMode::fmOpenRead);
    stream.ReadPageHeader();
    stream.ReadKeyIndex();
    for (TPRPFolder& folder : stream.Folders)
        for (TPRPFileObject& entry : folder.Objects) {
            entry.FileName = loaded.path;
            entry.Version = stream.Header.Version;
            entry.MajorVersion = stream.Header.MajorVersion;
            loaded.entries.push_back(std::move(entry));
        }
    return loaded;
}

// Sets the file's modification time `seconds` later than it is.
void touch(const std::string& path, int seconds) {
    struct stat now {};
    ::stat(path.c_str(), &now);
    timespec times[2] = {now.st_atim, now.st_mtim};
    times[1].tv_sec += seconds;
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

// Opens the next object, striding through the page as a user opening objects here and there would.
void openNext(const LoadedPage& page, size_t& next) {
    TPlasmaStream body;
    TPRPObjectDesc ownKey;
    ExtractObjectData(page.entries[next], body, ownKey);
    benchmark::DoNotOptimize(body.Memory());
    next = (next + 7919) % page.entries.size();
}

void BM_OpenObjects_AsLoaded(benchmark::State& state) {
    static const LoadedPage page = loadBigPage("as-loaded");
    size_t next = 0;
    for (auto _ : state)
        openNext(page, next);
    state.SetItemsProcessed(state.iterations());
}

// Touched once before each run: the first object opened reads the index again, the others do not.
void BM_OpenObjects_Touched(benchmark::State& state) {
    static const LoadedPage page = loadBigPage("touched");
    static int seconds = 0;
    touch(page.path, seconds += 10);
    size_t next = 0;
    for (auto _ : state)
        openNext(page, next);
    state.SetItemsProcessed(state.iterations());
}

// Touched before every object opened: what one change costs, one read of the index.
void BM_OpenObjects_TouchedBeforeEach(benchmark::State& state) {
    static const LoadedPage page = loadBigPage("touched-each");
    static int seconds = 0;
    size_t next = 0;
    for (auto _ : state) {
        state.PauseTiming();
        touch(page.path, seconds += 10);
        state.ResumeTiming();
        openNext(page, next);
    }
    state.SetItemsProcessed(state.iterations());
}

double gAsLoaded = 0, gTouched = 0, gEachChange = 0;

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const std::string& name = run.run_name.function_name;
            if (name == "BM_OpenObjects_AsLoaded") gAsLoaded = run.GetAdjustedRealTime();
            if (name == "BM_OpenObjects_Touched") gTouched = run.GetAdjustedRealTime();
            if (name == "BM_OpenObjects_TouchedBeforeEach") gEachChange = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

BENCHMARK(BM_OpenObjects_AsLoaded)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenObjects_Touched)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenObjects_TouchedBeforeEach)->Unit(benchmark::kMicrosecond)->Iterations(20);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (gAsLoaded > 0 && gTouched > 0)
        std::printf("object opened on a touched page / as loaded: ratio %.2f (target: 1.5 or less)\n",
                    gTouched / gAsLoaded);
    if (gAsLoaded > 0 && gEachChange > 0)
        std::printf("object opened right after a change / as loaded: ratio %.0f (one read of the index)\n",
                    gEachChange / gAsLoaded);
    for (const char* name : {"as-loaded", "touched", "touched-each"})
        std::remove((std::filesystem::temp_directory_path() /
                     ("kestrum-bench-changed-" + std::to_string(::getpid()) + "-" + name + ".prp"))
                        .c_str());
    benchmark::Shutdown();
    return 0;
}
