#include "ViewerKit.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPoint>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QVariant>
#include <cmath>

#include "MessageService.h"
#include "NumberText.h"
#include "PRPForms.h"
#include "PRP_VCL.h"
#include "ViewerHost.h"
#include "unitBounds3Ext.h"
#include "unitTplMSModifier.h"
#include "unitTplObjInterface.h"
#include "unitTplSynchedObject.h"
#include "unitTransformMatrix.h"

QString HexToText(uint32_t value, int digits) {
    return QString::fromStdString(HexText(value, digits));
}

QString VectorSeparator() {
    return QLocale().decimalPoint() == QStringLiteral(",") ? QStringLiteral(";") : QStringLiteral(",");
}

QString SynchedObjLinkCaption(const TSynchedObject& part) {
    return QStringLiteral("Synched Object Info (%1)").arg(part.StringCount);
}

// ---- TLinkLabel

TLinkLabel::TLinkLabel(const QString& caption, const QString& name, QWidget* parent)
    : QLabel(caption, parent) {
    setObjectName(name);
    updateLook();
}

void TLinkLabel::updateLook() {
    QFont f = font();
    f.setUnderline(isEnabled());
    setFont(f);
    setCursor(isEnabled() ? Qt::PointingHandCursor : Qt::ArrowCursor);
    QPalette pal = palette();
    pal.setColor(QPalette::Active, QPalette::WindowText, QColor(0, 0, 200));
    pal.setColor(QPalette::Inactive, QPalette::WindowText, QColor(0, 0, 200));
    setPalette(pal);
}

void TLinkLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) updateLook();
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !isEnabled() || !rect().contains(event->position().toPoint()))
        return;
    Guarded([this] { emit clicked(); });
}

TFixedKeyLink::TFixedKeyLink(const QString& caption, const QString& name, QWidget* parent)
    : TLinkLabel(caption, name, parent) {
    setEnabled(false);
    connect(this, &TLinkLabel::clicked, this, [this] {
        if (!key_.Name.empty()) ShowObjectByKey(key_);
    });
}

void TFixedKeyLink::SetKey(const TPRPObjectDesc& key) {
    key_ = key;
    setEnabled(!key.Name.empty());
}

// ---- TFlagBoxGroup

TFlagBoxGroup::TFlagBoxGroup(const QString& caption, TFlagTable table, int columns, QWidget* parent)
    : QGroupBox(caption, parent), table_(table) {
    auto* grid = new QGridLayout(this);
    grid->setVerticalSpacing(2);
    const int rows = (int(table.size()) + columns - 1) / std::max(columns, 1);
    for (size_t i = 0; i < table.size(); ++i) {
        auto* box = new QCheckBox(QString::fromUtf8(table[i].Caption), this);
        box->setObjectName(QString::fromLatin1(table[i].Name));
        box->setAttribute(Qt::WA_TransparentForMouseEvents);
        box->setFocusPolicy(Qt::NoFocus);
        grid->addWidget(box, int(i) % rows, int(i) / rows);
    }
}

void TFlagBoxGroup::SetFlags(uint32_t flags) {
    flags_ = flags;
    for (const TFlagBit& bit : table_)
        if (auto* box = findChild<QCheckBox*>(QString::fromLatin1(bit.Name), Qt::FindDirectChildrenOnly))
            box->setChecked(flags & bit.Bit);
}

// ---- TColorSwatch

namespace {
TColorSwatch::Picker& swatchPicker() {
    static TColorSwatch::Picker picker;
    return picker;
}

std::optional<QColor> pickWithMainDialog(const QColor& initial, QWidget* parent) {
    QColorDialog* dialog = ViewerHost() ? ViewerHost()->SharedColorDialog() : nullptr;
    if (!dialog) {
        const QColor chosen = QColorDialog::getColor(initial, parent);
        return chosen.isValid() ? std::optional<QColor>(chosen) : std::nullopt;
    }
    dialog->setCurrentColor(initial);
    if (dialog->exec() != QDialog::Accepted) return std::nullopt;
    return dialog->selectedColor();
}
} // namespace

