// Opening an age of 100 pages with 200,000 keys in all, tree filled, through the main window.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <benchmark/benchmark.h>

#include "MainUnit.h"
#include "MessageService.h"
#include "PageWriter.h"
#include "WidgetBench.h"

namespace {

constexpr int kPages = 100;
constexpr int kGroupsPerPage = 20;
constexpr int kKeysPerGroup = 100; // 100 pages x 20 groups x 100 keys = 200,000 keys

// Ages of a real game name their objects after a few stems with numbers; keep names varied and unsorted.
std::string objectName(int page, int group, int index) {
    static const char* stems[] = {"Rock", "tree", "Lamp", "_marker", "Bush", "door", "Wall", "stone"};
    return std::string(stems[(index * 7 + group) % 8]) + "_" + std::to_string((index * 7919) % 1000) + "_" +
           std::to_string(page) + "_" + std::to_string(group);
}

QString makeAge(const QString& dir) {
    for (int p = 0; p < kPages; ++p) {
        testpages::TestPage page;
        page.version = kVersionUru;
        page.ageName = "BigAge";
        page.pageName = "Page" + std::to_string(p);
        page.pageNumber = uint16_t(p + 1);
        for (int g = 0; g < kGroupsPerPage; ++g) {
            testpages::TestGroup group(uint16_t(g == 0 ? 0 : g + 1));
            for (int i = 0; i < kKeysPerGroup; ++i)
                group.objects.emplace_back(
                    testpages::makeKey(group.classType, objectName(p, g, i), page.pageNumber),
                    testpages::Bytes(4, 0));
            page.groups.push_back(std::move(group));
        }
        const QString file = QDir(dir).filePath(QStringLiteral("BigAge_District_Page%1.prp").arg(p));
        testpages::writeFile(QFile::encodeName(file).toStdString(), testpages::buildPage(page));
    }
    const QString age = QDir(dir).filePath(QStringLiteral("BigAge.age"));
    QFile file(age);
    file.open(QIODevice::WriteOnly);
    return age;
}

void BM_OpenAge(benchmark::State& state) {
    QTemporaryDir dir;
    const QString age = makeAge(dir.path());
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    TMainForm form;
    form.show();
    int items = 0;
    for (auto _ : state) {
        form.OpenPRPFile(age);
        QCoreApplication::processEvents();
        items = form.PRPTree->topLevelItemCount();
    }
    state.counters["pages"] = items;
    state.counters["keys"] = double(kPages * kGroupsPerPage * kKeysPerGroup);
}
BENCHMARK(BM_OpenAge)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    return RunWidgetBenchmarks(argc, argv);
}
