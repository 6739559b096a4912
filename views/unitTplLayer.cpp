#include "unitTplLayer.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "NumberText.h"
#include "ViewerRegistry.h"
#include "PRP_VCL.h"
#include "ViewerKit.h"

namespace {
const TViewerRegistrar registrar("TfrmTplLayer", [] { return new TfrmTplLayer; });

TKeyLinkLabel* makeKeyLink(const char* name, QWidget* parent) {
    auto* link = new TKeyLinkLabel(parent);
    link->setObjectName(QString::fromLatin1(name));
    return link;
}
} // namespace

TfrmTplLayer::TfrmTplLayer(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplLayer"));
    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    auto* links = new QHBoxLayout;
    SynchedObjLink = MakeSynchedObjLink(Record.SynchedObject, this);
    NullObj = new TFixedKeyLink(QStringLiteral("Null Object"), QStringLiteral("NullObj"), this);
    links->addWidget(SynchedObjLink);
    links->addWidget(NullObj);
    links->addStretch();
    left->addLayout(links);
    auto* matrices = new QHBoxLayout;
    UVWTransformLink = MakeMatrixLink(Record.UVWTransform, QStringLiteral("UVW Transform Matrix"),
                                      QStringLiteral("UVWTransformLink"), this);
    BumpEnvXform = MakeMatrixLink(Record.BumpEnvTransform, QStringLiteral("Bump Environmap Transform Matrix"),
                                  QStringLiteral("BumpEnvXform"), this);
    matrices->addWidget(UVWTransformLink);
    matrices->addWidget(BumpEnvXform);
    matrices->addStretch();
    left->addLayout(matrices);

    auto* colours = new QGridLayout;
    const char* colourCaptions[4] = {"Preshade:", "Runtime:", "Ambient:", "Specular:"};
    const char* colourNames[4] = {"Preshade", "Runtime", "Ambient", "Specular"};
    for (int i = 0; i < 4; ++i) {
        colours->addWidget(MakeCaption(QString::fromLatin1(colourCaptions[i]), this), i, 0);
        Swatches[i] = new TColorSwatch(QStringLiteral("paint") + colourNames[i], this);
        colours->addWidget(Swatches[i], i, 1);
        Alphas[i] = MakeReadOnlyEdit(QStringLiteral("eAlpha") + colourNames[i], this);
        colours->addWidget(Alphas[i], i, 2);
        connect(Swatches[i], &TColorSwatch::colorPicked, this, [this] { MarkModified(); });
    }
    left->addLayout(colours);

    auto* values = new QFormLayout;
    UVWSource = MakeReadOnlyEdit(QStringLiteral("UVWSource"), this);
    Opacity = MakeReadOnlyEdit(QStringLiteral("Opacity"), this);
    LODBias = MakeReadOnlyEdit(QStringLiteral("LODBias"), this);
    SpecularPower = MakeReadOnlyEdit(QStringLiteral("SpecularPower"), this);
    values->addRow(QStringLiteral("UVW Source:"), UVWSource);
    values->addRow(QStringLiteral("Opacity:"), Opacity);
    values->addRow(QStringLiteral("LOD Bias:"), LODBias);
    values->addRow(QStringLiteral("Specular Power:"), SpecularPower);
    TextureLink1 = makeKeyLink("TextureLink1", this);
    TextureLink2 = makeKeyLink("TextureLink2", this);
    TextureLink3 = makeKeyLink("TextureLink3", this);
    values->addRow(QStringLiteral("Texture:"), TextureLink1);
    values->addRow(QStringLiteral("Vertex Shader:"), TextureLink2);
    values->addRow(QStringLiteral("Pixel Shader:"), TextureLink3);
    left->addLayout(values);
    left->addStretch();
    layout->addLayout(left);

    auto* flagColumns = new QGridLayout;
    for (int i = 0; i < 5; ++i) {
        const TLayerStateGroup& group = kLayerStateGroups[i];
        StateGroups[i] = new TFlagBoxGroup(QString::fromLatin1(group.Caption), group.Flags,
                                           group.Flags.size() > 16 ? 2 : 1, this);
    }
    flagColumns->addWidget(StateGroups[0], 0, 0, 3, 1); // blend
    flagColumns->addWidget(StateGroups[4], 0, 1, 3, 1); // misc
    flagColumns->addWidget(StateGroups[2], 0, 2);       // shade
    flagColumns->addWidget(StateGroups[1], 1, 2);       // clamp
    flagColumns->addWidget(StateGroups[3], 2, 2);       // Z
    layout->addLayout(flagColumns);
}

void TfrmTplLayer::ShowLayerStateFlags() {
    for (int i = 0; i < 5; ++i)
        StateGroups[i]->SetFlags(Record.State[i]);
}

void TfrmTplLayer::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        Record = ReadLayer(*stream);
        SynchedObjLink->setText(SynchedObjLinkCaption(Record.SynchedObject));
        NullObj->SetKey(Record.LayerInterface.Underlay);
        ShowLayerStateFlags();
        for (int i = 0; i < 4; ++i) {
            Swatches[i]->SetColor(PackDisplayColor(Record.Colors[i]));
            SetFieldFloat(Alphas[i], Record.Colors[i].A);
        }
        SetFieldNumber(UVWSource, Record.UVWSource);
        SetFieldFloat(Opacity, Record.Opacity);
        SetFieldFloat(LODBias, Record.LODBias);
        SetFieldFloat(SpecularPower, Record.SpecularPower);
        TextureLink1->SetKey(Record.Texture);
        TextureLink2->SetKey(Record.VertexShader);
        TextureLink3->SetKey(Record.PixelShader);
    }
    SetObjectInfo(entry);
}
