#pragma once
// The morph data set viewer: arrays, deltas and spans chosen in three combos, the span's vertex deltas
// and the UVW deltas of the selected vertex delta.
#include "DrawableParts.h"
#include "PRPForms.h"

class QComboBox;
class QLineEdit;
class TRowListView;

class TfrmTplMorphDataSet : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplMorphDataSet(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    std::vector<TMorphArray> MorphArrays;

    void ddMorphArrayChange();
    void ddMorphDeltaChange();
    void ddSpanChange();
    void DeltaListChange();

    QComboBox* ddMorphArray = nullptr;
    QComboBox* ddMorphDelta = nullptr;
    QComboBox* ddSpan = nullptr;
    QLineEdit* Weight = nullptr;
    TRowListView* DeltaList = nullptr;
    TRowListView* UVWList = nullptr;

private:
    const TMorphArray* selectedArray();
    const TMorphDelta* selectedDelta();
    const TMorphSpan* selectedSpan();
};
