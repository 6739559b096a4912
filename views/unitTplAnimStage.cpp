#include "unitTplAnimStage.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QVBoxLayout>

#include "ShownControls.h"
#include "unitTplSynchedObject.h"

namespace {
const QStringList kPlayTypes = {QStringLiteral("None"), QStringLiteral("Key"), QStringLiteral("Auto")};
const QStringList kAdvanceTypes = {QStringLiteral("None"), QStringLiteral("On Move"), QStringLiteral("Auto"),
                                   QStringLiteral("On Any Key")};

// A stored u32 selects its item; values past the items (or past int) select none.
void selectStored(TValueCombo* combo, uint32_t value) {
    combo->SelectValue(int64_t(value));
}
} // namespace

TfrmTplAnimStage::TfrmTplAnimStage(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplAnimStage"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QFormLayout;
    AnimName = AddEditRow(top, QStringLiteral("Animation Name:"), QStringLiteral("AnimName"), this);
    layout->addLayout(top);
    Notify = new TFlagBoxGroup(QStringLiteral("Notify"), kAnimStageNotifyFlags, 2, this);
    Notify->setObjectName(QStringLiteral("Notify"));
    layout->addWidget(Notify);

    auto* rows = new QFormLayout;
    ForwardType = MakeIndexCombo(QStringLiteral("ForwardType"), kPlayTypes, this);
    BackwardType = MakeIndexCombo(QStringLiteral("BackwardType"), kPlayTypes, this);
    AdvanceType = MakeIndexCombo(QStringLiteral("AdvanceType"), kAdvanceTypes, this);
    RegressType = MakeIndexCombo(QStringLiteral("RegressType"), kAdvanceTypes, this);
    rows->addRow(QStringLiteral("Forward Type:"), ForwardType);
    rows->addRow(QStringLiteral("Backward Type:"), BackwardType);
    rows->addRow(QStringLiteral("Advance Type:"), AdvanceType);
    rows->addRow(QStringLiteral("Regress Type:"), RegressType);
    Loops = AddEditRow(rows, QStringLiteral("Loops:"), QStringLiteral("Loops"), this);
    layout->addLayout(rows);

    auto* targets = new QGridLayout;
    DoAdvanceTo = MakeShownCheckBox(QStringLiteral("Advance To:"), QStringLiteral("DoAdvanceTo"), this);
    AdvanceTo = MakeReadOnlyEdit(QStringLiteral("AdvanceTo"), this);
    DoRegressTo = MakeShownCheckBox(QStringLiteral("Regress To:"), QStringLiteral("DoRegressTo"), this);
    RegressTo = MakeReadOnlyEdit(QStringLiteral("RegressTo"), this);
    targets->addWidget(DoAdvanceTo, 0, 0);
    targets->addWidget(AdvanceTo, 0, 1);
    targets->addWidget(DoRegressTo, 1, 0);
    targets->addWidget(RegressTo, 1, 1);
    layout->addLayout(targets);
    layout->addStretch();
    resize(320, 400);
}

void ShowAnimStage(TfrmTplAnimStage* form, const TplAnimStage& stage, bool standalone) {
    form->Stage = stage;
    SetFieldWhole(form->AnimName, PageText(stage.AnimName));
    form->Notify->SetFlags(stage.NotifyFlags);
    selectStored(form->ForwardType, stage.ForwardType);
    selectStored(form->BackwardType, stage.BackwardType);
    selectStored(form->AdvanceType, stage.AdvanceType);
    selectStored(form->RegressType, stage.RegressType);
    SetFieldNumber(form->Loops, stage.Loops);
    form->DoAdvanceTo->setChecked(stage.DoAdvanceTo);
    SetFieldNumber(form->AdvanceTo, stage.AdvanceTo);
    form->DoRegressTo->setChecked(stage.DoRegressTo);
    SetFieldNumber(form->RegressTo, stage.RegressTo);
    if (!standalone)
        form->LoadObject(PartWindowEntry(kAnimStagePartName, AnimStagePartClass(stage)), nullptr);
}

void TfrmTplAnimStage::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) ShowAnimStage(this, ReadAnimStage(*stream), true);
    SetObjectInfo(entry);
}
