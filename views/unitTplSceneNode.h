#pragma once
// The scene node viewer: the scene objects of a node and its extra object pool.
#include "PRPForms.h"
#include "SceneParts.h"

class TObjRefTreeView;

class TfrmTplSceneNode : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplSceneNode(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TSceneNodeRecord Record;
    TObjRefTreeView* SceneObjects = nullptr;
};
