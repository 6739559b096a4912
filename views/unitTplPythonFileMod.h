#pragma once
// The python file modifier viewer: script name, receivers and the typed parameter list.
#include "PRPForms.h"
#include "PythonParts.h"

class QLineEdit;
class QListWidget;
class TLinkLabel;
class TObjRefTreeView;

class TfrmTplPythonFileMod : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplPythonFileMod(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TPythonFileModRecord Record;
    TLinkLabel* SynchedObjLink = nullptr;
    TLinkLabel* LinkedMultiMod = nullptr;
    QLineEdit* PythonFileName = nullptr;
    TObjRefTreeView* PyReceivers = nullptr;
    QListWidget* Params = nullptr;
};

// One line of the parameter list: the type's name, "(ID) = " and the value ("Int(7) = 42").
QString PythonParamLine(const TPythonListing& param, uint16_t version);
