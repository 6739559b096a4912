#include "unitTplMultiStageBehMod.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "PRP_VCL.h"
#include "ShownControls.h"
#include "unitTplAnimStage.h"

namespace {
const TViewerRegistrar registrar("TfrmTplMultiStageBehMod", [] { return new TfrmTplMultiStageBehMod; });
}

TfrmTplMultiStageBehMod::TfrmTplMultiStageBehMod(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplMultiStageBehMod"));
    auto* layout = new QVBoxLayout(this);
    auto* partLinks = new QHBoxLayout;
    SynchedObjLink = MakeSynchedObjLink(Record.SynchedObject, this);
    LinkedSingleMod = MakeModifierLink(Record.Modifier, false, true, this);
    partLinks->addWidget(SynchedObjLink);
    partLinks->addWidget(LinkedSingleMod);
    partLinks->addStretch();
    layout->addLayout(partLinks);
    FreezePhysics =
        MakeShownCheckBox(QStringLiteral("Freeze Physics"), QStringLiteral("FreezePhysics"), this);
    SmartSeek = MakeShownCheckBox(QStringLiteral("Smart Seek"), QStringLiteral("SmartSeek"), this);
    ReverseFBControlsOnRelease = MakeShownCheckBox(QStringLiteral("Reverse FB Controls on Release"),
                                                   QStringLiteral("ReverseFBControlsOnRelease"), this);
    layout->addWidget(FreezePhysics);
    layout->addWidget(SmartSeek);
    layout->addWidget(ReverseFBControlsOnRelease);
    layout->addWidget(MakeCaption(QStringLiteral("Stages:"), this));
    StageRefs = new QListWidget(this);
    StageRefs->setObjectName(QStringLiteral("StageRefs"));
    connect(StageRefs, &QListWidget::itemDoubleClicked, this,
            [this] { Guarded([this] { StageRefsDblClick(); }); });
    layout->addWidget(StageRefs);
    layout->addWidget(MakeCaption(QStringLiteral("Receivers:"), this));
    ReceiverRefs = new TObjRefTreeView(this);
    ReceiverRefs->setObjectName(QStringLiteral("ReceiverRefs"));
    layout->addWidget(ReceiverRefs);
    resize(320, 480);
}

void TfrmTplMultiStageBehMod::StageRefsDblClick() {
    const int row = StageRefs->currentRow();
    if (row < 0 || size_t(row) >= Record.Stages.size()) return;
    auto* form = new TfrmTplAnimStage;
    ShowAnimStage(form, Record.Stages[size_t(row)], false);
}

void TfrmTplMultiStageBehMod::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        ReceiverRefs->clear();
        StageRefs->clear();
        ReceiverRefs->Version = stream->Header.Version;
        Record = ReadMultiStageBehMod(*stream);
        SynchedObjLink->setText(SynchedObjLinkCaption(Record.SynchedObject));
        FreezePhysics->setChecked(Record.FreezePhysics);
        SmartSeek->setChecked(Record.SmartSeek);
        ReverseFBControlsOnRelease->setChecked(Record.ReverseFBControlsOnRelease);
        for (size_t i = 0; i < Record.Stages.size(); ++i)
            StageRefs->addItem(QString::number(i) + QStringLiteral(") ") +
                               PageText(Record.Stages[i].AnimName));
        AddPresentKeys(ReceiverRefs, Record.Receivers);
    }
    SetObjectInfo(entry);
}
