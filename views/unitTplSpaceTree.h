#pragma once
// The window in which the user walks a space tree node by node.
#include "GeometryParts.h"
#include "PRPForms.h"

class QLineEdit;
class TFlagBoxGroup;
class TLinkLabel;
class TRowListView;

class TfrmTplSpaceTree : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplSpaceTree(QWidget* parent = nullptr);

    TSpaceTree Tree;

    void ShowSpaceTree(const TSpaceTree& tree);

    void LeafListClick();
    void RootLinkClick();
    void ParentLinkClick();
    void LChildLinkClick();
    void RChildLinkClick();
    void WorldBoundsLinkClick();

    TLinkLabel* RootLink = nullptr;
    QLineEdit* NumLeaves = nullptr;
    TRowListView* LeafList = nullptr;
    TLinkLabel* WorldBoundsLink = nullptr;
    TFlagBoxGroup* FlagBoxes = nullptr;
    TLinkLabel* ParentLink = nullptr;
    TLinkLabel* LChildLink = nullptr;
    TLinkLabel* RChildLink = nullptr;

private:
    // Selects the line a node link names and shows it; a number that names no line changes nothing.
    void followLink(const TLinkLabel* link);
};

// Creates the window on a copy of the tree and shows it.
TfrmTplSpaceTree* OpenSpaceTree(const TSpaceTree& tree);
