#pragma once
// The raw object view: the object's body as bytes, a number readout at the caret and two transforms of the
// selected bytes with the page format's string encoding.
#include "HexEditorEx.h"
#include "PRPForms.h"

class QLabel;
class QPushButton;
class QFrame;

class TfrmTUnknown : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTUnknown(QWidget* parent = nullptr);

    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    QLabel* Label1 = nullptr;
    THexEditorEx* HexEditor = nullptr;
    QPushButton* bInvert = nullptr;
    QPushButton* bQuorbel = nullptr;
    QFrame* DataInterpreter = nullptr;
    QLabel* valDWORD = nullptr;
    QLabel* valWORD = nullptr;
    QLabel* valBYTE = nullptr;
    QLabel* valFLOAT = nullptr;

public slots:
    void bInvertClick();
    void bQuorbelClick();
    void HexEditorSelectionChanged();
    void HexEditorChange();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void transformSelection(std::string (*transform)(const std::string&));
};
