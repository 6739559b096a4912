#pragma once
// The GUI radio group viewer: its controls and the default one.
#include "GuiControlParts.h"
#include "PRPForms.h"

class QComboBox;
class TLinkLabel;
class TObjRefTreeView;

class TfrmTpfGUIRadioGroupCtrl : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTpfGUIRadioGroupCtrl(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TGUIRadioGroupRecord Record;
    TLinkLabel* LinkedControlMod = nullptr;
    TObjRefTreeView* Controls = nullptr;
    QComboBox* Default = nullptr;
};