TColorSwatch::TColorSwatch(const QString& name, QWidget* parent) : QFrame(parent) {
    setObjectName(name);
    setFrameShape(QFrame::Box);
    setMinimumSize(40, 18);
    setCursor(Qt::PointingHandCursor);
}

void TColorSwatch::SetPicker(Picker picker) {
    swatchPicker() = std::move(picker);
}

QColor TColorSwatch::ToQColor(uint32_t packed) {
    return QColor(packed & 0xFF, (packed >> 8) & 0xFF, (packed >> 16) & 0xFF);
}

uint32_t TColorSwatch::FromQColor(const QColor& color) {
    return uint32_t(color.red()) | (uint32_t(color.green()) << 8) | (uint32_t(color.blue()) << 16);
}

void TColorSwatch::SetColor(uint32_t packed) {
    color_ = packed & 0xFFFFFF;
    update();
}

void TColorSwatch::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(rect(), ToQColor(color_));
    painter.end();
    QFrame::paintEvent(event);
}

void TColorSwatch::mouseReleaseEvent(QMouseEvent* event) {
    QFrame::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) return;
    Guarded([this] {
        const Picker& picker = swatchPicker();
        const auto chosen =
            picker ? picker(ToQColor(color_), this) : pickWithMainDialog(ToQColor(color_), this);
        if (!chosen) return;
        SetColor(FromQColor(*chosen));
        emit colorPicked(color_);
    });
}

// ---- TValueCombo

TValueCombo::TValueCombo(const QString& name, QWidget* parent) : QComboBox(parent) {
    setObjectName(name);
}

void TValueCombo::AddValue(const QString& caption, int64_t value) {
    addItem(caption, QVariant::fromValue<qlonglong>(value));
}

void TValueCombo::SelectValue(int64_t value) {
    setCurrentIndex(findData(QVariant::fromValue<qlonglong>(value)));
}

// ---- Helpers

QLineEdit* MakeReadOnlyEdit(const QString& name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setReadOnly(true);
    return edit;
}

void SetFieldText(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    edit->setCursorPosition(0);
}

int FieldWidthFor(const QLineEdit* edit, const QString& text) {
    const QFontMetricsF metrics(edit->font());
    // Beside the text a line edit keeps two pixels on either side, one for the caret, and room for
    // glyphs that reach past their advance; with less it scrolls.
    const QMargins margins = edit->textMargins();
    const double inner = metrics.horizontalAdvance(text) + 1 + std::max(0.0, -metrics.minLeftBearing()) +
                         std::max(0.0, -metrics.minRightBearing()) + 2 * 2 + margins.left() + margins.right();
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.lineWidth =
        edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit) : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    if (edit->isReadOnly()) option.state |= QStyle::State_ReadOnly;
    const QSize contents(int(std::ceil(inner)), int(std::ceil(metrics.height())));
    return edit->style()->sizeFromContents(QStyle::CT_LineEdit, &option, contents, edit).width();
}

void SetFieldWhole(QLineEdit* edit, const QString& text) {
    SetFieldText(edit, text);
    QVariant designed = edit->property(kDesignedWidthsProperty);
    if (!designed.isValid()) {
        designed = QPoint(edit->minimumWidth(), edit->maximumWidth());
        edit->setProperty(kDesignedWidthsProperty, designed);
    }
    const int need = FieldWidthFor(edit, text);
    edit->setMinimumWidth(std::max(designed.toPoint().x(), need));
    edit->setMaximumWidth(std::max(designed.toPoint().y(), need));
}

void SetFieldFloat(QLineEdit* edit, double value) {
    SetFieldWhole(edit, FloatToText(value));
}

