#include "unitTplClothingItem.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "PRP_VCL.h"
#include "ShownControls.h"

namespace {
const TViewerRegistrar registrar("TfrmTplClothingItem", [] { return new TfrmTplClothingItem; });

// The three channels as one six-digit hex number, red first.
uint32_t packedTint(const std::array<uint8_t, 3>& tint) {
    return uint32_t(tint[0]) << 16 | uint32_t(tint[1]) << 8 | tint[2];
}
} // namespace

TfrmTplClothingItem::TfrmTplClothingItem(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplClothingItem"));
    auto* layout = new QHBoxLayout(this);
    auto* left = new QFormLayout;
    ClothingName =
        AddEditRow(left, QStringLiteral("Clothing Item Name:"), QStringLiteral("ClothingName"), this);
    clGroup = MakeIndexCombo(QStringLiteral("clGroup"),
                             {QStringLiteral("Male"), QStringLiteral("Female"), QStringLiteral("N/A")}, this);
    left->addRow(QStringLiteral("Clothing Group:"), clGroup);
    clType = MakeIndexCombo(QStringLiteral("clType"),
                            {QStringLiteral("Pants"), QStringLiteral("Shirt"), QStringLiteral("Hands - Left"),
                             QStringLiteral("Hands - Right"), QStringLiteral("Face"), QStringLiteral("Hair"),
                             QStringLiteral("Foot - Left"), QStringLiteral("Foot - Right"),
                             QStringLiteral("Accessory")},
                            this);
    left->addRow(QStringLiteral("Clothing Type:"), clType);
    ClosetType = MakeIndexCombo(QStringLiteral("ClosetType"),
                                {QStringLiteral("Torso"), QStringLiteral("Head"), QStringLiteral("Feet"),
                                 QStringLiteral("Legs"), QStringLiteral("Hands"),
                                 QStringLiteral("Yeesha Book"), QStringLiteral("Face"), QStringLiteral("KI")},
                                this);
    left->addRow(QStringLiteral("Closet Type:"), ClosetType);
    SortOrder = AddEditRow(left, QStringLiteral("Sort Order:"), QStringLiteral("SortOrder"), this);
    AttributeList = new QPlainTextEdit(this);
    AttributeList->setObjectName(QStringLiteral("AttributeList"));
    AttributeList->setReadOnly(true);
    left->addRow(QStringLiteral("Attribute List:"), AttributeList);
    FriendlyName =
        AddEditRow(left, QStringLiteral("Friendly Item Name:"), QStringLiteral("FriendlyName"), this);
    ClosetIconRef = MakeNamedKeyLink(QStringLiteral("ClosetIconRef"), this);
    left->addRow(QStringLiteral("Closet Icon:"), ClosetIconRef);
    auto* meshes = new QGroupBox(QStringLiteral("Meshes:"), this);
    auto* meshRows = new QFormLayout(meshes);
    HQMesh = MakeNamedKeyLink(QStringLiteral("HQMesh"), meshes);
    MQMesh = MakeNamedKeyLink(QStringLiteral("MQMesh"), meshes);
    LQMesh = MakeNamedKeyLink(QStringLiteral("LQMesh"), meshes);
    meshRows->addRow(QStringLiteral("High Quality:"), HQMesh);
    meshRows->addRow(QStringLiteral("Med Quality:"), MQMesh);
    meshRows->addRow(QStringLiteral("Low Quality:"), LQMesh);
    left->addRow(meshes);
    ClothingLink = MakeNamedKeyLink(QStringLiteral("ClothingLink"), this);
    left->addRow(QStringLiteral("Accessory:"), ClothingLink);
    auto* tints = new QHBoxLayout;
    Tint1 = MakeReadOnlyEdit(QStringLiteral("Tint1"), this);
    Tint2 = MakeReadOnlyEdit(QStringLiteral("Tint2"), this);
    tints->addWidget(Tint1);
    tints->addWidget(Tint2);
    left->addRow(QStringLiteral("Default Tints:"), tints);
    layout->addLayout(left, 1);

    auto* right = new QVBoxLayout;
    right->addWidget(MakeCaption(QStringLiteral("Textures:"), this));
    ObjRefs = new TObjRefTreeView(this);
    ObjRefs->setObjectName(QStringLiteral("ObjRefs"));
    right->addWidget(ObjRefs);
    layout->addLayout(right, 1);
    resize(640, 520);
}

void TfrmTplClothingItem::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        ObjRefs->clear();
        ObjRefs->Version = stream->Header.Version;
        Record = ReadClothingItem(*stream);
        SetFieldWhole(ClothingName, PageText(Record.ItemName));
        clGroup->SelectValue(Record.Group);
        clType->SelectValue(Record.Type);
        ClosetType->SelectValue(Record.ClosetType);
        SetFieldNumber(SortOrder, Record.SortOrder);
        AttributeList->setPlainText(PageText(Record.AttributeList));
        SetFieldWhole(FriendlyName, PageText(Record.FriendlyName));
        ClosetIconRef->SetKey(Record.ClosetIcon);
        if (Record.ClosetIcon.Name.empty()) ClosetIconRef->setText(kNotAvailable);
        for (const TClothingElement& element : Record.Elements) {
            QTreeWidgetItem* node = ObjRefs->AddLabelNode(PageText(element.Name));
            for (const TClothingTexture& texture : element.Textures)
                if (texture.Present) ObjRefs->AddKeyToGroup(texture.Key, node);
        }
        HQMesh->SetKey(Record.Meshes[0]);
        MQMesh->SetKey(Record.Meshes[1]);
        LQMesh->SetKey(Record.Meshes[2]);
        ClothingLink->SetKey(Record.Accessory);
        SetFieldHex(Tint1, packedTint(Record.Tint1), 6);
        SetFieldHex(Tint2, packedTint(Record.Tint2), 6);
    }
    SetObjectInfo(entry);
}
