#pragma once
// The clothing item viewer: names and categories, closet icon, element textures, meshes, accessory and
// default tints.
#include <array>

#include "ClothingParts.h"
#include "PRPForms.h"

class QLineEdit;
class QPlainTextEdit;
class TKeyLinkLabel;
class TObjRefTreeView;
class TValueCombo;

class TfrmTplClothingItem : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplClothingItem(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TClothingItemRecord Record;
    QLineEdit* ClothingName = nullptr;
    TValueCombo* clGroup = nullptr;
    TValueCombo* clType = nullptr;
    TValueCombo* ClosetType = nullptr;
    QLineEdit* SortOrder = nullptr;
    QPlainTextEdit* AttributeList = nullptr;
    QLineEdit* FriendlyName = nullptr;
    TKeyLinkLabel* ClosetIconRef = nullptr;
    TObjRefTreeView* ObjRefs = nullptr;
    TKeyLinkLabel* HQMesh = nullptr;
    TKeyLinkLabel* MQMesh = nullptr;
    TKeyLinkLabel* LQMesh = nullptr;
    TKeyLinkLabel* ClothingLink = nullptr;
    QLineEdit* Tint1 = nullptr;
    QLineEdit* Tint2 = nullptr;
};
