#pragma once
// Single controls the logic, sound and clothing viewers show stored values in: a check box the user
// cannot toggle, a combo whose item index is the stored number, and a named key link.
#include <QCheckBox>
#include <QStringList>

#include "ViewerKit.h"

class TKeyLinkLabel;
class QFormLayout;

// A check box that shows a stored flag; clicks do not change it.
QCheckBox* MakeShownCheckBox(const QString& caption, const QString& name, QWidget* parent);

// A combo whose items stand for the stored numbers 0, 1, 2, ...; a number without an item selects none.
TValueCombo* MakeIndexCombo(const QString& name, const QStringList& items, QWidget* parent);

TKeyLinkLabel* MakeNamedKeyLink(const QString& name, QWidget* parent);

// A read-only edit in a new row of `rows`.
QLineEdit* AddEditRow(QFormLayout* rows, const QString& caption, const QString& name, QWidget* parent);
