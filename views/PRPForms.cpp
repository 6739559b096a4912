#include "PRPForms.h"

#include <QLayout>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QScrollArea>
#include <QVBoxLayout>
#include <cmath>
#include <cstdio>
#include <utility>

#include "NumberText.h"
#include "PRP_VCL.h"

namespace {
TCustomPRPObjectForm::ChildHost& childHost() {
    static TCustomPRPObjectForm::ChildHost host;
    return host;
}

void activateLayout(QWidget* widget) {
    if (QLayout* layout = widget->layout()) {
        layout->invalidate();
        layout->activate();
    }
}
} // namespace

TCustomPRPObjectForm::TCustomPRPObjectForm(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
}

TCustomPRPObjectForm::~TCustomPRPObjectForm() = default;

void TCustomPRPObjectForm::SetChildHost(ChildHost host) {
    childHost() = std::move(host);
}

void TCustomPRPObjectForm::LoadObject(const TPRPFileObject& entry, TPlasmaStream* /*stream*/) {
    SetObjectInfo(entry);
}

void TCustomPRPObjectForm::SetObjectInfo(const TPRPFileObject& entry) {
    ObjectInfo = entry;
    setWindowTitle(QStringLiteral("[") + QString::fromStdString(HexWord(entry.Desc.ClassType)) +
                   QStringLiteral("] ") + PageText(entry.Desc.Name));
    QIcon icon = TreeImages().Icon(GetObjectImageIndex(entry));
    if (icon.isNull()) {
        // No class icon: a blank one, so the frame shows no stock picture instead.
        QPixmap blank(16, 16);
        blank.fill(Qt::transparent);
        icon = QIcon(blank);
    }
    setWindowIcon(icon);
    ShowAsChild();
    if (subWindow_) subWindow_->setWindowIcon(icon);
    growToContents();
}

void TCustomPRPObjectForm::growToContents() {
    // A window is shown before its loader fills it, so only now do its captions and links know their
    // widths.
    if (!subWindow_ || subWindow_->isMaximized() || subWindow_->isMinimized()) return;
    const QSize whole = leastSize(true);
    // Once placed, a link wider than its room is cut with an ellipsis rather than clipped.
    const QSize least = leastSize(false);
    const QSize shown = subWindow_->contentsRect().size();
    const QSize decoration = subWindow_->size() - shown;
    const QSize area = ChildAreaSize(subWindow_->mdiArea(), {subWindow_});
    if (area.isValid() && least.isValid() &&
        !QRect(QPoint(), area).contains(QRect(QPoint(), least + decoration)))
        scrollContents();
    // Fields shown whole come before the window's cascade place: it moves rather than cut them.
    const QSize keep = whole.isValid() ? whole + decoration : subWindow_->minimumSizeHint();
    PlaceChildFrame(subWindow_, subWindow_->pos(), subWindow_->size().expandedTo(keep), keep, area);
}

QSize TCustomPRPObjectForm::leastSize(bool linksWhole) {
    for (TKeyLinkLabel* link : findChildren<TKeyLinkLabel*>())
        link->SetAsksWhole(linksWhole);
    QWidget* contents = scroller_ ? scroller_->widget() : this;
    // A layout learns of its controls' new sizes only when activated, and tells the layout around its
    // widget only then: the innermost first, so that each measures what the ones inside it know now (a
    // colour scheme's fields in their group, in the window's own layout).
    const QList<QWidget*> nested = contents->findChildren<QWidget*>();
    for (auto it = nested.crbegin(); it != nested.crend(); ++it)
        activateLayout(*it);
    activateLayout(contents);
    return contents->minimumSizeHint();
}

void TCustomPRPObjectForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Tiling or a smaller main window may leave a hosted window less room than its fields need: they
    // scroll rather than lie over each other.
    if (!subWindow_ || scroller_) return;
    const QSize least = minimumSizeHint();
    if (least.isValid() && (width() < least.width() || height() < least.height())) scrollContents();
}

void TCustomPRPObjectForm::scrollContents() {
    if (scroller_ || !layout()) return;
    auto* contents = new QWidget;
    contents->setObjectName(QStringLiteral("ScrolledContents"));
    // Takes the layout over together with the controls it arranges.
    contents->setLayout(layout());
    scroller_ = new QScrollArea(this);
    scroller_->setObjectName(QStringLiteral("ContentsScroller"));
    scroller_->setFrameShape(QFrame::NoFrame);
    scroller_->setWidgetResizable(true);
    scroller_->setWidget(contents);
    auto* fill = new QVBoxLayout(this);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(scroller_);
}

void TCustomPRPObjectForm::MarkModified() {
    if (!IsModified()) setWindowTitle(windowTitle() + QStringLiteral(" *"));
}

bool TCustomPRPObjectForm::IsModified() const {
    return windowTitle().endsWith(QChar('*'));
}

TModalResult TCustomPRPObjectForm::QuerySaveObject() {
    if (!IsModified()) return TModalResult::mrNo;
    return MessageDlg(QStringLiteral("Would you like to save object ") + PageText(ObjectInfo.Desc.Name) +
                          QStringLiteral(" before closing it?"),
                      TMsgDlgType::mtConfirmation, TMsgDlgButtons::mbYesNoCancel);
}

void TCustomPRPObjectForm::ShowAsChild() {
    if (shown_) return;
    shown_ = true;
    if (childHost()) subWindow_ = childHost()(this);
    if (subWindow_) {
        // The frame owns the form now and is the one freed on close.
        setAttribute(Qt::WA_DeleteOnClose, false);
        subWindow_->setAttribute(Qt::WA_DeleteOnClose);
        subWindow_->show();
    } else {
        show();
    }
}

QString FloatToText(double value) {
    return QString::fromStdString(FloatText(value)).replace(QChar('.'), QLocale().decimalPoint());
}

QSize ChildAreaSize(const QMdiArea* area, const QList<QMdiSubWindow*>& placing) {
    if (!area || !area->isVisible()) return {};
    const QRect whole(QPoint(0, 0), area->contentsRect().size());
    QRect others;
    for (QMdiSubWindow* window : area->subWindowList())
        if (!placing.contains(window) && window->isVisible()) others |= window->geometry();
    if (!others.isNull() && !whole.contains(others)) return area->viewport()->size();
    return whole.size();
}

namespace {
// One axis of PlaceChildFrame: the start and the length.
std::pair<int, int> placeSpan(int place, int wanted, int least, int area) {
    int length = std::min(wanted, std::max(least, area - place));
    length = std::min(length, area);
    return {std::max(0, std::min(place, area - length)), length};
}
} // namespace

void PlaceChildFrame(QMdiSubWindow* frame, const QPoint& place, const QSize& wanted, const QSize& least,
                     const QSize& area) {
    if (!area.isValid()) {
        frame->setGeometry(QRect(place, wanted));
        return;
    }
    const auto [x, width] = placeSpan(place.x(), wanted.width(), least.width(), area.width());
    const auto [y, height] = placeSpan(place.y(), wanted.height(), least.height(), area.height());
    frame->setGeometry(x, y, width, height);
}
