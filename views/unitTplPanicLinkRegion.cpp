#include "unitTplPanicLinkRegion.h"

#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "ShownControls.h"
#include "unitTplCollisionDetector.h"

namespace {
const TViewerRegistrar registrar("TfrmTplPanicLinkRegion", [] { return new TfrmTplPanicLinkRegion; });
}

TfrmTplPanicLinkRegion::TfrmTplPanicLinkRegion(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplPanicLinkRegion"));
    auto* layout = new QVBoxLayout(this);
    LinkedDetectorModifier =
        new TLinkLabel(QStringLiteral("Collision Detector"), QStringLiteral("LinkedDetectorModifier"), this);
    connect(LinkedDetectorModifier, &TLinkLabel::clicked, this, [this] {
        auto* form = new TfrmTplCollisionDetector;
        ShowCollisionDetectorPart(form, Part);
    });
    layout->addWidget(LinkedDetectorModifier);
    PlayLinkOutAnim =
        MakeShownCheckBox(QStringLiteral("Play Link-Out Animation"), QStringLiteral("PlayLinkOutAnim"), this);
    layout->addWidget(PlayLinkOutAnim);
    layout->addStretch();
    resize(260, 100);
}

void TfrmTplPanicLinkRegion::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        const TPanicLinkRegionRecord record = ReadPanicLinkRegion(*stream);
        Part = record.CollisionDetector;
        PlayLinkOutAnim->setChecked(record.PlayLinkOutAnim);
    }
    SetObjectInfo(entry);
}
