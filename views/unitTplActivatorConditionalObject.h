#pragma once
// The activator conditional object viewer: the conditional-object part behind a link and the conditions.
#include "LogicParts.h"
#include "PRPForms.h"

class TLinkLabel;
class TObjRefTreeView;

class TfrmTplActivatorConditionalObject : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplActivatorConditionalObject(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TActivatorConditionalObjectRecord Record;
    TLinkLabel* ParentCondObj = nullptr;
    TObjRefTreeView* ConditionObjects = nullptr;
};
