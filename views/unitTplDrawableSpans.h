#pragma once
// The drawable-spans viewer: materials, icicles, DI spans, bounds, geometry spans, matrix groups, span
// indices, geometry buffer groups, the space tree and the scene node.
#include "DrawableParts.h"
#include "PRPForms.h"

class QCheckBox;
class QGroupBox;
class QTreeWidget;
class TFixedKeyLink;
class TFlagBoxGroup;
class TLinkLabel;
class TObjRefTreeView;
class TRowListView;

class TfrmTplDrawableSpans : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplDrawableSpans(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TDrawableSpansRecord Record;

    void IcicleList1DblClick();
    void GSpansListDblClick();
    void MatGroupListDblClick();
    void SpanIndexListDblClick();
    void GBufferGroupListDblClick();
    void LocalBoundsLinkClick();
    void WorldBoundsLinkClick();
    void OtherBoundsLinkClick();
    void SpaceTreeLinkClick();

    TFlagBoxGroup* PropsGroup = nullptr;
    TFlagBoxGroup* CriteriaGroup = nullptr;
    QGroupBox* RenderLevelGroup = nullptr;
    TObjRefTreeView* MaterialsList = nullptr;
    TRowListView* IcicleList1 = nullptr;
    TObjRefTreeView* SpanList = nullptr;
    TLinkLabel* LocalBoundsLink = nullptr;
    TLinkLabel* WorldBoundsLink = nullptr;
    TLinkLabel* OtherBoundsLink = nullptr;
    TRowListView* GSpansList = nullptr;
    QTreeWidget* MatGroupList = nullptr;
    TRowListView* SpanIndexList = nullptr;
    TRowListView* GBufferGroupList = nullptr;
    TLinkLabel* SpaceTreeLink = nullptr;
    TFixedKeyLink* SceneNodeLink = nullptr;

private:
    void showRenderLevel(uint32_t level);
    void fillSpanList();
    void fillMatrixGroups();
};
