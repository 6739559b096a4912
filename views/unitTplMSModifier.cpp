#include "unitTplMSModifier.h"

#include <QListWidget>
#include <QVBoxLayout>

#include "ViewerKit.h"
#include "unitTplSynchedObject.h"

TfrmTplMSModifier::TfrmTplMSModifier(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTplMSModifier"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeCaption(QStringLiteral("Flags:"), this));
    FlagsList = new QListWidget(this);
    FlagsList->setObjectName(QStringLiteral("FlagsList"));
    layout->addWidget(FlagsList);
    resize(260, 240);
}

void FillHexWordList(QListWidget* list, const std::vector<uint32_t>& words) {
    list->clear();
    for (uint32_t word : words)
        list->addItem(HexToText(word));
}

void ShowModifierPart(TfrmTplMSModifier* form, const TMSModifier& part, bool multi, bool standalone) {
    form->Part = part;
    FillHexWordList(form->FlagsList, part.Flags);
    if (!standalone)
        form->LoadObject(PartWindowEntry(ModifierPartName(multi),
                                         multi ? kMultiModifierPartClass : kSingleModifierPartClass),
                         nullptr);
}
