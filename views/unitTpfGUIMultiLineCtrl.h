#pragma once
// The GUI multi-line box viewer: its scroll control.
#include "GuiControlParts.h"
#include "PRPForms.h"

class TKeyLinkLabel;
class TLinkLabel;

class TfrmTpfGUIMultiLineCtrl : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTpfGUIMultiLineCtrl(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TGUIMultiLineRecord Record;
    TLinkLabel* LinkedControlMod = nullptr;
    TKeyLinkLabel* LinkedScrollControl = nullptr;
};
