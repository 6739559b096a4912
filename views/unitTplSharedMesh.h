#pragma once
// The shared mesh viewer: its geometry spans, its morph set and its two flags.
#include "DrawableParts.h"
#include "PRPForms.h"

class TFlagBoxGroup;
class TKeyLinkLabel;
class TRowListView;

class TfrmTplSharedMesh : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplSharedMesh(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TSharedMeshRecord Record;

    void GSpansListDblClick();

    TRowListView* GSpansList = nullptr;
    TKeyLinkLabel* MorphSetLink = nullptr; // opens the morph set itself
    TFlagBoxGroup* FlagsGroup = nullptr;
};
