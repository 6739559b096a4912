#pragma once
// The window that shows one extended bounds record.
#include "MatrixBounds.h"
#include "PRPForms.h"

class QLineEdit;
class TFlagBoxGroup;

class TfrmBounds3Ext : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmBounds3Ext(QWidget* parent = nullptr);

    TBounds3Ext Bounds;

    void ShowBounds3Ext(const TBounds3Ext& b);

    TFlagBoxGroup* TypeGroup = nullptr;
    TFlagBoxGroup* FlagsGroup = nullptr;
};
