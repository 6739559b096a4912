#include "unitTplOmniLightInfo.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "ViewerKit.h"
#include "unitTplLightInfo.h"

namespace {
const TViewerRegistrar registrar("TfrmTplOmniLightInfo", [] { return new TfrmTplOmniLightInfo; });
}

TfrmTplOmniLightInfo::TfrmTplOmniLightInfo(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplOmniLightInfo"));
    setWindowTitle(QStringLiteral("Embedded OmniLightInfo"));
    auto* layout = new QVBoxLayout(this);
    LinkedLightInfo = new TLinkLabel(QStringLiteral("Light Info"), QStringLiteral("LinkedLightInfo"), this);
    connect(LinkedLightInfo, &TLinkLabel::clicked, this,
            [this] { ShowLightInfoPart(new TfrmTplLightInfo, Omni.LightInfo); });
    layout->addWidget(LinkedLightInfo);
    Rows = new QFormLayout;
    AttenConst = AddFloatRow(Rows, QStringLiteral("Atten Const:"), QStringLiteral("AttenConst"), this);
    AttenLinear = AddFloatRow(Rows, QStringLiteral("Atten Linear:"), QStringLiteral("AttenLinear"), this);
    AttenQuadratic =
        AddFloatRow(Rows, QStringLiteral("Atten Quadratic:"), QStringLiteral("AttenQuadratic"), this);
    AttenCutoff = AddFloatRow(Rows, QStringLiteral("Atten Cutoff:"), QStringLiteral("AttenCutoff"), this);
    layout->addLayout(Rows);
    layout->addStretch();
    resize(280, 200);
}

void ShowOmniLightInfoPart(TfrmTplOmniLightInfo* form, const TplOmniLightInfo& omni) {
    form->Omni = omni;
    SetFieldFloat(form->AttenConst, omni.AttenConst);
    SetFieldFloat(form->AttenLinear, omni.AttenLinear);
    SetFieldFloat(form->AttenQuadratic, omni.AttenQuadratic);
    SetFieldFloat(form->AttenCutoff, omni.AttenCutoff);
}

void TfrmTplOmniLightInfo::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) ShowOmniLightInfoPart(this, ReadOmniLightInfoPart(*stream));
    SetObjectInfo(entry);
}
