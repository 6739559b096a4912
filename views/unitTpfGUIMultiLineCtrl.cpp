#include "unitTpfGUIMultiLineCtrl.h"

#include <QFormLayout>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "PRP_VCL.h"
#include "ViewerKit.h"
#include "unitTpfGUIControlMod.h"

namespace {
const TViewerRegistrar registrar("TfrmTpfGUIMultiLineCtrl", [] { return new TfrmTpfGUIMultiLineCtrl; });
}

TfrmTpfGUIMultiLineCtrl::TfrmTpfGUIMultiLineCtrl(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTpfGUIMultiLineCtrl"));
    auto* layout = new QVBoxLayout(this);
    LinkedControlMod = MakeControlModLink(Record.Control, this);
    layout->addWidget(LinkedControlMod);
    auto* rows = new QFormLayout;
    LinkedScrollControl = MakeKeyLink("LinkedScrollControl", this);
    rows->addRow(QStringLiteral("Scroll Control:"), LinkedScrollControl);
    layout->addLayout(rows);
    layout->addStretch();
    resize(300, 120);
}

void TfrmTpfGUIMultiLineCtrl::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        Record = ReadGUIMultiLine(*stream);
        LinkedScrollControl->SetKey(Record.ScrollControl);
    }
    SetObjectInfo(entry);
}
