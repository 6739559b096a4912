#include "unitTplEAXSourceSettings.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ShownControls.h"

namespace {
QGroupBox* makeSoftGroup(const QString& caption, const QString& prefix, TEAXSoftControls& soft,
                         QWidget* parent) {
    auto* group = new QGroupBox(caption, parent);
    auto* rows = new QFormLayout(group);
    soft.Occlusion =
        AddEditRow(rows, QStringLiteral("Occlusion:"), prefix + QStringLiteral("Occlusion"), group);
    soft.OcclusionLFRatio =
        AddEditRow(rows, QStringLiteral("LF Ratio:"), prefix + QStringLiteral("OcclusionLFRatio"), group);
    soft.OcclusionRoomRatio =
        AddEditRow(rows, QStringLiteral("Room Ratio:"), prefix + QStringLiteral("OcclusionRoomRatio"), group);
    soft.OcclusionDirectRatio = AddEditRow(rows, QStringLiteral("Direct Ratio:"),
                                           prefix + QStringLiteral("OcclusionDirectRatio"), group);
    return group;
}

void showSoft(const TEAXSoftControls& controls, const TEAXSoftParams& soft) {
    SetFieldNumber(controls.Occlusion, soft.Occlusion);
    SetFieldFloat(controls.OcclusionLFRatio, soft.OcclusionLFRatio);
    SetFieldFloat(controls.OcclusionRoomRatio, soft.OcclusionRoomRatio);
    SetFieldFloat(controls.OcclusionDirectRatio, soft.OcclusionDirectRatio);
}
} // namespace

TfrmTplEAXSourceSettings::TfrmTplEAXSourceSettings(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplEAXSourceSettings"));
    setWindowTitle(QStringLiteral("EAX Source Settings"));
    auto* layout = new QVBoxLayout(this);
    // The one box the user may toggle: it only greys the other fields.
    Enabled = new QCheckBox(QStringLiteral("Enabled"), this);
    Enabled->setObjectName(QStringLiteral("Enabled"));
    connect(Enabled, &QCheckBox::clicked, this, [this] { EnabledClick(); });
    layout->addWidget(Enabled);

    auto* rows = new QFormLayout;
    Room = AddEditRow(rows, QStringLiteral("Room:"), QStringLiteral("Room"), this);
    RoomHF = AddEditRow(rows, QStringLiteral("Room HF:"), QStringLiteral("RoomHF"), this);
    RoomAuto = MakeShownCheckBox(QStringLiteral("Room Auto"), QStringLiteral("RoomAuto"), this);
    RoomHFAuto = MakeShownCheckBox(QStringLiteral("Room HF Auto"), QStringLiteral("RoomHFAuto"), this);
    rows->addRow(RoomAuto);
    rows->addRow(RoomHFAuto);
    OutsideVolHF =
        AddEditRow(rows, QStringLiteral("Outside Volume HF:"), QStringLiteral("OutsideVolHF"), this);
    AirAbsorptionFactor = AddEditRow(rows, QStringLiteral("Air Absorption Factor:"),
                                     QStringLiteral("AirAbsorptionFactor"), this);
    RoomRolloffFactor =
        AddEditRow(rows, QStringLiteral("Room Rolloff Factor:"), QStringLiteral("RoomRolloffFactor"), this);
    DopplerFactor =
        AddEditRow(rows, QStringLiteral("Doppler Factor:"), QStringLiteral("DopplerFactor"), this);
    RolloffFactor =
        AddEditRow(rows, QStringLiteral("Rolloff Factor:"), QStringLiteral("RolloffFactor"), this);
    OcclusionSoftValue =
        AddEditRow(rows, QStringLiteral("Occlusion Soft Value:"), QStringLiteral("OcclusionSoftValue"), this);
    layout->addLayout(rows);
    auto* soft = new QHBoxLayout;
    soft->addWidget(makeSoftGroup(QStringLiteral("Soft Starts"), QStringLiteral("Start"), SoftStarts, this));
    soft->addWidget(makeSoftGroup(QStringLiteral("Soft Ends"), QStringLiteral("End"), SoftEnds, this));
    layout->addLayout(soft);
    layout->addStretch();
    resize(420, 460);
}

void TfrmTplEAXSourceSettings::EnabledClick() {
    const bool on = Enabled->isChecked();
    for (QLineEdit* edit : findChildren<QLineEdit*>())
        edit->setEnabled(on);
    for (QCheckBox* box : findChildren<QCheckBox*>())
        if (box != Enabled) box->setEnabled(on);
}

void ShowEAXSourceSettingsPart(TfrmTplEAXSourceSettings* form, const TEAXSourceSettings& settings) {
    form->Settings = settings;
    form->Enabled->setChecked(settings.Enabled);
    form->EnabledClick();
    SetFieldNumber(form->Room, settings.Room);
    SetFieldNumber(form->RoomHF, settings.RoomHF);
    SetFieldNumber(form->OutsideVolHF, settings.OutsideVolHF);
    form->RoomAuto->setChecked(settings.RoomAuto);
    form->RoomHFAuto->setChecked(settings.RoomHFAuto);
    SetFieldFloat(form->AirAbsorptionFactor, settings.AirAbsorptionFactor);
    SetFieldFloat(form->RoomRolloffFactor, settings.RoomRolloffFactor);
    SetFieldFloat(form->DopplerFactor, settings.DopplerFactor);
    SetFieldFloat(form->RolloffFactor, settings.RolloffFactor);
    SetFieldFloat(form->OcclusionSoftValue, settings.OcclusionSoftValue);
    showSoft(form->SoftStarts, settings.SoftStarts);
    showSoft(form->SoftEnds, settings.SoftEnds);
    form->ShowFilledAsChild();
}
