#include "unitTplSynchedObject.h"

#include <QListWidget>
#include <QVBoxLayout>

#include "ViewerKit.h"

TfrmTplSynchedObject::TfrmTplSynchedObject(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplSynchedObject"));
    auto* layout = new QVBoxLayout(this);
    FlagsGroup = new TFlagBoxGroup(QStringLiteral("Synched Object Flags"), kSynchedObjectFlags, 2, this);
    layout->addWidget(FlagsGroup);
    layout->addWidget(MakeCaption(QStringLiteral("SDL Excludes / Volatiles:"), this));
    SDLLinks = new QListWidget(this);
    SDLLinks->setObjectName(QStringLiteral("SDLLinks"));
    layout->addWidget(SDLLinks);
    resize(420, 320);
}

TPRPFileObject PartWindowEntry(const std::string& name, uint16_t classIndex) {
    TPRPFileObject entry;
    entry.Desc.Name = name;
    entry.Desc.ClassType = classIndex;
    return entry;
}

TPRPFileObject PartWindowEntry(const char* name, uint16_t classIndex) {
    return PartWindowEntry(std::string(name), classIndex);
}

void ShowSynchedObjectPart(TfrmTplSynchedObject* form, const TSynchedObject& part, bool standalone) {
    form->Part = part;
    form->FlagsGroup->SetFlags(part.SynchFlags);
    form->SDLLinks->clear();
    for (const std::string& name : part.Strings)
        form->SDLLinks->addItem(PageText(name));
    if (!standalone)
        form->LoadObject(PartWindowEntry(kSynchedObjectPartName, kSynchedObjectPartClass), nullptr);
}
