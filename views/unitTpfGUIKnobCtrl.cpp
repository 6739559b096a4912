#include "unitTpfGUIKnobCtrl.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "PRP_VCL.h"
#include "ViewerKit.h"
#include "unitTpfGUIControlMod.h"
#include "unitTpfGUIValueCtrl.h"

namespace {
const TViewerRegistrar registrar("TfrmTpfGUIKnobCtrl", [] { return new TfrmTpfGUIKnobCtrl; });

QHBoxLayout* makeVectorEdits(const QString& prefix, std::array<QLineEdit*, 3>& edits, QWidget* parent) {
    auto* row = new QHBoxLayout;
    const char* axes[3] = {"X", "Y", "Z"};
    for (int i = 0; i < 3; ++i) {
        edits[i] = MakeReadOnlyEdit(prefix + axes[i], parent);
        row->addWidget(edits[i]);
    }
    return row;
}

void showVector(const std::array<QLineEdit*, 3>& edits, const TVector3& v) {
    SetFieldFloat(edits[0], v.X);
    SetFieldFloat(edits[1], v.Y);
    SetFieldFloat(edits[2], v.Z);
}
} // namespace

TfrmTpfGUIKnobCtrl::TfrmTpfGUIKnobCtrl(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTpfGUIKnobCtrl"));
    auto* layout = new QVBoxLayout(this);
    LinkedValueCtrl = MakeValueCtrlLink(Record.Value, this);
    layout->addWidget(LinkedValueCtrl);
    QFormLayout* rows = AddAnimationRows(layout, AnimKeys, AnimName, this);
    rows->addRow(QStringLiteral("Start Pos:"), makeVectorEdits(QStringLiteral("Start"), Start, this));
    rows->addRow(QStringLiteral("End Pos:"), makeVectorEdits(QStringLiteral("End"), End, this));
    resize(380, 320);
}

void TfrmTpfGUIKnobCtrl::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        AnimKeys->Version = stream->Header.Version;
        Record = ReadGUIKnob(*stream);
        AddPresentKeys(AnimKeys, Record.AnimKeys);
        SetFieldWhole(AnimName, PageText(Record.AnimName));
        showVector(Start, Record.Start);
        showVector(End, Record.End);
    }
    SetObjectInfo(entry);
}
