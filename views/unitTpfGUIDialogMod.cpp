#include "unitTpfGUIDialogMod.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "PRP_VCL.h"
#include "ViewerKit.h"
#include "unitTpfGUIControlMod.h"

namespace {
const TViewerRegistrar registrar("TfrmTpfGUIDialogMod", [] { return new TfrmTpfGUIDialogMod; });
}

TfrmTpfGUIDialogMod::TfrmTpfGUIDialogMod(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTpfGUIDialogMod"));
    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    auto* partLinks = new QHBoxLayout;
    SynchedObjLink = MakeSynchedObjLink(Dialog.SynchedObject, this);
    LinkedSingleMod = MakeModifierLink(Dialog.Modifier, false, false, this);
    partLinks->addWidget(SynchedObjLink);
    partLinks->addWidget(LinkedSingleMod);
    partLinks->addStretch();
    left->addLayout(partLinks);
    auto* rows = new QFormLayout;
    DlgName = MakeReadOnlyEdit(QStringLiteral("DlgName"), this);
    TagID = MakeReadOnlyEdit(QStringLiteral("TagID"), this);
    Version = MakeReadOnlyEdit(QStringLiteral("Version"), this);
    rows->addRow(QStringLiteral("Name:"), DlgName);
    rows->addRow(QStringLiteral("Tag ID:"), TagID);
    rows->addRow(QStringLiteral("Version:"), Version);
    RenderMod = MakeKeyLink("RenderMod", this);
    ProcReceiver = MakeKeyLink("ProcReceiver", this);
    SceneNode = MakeKeyLink("SceneNode", this);
    rows->addRow(QStringLiteral("Render Mod:"), RenderMod);
    rows->addRow(QStringLiteral("Proc Receiver:"), ProcReceiver);
    rows->addRow(QStringLiteral("Scene Node:"), SceneNode);
    left->addLayout(rows);
    left->addWidget(MakeCaption(QStringLiteral("Controls:"), this));
    ControlKeys = new TObjRefTreeView(this);
    ControlKeys->setObjectName(QStringLiteral("ControlKeys"));
    left->addWidget(ControlKeys);
    layout->addLayout(left);

    ColorScheme = AddColorSchemeGroup(layout, this);
    resize(640, 420);
}

void TfrmTpfGUIDialogMod::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        Dialog = ReadDialogMod(*stream);
        ShowDialogMod(this);
    }
    SetObjectInfo(entry);
}

void ShowDialogMod(TfrmTpfGUIDialogMod* form) {
    const TDialogMod& dialog = form->Dialog;
    form->ControlKeys->clear();
    form->ControlKeys->Version = dialog.SynchedObject.Version;
    form->SynchedObjLink->setText(SynchedObjLinkCaption(dialog.SynchedObject));
    SetFieldNumber(form->TagID, dialog.TagID);
    SetFieldNumber(form->Version, dialog.Version);
    SetFieldWhole(form->DlgName, PageText(DialogNameText(dialog.Name)));
    form->RenderMod->SetKey(dialog.RenderMod);
    form->ProcReceiver->SetKey(dialog.ProcReceiver);
    form->SceneNode->SetKey(dialog.SceneNode);
    form->ColorScheme->ShowColorScheme(dialog.ColorScheme);
    AddPresentKeys(form->ControlKeys, dialog.ControlKeys);
}
