#include "unitTplSceneNode.h"

#include <QVBoxLayout>

#include "ObjectDispatch.h"
#include "PRP_VCL.h"

namespace {
const TViewerRegistrar registrar("TfrmTplSceneNode", [] { return new TfrmTplSceneNode; });
}

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
            for (const TPRPObjectDesc& key : Record.SceneObjects)
                if (!key.Name.empty()) SceneObjects->AddKeyToGroup(key, root);
        }
        if (!Record.PoolObjects.empty()) {
            QTreeWidgetItem* root = SceneObjects->AddLabelNode(QStringLiteral("Extra Object Pool"));
            for (const TPRPObjectDesc& key : Record.PoolObjects)
                if (!key.Name.empty()) SceneObjects->AddKeyNode(key, root);
        }
        SceneObjects->sortItems(0, Qt::AscendingOrder);
    }
    SetObjectInfo(entry);
}
