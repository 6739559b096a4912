#include "unitTpfGUIButtonMod.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "PRP_VCL.h"
#include "ViewerKit.h"
#include "unitTpfGUIControlMod.h"

namespace {
const TViewerRegistrar registrar("TfrmTpfGUIButtonMod", [] { return new TfrmTpfGUIButtonMod; });
}

TfrmTpfGUIButtonMod::TfrmTpfGUIButtonMod(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTpfGUIButtonMod"));
    auto* layout = new QVBoxLayout(this);
    LinkedControlMod = MakeControlModLink(Record.Control, this);
    layout->addWidget(LinkedControlMod);
    AddAnimationRows(layout, AnimKeys, AnimName, this);
    layout->addWidget(MakeCaption(QStringLiteral("Mouse-Over Animations:"), this));
    MouseOverAnimKeys = MakeKeyTree("MouseOverAnimKeys", this);
    layout->addWidget(MouseOverAnimKeys);
    auto* more = new QFormLayout;
    MouseOverAnimName = MakeReadOnlyEdit(QStringLiteral("MouseOverAnimName"), this);
    more->addRow(QStringLiteral("Mouse-Over Animation Name:"), MouseOverAnimName);
    auto* eoa = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        EOA[i] = MakeReadOnlyEdit(QStringLiteral("Edit%1").arg(i + 1), this);
        eoa->addWidget(EOA[i]);
    }
    more->addRow(QStringLiteral("EOA:"), eoa);
    NotifyType = new TValueCombo(QStringLiteral("NotifyType"), this);
    for (size_t i = 0; i < kNotifyTypeNames.size(); ++i)
        NotifyType->AddValue(QString::fromLatin1(kNotifyTypeNames[i]), int64_t(i));
    NotifyType->setCurrentIndex(-1);
    more->addRow(QStringLiteral("Notify Type:"), NotifyType);
    Draggable = MakeKeyLink("Draggable", this);
    more->addRow(QStringLiteral("Draggable:"), Draggable);
    layout->addLayout(more);
    resize(360, 480);
}

void TfrmTpfGUIButtonMod::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        AnimKeys->Version = MouseOverAnimKeys->Version = stream->Header.Version;
        Record = ReadGUIButton(*stream);
        AddPresentKeys(AnimKeys, Record.AnimKeys);
        SetFieldWhole(AnimName, PageText(Record.AnimName));
        AddPresentKeys(MouseOverAnimKeys, Record.MouseOverAnimKeys);
        SetFieldWhole(MouseOverAnimName, PageText(Record.MouseOverAnimName));
        if (IsMystVFamily(stream->Header.Version)) {
            for (int i = 0; i < 3; ++i)
                SetFieldNumber(EOA[i], Record.EOA[i]);
        } else {
            // The stored number is the item's index; another number selects nothing and shows itself.
            NotifyType->SelectValue(Record.NotifyType);
            NotifyType->setPlaceholderText(QString::number(Record.NotifyType));
        }
        Draggable->SetKey(Record.Draggable);
    }
    SetObjectInfo(entry);
}
