#pragma once
// The GUI text box viewer: its text and, in Live pages, its localization path.
#include "GuiControlParts.h"
#include "PRPForms.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class TLinkLabel;

class TfrmTpfGUITextBoxMod : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTpfGUITextBoxMod(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TGUITextBoxRecord Record;
    TLinkLabel* LinkedControlMod = nullptr;
    QPlainTextEdit* Text = nullptr;
    QCheckBox* UseLocPath = nullptr;
    QLineEdit* LocalizationPath = nullptr;

private:
    void UseLocPathClick();
};
