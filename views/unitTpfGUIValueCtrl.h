#pragma once
// The value-control part window (also the viewer of the value-control class) and the link the value-like
// control viewers open it from.
#include "GuiParts.h"
#include "PRPForms.h"

class QLineEdit;
class TLinkLabel;

class TfrmTpfGUIValueCtrl : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTpfGUIValueCtrl(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TValueCtrl Part;
    TLinkLabel* LinkedControlMod = nullptr;
    QLineEdit* Min = nullptr;
    QLineEdit* Max = nullptr;
    QLineEdit* Step = nullptr;
};

// Fills the window from a copy of the part and captions it "GUI Value Ctrl" with class 150 for a Myst V
// part, else 176.
void ShowValueCtrlPart(TfrmTpfGUIValueCtrl* form, const TValueCtrl& part);
TfrmTpfGUIValueCtrl* OpenValueCtrlPart(const TValueCtrl& part);
// The "Value Control" link (`LinkedValueCtrl`) that opens a part window on the kept part (which must live
// as long as the link).
TLinkLabel* MakeValueCtrlLink(const TValueCtrl& part, QWidget* parent);
