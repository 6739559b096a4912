// The reload with "Global PRPs" ticked in game folders of 60 and 300 ages that load the same global pages:
// what a reload costs should follow the pages it loads, not the ages and page files of the folder.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>

#include "MainUnit.h"
#include "MessageService.h"
#include "PageWriter.h"
#include "WidgetBench.h"

namespace {

constexpr int kPagesPerAge = 15;
constexpr int kGlobalAges = 5; // 75 global pages load in every folder

void writeAge(const QString& dir, const std::string& age, uint16_t locationFlags, int keysPerPage) {
    for (int p = 0; p < kPagesPerAge; ++p) {
        testpages::TestPage page = testpages::emptyPage(kVersionUru, age, "Page" + std::to_string(p),
                                                        uint16_t(p + 1), locationFlags);
        testpages::TestGroup group(1);
        for (int i = 0; i < keysPerPage; ++i)
            group.objects.emplace_back(testpages::makeKey(1, "Object" + std::to_string(i), page.pageNumber),
                                       testpages::Bytes(4, 0));
        page.groups.push_back(std::move(group));
        const QString file =
            QDir(dir).filePath(QString::fromStdString(age + "_District_" + page.pageName + ".prp"));
        testpages::writeFile(QFile::encodeName(file).toStdString(), testpages::buildPage(page));
    }
    QFile(QDir(dir).filePath(QString::fromStdString(age + ".age"))).open(QIODevice::WriteOnly);
}

// Every age's name has the same form, so that the global ones fall among the others in name order.
QString makeFolder(const QString& dir, int ages, int keysPerPage) {
    for (int a = 0; a < ages; ++a) {
        const bool global = a % (ages / kGlobalAges) == 0;
        writeAge(dir, "Age" + std::to_string(1000 + a), global ? kReserved : 0, keysPerPage);
    }
    return QDir(dir).filePath(QStringLiteral("Age1001_District_Page0.prp"));
}

void BM_ReloadWithGlobalPages(benchmark::State& state) {
    QTemporaryDir dir;
    const QString page = makeFolder(dir.path(), int(state.range(0)), int(state.range(1)));
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    TMainForm form;
    form.show();
    form.OpenPRPFile(page);
    form.ShowGlobalsCheck->setChecked(true);
    for (auto _ : state) {
        form.ShowGlobalsExecute();
        QCoreApplication::processEvents();
    }
    state.counters["ages"] = double(state.range(0));
    state.counters["page files"] = double(state.range(0) * kPagesPerAge);
    state.counters["keys a page"] = double(state.range(1));
    state.counters["pages loaded"] = double(form.GlobalPages.size() + form.LocalPages.size());
}
// Pages of 4 keys show what the folder itself costs; pages of 100 keys are still small for a game.
BENCHMARK(BM_ReloadWithGlobalPages)
    ->ArgsProduct({{60, 300}, {4, 100}})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

// The target: the reload in 300 ages costs at most twice the one in 60 ages, for pages of either size.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            seconds_[{int(run.counters.at("ages")), int(run.counters.at("keys a page"))}] =
                run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const auto& [key, seconds] : seconds_)
            if (key.first == 300 && seconds_.count({60, key.second}))
                std::printf(
                    "pages of %d keys: reload in 300 ages / in 60 ages: ratio %.2f (target: 2 or less)\n",
                    key.second, seconds / seconds_.at({60, key.second}));
    }

private:
    std::map<std::pair<int, int>, double> seconds_;
};

} // namespace

int main(int argc, char** argv) {
    RatioReporter reporter;
    return RunWidgetBenchmarks(argc, argv, &reporter);
}
