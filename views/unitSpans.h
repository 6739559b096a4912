#pragma once
// The window that shows one icicle: its span settings, its place in the buffers and its sort data.
#include "GeometryParts.h"
#include "PRPForms.h"

class QLineEdit;
class TLinkLabel;
class TRowListView;

class TfrmSpans : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmSpans(QWidget* parent = nullptr);

    TIcicle Icicle;

    void ShowIcicle(const TIcicle& icicle);

    void LTWLinkClick();
    void WTLLinkClick();
    void LocalBoundsLinkClick();
    void WorldBoundsLinkClick();

    TLinkLabel* LTWLink = nullptr;
    TLinkLabel* WTLLink = nullptr;
    TLinkLabel* LocalBoundsLink = nullptr;
    TLinkLabel* WorldBoundsLink = nullptr;
    TRowListView* TriangleList = nullptr;
};

// Creates the window on a copy of the icicle and shows it.
TfrmSpans* OpenIcicle(const TIcicle& icicle);
