#include "unitTplWinAudible.h"

#include <QFormLayout>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "PRP_VCL.h"
#include "ShownControls.h"

namespace {
const TViewerRegistrar registrar("TfrmTplWinAudible", [] { return new TfrmTplWinAudible; });
}

TfrmTplWinAudible::TfrmTplWinAudible(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplWinAudible"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeCaption(QStringLiteral("Sounds:"), this));
    SoundRefs = new TObjRefTreeView(this);
    SoundRefs->setObjectName(QStringLiteral("SoundRefs"));
    layout->addWidget(SoundRefs);
    auto* rows = new QFormLayout;
    SceneNodeLink = MakeNamedKeyLink(QStringLiteral("SceneNodeLink"), this);
    rows->addRow(QStringLiteral("Scene Node:"), SceneNodeLink);
    layout->addLayout(rows);
    resize(300, 320);
}

void TfrmTplWinAudible::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        SoundRefs->clear();
        SoundRefs->Version = stream->Header.Version;
        Record = ReadWinAudible(*stream);
        AddPresentKeys(SoundRefs, Record.Sounds);
        SceneNodeLink->SetKey(Record.SceneNode);
    }
    SetObjectInfo(entry);
}
