#pragma once
// The GUI check box viewer.
#include "GuiControlParts.h"
#include "PRPForms.h"

class QCheckBox;
class QLineEdit;
class TLinkLabel;
class TObjRefTreeView;

class TfrmTpfGUICheckBoxCtrl : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTpfGUICheckBoxCtrl(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TGUICheckBoxRecord Record;
    TLinkLabel* LinkedControlMod = nullptr;
    TObjRefTreeView* AnimKeys = nullptr;
    QLineEdit* AnimName = nullptr;
    QCheckBox* Checked = nullptr;
};
