#pragma once
// The GUI progress bar viewer: its animation.
#include "GuiControlParts.h"
#include "PRPForms.h"

class QLineEdit;
class TLinkLabel;
class TObjRefTreeView;

class TfrmTpfGUIProgressCtrl : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTpfGUIProgressCtrl(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TGUIProgressRecord Record;
    TLinkLabel* LinkedValueCtrl = nullptr;
    TObjRefTreeView* AnimKeys = nullptr;
    QLineEdit* AnimName = nullptr;
};
