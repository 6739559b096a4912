#pragma once
// The sound buffer viewer: the audio file reference and its wave header.
#include "PRPForms.h"
#include "SoundParts.h"

class QLineEdit;
class TFlagBoxGroup;
class TValueCombo;

class TfrmTplSoundBuffer : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplSoundBuffer(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TSoundBufferRecord Record;
    TFlagBoxGroup* Flags = nullptr;
    QLineEdit* Filename = nullptr;
    TValueCombo* FormatTag = nullptr;
    TValueCombo* NumChannels = nullptr;
    QLineEdit* SamplesPerSec = nullptr;
    QLineEdit* AvgBytesPerSec = nullptr;
    QLineEdit* BlockAlign = nullptr;
    QLineEdit* BitsPerSample = nullptr;
};
