#include "unitTplActivatorConditionalObject.h"

#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "PRP_VCL.h"
#include "ViewerKit.h"
#include "unitTplConditionalObject.h"

namespace {
const TViewerRegistrar registrar("TfrmTplActivatorConditionalObject",
                                 [] { return new TfrmTplActivatorConditionalObject; });
}

TfrmTplActivatorConditionalObject::TfrmTplActivatorConditionalObject(QWidget* parent)
    : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplActivatorConditionalObject"));
    auto* layout = new QVBoxLayout(this);
    ParentCondObj =
        new TLinkLabel(QStringLiteral("Conditional Object"), QStringLiteral("ParentCondObj"), this);
    connect(ParentCondObj, &TLinkLabel::clicked, this, [this] {
        auto* form = new TfrmTplConditionalObject;
        ShowConditionalObjectPart(form, Record.ConditionalObject);
    });
    layout->addWidget(ParentCondObj);
    layout->addWidget(MakeCaption(QStringLiteral("Conditions:"), this));
    ConditionObjects = new TObjRefTreeView(this);
    ConditionObjects->setObjectName(QStringLiteral("ConditionObjects"));
    layout->addWidget(ConditionObjects);
    resize(300, 300);
}

void TfrmTplActivatorConditionalObject::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        ConditionObjects->clear();
        ConditionObjects->Version = stream->Header.Version;
        Record = ReadActivatorConditionalObject(*stream);
        AddPresentKeys(ConditionObjects, Record.Conditions);
    }
    SetObjectInfo(entry);
}
