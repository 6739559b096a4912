#include "unitTpfGUIUpDownPairMod.h"

#include <QFormLayout>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "PRP_VCL.h"
#include "ViewerKit.h"
#include "unitTpfGUIControlMod.h"
#include "unitTpfGUIValueCtrl.h"

namespace {
const TViewerRegistrar registrar("TfrmTpfGUIUpDownPairMod", [] { return new TfrmTpfGUIUpDownPairMod; });
}

TfrmTpfGUIUpDownPairMod::TfrmTpfGUIUpDownPairMod(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTpfGUIUpDownPairMod"));
    auto* layout = new QVBoxLayout(this);
    LinkedValueCtrl = MakeValueCtrlLink(Record.Value, this);
    layout->addWidget(LinkedValueCtrl);
    auto* rows = new QFormLayout;
    UpCtrlLink = MakeKeyLink("UpCtrlLink", this);
    DnCtrlLink = MakeKeyLink("DnCtrlLink", this);
    rows->addRow(QStringLiteral("Up Control:"), UpCtrlLink);
    rows->addRow(QStringLiteral("Down Control:"), DnCtrlLink);
    Min = MakeReadOnlyEdit(QStringLiteral("Min"), this);
    Max = MakeReadOnlyEdit(QStringLiteral("Max"), this);
    Step = MakeReadOnlyEdit(QStringLiteral("Step"), this);
    rows->addRow(QStringLiteral("Min:"), Min);
    rows->addRow(QStringLiteral("Max:"), Max);
    rows->addRow(QStringLiteral("Step:"), Step);
    layout->addLayout(rows);
    layout->addStretch();
    resize(300, 220);
}

void TfrmTpfGUIUpDownPairMod::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        Record = ReadGUIUpDownPair(*stream);
        UpCtrlLink->SetKey(Record.UpControl);
        DnCtrlLink->SetKey(Record.DownControl);
        SetFieldFloat(Min, Record.Min);
        SetFieldFloat(Max, Record.Max);
        SetFieldFloat(Step, Record.Step);
    }
    SetObjectInfo(entry);
}
