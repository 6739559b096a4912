#pragma once
// The GUI up/down pair viewer: its two buttons and its own range.
#include "GuiControlParts.h"
#include "PRPForms.h"

class QLineEdit;
class TKeyLinkLabel;
class TLinkLabel;

class TfrmTpfGUIUpDownPairMod : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTpfGUIUpDownPairMod(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TGUIUpDownPairRecord Record;
    TLinkLabel* LinkedValueCtrl = nullptr;
    TKeyLinkLabel* UpCtrlLink = nullptr;
    TKeyLinkLabel* DnCtrlLink = nullptr;
    QLineEdit* Min = nullptr;
    QLineEdit* Max = nullptr;
    QLineEdit* Step = nullptr;
};
