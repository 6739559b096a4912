#pragma once
// The scene object viewer: its four interface links, its other interfaces and its modifiers.
#include <array>

#include "PRPForms.h"
#include "SceneParts.h"

class TObjRefTreeView;
class TLinkLabel;
class TFixedKeyLink;

// The class icons beside the four interface links, greyed where the link is.
class TLinkImages : public QWidget {
    Q_OBJECT
public:
    TLinkImages(std::array<TFixedKeyLink*, 4> links, QWidget* parent = nullptr);
    uint16_t Version = 0;
    // Where the icon of link i (0 to 3) is drawn.
    QRect IconRect(int i) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<TFixedKeyLink*, 4> links_;
};

class TfrmTplSceneObject : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplSceneObject(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TSceneObjectRecord Record;
    TLinkLabel* SynchedObjLink = nullptr;
    TFixedKeyLink* LinkedDrawIf = nullptr;
    TFixedKeyLink* LinkedSimIf = nullptr;
    TFixedKeyLink* LinkedCoordIf = nullptr;
    TFixedKeyLink* LinkedAudioIf = nullptr;
    TLinkImages* LinkImgs = nullptr;
    TObjRefTreeView* ObjRefs1 = nullptr;
    TObjRefTreeView* ObjRefs2 = nullptr;
};
