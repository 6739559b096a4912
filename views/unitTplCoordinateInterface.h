#pragma once
// The coordinate interface viewer: four transforms and the children.
#include <array>

#include "PRPForms.h"
#include "SceneParts.h"

class QListWidget;
class TKeyLinkLabel;
class TLinkLabel;
class TObjRefTreeView;

class TfrmTplCoordinateInterface : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplCoordinateInterface(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TCoordinateInterfaceRecord Record;
    TLinkLabel* SynchedObjLink = nullptr;
    TLinkLabel* LinkedObjIntf = nullptr;
    std::array<TLinkLabel*, 4> Mats{}; // Mat1..Mat4
    TObjRefTreeView* ObjRefs = nullptr;
};
