#include "unitTplSceneNode.h"

#include <QVBoxLayout>
#include <algorithm>

#include "ViewerRegistry.h"
#include "PRP_VCL.h"

namespace {
const TViewerRegistrar registrar("TfrmTplSceneNode", [] { return new TfrmTplSceneNode; });

// Alphabetical order ignores case, so "apple" stands before "Banana"; names that differ only in case
// keep their stored order. Every level is sorted.
void sortAlphabetically(QTreeWidgetItem* node) {
    QList<QTreeWidgetItem*> children = node->takeChildren();
    std::stable_sort(children.begin(), children.end(),
                     [](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
                         return QString::compare(a->text(0), b->text(0), Qt::CaseInsensitive) < 0;
                     });
    node->addChildren(children);
    for (QTreeWidgetItem* child : children)
        sortAlphabetically(child);
}
} // namespace

TfrmTplSceneNode::TfrmTplSceneNode(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplSceneNode"));
    auto* layout = new QVBoxLayout(this);
    SceneObjects = new TObjRefTreeView(this);
    SceneObjects->setObjectName(QStringLiteral("SceneObjects"));
    layout->addWidget(SceneObjects);
    resize(320, 420);
}

void TfrmTplSceneNode::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        SceneObjects->Version = stream->Header.Version;
        Record = ReadSceneNode(*stream);
        if (!Record.SceneObjects.empty()) {
            QTreeWidgetItem* root = SceneObjects->AddLabelNode(QStringLiteral("Scene Objects"));
            for (size_t i = 0; i < Record.SceneObjects.size(); ++i)
                if (Record.SceneObjects.Present[i]) SceneObjects->AddKeyToGroup(Record.SceneObjects[i], root);
        }
        if (!Record.PoolObjects.empty()) {
            QTreeWidgetItem* root = SceneObjects->AddLabelNode(QStringLiteral("Extra Object Pool"));
            for (size_t i = 0; i < Record.PoolObjects.size(); ++i)
                if (Record.PoolObjects.Present[i]) SceneObjects->AddKeyNode(Record.PoolObjects[i], root);
        }
        sortAlphabetically(SceneObjects->invisibleRootItem());
    }
    SetObjectInfo(entry);
}
