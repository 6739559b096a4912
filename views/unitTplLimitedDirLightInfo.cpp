#include "unitTplLimitedDirLightInfo.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "ViewerKit.h"
#include "unitTplLightInfo.h"

namespace {
const TViewerRegistrar registrar("TfrmTplLimitedDirLightInfo", [] { return new TfrmTplLimitedDirLightInfo; });
}

TfrmTplLimitedDirLightInfo::TfrmTplLimitedDirLightInfo(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplLimitedDirLightInfo"));
    auto* layout = new QVBoxLayout(this);
    LinkedLightInfo = new TLinkLabel(QStringLiteral("Light Info"), QStringLiteral("LinkedLightInfo"), this);
    connect(LinkedLightInfo, &TLinkLabel::clicked, this,
            [this] { ShowLightInfoPart(new TfrmTplLightInfo, Light); });
    layout->addWidget(LinkedLightInfo);
    auto* rows = new QFormLayout;
    Width = AddFloatRow(rows, QStringLiteral("Width:"), QStringLiteral("Width"), this);
    Height = AddFloatRow(rows, QStringLiteral("Height:"), QStringLiteral("Height"), this);
    Depth = AddFloatRow(rows, QStringLiteral("Depth:"), QStringLiteral("Depth"), this);
    layout->addLayout(rows);
    layout->addStretch();
    resize(280, 170);
}

void TfrmTplLimitedDirLightInfo::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        const TLimitedDirLightRecord light = ReadLimitedDirLight(*stream);
        Light = light.LightInfo;
        SetFieldFloat(Width, light.Width);
        SetFieldFloat(Height, light.Height);
        SetFieldFloat(Depth, light.Depth);
    }
    SetObjectInfo(entry);
}
