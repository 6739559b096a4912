#pragma once
// The single/multi-modifier part window.
#include "ObjectParts.h"
#include "PRPForms.h"

class QListWidget;

class TfrmTplMSModifier : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplMSModifier(QWidget* parent = nullptr);

    TMSModifier Part;
    QListWidget* FlagsList = nullptr;
};

// One line per flag word as 8 hexadecimal digits; unless standalone, captions the window
// "[0027] Multi Modifier" or "[001F] Single Modifier".
void ShowModifierPart(TfrmTplMSModifier* form, const TMSModifier& part, bool multi, bool standalone = false);
// Fills a list with one line per word, 8 upper-case hexadecimal digits each.
void FillHexWordList(QListWidget* list, const std::vector<uint32_t>& words);
