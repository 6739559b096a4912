#include "unitBounds3Ext.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "ViewerKit.h"

namespace {
void setVector(QWidget* form, const QString& prefix, const char* suffixes, const TVector3& v) {
    const float values[3] = {v.X, v.Y, v.Z};
    for (int i = 0; i < 3; ++i)
        SetFieldFloat(form->findChild<QLineEdit*>(prefix + QChar(suffixes[i])), values[i]);
}
} // namespace

TfrmBounds3Ext::TfrmBounds3Ext(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmBounds3Ext"));
    setWindowTitle(QStringLiteral("Bounds 3 Ext"));
    auto* layout = new QHBoxLayout(this);
    auto* grid = new QGridLayout;
    int row = 0;
    auto addRow = [&](const QString& caption, const QStringList& names, const QString& initial) {
        grid->addWidget(MakeCaption(caption, this), row, 0);
        for (int i = 0; i < names.size(); ++i) {
            QLineEdit* edit = MakeReadOnlyEdit(names[i], this);
            SetFieldText(edit, initial);
            edit->setMinimumWidth(110);
            grid->addWidget(edit, row, i + 1);
        }
        ++row;
    };
    grid->addWidget(MakeCaption(QStringLiteral("Bounding Vertices:"), this), row++, 0, 1, 4);
    addRow(QStringLiteral("Min:"), {"minX", "minY", "minZ"}, QString());
    addRow(QStringLiteral("Max:"), {"maxX", "maxY", "maxZ"}, QString());
    addRow(QStringLiteral("Corner:"), {"cornerX", "cornerY", "cornerZ"}, kNotAvailable);
    grid->addWidget(MakeCaption(QStringLiteral("Axes:"), this), row++, 0, 1, 4);
    addRow(QString(), {"axisXX", "axisXY", "axisXZ"}, kNotAvailable);
    addRow(QString(), {"axisYX", "axisYY", "axisYZ"}, kNotAvailable);
    addRow(QString(), {"axisZX", "axisZY", "axisZZ"}, kNotAvailable);
    grid->addWidget(MakeCaption(QStringLiteral("Dists:"), this), row++, 0, 1, 4);
    addRow(QString(), {"distXX", "distXY"}, kNotAvailable);
    addRow(QString(), {"distYX", "distYY"}, kNotAvailable);
    addRow(QString(), {"distZX", "distZY"}, kNotAvailable);
    layout->addLayout(grid);

    auto* groups = new QVBoxLayout;
    TypeGroup = new TFlagBoxGroup(QStringLiteral("Type"), kBoundsTypeFlags, 1, this);
    FlagsGroup = new TFlagBoxGroup(QStringLiteral("Flags"), kBounds3ExtFlags, 1, this);
    groups->addWidget(TypeGroup);
    groups->addWidget(FlagsGroup);
    groups->addStretch();
    layout->addLayout(groups);
}

void TfrmBounds3Ext::ShowBounds3Ext(const TBounds3Ext& b) {
    Bounds = b;
    TypeGroup->SetFlags(b.Bounds.BoundsType);
    FlagsGroup->SetFlags(b.Flags);
    setVector(this, QStringLiteral("min"), "XYZ", b.Bounds.Min);
    setVector(this, QStringLiteral("max"), "XYZ", b.Bounds.Max);
    if (b.Flags & kBoundsAxisAligned) return;
    setVector(this, QStringLiteral("corner"), "XYZ", b.Corner);
    const char* axisNames = "XYZ";
    for (int i = 0; i < 3; ++i) {
        setVector(this, QStringLiteral("axis") + QChar(axisNames[i]), "XYZ", b.Axes[i]);
        const QString dist = QStringLiteral("dist") + QChar(axisNames[i]);
        SetFieldFloat(findChild<QLineEdit*>(dist + 'X'), b.Dists[i][0]);
        SetFieldFloat(findChild<QLineEdit*>(dist + 'Y'), b.Dists[i][1]);
    }
}
