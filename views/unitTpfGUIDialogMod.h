#pragma once
// The GUI dialog viewer: its controls, links and colour scheme.
#include "GuiParts.h"
#include "PRPForms.h"

class QLineEdit;
class TColorSchemePanel;
class TKeyLinkLabel;
class TLinkLabel;
class TObjRefTreeView;

class TfrmTpfGUIDialogMod : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTpfGUIDialogMod(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TDialogMod Dialog;
    TLinkLabel* SynchedObjLink = nullptr;
    TLinkLabel* LinkedSingleMod = nullptr;
    QLineEdit* DlgName = nullptr;
    QLineEdit* TagID = nullptr;
    QLineEdit* Version = nullptr;
    TKeyLinkLabel* RenderMod = nullptr;
    TKeyLinkLabel* ProcReceiver = nullptr;
    TKeyLinkLabel* SceneNode = nullptr;
    TColorSchemePanel* ColorScheme = nullptr;
    TObjRefTreeView* ControlKeys = nullptr;
};

// Fills the window from the record it keeps.
void ShowDialogMod(TfrmTpfGUIDialogMod* form);
