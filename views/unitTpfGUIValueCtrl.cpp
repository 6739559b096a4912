#include "unitTpfGUIValueCtrl.h"

#include <QFormLayout>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "ViewerKit.h"
#include "unitTpfGUIControlMod.h"
#include "unitTplSynchedObject.h"

namespace {
const TViewerRegistrar registrar("TfrmTpfGUIValueCtrl", [] { return new TfrmTpfGUIValueCtrl; });
}

TfrmTpfGUIValueCtrl::TfrmTpfGUIValueCtrl(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTpfGUIValueCtrl"));
    auto* layout = new QVBoxLayout(this);
    LinkedControlMod = MakeControlModLink(Part.Control, this);
    layout->addWidget(LinkedControlMod);
    auto* rows = new QFormLayout;
    Min = MakeReadOnlyEdit(QStringLiteral("Min"), this);
    Max = MakeReadOnlyEdit(QStringLiteral("Max"), this);
    Step = MakeReadOnlyEdit(QStringLiteral("Step"), this);
    rows->addRow(QStringLiteral("Min:"), Min);
    rows->addRow(QStringLiteral("Max:"), Max);
    rows->addRow(QStringLiteral("Step:"), Step);
    layout->addLayout(rows);
    layout->addStretch();
    resize(260, 160);
}

void TfrmTpfGUIValueCtrl::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) ShowValueCtrlPart(this, ReadValueCtrlPart(*stream));
    SetObjectInfo(entry);
}

void ShowValueCtrlPart(TfrmTpfGUIValueCtrl* form, const TValueCtrl& part) {
    form->Part = part;
    SetFieldFloat(form->Min, part.Min);
    SetFieldFloat(form->Max, part.Max);
    SetFieldFloat(form->Step, part.Step);
    // The own loader's closing caption replaces this one.
    form->LoadObject(PartWindowEntry(kValueCtrlPartName, ValueCtrlPartClass(part)), nullptr);
}

TfrmTpfGUIValueCtrl* OpenValueCtrlPart(const TValueCtrl& part) {
    auto* form = new TfrmTpfGUIValueCtrl;
    ShowValueCtrlPart(form, part);
    return form;
}

TLinkLabel* MakeValueCtrlLink(const TValueCtrl& part, QWidget* parent) {
    auto* link = new TLinkLabel(QStringLiteral("Value Control"), QStringLiteral("LinkedValueCtrl"), parent);
    QObject::connect(link, &TLinkLabel::clicked, link, [&part] { OpenValueCtrlPart(part); });
    return link;
}
