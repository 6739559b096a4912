#pragma once
// The draw interface viewer: drawables with their draw indexes, and objects.
#include "PRPForms.h"
#include "SceneParts.h"

class QListWidget;
class TKeyLinkLabel;
class TLinkLabel;
class TObjRefTreeView;

class TfrmTplDrawInterface : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplDrawInterface(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TDrawInterfaceRecord Record;
    TLinkLabel* SynchedObjLink = nullptr;
    TLinkLabel* LinkedObjIntf = nullptr;
    QListWidget* DrawKeys = nullptr;
    TObjRefTreeView* ObjRefs1 = nullptr;
    TObjRefTreeView* ObjRefs2 = nullptr;
};
