#include "unitTplSceneObject.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>

#include "ViewerRegistry.h"
#include "PRP_VCL.h"
#include "ViewerKit.h"

namespace {
const TViewerRegistrar registrar("TfrmTplSceneObject", [] { return new TfrmTplSceneObject; });

// Draw, simulation, coordinate and audio interface classes, in link order.
constexpr uint16_t kLinkClasses[4] = {kDrawInterfaceClass, kSimulationInterfaceClass,
                                      kCoordinateInterfaceClass, kAudioInterfaceClass};
} // namespace

TLinkImages::TLinkImages(std::array<TFixedKeyLink*, 4> links, QWidget* parent)
    : QWidget(parent), links_(links) {
    setObjectName(QStringLiteral("LinkImgs"));
    setFixedWidth(16);
    setMinimumHeight(64);
}

QRect TLinkImages::IconRect(int i) const {
    // Beside its link, whatever height the link's text gives its row: 16 pixels down per row at the
    // least.
    const QRect row = links_[i]->geometry().translated(-pos());
    return QRect(0, row.top() + (row.height() - 16) / 2, 16, 16);
}

void TLinkImages::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    for (int i = 0; i < 4; ++i) {
        const QIcon icon = TreeImages().Icon(GetClassTypeImageIndex(kLinkClasses[i], Version));
        if (icon.isNull()) continue;
        icon.paint(&painter, IconRect(i), Qt::AlignCenter,
                   links_[i]->isEnabled() ? QIcon::Normal : QIcon::Disabled);
    }
}

TfrmTplSceneObject::TfrmTplSceneObject(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplSceneObject"));
    auto* layout = new QVBoxLayout(this);
    SynchedObjLink = MakeSynchedObjLink(Record.SynchedObject, this);
    layout->addWidget(SynchedObjLink);

    auto* linked = new QGroupBox(QStringLiteral("Linked Interfaces"), this);
    auto* linkedGrid = new QGridLayout(linked);
    linkedGrid->setVerticalSpacing(0);
    LinkedDrawIf = new TFixedKeyLink(QStringLiteral("DrawInterface"), QStringLiteral("LinkedDrawIf"), linked);
    LinkedSimIf =
        new TFixedKeyLink(QStringLiteral("SimulationInterface"), QStringLiteral("LinkedSimIf"), linked);
    LinkedCoordIf =
        new TFixedKeyLink(QStringLiteral("CoordinateInterface"), QStringLiteral("LinkedCoordIf"), linked);
    LinkedAudioIf =
        new TFixedKeyLink(QStringLiteral("AudioInterface"), QStringLiteral("LinkedAudioIf"), linked);
    LinkImgs = new TLinkImages({LinkedDrawIf, LinkedSimIf, LinkedCoordIf, LinkedAudioIf}, linked);
    linkedGrid->addWidget(LinkImgs, 0, 0, 4, 1);
    const std::array<TFixedKeyLink*, 4> links = {LinkedDrawIf, LinkedSimIf, LinkedCoordIf, LinkedAudioIf};
    for (int i = 0; i < 4; ++i) {
        // Each row as tall as its text needs: 16 pixels at the least, more under a larger font.
        links[i]->setFixedHeight(std::max(16, links[i]->sizeHint().height()));
        linkedGrid->addWidget(links[i], i, 1);
    }
    linkedGrid->setColumnStretch(1, 1);
    layout->addWidget(linked);

    layout->addWidget(MakeCaption(QStringLiteral("Object Interfaces:"), this));
    ObjRefs1 = new TObjRefTreeView(this);
    ObjRefs1->setObjectName(QStringLiteral("ObjRefs1"));
    layout->addWidget(ObjRefs1);
    layout->addWidget(MakeCaption(QStringLiteral("Object Modifiers:"), this));
    ObjRefs2 = new TObjRefTreeView(this);
    ObjRefs2->setObjectName(QStringLiteral("ObjRefs2"));
    layout->addWidget(ObjRefs2);
    resize(320, 480);
}

void TfrmTplSceneObject::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        ObjRefs1->Version = ObjRefs2->Version = LinkImgs->Version = stream->Header.Version;
        Record = ReadSceneObject(*stream);
        SynchedObjLink->setText(SynchedObjLinkCaption(Record.SynchedObject));
        LinkedDrawIf->SetKey(Record.DrawInterface);
        LinkedSimIf->SetKey(Record.SimulationInterface);
        LinkedCoordIf->SetKey(Record.CoordinateInterface);
        LinkedAudioIf->SetKey(Record.AudioInterface);
        AddPresentKeys(ObjRefs1, Record.Interfaces);
        AddPresentKeys(ObjRefs2, Record.Modifiers);
        LinkImgs->update();
    }
    SetObjectInfo(entry);
}
