#include "ShownControls.h"

#include <QFormLayout>

#include "PRP_VCL.h"

QCheckBox* MakeShownCheckBox(const QString& caption, const QString& name, QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setAttribute(Qt::WA_TransparentForMouseEvents);
    box->setFocusPolicy(Qt::NoFocus);
    return box;
}

TValueCombo* MakeIndexCombo(const QString& name, const QStringList& items, QWidget* parent) {
    auto* combo = new TValueCombo(name, parent);
    for (qsizetype i = 0; i < items.size(); ++i)
        combo->AddValue(items[i], i);
    combo->setCurrentIndex(-1);
    return combo;
}

TKeyLinkLabel* MakeNamedKeyLink(const QString& name, QWidget* parent) {
    auto* link = new TKeyLinkLabel(parent);
    link->setObjectName(name);
    return link;
}

QLineEdit* AddEditRow(QFormLayout* rows, const QString& caption, const QString& name, QWidget* parent) {
    QLineEdit* edit = MakeReadOnlyEdit(name, parent);
    rows->addRow(caption, edit);
    return edit;
}
