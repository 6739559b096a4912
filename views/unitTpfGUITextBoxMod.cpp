#include "unitTpfGUITextBoxMod.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "ViewerRegistry.h"
#include "ViewerKit.h"
#include "unitTpfGUIControlMod.h"

namespace {
const TViewerRegistrar registrar("TfrmTpfGUITextBoxMod", [] { return new TfrmTpfGUITextBoxMod; });
}

TfrmTpfGUITextBoxMod::TfrmTpfGUITextBoxMod(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTpfGUITextBoxMod"));
    auto* layout = new QVBoxLayout(this);
    LinkedControlMod = MakeControlModLink(Record.Control, this);
    layout->addWidget(LinkedControlMod);
    layout->addWidget(MakeCaption(QStringLiteral("Text:"), this));
    Text = new QPlainTextEdit(this);
    Text->setObjectName(QStringLiteral("Text"));
    Text->setReadOnly(true);
    layout->addWidget(Text);
    UseLocPath = new QCheckBox(QStringLiteral("Use Localization Path"), this);
    UseLocPath->setObjectName(QStringLiteral("UseLocPath"));
    layout->addWidget(UseLocPath);
    auto* rows = new QFormLayout;
    LocalizationPath = MakeReadOnlyEdit(QStringLiteral("LocalizationPath"), this);
    rows->addRow(QStringLiteral("Localization Path:"), LocalizationPath);
    layout->addLayout(rows);
    connect(UseLocPath, &QCheckBox::clicked, this, [this] { Guarded([this] { UseLocPathClick(); }); });
    UseLocPathClick();
    resize(360, 300);
}

void TfrmTpfGUITextBoxMod::UseLocPathClick() {
    const bool use = UseLocPath->isChecked();
    LocalizationPath->setEnabled(use);
    QPalette pal = LocalizationPath->palette();
    pal.setColor(QPalette::Base, palette().color(use ? QPalette::Base : QPalette::Button));
    LocalizationPath->setPalette(pal);
}

void TfrmTpfGUITextBoxMod::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) {
        Record = ReadGUITextBox(*stream);
        Text->setPlainText(PageText(Record.Text));
        UseLocPath->setChecked(Record.UseLocPath);
        SetFieldWhole(LocalizationPath, QString::fromStdU16String(Record.LocalizationPath));
        UseLocPathClick();
    }
    SetObjectInfo(entry);
}
