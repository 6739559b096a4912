#include "unitTpfGUICheckBoxCtrl.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "PRP_VCL.h"
#include "ViewerKit.h"
#include "unitTpfGUIControlMod.h"

namespace {
const TViewerRegistrar registrar("TfrmTpfGUICheckBoxCtrl", [] { return new TfrmTpfGUICheckBoxCtrl; });
}

TfrmTpfGUICheckBoxCtrl::TfrmTpfGUICheckBoxCtrl(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTpfGUICheckBoxCtrl"));
    auto* layout = new QVBoxLayout(this);
    LinkedControlMod = MakeControlModLink(Record.Control, this);
    layout->addWidget(LinkedControlMod);
    AddAnimationRows(layout, AnimKeys, AnimName, this);
    Checked = new QCheckBox(QStringLiteral("Checked"), this);
    Checked->setObjectName(QStringLiteral("Checked"));
    Checked->setAttribute(Qt::WA_TransparentForMouseEvents);
    Checked->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(Checked);
    resize(320, 320);
}

void TfrmTpfGUICheckBoxCtrl::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        AnimKeys->Version = stream->Header.Version;
        Record = ReadGUICheckBox(*stream);
        AddPresentKeys(AnimKeys, Record.AnimKeys);
        SetFieldWhole(AnimName, PageText(Record.AnimName));
        Checked->setChecked(Record.Checked);
    }
    SetObjectInfo(entry);
}
