#include "unitTpfGUIControlMod.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QVBoxLayout>

#include "NumberText.h"
#include "ViewerRegistry.h"
#include "PRP_VCL.h"
#include "ViewerKit.h"
#include "unitTplSynchedObject.h"

namespace {
const TViewerRegistrar registrar("TfrmTpfGUIControlMod", [] { return new TfrmTpfGUIControlMod; });

// Shows a flag without letting the user toggle it.
QCheckBox* makeShownBox(const QString& caption, const QString& name, QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setAttribute(Qt::WA_TransparentForMouseEvents);
    box->setFocusPolicy(Qt::NoFocus);
    return box;
}
} // namespace

TKeyLinkLabel* MakeKeyLink(const char* name, QWidget* parent) {
    auto* link = new TKeyLinkLabel(parent);
    link->setObjectName(QString::fromLatin1(name));
    return link;
}

TObjRefTreeView* MakeKeyTree(const char* name, QWidget* parent) {
    auto* tree = new TObjRefTreeView(parent);
    tree->setObjectName(QString::fromLatin1(name));
    return tree;
}

QFormLayout* AddAnimationRows(QBoxLayout* layout, TObjRefTreeView*& animKeys, QLineEdit*& animName,
                              QWidget* parent) {
    layout->addWidget(MakeCaption(QStringLiteral("Animations:"), parent));
    animKeys = MakeKeyTree("AnimKeys", parent);
    layout->addWidget(animKeys);
    auto* rows = new QFormLayout;
    animName = MakeReadOnlyEdit(QStringLiteral("AnimName"), parent);
    rows->addRow(QStringLiteral("Animation Name:"), animName);
    layout->addLayout(rows);
    return rows;
}

TColorSchemePanel* AddColorSchemeGroup(QBoxLayout* layout, TCustomPRPObjectForm* form) {
    auto* scheme = new QGroupBox(QStringLiteral("Color Scheme"), form);
    auto* schemeLayout = new QVBoxLayout(scheme);
    auto* panel = new TColorSchemePanel(scheme);
    schemeLayout->addWidget(panel);
    schemeLayout->addStretch();
    layout->addWidget(scheme);
    QObject::connect(panel, &TColorSchemePanel::colorPicked, form, [form] { form->MarkModified(); });
    return panel;
}

// ---- TColorSchemePanel

TColorSchemePanel::TColorSchemePanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ColorSchemePanel"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* colours = new QGridLayout;
    const char* captions[4] = {"Foreground:", "Background:", "Sel. Foreground:", "Sel. Background:"};
    const char* names[4] = {"Fore", "Back", "SelFore", "SelBack"};
    for (int i = 0; i < 4; ++i) {
        colours->addWidget(MakeCaption(QString::fromLatin1(captions[i]), this), i, 0);
        Swatches[i] = new TColorSwatch(QStringLiteral("paint") + names[i], this);
        colours->addWidget(Swatches[i], i, 1);
        colours->addWidget(MakeCaption(QStringLiteral("Alpha:"), this), i, 2);
        Alphas[i] = MakeReadOnlyEdit(QStringLiteral("eAlpha") + names[i], this);
        colours->addWidget(Alphas[i], i, 3);
        connect(Swatches[i], &TColorSwatch::colorPicked, this, [this] { emit colorPicked(); });
    }
    layout->addLayout(colours);
    auto* font = new QFormLayout;
    Transparent = MakeReadOnlyEdit(QStringLiteral("Transparent"), this);
    FontName = MakeReadOnlyEdit(QStringLiteral("FontName"), this);
    FontSize = MakeReadOnlyEdit(QStringLiteral("FontSize"), this);
    font->addRow(QStringLiteral("Transparency:"), Transparent);
    font->addRow(QStringLiteral("Font:"), FontName);
    font->addRow(QStringLiteral("Font Size:"), FontSize);
    layout->addLayout(font);
    FontFlags = new TFlagBoxGroup(QStringLiteral("Font Flags"), kFontFlags, 3, this);
    layout->addWidget(FontFlags);
}

void TColorSchemePanel::ShowColorScheme(const TColorScheme& scheme) {
    for (int i = 0; i < 4; ++i) {
        Swatches[i]->SetColor(PackDisplayColor(scheme.Colors[i]));
        SetFieldFloat(Alphas[i], scheme.Colors[i].A);
    }
    SetFieldNumber(Transparent, scheme.Transparency);
    SetFieldNumber(FontSize, scheme.FontSize);
    SetFieldWhole(FontName, PageText(scheme.FontName));
    FontFlags->SetFlags(scheme.FontFlags);
}

// ---- TfrmTpfGUIControlMod

