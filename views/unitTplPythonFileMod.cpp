#include "unitTplPythonFileMod.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "PRP_VCL.h"
#include "ViewerKit.h"

namespace {
const TViewerRegistrar registrar("TfrmTplPythonFileMod", [] { return new TfrmTplPythonFileMod; });
}

QString PythonParamLine(const TPythonListing& param, uint16_t version) {
    QString value;
    switch (PythonParamKind(param.ValueType, version)) {
    case TPythonValueKind::None:
        value = QString::number(param.ValueType);
        break;
    case TPythonValueKind::Int:
        value = QString::number(param.IntValue);
        break;
    case TPythonValueKind::Float:
        value = FloatToText(param.FloatValue);
        break;
    case TPythonValueKind::Boolean:
        value = param.IntValue ? QStringLiteral("True") : QStringLiteral("False");
        break;
    case TPythonValueKind::String:
        value = QLatin1Char('"') + PageText(param.StrValue) + QLatin1Char('"');
        break;
    case TPythonValueKind::Key:
        value = PageText(param.KeyValue.Name);
        break;
    }
    return QString::fromLatin1(PythonParamTypeName(param.ValueType, version)) +
           QStringLiteral("(%1) = ").arg(param.ID) + value;
}

TfrmTplPythonFileMod::TfrmTplPythonFileMod(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplPythonFileMod"));
    auto* layout = new QVBoxLayout(this);
    auto* partLinks = new QHBoxLayout;
    SynchedObjLink = MakeSynchedObjLink(Record.SynchedObject, this);
    LinkedMultiMod = MakeModifierLink(Record.Modifier, true, true, this);
    partLinks->addWidget(SynchedObjLink);
    partLinks->addWidget(LinkedMultiMod);
    partLinks->addStretch();
    layout->addLayout(partLinks);
    layout->addWidget(MakeCaption(QStringLiteral("Python File:"), this));
    PythonFileName = MakeReadOnlyEdit(QStringLiteral("PythonFileName"), this);
    layout->addWidget(PythonFileName);
    layout->addWidget(MakeCaption(QStringLiteral("Receivers:"), this));
    PyReceivers = new TObjRefTreeView(this);
    PyReceivers->setObjectName(QStringLiteral("PyReceivers"));
    layout->addWidget(PyReceivers, 1);
    layout->addWidget(MakeCaption(QStringLiteral("Parameters:"), this));
    Params = new QListWidget(this);
    Params->setObjectName(QStringLiteral("Params"));
    layout->addWidget(Params, 2);
    resize(380, 480);
}

void TfrmTplPythonFileMod::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        const uint16_t version = stream->Header.Version;
        PyReceivers->Version = version;
        Record = ReadPythonFileMod(*stream);
        SynchedObjLink->setText(SynchedObjLinkCaption(Record.SynchedObject));
        SetFieldWhole(PythonFileName, PageText(Record.FileName));
        AddPresentKeys(PyReceivers, Record.Receivers);
        Params->clear();
        for (const TPythonListing& param : Record.Params)
            Params->addItem(PythonParamLine(param, version));
    }
    SetObjectInfo(entry);
}
