#pragma once
// The win-audible viewer: the sounds it plays and its scene node.
#include "PRPForms.h"
#include "SoundParts.h"

class TKeyLinkLabel;
class TObjRefTreeView;

class TfrmTplWinAudible : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplWinAudible(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TWinAudibleRecord Record;
    TObjRefTreeView* SoundRefs = nullptr;
    TKeyLinkLabel* SceneNodeLink = nullptr;
};
