#include "unitTplSound.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "PRP_VCL.h"
#include "ShownControls.h"
#include "unitTplEAXSourceSettings.h"
#include "unitTplSynchedObject.h"

namespace {
const TViewerRegistrar registrar("TfrmTplSound", [] { return new TfrmTplSound; });

const QStringList kSoundTypes = {QStringLiteral("Sound FX"), QStringLiteral("Ambiance"),
                                 QStringLiteral("Background Music"), QStringLiteral("GUI Sound"),
                                 QStringLiteral("NPC Voices")};
const QStringList kFadeTypes = {QStringLiteral("Linear"), QStringLiteral("Logarithmic"),
                                QStringLiteral("Exponential")};

QGroupBox* makeFadeGroup(const QString& caption, const QString& prefix, TFadeControls& fade,
                         QWidget* parent) {
    auto* group = new QGroupBox(caption, parent);
    auto* rows = new QFormLayout(group);
    fade.Length = AddEditRow(rows, QStringLiteral("Length:"), prefix + QStringLiteral("Length"), group);
    fade.VolStart =
        AddEditRow(rows, QStringLiteral("Start Volume:"), prefix + QStringLiteral("VolStart"), group);
    fade.VolEnd = AddEditRow(rows, QStringLiteral("End Volume:"), prefix + QStringLiteral("VolEnd"), group);
    fade.Type = MakeIndexCombo(prefix + QStringLiteral("Type"), kFadeTypes, group);
    rows->addRow(QStringLiteral("Type:"), fade.Type);
    fade.CurrTime =
        AddEditRow(rows, QStringLiteral("Current Time:"), prefix + QStringLiteral("CurrTime"), group);
    fade.StopWhenDone =
        AddEditRow(rows, QStringLiteral("Stop When Done:"), prefix + QStringLiteral("StopWhenDone"), group);
    fade.FadeSoftVol =
        AddEditRow(rows, QStringLiteral("Fade Soft Volume:"), prefix + QStringLiteral("FadeSoftVol"), group);
    return group;
}

void showFade(const TFadeControls& controls, const TFadeParams& fade) {
    SetFieldFloat(controls.Length, fade.Length);
    SetFieldFloat(controls.VolStart, fade.VolStart);
    SetFieldFloat(controls.VolEnd, fade.VolEnd);
    controls.Type->SelectValue(fade.FadeType);
    SetFieldFloat(controls.CurrTime, fade.CurrTime);
    SetFieldNumber(controls.StopWhenDone, fade.StopWhenDone);
    SetFieldNumber(controls.FadeSoftVol, fade.FadeSoftVol);
}
} // namespace

