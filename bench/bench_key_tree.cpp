// Filling a key tree with 20,000 keys of 50 classes, beside the toolkit's own floor: the same texts and icons
// added as plain tree items under 50 group nodes.
#include <QApplication>
#include <QTreeWidget>
#include <benchmark/benchmark.h>
#include <memory>

#include "PRPClasses.h"
#include "PRP_VCL.h"
#include "PageWriter.h"
#include "WidgetBench.h"

namespace {

constexpr int kKeys = 20000;
constexpr int kClasses = 50;

const std::vector<TPRPObjectDesc>& keys() {
    static const std::vector<TPRPObjectDesc> list = [] {
        std::vector<TPRPObjectDesc> made;
        for (int i = 0; i < kKeys; ++i)
            made.push_back(testpages::makeKey(uint16_t(1 + i % kClasses),
                                              "Receiver_" + std::to_string(i * 7919 % kKeys)));
        return made;
    }();
    return list;
}

void BM_KeyTree(benchmark::State& state) {
    for (auto _ : state) {
        auto tree = std::make_unique<TObjRefTreeView>();
        tree->Version = kVersionUru;
        for (const TPRPObjectDesc& key : keys())
            tree->AddKeyNode(key);
        benchmark::DoNotOptimize(tree->topLevelItemCount());
    }
    state.counters["keys"] = kKeys;
}
BENCHMARK(BM_KeyTree)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_PlainTree(benchmark::State& state) {
    std::vector<QString> texts;
    std::vector<QIcon> icons;
    for (const TPRPObjectDesc& key : keys()) {
        texts.push_back(QString::fromStdString(key.Name));
        icons.push_back(TreeImages().Icon(GetClassImageIndex(key, kVersionUru)));
    }
    for (auto _ : state) {
        auto tree = std::make_unique<QTreeWidget>();
        std::vector<QTreeWidgetItem*> groups;
        for (int g = 0; g < kClasses; ++g) {
            auto* group = new QTreeWidgetItem(QStringList{QStringLiteral("Class %1").arg(g)});
            group->setIcon(0, TreeImages().Icon(TImageList::kFolder));
            tree->addTopLevelItem(group);
            groups.push_back(group);
        }
        for (int i = 0; i < kKeys; ++i) {
            auto* node = new QTreeWidgetItem(QStringList{texts[size_t(i)]});
            node->setIcon(0, icons[size_t(i)]);
            groups[size_t(i % kClasses)]->addChild(node);
        }
        benchmark::DoNotOptimize(tree->topLevelItemCount());
    }
    state.counters["keys"] = kKeys;
}
BENCHMARK(BM_PlainTree)->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace

int main(int argc, char** argv) {
    return RunWidgetBenchmarks(argc, argv);
}
