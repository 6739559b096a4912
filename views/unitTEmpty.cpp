#include "unitTEmpty.h"

#include <QLabel>
#include <QVBoxLayout>

TfrmTEmpty::TfrmTEmpty(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTEmpty"));
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("(No Stored Data)"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    layout->addWidget(Label1);
    resize(240, 90);
}
