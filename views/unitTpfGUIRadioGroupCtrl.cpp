#include "unitTpfGUIRadioGroupCtrl.h"

#include <QComboBox>
#include <QFormLayout>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "PRP_VCL.h"
#include "ViewerKit.h"
#include "unitTpfGUIControlMod.h"

namespace {
const TViewerRegistrar registrar("TfrmTpfGUIRadioGroupCtrl", [] { return new TfrmTpfGUIRadioGroupCtrl; });
}

TfrmTpfGUIRadioGroupCtrl::TfrmTpfGUIRadioGroupCtrl(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTpfGUIRadioGroupCtrl"));
    auto* layout = new QVBoxLayout(this);
    LinkedControlMod = MakeControlModLink(Record.Control, this);
    layout->addWidget(LinkedControlMod);
    layout->addWidget(MakeCaption(QStringLiteral("Controls:"), this));
    Controls = MakeKeyTree("Controls", this);
    layout->addWidget(Controls);
    auto* rows = new QFormLayout;
    Default = new QComboBox(this);
    Default->setObjectName(QStringLiteral("Default"));
    rows->addRow(QStringLiteral("Default:"), Default);
    layout->addLayout(rows);
    resize(320, 320);
}

void TfrmTpfGUIRadioGroupCtrl::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        Controls->Version = stream->Header.Version;
        Record = ReadGUIRadioGroup(*stream);
        AddPresentKeys(Controls, Record.Controls);
        // The list holds every slot, an absent key as an empty line, so the default indexes the stored order.
        Default->clear();
        for (const TPRPObjectDesc& key : Record.Controls)
            Default->addItem(PageText(key.Name));
        Default->setCurrentIndex(Record.Default < uint32_t(Default->count()) ? int(Record.Default) : -1);
    }
    SetObjectInfo(entry);
}