void SetFieldHex(QLineEdit* edit, uint32_t value, int digits) {
    SetFieldWhole(edit, HexToText(value, digits));
}

QLabel* MakeCaption(const QString& text, QWidget* parent) {
    return new QLabel(text, parent);
}

void AddPresentKeys(TObjRefTreeView* tree, const TKeySlots& keys) {
    for (size_t i = 0; i < keys.size(); ++i)
        if (i < keys.Present.size() && keys.Present[i]) tree->AddKeyNode(keys[i]);
}

// ---- Part and sub-view windows

TfrmTplSynchedObject* OpenSynchedObjectPart(const TSynchedObject& part) {
    auto* form = new TfrmTplSynchedObject;
    ShowSynchedObjectPart(form, part);
    return form;
}

TfrmTplMSModifier* OpenModifierPart(const TMSModifier& part, bool multi) {
    auto* form = new TfrmTplMSModifier;
    ShowModifierPart(form, part, multi);
    return form;
}

TfrmTplObjInterface* OpenObjInterfacePart(const TObjInterface& part) {
    auto* form = new TfrmTplObjInterface;
    ShowObjInterfacePart(form, part);
    return form;
}

TfrmTransformMatrix* OpenTransformMatrix(const TMatrix44& matrix) {
    auto* form = new TfrmTransformMatrix;
    form->ShowMatrix(matrix);
    form->ShowFixedChild();
    return form;
}

TfrmBounds3Ext* OpenBounds3Ext(const TBounds3Ext& bounds) {
    auto* form = new TfrmBounds3Ext;
    form->ShowBounds3Ext(bounds);
    form->ShowFilledAsChild();
    return form;
}

TLinkLabel* MakeSynchedObjLink(const TSynchedObject& part, QWidget* parent) {
    auto* link =
        new TLinkLabel(QStringLiteral("Synched Object Info"), QStringLiteral("SynchedObjLink"), parent);
    QObject::connect(link, &TLinkLabel::clicked, link, [&part] { OpenSynchedObjectPart(part); });
    return link;
}

TLinkLabel* MakeObjIntfLink(const TObjInterface& part, QWidget* parent) {
    auto* link = new TLinkLabel(QStringLiteral("Object Interface"), QStringLiteral("LinkedObjIntf"), parent);
    QObject::connect(link, &TLinkLabel::clicked, link, [&part] { OpenObjInterfacePart(part); });
    return link;
}

QHBoxLayout* MakeInterfacePartLinks(const TSynchedObject& synched, const TObjInterface& objInterface,
                                    QWidget* parent, TLinkLabel*& synchedLink,
                                    TLinkLabel*& objInterfaceLink) {
    auto* row = new QHBoxLayout;
    synchedLink = MakeSynchedObjLink(synched, parent);
    objInterfaceLink = MakeObjIntfLink(objInterface, parent);
    row->addWidget(synchedLink);
    row->addWidget(objInterfaceLink);
    row->addStretch();
    return row;
}

TLinkLabel* MakeModifierLink(const TMSModifier& part, bool multiCaption, bool multiFlag, QWidget* parent) {
    auto* link =
        multiCaption
            ? new TLinkLabel(QStringLiteral("Multi-Modifier"), QStringLiteral("LinkedMultiMod"), parent)
            : new TLinkLabel(QStringLiteral("Single-Modifier"), QStringLiteral("LinkedSingleMod"), parent);
    QObject::connect(link, &TLinkLabel::clicked, link,
                     [&part, multiFlag] { OpenModifierPart(part, multiFlag); });
    return link;
}

TLinkLabel* MakeMatrixLink(const TMatrix44& matrix, const QString& caption, const QString& name,
                           QWidget* parent) {
    auto* link = new TLinkLabel(caption, name, parent);
    QObject::connect(link, &TLinkLabel::clicked, link, [&matrix] { OpenTransformMatrix(matrix); });
    return link;
}
