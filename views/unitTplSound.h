#pragma once
// The sound viewer, also the part window of the sound part of Win32 sounds.
#include <array>

#include "PRPForms.h"
#include "SoundParts.h"

class QCheckBox;
class QLineEdit;
class TFlagBoxGroup;
class TKeyLinkLabel;
class TLinkLabel;
class TValueCombo;

// The edits of one fade, named with the prefix "FI" (fade in) or "FO" (fade out).
struct TFadeControls {
    QLineEdit* Length = nullptr;
    QLineEdit* VolStart = nullptr;
    QLineEdit* VolEnd = nullptr;
    TValueCombo* Type = nullptr;
    QLineEdit* CurrTime = nullptr;
    QLineEdit* StopWhenDone = nullptr;
    QLineEdit* FadeSoftVol = nullptr;
};

class TfrmTplSound : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplSound(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TplSound Sound;
    TLinkLabel* SynchedObjLink = nullptr;
    QCheckBox* Playing = nullptr;
    QLineEdit* Time = nullptr;
    QLineEdit* MaxFalloff = nullptr;
    QLineEdit* MinFalloff = nullptr;
    QLineEdit* CurrVolume = nullptr;
    QLineEdit* DesiredVol = nullptr;
    QLineEdit* OuterVol = nullptr;
    QLineEdit* InnerCone = nullptr;
    QLineEdit* OuterCone = nullptr;
    QLineEdit* FadedVolume = nullptr;
    QLineEdit* Priority = nullptr;
    TValueCombo* SoundType = nullptr;
    TFlagBoxGroup* Properties = nullptr;
    TFadeControls FadeIn;
    TFadeControls FadeOut;
    TLinkLabel* LinkedEAXSettings = nullptr;
    TKeyLinkLabel* LinkedSoftRegion = nullptr;
    TKeyLinkLabel* LinkedDataBuffer = nullptr;
    TKeyLinkLabel* LinkedSoftOcclusionRegion = nullptr;
};

// Fills the window from a copy of the sound part; unless standalone, captions it "Sound" with class 69
// for a Myst V part, else 72.
void ShowSoundPart(TfrmTplSound* form, const TplSound& sound, bool standalone);
