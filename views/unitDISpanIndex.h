#pragma once
// The window that lists one DI span index.
#include "GeometryParts.h"
#include "PRPForms.h"

class QLineEdit;
class TRowListView;

class TfrmDISpanIndex : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmDISpanIndex(QWidget* parent = nullptr);

    TDISpanIndex Index;

    void ShowDISpanIndex(const TDISpanIndex& index);

    QLineEdit* Flags = nullptr;
    TRowListView* VertexList = nullptr;
};

// Creates the window on a copy of the index and shows it.
TfrmDISpanIndex* OpenDISpanIndex(const TDISpanIndex& index);
