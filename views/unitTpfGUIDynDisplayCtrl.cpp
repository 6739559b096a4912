#include "unitTpfGUIDynDisplayCtrl.h"

#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "PRP_VCL.h"
#include "ViewerKit.h"
#include "unitTpfGUIControlMod.h"

namespace {
const TViewerRegistrar registrar("TfrmTpfGUIDynDisplayCtrl", [] { return new TfrmTpfGUIDynDisplayCtrl; });
}

TfrmTpfGUIDynDisplayCtrl::TfrmTpfGUIDynDisplayCtrl(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTpfGUIDynDisplayCtrl"));
    auto* layout = new QVBoxLayout(this);
    LinkedControlMod = MakeControlModLink(Record.Control, this);
    layout->addWidget(LinkedControlMod);
    layout->addWidget(MakeCaption(QStringLiteral("Text Maps:"), this));
    TextMapKeys = MakeKeyTree("TextMapKeys", this);
    layout->addWidget(TextMapKeys);
    layout->addWidget(MakeCaption(QStringLiteral("Layers:"), this));
    LayerKeys = MakeKeyTree("LayerKeys", this);
    layout->addWidget(LayerKeys);
    layout->addWidget(MakeCaption(QStringLiteral("Materials:"), this));
    MaterialKeys = MakeKeyTree("MaterialKeys", this);
    layout->addWidget(MaterialKeys);
    resize(320, 480);
}

void TfrmTpfGUIDynDisplayCtrl::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        TextMapKeys->Version = LayerKeys->Version = MaterialKeys->Version = stream->Header.Version;
        Record = ReadGUIDynDisplay(*stream);
        AddPresentKeys(TextMapKeys, Record.TextMapKeys);
        AddPresentKeys(LayerKeys, Record.LayerKeys);
        AddPresentKeys(MaterialKeys, Record.MaterialKeys);
    }
    SetObjectInfo(entry);
}
