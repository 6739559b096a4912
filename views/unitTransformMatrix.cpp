#include "unitTransformMatrix.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMdiSubWindow>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

#include "ViewerKit.h"

namespace {
float textToFloat(const QString& text) {
    bool ok = false;
    double value = QLocale().toDouble(text.trimmed(), &ok);
    if (!ok) value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok) throw EConvertError("'" + text.toStdString() + "' is not a valid floating point value");
    return static_cast<float>(value);
}
} // namespace

TfrmTransformMatrix::TfrmTransformMatrix(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTransformMatrix"));
    setWindowTitle(QStringLiteral("Transform Matrix"));
    SetMatrix44Identity(ShownMatrix);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto* grid = new QGridLayout;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            QLineEdit* edit = MakeReadOnlyEdit(QStringLiteral("tx%1%2").arg(i).arg(j), this);
            // The user cannot widen the window: a value wider than its cell widens the cell when it is
            // shown (SetFieldFloat), and the window with it.
            edit->setFixedWidth(120);
            Cells[i][j] = edit;
            grid->addWidget(edit, i, j);
        }
    layout->addLayout(grid);

    auto* actions = new QGroupBox(QStringLiteral("Actions"), this);
    actions->setObjectName(QStringLiteral("Actions"));
    auto* actionGrid = new QGridLayout(actions);
    const char* axes[3] = {"X:", "Y:", "Z:"};
    const char* names[3] = {"XVal", "YVal", "ZVal"};
    QLineEdit** fields[3] = {&XVal, &YVal, &ZVal};
    for (int row = 0; row < 3; ++row) {
        actionGrid->addWidget(MakeCaption(QString::fromLatin1(axes[row]), actions), row, 0);
        auto* edit = new QLineEdit(QStringLiteral("1.0"), actions);
        edit->setObjectName(QString::fromLatin1(names[row]));
        edit->setFixedWidth(90);
        *fields[row] = edit;
        actionGrid->addWidget(edit, row, 1);
        actionGrid->addWidget(MakeCaption(QStringLiteral("units"), actions), row, 2);
        actionGrid->addWidget(MakeCaption(QStringLiteral("degrees"), actions), row, 3);
        actionGrid->addWidget(MakeCaption(QStringLiteral("factor"), actions), row, 4);
    }
    actionGrid->addWidget(MakeCaption(QStringLiteral("Go:"), actions), 3, 1);
    DoTranslate = new TLinkLabel(QStringLiteral("Translate"), QStringLiteral("DoTranslate"), actions);
    DoRotate = new TLinkLabel(QStringLiteral("Rotate"), QStringLiteral("DoRotate"), actions);
    DoScale = new TLinkLabel(QStringLiteral("Scale"), QStringLiteral("DoScale"), actions);
    actionGrid->addWidget(DoTranslate, 3, 2);
    actionGrid->addWidget(DoRotate, 3, 3);
    actionGrid->addWidget(DoScale, 3, 4);
    layout->addWidget(actions);

    connect(DoTranslate, &TLinkLabel::clicked, this, &TfrmTransformMatrix::DoTranslateClick);
    connect(DoRotate, &TLinkLabel::clicked, this, &TfrmTransformMatrix::DoRotateClick);
    connect(DoScale, &TLinkLabel::clicked, this, &TfrmTransformMatrix::DoScaleClick);
}

void TfrmTransformMatrix::ShowMatrix(const TMatrix44& m) {
    ShownMatrix = m;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            SetFieldFloat(Cells[i][j], m[i][j]);
    // Scaling or translating may leave a value wider than its cell: the fixed frame follows its cells.
    if (fixedFrame_) fitFrame();
}

void TfrmTransformMatrix::ShowFixedChild() {
    ShowAsChild();
    QMdiSubWindow* frame = SubWindow();
    if (!frame) return;
    // Changing the flags hides the frame; it is shown again at the size its contents fix.
    frame->setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    fixedFrame_ = true;
    fitFrame();
    frame->show();
}

void TfrmTransformMatrix::fitFrame() {
    QMdiSubWindow* frame = SubWindow();
    // Cells that already scroll in a frame kept to the child area scroll on as they widen.
    if (!frame || findChild<QScrollArea*>(QStringLiteral("ContentsScroller"))) return;
    frame->setMinimumSize(0, 0);
    frame->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    layout()->activate();
    frame->adjustSize();
    QSize size = frame->size();
    const QSize area = ChildAreaSize(frame->mdiArea(), {frame});
    if (area.isValid() && (size.width() > area.width() || size.height() > area.height())) {
        // A child area smaller than the cells: the window keeps to it and the cells, still whole, scroll.
        scrollContents();
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        // A bar across one way takes room the other way: the window grows by it where the area has room,
        // so that it shows only the one bar.
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
        if (size.width() > area.width() && size.height() + bar <= area.height())
            size.rheight() += bar;
        else if (size.height() > area.height() && size.width() + bar <= area.width())
            size.rwidth() += bar;
        size = size.boundedTo(area);
    }
    frame->setFixedSize(size);
    PlaceChildFrame(frame, frame->pos(), size, size, area);
}

std::array<float, 3> TfrmTransformMatrix::actionValues() const {
    return {textToFloat(XVal->text()), textToFloat(YVal->text()), textToFloat(ZVal->text())};
}

void TfrmTransformMatrix::DoScaleClick() {
    const auto v = actionValues();
    TMatrix44 scale = IdentityMatrix44();
    for (int i = 0; i < 3; ++i)
        scale[i][i] = v[i];
    TMatrix44 product;
    MultiplyMatrix44(ShownMatrix, scale, product);
    ShowMatrix(product);
}

void TfrmTransformMatrix::DoTranslateClick() {
    const auto v = actionValues();
    TMatrix44 translate = IdentityMatrix44();
    for (int i = 0; i < 3; ++i)
        translate[i][3] = v[i];
    TMatrix44 product;
    MultiplyMatrix44(ShownMatrix, translate, product);
    ShowMatrix(product);
}

void TfrmTransformMatrix::DoRotateClick() {}
