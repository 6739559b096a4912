#include "unitTplConditionalObject.h"

#include <QVBoxLayout>

#include "ShownControls.h"
#include "unitTplSynchedObject.h"

TfrmTplConditionalObject::TfrmTplConditionalObject(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplConditionalObject"));
    auto* layout = new QVBoxLayout(this);
    Satisfied = MakeShownCheckBox(QStringLiteral("Satisfied"), QStringLiteral("Satisfied"), this);
    Toggle = MakeShownCheckBox(QStringLiteral("Toggle"), QStringLiteral("Toggle"), this);
    layout->addWidget(Satisfied);
    layout->addWidget(Toggle);
    layout->addStretch();
    resize(220, 90);
}

void ShowConditionalObjectPart(TfrmTplConditionalObject* form, const TConditionalObject& part) {
    form->Part = part;
    form->Satisfied->setChecked(part.Satisfied);
    form->Toggle->setChecked(part.Toggle);
    form->LoadObject(PartWindowEntry(kConditionalObjectPartName, kConditionalObjectPartClass), nullptr);
}

void TfrmTplConditionalObject::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) ShowConditionalObjectPart(this, ReadConditionalObjectPart(*stream));
    SetObjectInfo(entry);
}
