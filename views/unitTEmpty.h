#pragma once
// The window of classes that store nothing beyond their key.
#include "PRPForms.h"

class QLabel;

class TfrmTEmpty : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTEmpty(QWidget* parent = nullptr);
    QLabel* Label1 = nullptr;
};