TfrmTplSound::TfrmTplSound(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplSound"));
    auto* layout = new QVBoxLayout(this);
    auto* partLinks = new QHBoxLayout;
    SynchedObjLink = MakeSynchedObjLink(Sound.SynchedObject, this);
    LinkedEAXSettings =
        new TLinkLabel(QStringLiteral("EAX Settings"), QStringLiteral("LinkedEAXSettings"), this);
    connect(LinkedEAXSettings, &TLinkLabel::clicked, this, [this] {
        auto* form = new TfrmTplEAXSourceSettings;
        ShowEAXSourceSettingsPart(form, Sound.EAXSettings);
    });
    partLinks->addWidget(SynchedObjLink);
    partLinks->addWidget(LinkedEAXSettings);
    partLinks->addStretch();
    layout->addLayout(partLinks);

    auto* columns = new QHBoxLayout;
    auto* values = new QFormLayout;
    Playing = MakeShownCheckBox(QStringLiteral("Playing"), QStringLiteral("Playing"), this);
    values->addRow(Playing);
    Time = AddEditRow(values, QStringLiteral("Time:"), QStringLiteral("Time"), this);
    MaxFalloff = AddEditRow(values, QStringLiteral("Max Falloff:"), QStringLiteral("MaxFalloff"), this);
    MinFalloff = AddEditRow(values, QStringLiteral("Min Falloff:"), QStringLiteral("MinFalloff"), this);
    CurrVolume = AddEditRow(values, QStringLiteral("Current Volume:"), QStringLiteral("CurrVolume"), this);
    DesiredVol = AddEditRow(values, QStringLiteral("Desired Volume:"), QStringLiteral("DesiredVol"), this);
    OuterVol = AddEditRow(values, QStringLiteral("Outer Volume:"), QStringLiteral("OuterVol"), this);
    InnerCone = AddEditRow(values, QStringLiteral("Inner Cone:"), QStringLiteral("InnerCone"), this);
    OuterCone = AddEditRow(values, QStringLiteral("Outer Cone:"), QStringLiteral("OuterCone"), this);
    FadedVolume = AddEditRow(values, QStringLiteral("Faded Volume:"), QStringLiteral("FadedVolume"), this);
    SoundType = MakeIndexCombo(QStringLiteral("SoundType"), kSoundTypes, this);
    values->addRow(QStringLiteral("Sound Type:"), SoundType);
    Priority = AddEditRow(values, QStringLiteral("Priority:"), QStringLiteral("Priority"), this);
    columns->addLayout(values);

    auto* right = new QVBoxLayout;
    Properties = new TFlagBoxGroup(QStringLiteral("Properties"), kSoundProperties, 1, this);
    Properties->setObjectName(QStringLiteral("Properties"));
    right->addWidget(Properties);
    auto* keys = new QFormLayout;
    LinkedSoftRegion = MakeNamedKeyLink(QStringLiteral("LinkedSoftRegion"), this);
    LinkedDataBuffer = MakeNamedKeyLink(QStringLiteral("LinkedDataBuffer"), this);
    LinkedSoftOcclusionRegion = MakeNamedKeyLink(QStringLiteral("LinkedSoftOcclusionRegion"), this);
    keys->addRow(QStringLiteral("Soft Region:"), LinkedSoftRegion);
    keys->addRow(QStringLiteral("Data Buffer:"), LinkedDataBuffer);
    keys->addRow(QStringLiteral("Soft Occlusion Region:"), LinkedSoftOcclusionRegion);
    right->addLayout(keys);
    right->addStretch();
    columns->addLayout(right);
    layout->addLayout(columns);

    auto* fades = new QHBoxLayout;
    fades->addWidget(makeFadeGroup(QStringLiteral("Fade In"), QStringLiteral("FI"), FadeIn, this));
    fades->addWidget(makeFadeGroup(QStringLiteral("Fade Out"), QStringLiteral("FO"), FadeOut, this));
    layout->addLayout(fades);
    resize(520, 640);
}

void ShowSoundPart(TfrmTplSound* form, const TplSound& sound, bool standalone) {
    form->Sound = sound;
    form->SynchedObjLink->setText(SynchedObjLinkCaption(sound.SynchedObject));
    form->Playing->setChecked(sound.Playing);
    SetFieldFloat(form->Time, sound.Time);
    SetFieldFloat(form->CurrVolume, sound.CurrVolume);
    SetFieldFloat(form->DesiredVol, sound.DesiredVol);
    SetFieldFloat(form->FadedVolume, sound.FadedVolume);
    SetFieldNumber(form->MaxFalloff, sound.MaxFalloff);
    SetFieldNumber(form->MinFalloff, sound.MinFalloff);
    SetFieldNumber(form->OuterVol, sound.OuterVol);
    SetFieldNumber(form->InnerCone, sound.InnerCone);
    SetFieldNumber(form->OuterCone, sound.OuterCone);
    SetFieldNumber(form->Priority, sound.Priority);
    form->SoundType->SelectValue(sound.SoundType);
    form->Properties->SetFlags(sound.Properties);
    showFade(form->FadeIn, sound.FadeInParams);
    showFade(form->FadeOut, sound.FadeOutParams);
    form->LinkedSoftRegion->SetKey(sound.SoftRegion);
    form->LinkedDataBuffer->SetKey(sound.DataBuffer);
    form->LinkedSoftOcclusionRegion->SetKey(sound.SoftOcclusionRegion);
    if (!standalone) form->LoadObject(PartWindowEntry(kSoundPartName, SoundPartClass(sound)), nullptr);
}

void TfrmTplSound::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) ShowSoundPart(this, ReadSoundPart(*stream), true);
    SetObjectInfo(entry);
}
