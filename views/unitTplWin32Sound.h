#pragma once
// The Win32 sound viewer: its sound part behind a link and its channel.
#include "PRPForms.h"
#include "SoundParts.h"

class TLinkLabel;
class TValueCombo;

class TfrmTplWin32Sound : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplWin32Sound(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TWin32Sound Sound;
    TLinkLabel* LinkedSound = nullptr;
    TValueCombo* Channel = nullptr;
};

// Fills the window from a copy of the part; unless standalone, captions it "Win32 Sound" with class 70
// for a Myst V part, else 73.
void ShowWin32SoundPart(TfrmTplWin32Sound* form, const TWin32Sound& sound, bool standalone);
