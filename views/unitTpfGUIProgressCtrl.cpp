#include "unitTpfGUIProgressCtrl.h"

#include <QFormLayout>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "PRP_VCL.h"
#include "ViewerKit.h"
#include "unitTpfGUIControlMod.h"
#include "unitTpfGUIValueCtrl.h"

namespace {
const TViewerRegistrar registrar("TfrmTpfGUIProgressCtrl", [] { return new TfrmTpfGUIProgressCtrl; });
}

TfrmTpfGUIProgressCtrl::TfrmTpfGUIProgressCtrl(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTpfGUIProgressCtrl"));
    auto* layout = new QVBoxLayout(this);
    LinkedValueCtrl = MakeValueCtrlLink(Record.Value, this);
    layout->addWidget(LinkedValueCtrl);
    AddAnimationRows(layout, AnimKeys, AnimName, this);
    resize(320, 300);
}

void TfrmTpfGUIProgressCtrl::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        AnimKeys->Version = stream->Header.Version;
        Record = ReadGUIProgress(*stream);
        AddPresentKeys(AnimKeys, Record.AnimKeys);
        SetFieldWhole(AnimName, PageText(Record.AnimName));
    }
    SetObjectInfo(entry);
}
