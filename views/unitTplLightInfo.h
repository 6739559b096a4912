#pragma once
// The light-info viewer, also the part window of the light-info part of the other light viewers.
#include <array>

#include "LightParts.h"
#include "PRPForms.h"

class QLineEdit;
class TColorSwatch;
class TKeyLinkLabel;
class TLinkLabel;
class TObjRefTreeView;

class TfrmTplLightInfo : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplLightInfo(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TLightInfo Light;
    TLinkLabel* SynchedObjLink = nullptr;
    TLinkLabel* LinkedObjIntf = nullptr;
    std::array<TColorSwatch*, 3> Colors{}; // paintColor1..3: ambient, diffuse, specular
    std::array<QLineEdit*, 3> Alphas{};    // eAlphaColor1..3
    std::array<TLinkLabel*, 4> Mats{};     // Mat1..Mat4
    TKeyLinkLabel* LayerLink = nullptr;
    TKeyLinkLabel* VolumeLink = nullptr;
    TKeyLinkLabel* SceneNodeLink = nullptr;
    TObjRefTreeView* VisRegionRefs = nullptr;
};

// Fills the window from a copy of the light part and captions it "Light Info" with class 79 for a
// Myst V record, else 84.
void ShowLightInfoPart(TfrmTplLightInfo* form, const TLightInfo& light);

// A read-only edit of a float value in a form row; shared by the light viewers.
QLineEdit* AddFloatRow(class QFormLayout* rows, const QString& caption, const QString& name, QWidget* parent);
