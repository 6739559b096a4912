#pragma once
// The GUI button viewer: its animations, notify type and draggable.
#include <array>

#include "GuiControlParts.h"
#include "PRPForms.h"

class QLineEdit;
class TKeyLinkLabel;
class TLinkLabel;
class TObjRefTreeView;
class TValueCombo;

class TfrmTpfGUIButtonMod : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTpfGUIButtonMod(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TGUIButtonRecord Record;
    TLinkLabel* LinkedControlMod = nullptr;
    TObjRefTreeView* AnimKeys = nullptr;
    QLineEdit* AnimName = nullptr;
    TObjRefTreeView* MouseOverAnimKeys = nullptr;
    QLineEdit* MouseOverAnimName = nullptr;
    std::array<QLineEdit*, 3> EOA{}; // Edit1..Edit3
    TValueCombo* NotifyType = nullptr;
    TKeyLinkLabel* Draggable = nullptr;
};
