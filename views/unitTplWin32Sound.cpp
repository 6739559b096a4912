#include "unitTplWin32Sound.h"

#include <QFormLayout>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "ShownControls.h"
#include "unitTplSound.h"
#include "unitTplSynchedObject.h"

namespace {
const TViewerRegistrar registrar("TfrmTplWin32Sound", [] { return new TfrmTplWin32Sound; });
}

TfrmTplWin32Sound::TfrmTplWin32Sound(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplWin32Sound"));
    auto* layout = new QVBoxLayout(this);
    LinkedSound = new TLinkLabel(QStringLiteral("Sound Object"), QStringLiteral("LinkedSound"), this);
    connect(LinkedSound, &TLinkLabel::clicked, this, [this] {
        auto* form = new TfrmTplSound;
        ShowSoundPart(form, Sound.Sound, false);
    });
    layout->addWidget(LinkedSound);
    auto* rows = new QFormLayout;
    Channel =
        MakeIndexCombo(QStringLiteral("Channel"), {QStringLiteral("Left"), QStringLiteral("Right")}, this);
    rows->addRow(QStringLiteral("Channel:"), Channel);
    layout->addLayout(rows);
    layout->addStretch();
    resize(240, 100);
}

void ShowWin32SoundPart(TfrmTplWin32Sound* form, const TWin32Sound& sound, bool standalone) {
    form->Sound = sound;
    form->Channel->SelectValue(sound.Channel);
    if (!standalone)
        form->LoadObject(PartWindowEntry(kWin32SoundPartName, Win32SoundPartClass(sound)), nullptr);
}

void TfrmTplWin32Sound::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) ShowWin32SoundPart(this, ReadWin32SoundPart(*stream), true);
    SetObjectInfo(entry);
}
