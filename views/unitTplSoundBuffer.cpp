#include "unitTplSoundBuffer.h"

#include <QFormLayout>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "ShownControls.h"

namespace {
const TViewerRegistrar registrar("TfrmTplSoundBuffer", [] { return new TfrmTplSoundBuffer; });
}

TfrmTplSoundBuffer::TfrmTplSoundBuffer(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplSoundBuffer"));
    auto* layout = new QVBoxLayout(this);
    Flags = new TFlagBoxGroup(QStringLiteral("Flags"), kSoundBufferFlags, 1, this);
    Flags->setObjectName(QStringLiteral("Flags"));
    layout->addWidget(Flags);
    auto* rows = new QFormLayout;
    Filename = AddEditRow(rows, QStringLiteral("File Name:"), QStringLiteral("Filename"), this);
    FormatTag = MakeIndexCombo(QStringLiteral("FormatTag"),
                               {QStringLiteral("(Invalid)"), QStringLiteral("PCM")}, this);
    rows->addRow(QStringLiteral("Format:"), FormatTag);
    NumChannels = MakeIndexCombo(QStringLiteral("NumChannels"),
                                 {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")}, this);
    rows->addRow(QStringLiteral("Channels:"), NumChannels);
    SamplesPerSec =
        AddEditRow(rows, QStringLiteral("Samples per Second:"), QStringLiteral("SamplesPerSec"), this);
    AvgBytesPerSec =
        AddEditRow(rows, QStringLiteral("Avg. Bytes per Second:"), QStringLiteral("AvgBytesPerSec"), this);
    BlockAlign = AddEditRow(rows, QStringLiteral("Block Align:"), QStringLiteral("BlockAlign"), this);
    BitsPerSample =
        AddEditRow(rows, QStringLiteral("Bits per Sample:"), QStringLiteral("BitsPerSample"), this);
    layout->addLayout(rows);
    layout->addStretch();
    resize(320, 380);
}

void TfrmTplSoundBuffer::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        Record = ReadSoundBuffer(*stream);
        Flags->SetFlags(Record.Flags);
        SetFieldWhole(Filename, PageText(Record.Filename));
        FormatTag->SelectValue(Record.FormatTag);
        NumChannels->SelectValue(Record.NumChannels);
        SetFieldNumber(SamplesPerSec, Record.SamplesPerSec);
        SetFieldNumber(AvgBytesPerSec, Record.AvgBytesPerSec);
        SetFieldNumber(BlockAlign, Record.BlockAlign);
        SetFieldNumber(BitsPerSample, Record.BitsPerSample);
    }
    SetObjectInfo(entry);
}
