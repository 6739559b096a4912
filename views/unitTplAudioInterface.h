#pragma once
// The audio interface viewer: its sound.
#include "PRPForms.h"
#include "SceneParts.h"

class QListWidget;
class TKeyLinkLabel;
class TLinkLabel;
class TObjRefTreeView;

class TfrmTplAudioInterface : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplAudioInterface(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TAudioInterfaceRecord Record;
    TLinkLabel* SynchedObjLink = nullptr;
    TLinkLabel* LinkedObjIntf = nullptr;
    TKeyLinkLabel* LinkedWinAudible = nullptr;
};
