#include "unitTplSpotLightInfo.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "ViewerKit.h"
#include "unitTplLightInfo.h"
#include "unitTplOmniLightInfo.h"

namespace {
const TViewerRegistrar registrar("TfrmTplSpotLightInfo", [] { return new TfrmTplSpotLightInfo; });
}

TfrmTplSpotLightInfo::TfrmTplSpotLightInfo(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplSpotLightInfo"));
    auto* layout = new QVBoxLayout(this);
    LinkedOmniLightInfo =
        new TLinkLabel(QStringLiteral("Omni Light Info"), QStringLiteral("LinkedOmniLightInfo"), this);
    connect(LinkedOmniLightInfo, &TLinkLabel::clicked, this, [this] {
        auto* part = new TfrmTplOmniLightInfo;
        ShowOmniLightInfoPart(part, Omni);
        part->ShowFilledAsChild();
    });
    layout->addWidget(LinkedOmniLightInfo);
    auto* rows = new QFormLayout;
    Falloff = AddFloatRow(rows, QStringLiteral("Falloff:"), QStringLiteral("Falloff"), this);
    SpotInner = AddFloatRow(rows, QStringLiteral("Spot Inner:"), QStringLiteral("SpotInner"), this);
    SpotOuter = AddFloatRow(rows, QStringLiteral("Spot Outer:"), QStringLiteral("SpotOuter"), this);
    layout->addLayout(rows);
    layout->addStretch();
    resize(280, 170);
}

void TfrmTplSpotLightInfo::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        const TSpotLightRecord spot = ReadSpotLight(*stream);
        Omni = spot.OmniLightInfo;
        SetFieldFloat(Falloff, spot.Falloff);
        SetFieldFloat(SpotInner, spot.SpotInner);
        SetFieldFloat(SpotOuter, spot.SpotOuter);
    }
    SetObjectInfo(entry);
}
