#include "unitTplCollisionDetector.h"

#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "ViewerKit.h"
#include "unitTplDetectorModifier.h"
#include "unitTplSynchedObject.h"

namespace {
const TViewerRegistrar registrar("TfrmTplCollisionDetector", [] { return new TfrmTplCollisionDetector; });
}

TfrmTplCollisionDetector::TfrmTplCollisionDetector(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplCollisionDetector"));
    auto* layout = new QVBoxLayout(this);
    LinkedDetectorModifier =
        new TLinkLabel(QStringLiteral("Detector Modifier"), QStringLiteral("LinkedDetectorModifier"), this);
    connect(LinkedDetectorModifier, &TLinkLabel::clicked, this, [this] {
        auto* form = new TfrmTplDetectorModifier;
        ShowDetectorModifierPart(form, Part.Detector);
    });
    layout->addWidget(LinkedDetectorModifier);
    TriggerType = new TFlagBoxGroup(QStringLiteral("Trigger Type"), kCollisionTypeFlags, 2, this);
    TriggerType->setObjectName(QStringLiteral("TriggerType"));
    layout->addWidget(TriggerType);
    layout->addStretch();
    resize(280, 180);
}

void ShowCollisionDetectorPart(TfrmTplCollisionDetector* form, const TCollisionDetector& part) {
    form->Part = part;
    form->TriggerType->SetFlags(part.CollisionType);
    form->LoadObject(PartWindowEntry(kCollisionDetectorPartName, CollisionDetectorPartClass(part)), nullptr);
}

void TfrmTplCollisionDetector::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) ShowCollisionDetectorPart(this, ReadCollisionDetectorPart(*stream));
    SetObjectInfo(entry);
}
