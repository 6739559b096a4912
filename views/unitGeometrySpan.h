#pragma once
// The window that shows one geometry span: transforms, settings, vertices with their colours, triangles.
#include "GeometryParts.h"
#include "PRPForms.h"

class QCheckBox;
class QLineEdit;
class TFlagBoxGroup;
class TLinkLabel;
class TRowListView;

class TfrmGeometrySpan : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmGeometrySpan(QWidget* parent = nullptr);

    TGeometrySpan Span;

    void ShowGeometrySpan(const TGeometrySpan& span);

    void MatL2WClick();
    void MatW2LClick();
    void MatL2OClick();
    void MatO2LClick();
    void BoundsLinkClick();

    TLinkLabel* MatL2W = nullptr;
    TLinkLabel* MatW2L = nullptr;
    TLinkLabel* MatL2O = nullptr;
    TLinkLabel* MatO2L = nullptr;
    TLinkLabel* BoundsLink = nullptr;
    QLineEdit* BaseMat = nullptr;
    QLineEdit* NumMats = nullptr;
    QLineEdit* UVWChans = nullptr;
    QLineEdit* MaxBone = nullptr;
    QLineEdit* PenBone = nullptr;
    QLineEdit* MinDist = nullptr;
    QLineEdit* MaxDist = nullptr;
    QLineEdit* DecalLevel = nullptr;
    QLineEdit* WaterHeight = nullptr;
    QLineEdit* InstanceGroup = nullptr;
    QLineEdit* NumInstanceRefs = nullptr;
    QLineEdit* kUVCount = nullptr;
    QLineEdit* kSkinWeights = nullptr;
    QCheckBox* kSkinIndices = nullptr;
    TFlagBoxGroup* PropsGroup = nullptr;
    TRowListView* VertexList = nullptr;
    TRowListView* IndexList = nullptr;
};

// Creates the window on a copy of the span and shows it.
TfrmGeometrySpan* OpenGeometrySpan(const TGeometrySpan& span);
