#include "unitTplLightInfo.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "PRP_VCL.h"
#include "ViewerKit.h"
#include "unitTplSynchedObject.h"

namespace {
const TViewerRegistrar registrar("TfrmTplLightInfo", [] { return new TfrmTplLightInfo; });

TKeyLinkLabel* makeKeyLink(const char* name, QWidget* parent) {
    auto* link = new TKeyLinkLabel(parent);
    link->setObjectName(QString::fromLatin1(name));
    return link;
}
} // namespace

QLineEdit* AddFloatRow(QFormLayout* rows, const QString& caption, const QString& name, QWidget* parent) {
    QLineEdit* edit = MakeReadOnlyEdit(name, parent);
    rows->addRow(caption, edit);
    return edit;
}

TfrmTplLightInfo::TfrmTplLightInfo(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplLightInfo"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(
        MakeInterfacePartLinks(Light.SynchedObject, Light.ObjInterface, this, SynchedObjLink, LinkedObjIntf));

    auto* colours = new QGridLayout;
    const char* captions[3] = {"Ambient:", "Diffuse:", "Specular:"};
    for (int i = 0; i < 3; ++i) {
        colours->addWidget(MakeCaption(QString::fromLatin1(captions[i]), this), i, 0);
        Colors[i] = new TColorSwatch(QStringLiteral("paintColor%1").arg(i + 1), this);
        colours->addWidget(Colors[i], i, 1);
        Alphas[i] = MakeReadOnlyEdit(QStringLiteral("eAlphaColor%1").arg(i + 1), this);
        colours->addWidget(Alphas[i], i, 2);
        connect(Colors[i], &TColorSwatch::colorPicked, this, [this] { MarkModified(); });
    }
    layout->addLayout(colours);

    layout->addWidget(MakeCaption(QStringLiteral("Transform Matrices:"), this));
    auto* mats = new QGridLayout;
    const char* matCaptions[4] = {"Light to Local", "Local to Light", "Light to World", "World to Light"};
    for (int i = 0; i < 4; ++i) {
        Mats[i] = MakeMatrixLink(Light.Matrices[i], QString::fromLatin1(matCaptions[i]),
                                 QStringLiteral("Mat%1").arg(i + 1), this);
        mats->addWidget(Mats[i], i / 2, i % 2);
    }
    layout->addLayout(mats);

    auto* keys = new QFormLayout;
    LayerLink = makeKeyLink("LayerLink", this);
    VolumeLink = makeKeyLink("VolumeLink", this);
    SceneNodeLink = makeKeyLink("SceneNodeLink", this);
    keys->addRow(QStringLiteral("Projection Layer:"), LayerLink);
    keys->addRow(QStringLiteral("Soft Volume:"), VolumeLink);
    keys->addRow(QStringLiteral("Scene Node:"), SceneNodeLink);
    layout->addLayout(keys);
    layout->addWidget(MakeCaption(QStringLiteral("Vis Regions:"), this));
    VisRegionRefs = new TObjRefTreeView(this);
    VisRegionRefs->setObjectName(QStringLiteral("VisRegionRefs"));
    layout->addWidget(VisRegionRefs);
    resize(340, 460);
}

void ShowLightInfoPart(TfrmTplLightInfo* form, const TLightInfo& light) {
    form->Light = light;
    form->VisRegionRefs->clear();
    form->VisRegionRefs->Version = light.SynchedObject.Version;
    form->SynchedObjLink->setText(SynchedObjLinkCaption(light.SynchedObject));
    for (int i = 0; i < 3; ++i) {
        SetFieldFloat(form->Alphas[i], light.Alphas[i]);
        form->Colors[i]->SetColor(light.Colors[i]);
    }
    form->LayerLink->SetKey(light.ProjectionLayer);
    form->VolumeLink->SetKey(light.SoftVolume);
    form->SceneNodeLink->SetKey(light.SceneNode);
    AddPresentKeys(form->VisRegionRefs, form->Light.VisRegions);
    form->SetObjectInfo(PartWindowEntry(kLightInfoPartName, LightInfoPartClass(light)));
}

void TfrmTplLightInfo::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) ShowLightInfoPart(this, ReadLightInfoPart(*stream));
    SetObjectInfo(entry);
}
