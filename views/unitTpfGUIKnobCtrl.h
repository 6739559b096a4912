#pragma once
// The GUI knob viewer: its animation and start and end positions.
#include <array>

#include "GuiControlParts.h"
#include "PRPForms.h"

class QLineEdit;
class TLinkLabel;
class TObjRefTreeView;

class TfrmTpfGUIKnobCtrl : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTpfGUIKnobCtrl(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TGUIKnobRecord Record;
    TLinkLabel* LinkedValueCtrl = nullptr;
    TObjRefTreeView* AnimKeys = nullptr;
    QLineEdit* AnimName = nullptr;
    std::array<QLineEdit*, 3> Start{}; // StartX, StartY, StartZ
    std::array<QLineEdit*, 3> End{};   // EndX, EndY, EndZ
};
