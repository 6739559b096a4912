#pragma once
// The EAX source settings part window of the sound viewer.
#include "PRPForms.h"
#include "SoundParts.h"

class QCheckBox;
class QLineEdit;

// The edits of one soft-parameter group, named with the prefix "Start" or "End".
struct TEAXSoftControls {
    QLineEdit* Occlusion = nullptr;
    QLineEdit* OcclusionLFRatio = nullptr;
    QLineEdit* OcclusionRoomRatio = nullptr;
    QLineEdit* OcclusionDirectRatio = nullptr;
};

class TfrmTplEAXSourceSettings : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplEAXSourceSettings(QWidget* parent = nullptr);

    TEAXSourceSettings Settings;
    QCheckBox* Enabled = nullptr;
    QLineEdit* Room = nullptr;
    QLineEdit* RoomHF = nullptr;
    QCheckBox* RoomAuto = nullptr;
    QCheckBox* RoomHFAuto = nullptr;
    QLineEdit* OutsideVolHF = nullptr;
    QLineEdit* AirAbsorptionFactor = nullptr;
    QLineEdit* RoomRolloffFactor = nullptr;
    QLineEdit* DopplerFactor = nullptr;
    QLineEdit* RolloffFactor = nullptr;
    TEAXSoftControls SoftStarts;
    TEAXSoftControls SoftEnds;
    QLineEdit* OcclusionSoftValue = nullptr;

    // Enables every other edit and box of the window as `Enabled` says.
    void EnabledClick();
};

// Fills the window from a copy of the settings; the window keeps its caption "EAX Source Settings".
void ShowEAXSourceSettingsPart(TfrmTplEAXSourceSettings* form, const TEAXSourceSettings& settings);
