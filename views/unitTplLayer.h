#pragma once
// The layer viewer: state flags, transforms, colours and texture links of one material stage.
#include <array>

#include "LayerParts.h"
#include "PRPForms.h"

class QLineEdit;
class TColorSwatch;
class TFixedKeyLink;
class TFlagBoxGroup;
class TKeyLinkLabel;
class TLinkLabel;

class TfrmTplLayer : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplLayer(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;
    void ShowLayerStateFlags();

    TLayerRecord Record;
    TLinkLabel* SynchedObjLink = nullptr;
    TFixedKeyLink* NullObj = nullptr;
    std::array<TFlagBoxGroup*, 5> StateGroups{};
    TLinkLabel* UVWTransformLink = nullptr;
    TLinkLabel* BumpEnvXform = nullptr;
    // Preshade, runtime, ambient, specular.
    std::array<TColorSwatch*, 4> Swatches{};
    std::array<QLineEdit*, 4> Alphas{};
    QLineEdit* UVWSource = nullptr;
    QLineEdit* Opacity = nullptr;
    QLineEdit* LODBias = nullptr;
    QLineEdit* SpecularPower = nullptr;
    TKeyLinkLabel* TextureLink1 = nullptr;
    TKeyLinkLabel* TextureLink2 = nullptr;
    TKeyLinkLabel* TextureLink3 = nullptr;
};
