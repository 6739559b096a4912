#pragma once
// The window that shows one 4x4 transform and lets the user scale and translate the shown copy.
#include <array>

#include "MatrixBounds.h"
#include "PRPForms.h"

class QLineEdit;
class TLinkLabel;

class TfrmTransformMatrix : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTransformMatrix(QWidget* parent = nullptr);

    TMatrix44 ShownMatrix;

    // Keeps m as the shown matrix and writes its sixteen elements.
    void ShowMatrix(const TMatrix44& m);
    // Shows the window as a child of the main window in a frame of fixed size with no minimise or
    // maximise box.
    void ShowFixedChild();

    std::array<std::array<QLineEdit*, 4>, 4> Cells{}; // tx00..tx33
    QLineEdit* XVal = nullptr;
    QLineEdit* YVal = nullptr;
    QLineEdit* ZVal = nullptr;
    TLinkLabel* DoTranslate = nullptr;
    TLinkLabel* DoRotate = nullptr;
    TLinkLabel* DoScale = nullptr;

    void DoScaleClick();
    void DoTranslateClick();
    void DoRotateClick();

private:
    // X, Y and Z as floats; raises EConvertError for a text that is not a number.
    std::array<float, 3> actionValues() const;
    // Sizes the fixed frame to the cells as they are filled now, within the child area.
    void fitFrame();
    bool fixedFrame_ = false;
};