TfrmTpfGUIControlMod::TfrmTpfGUIControlMod(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTpfGUIControlMod"));
    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    auto* partLinks = new QHBoxLayout;
    SynchedObjLink = MakeSynchedObjLink(Part.SynchedObject, this);
    LinkedSingleMod = MakeModifierLink(Part.Modifier, false, false, this);
    partLinks->addWidget(SynchedObjLink);
    partLinks->addWidget(LinkedSingleMod);
    partLinks->addStretch();
    left->addLayout(partLinks);

    auto* rows = new QFormLayout;
    TagID = MakeReadOnlyEdit(QStringLiteral("TagID"), this);
    rows->addRow(QStringLiteral("Tag ID:"), TagID);
    Visible = makeShownBox(QStringLiteral("Visible"), QStringLiteral("Visible"), this);
    rows->addRow(QString(), Visible);
    ProcType = new TValueCombo(QStringLiteral("ProcType"), this);
    for (size_t i = 0; i < kProcTypeNames.size(); ++i)
        ProcType->AddValue(QString::fromLatin1(kProcTypeNames[i]), int64_t(i));
    ProcType->setCurrentIndex(-1);
    rows->addRow(QStringLiteral("Procedure:"), ProcType);
    cmdLabel = MakeCaption(QStringLiteral("Command:"), this);
    cmdLabel->setObjectName(QStringLiteral("cmdLabel"));
    Command = MakeReadOnlyEdit(QStringLiteral("Command"), this);
    rows->addRow(cmdLabel, Command);
    DynTextLayer = MakeKeyLink("DynTextLayer", this);
    DynTextMap = MakeKeyLink("DynTextMap", this);
    rows->addRow(QStringLiteral("Dynamic Text Layer:"), DynTextLayer);
    rows->addRow(QStringLiteral("Dynamic Text Map:"), DynTextMap);
    Proxy = MakeKeyLink("Proxy", this);
    Skin = MakeKeyLink("Skin", this);
    rows->addRow(QStringLiteral("Proxy:"), Proxy);
    rows->addRow(QStringLiteral("Skin:"), Skin);
    left->addLayout(rows);
    left->addWidget(MakeCaption(QStringLiteral("Sound Indices:"), this));
    SoundIndices = new QListWidget(this);
    SoundIndices->setObjectName(QStringLiteral("SoundIndices"));
    left->addWidget(SoundIndices);
    layout->addLayout(left);

    ColorScheme = AddColorSchemeGroup(layout, this);

    // Only a console command has a text; the boxes stay off until the user picks a procedure.
    cmdLabel->setEnabled(false);
    Command->setEnabled(false);
    connect(ProcType, &QComboBox::activated, this,
            [this](int index) { Guarded([&] { ProcTypeChange(index); }); });
    resize(640, 400);
}

void TfrmTpfGUIControlMod::ProcTypeChange(int index) {
    const bool console = ProcType->itemData(index).toLongLong() == kProcConsoleCommand;
    cmdLabel->setEnabled(console);
    Command->setEnabled(console);
    QPalette pal = Command->palette();
    pal.setColor(QPalette::Base, palette().color(console ? QPalette::Base : QPalette::Button));
    Command->setPalette(pal);
}

void TfrmTpfGUIControlMod::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (stream) ShowGUIControlPart(this, ReadGUIControlPart(*stream), true);
    SetObjectInfo(entry);
}

void ShowGUIControlPart(TfrmTpfGUIControlMod* form, const TControlMod& part, bool standalone) {
    form->Part = part;
    SetFieldNumber(form->TagID, part.TagID);
    form->Visible->setChecked(part.Visible);
    form->SynchedObjLink->setText(SynchedObjLinkCaption(part.SynchedObject));
    form->ProcType->SelectValue(part.ProcType);
    if (part.ProcType == kProcConsoleCommand) SetFieldWhole(form->Command, PageText(part.Command));
    form->DynTextLayer->SetKey(part.DynTextLayer);
    form->DynTextMap->SetKey(part.DynTextMap);
    // An absent scheme shows as black swatches with alphas of 0.
    form->ColorScheme->ShowColorScheme(part.ColorScheme);
    form->SoundIndices->clear();
    for (uint32_t index : part.SoundIndices)
        form->SoundIndices->addItem(HexToText(index));
    form->Proxy->SetKey(part.Proxy);
    form->Skin->SetKey(part.Skin);
    if (!standalone)
        form->LoadObject(PartWindowEntry(kControlModPartName, ControlModPartClass(part)), nullptr);
}

TfrmTpfGUIControlMod* OpenGUIControlPart(const TControlMod& part) {
    auto* form = new TfrmTpfGUIControlMod;
    ShowGUIControlPart(form, part, false);
    return form;
}

TLinkLabel* MakeControlModLink(const TControlMod& part, QWidget* parent) {
    auto* link = new TLinkLabel(QStringLiteral("Control Mod"), QStringLiteral("LinkedControlMod"), parent);
    QObject::connect(link, &TLinkLabel::clicked, link, [&part] { OpenGUIControlPart(part); });
    return link;
}
