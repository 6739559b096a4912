#include "unitTplSpaceTree.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "RowListView.h"
#include "ViewerKit.h"

TfrmTplSpaceTree::TfrmTplSpaceTree(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplSpaceTree"));
    setWindowTitle(QStringLiteral("Space Tree"));
    auto* layout = new QHBoxLayout(this);
    auto* left = new QGridLayout;
    RootLink = new TLinkLabel(QStringLiteral("(node)"), QStringLiteral("RootLink"), this);
    left->addWidget(MakeCaption(QStringLiteral("Root:"), this), 0, 0);
    left->addWidget(RootLink, 0, 1);
    NumLeaves = MakeReadOnlyEdit(QStringLiteral("NumLeaves"), this);
    left->addWidget(MakeCaption(QStringLiteral("Num Leaves:"), this), 1, 0);
    left->addWidget(NumLeaves, 1, 1);
    left->addWidget(MakeCaption(QStringLiteral("Leaves:"), this), 2, 0, 1, 2);
    LeafList = new TRowListView(QStringLiteral("LeafList"), {}, this);
    left->addWidget(LeafList, 3, 0, 1, 2);
    layout->addLayout(left);

    auto* details = new QGroupBox(QStringLiteral("Leaf Details"), this);
    auto* detailLayout = new QVBoxLayout(details);
    WorldBoundsLink =
        new TLinkLabel(QStringLiteral("World Bounds"), QStringLiteral("WorldBoundsLink"), details);
    WorldBoundsLink->setEnabled(false);
    detailLayout->addWidget(WorldBoundsLink);
    FlagBoxes = new TFlagBoxGroup(QString(), kSpaceTreeNodeFlags, 1, details);
    detailLayout->addWidget(FlagBoxes);
    auto* nodeLinks = new QGridLayout;
    ParentLink = new TLinkLabel(QStringLiteral("(node)"), QStringLiteral("ParentLink"), details);
    LChildLink = new TLinkLabel(QStringLiteral("(node)"), QStringLiteral("LChildLink"), details);
    RChildLink = new TLinkLabel(QStringLiteral("(node)"), QStringLiteral("RChildLink"), details);
    nodeLinks->addWidget(MakeCaption(QStringLiteral("Parent:"), details), 0, 0);
    nodeLinks->addWidget(ParentLink, 0, 1);
    nodeLinks->addWidget(MakeCaption(QStringLiteral("Children:"), details), 1, 0);
    nodeLinks->addWidget(LChildLink, 1, 1);
    nodeLinks->addWidget(RChildLink, 1, 2);
    for (TLinkLabel* link : {ParentLink, LChildLink, RChildLink})
        link->setEnabled(false);
    detailLayout->addLayout(nodeLinks);
    detailLayout->addStretch();
    layout->addWidget(details);

    connect(LeafList, &TRowListView::selectedRowChanged, this, &TfrmTplSpaceTree::LeafListClick);
    connect(RootLink, &TLinkLabel::clicked, this, &TfrmTplSpaceTree::RootLinkClick);
    connect(ParentLink, &TLinkLabel::clicked, this, &TfrmTplSpaceTree::ParentLinkClick);
    connect(LChildLink, &TLinkLabel::clicked, this, &TfrmTplSpaceTree::LChildLinkClick);
    connect(RChildLink, &TLinkLabel::clicked, this, &TfrmTplSpaceTree::RChildLinkClick);
    connect(WorldBoundsLink, &TLinkLabel::clicked, this, &TfrmTplSpaceTree::WorldBoundsLinkClick);
    resize(420, 360);
}

void TfrmTplSpaceTree::ShowSpaceTree(const TSpaceTree& tree) {
    Tree = tree;
    RootLink->setText(QString::number(Tree.Root));
    SetFieldNumber(NumLeaves, Tree.NumLeaves);
    LeafList->SetRows(int(Tree.Nodes.size()), [](int row, int) { return QString::number(row); });
    if (!Tree.Nodes.empty()) {
        LeafList->SelectRow(0);
        LeafListClick();
    }
}

void TfrmTplSpaceTree::LeafListClick() {
    const int row = LeafList->SelectedRow();
    if (row < 0 || size_t(row) >= Tree.Nodes.size()) return;
    const TSpaceTreeNode& node = Tree.Nodes[row];
    FlagBoxes->SetFlags(node.Flags);
    WorldBoundsLink->setEnabled(true);
    const std::pair<TLinkLabel*, int16_t> links[] = {
        {ParentLink, node.Parent}, {LChildLink, node.LeftChild}, {RChildLink, node.RightChild}};
    for (const auto& [link, position] : links) {
        link->setText(QString::number(position));
        link->setEnabled(position >= 0);
    }
}

void TfrmTplSpaceTree::followLink(const TLinkLabel* link) {
    bool ok = false;
    const int row = link->text().toInt(&ok);
    if (!ok) return;
    // A number that names no node leaves no line selected; the details keep what they showed.
    if (row < 0 || row >= LeafList->RowCount()) {
        LeafList->clearSelection();
        return;
    }
    LeafList->SelectRow(row);
    LeafListClick();
}

void TfrmTplSpaceTree::RootLinkClick() {
    followLink(RootLink);
}
void TfrmTplSpaceTree::ParentLinkClick() {
    followLink(ParentLink);
}
void TfrmTplSpaceTree::LChildLinkClick() {
    followLink(LChildLink);
}
void TfrmTplSpaceTree::RChildLinkClick() {
    followLink(RChildLink);
}

void TfrmTplSpaceTree::WorldBoundsLinkClick() {
    const int row = LeafList->SelectedRow();
    if (row < 0 || size_t(row) >= Tree.Nodes.size()) return;
    OpenBounds3Ext(Tree.Nodes[row].WorldBounds);
}

TfrmTplSpaceTree* OpenSpaceTree(const TSpaceTree& tree) {
    auto* form = new TfrmTplSpaceTree;
    form->ShowSpaceTree(tree);
    form->ShowFilledAsChild();
    return form;
}
