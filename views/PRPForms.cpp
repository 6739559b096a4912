#include "PRPForms.h"

#include <QHeaderView>
#include <QLayout>
#include <QListView>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QScrollArea>
#include <QSet>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include "HexTranslation.h"
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

// The height of one line of a view: its tallest cell among the shown columns.
int lineHeight(const QAbstractItemView* view, const QModelIndex& line, const QTreeView* tree) {
    const QAbstractItemModel* model = view->model();
    int height = view->sizeHintForIndex(line).height();
    if (tree)
        for (int column = 1; column < model->columnCount(line.parent()); ++column)
            if (!tree->isColumnHidden(column))
                height = std::max(height, view->sizeHintForIndex(line.siblingAtColumn(column)).height());
    return height;
}

// The size at which a list or tree shows every line it shows now (a tree's open nodes) whole, with no
// scroll bar: its lines, header and frame. Lines below `most` pixels are not measured: the view cannot be
// given room for them. Invalid for views whose lines lie otherwise (tables, icon grids).
QSize linesNeed(const QAbstractItemView* view, int most) {
    const auto* tree = qobject_cast<const QTreeView*>(view);
    const auto* list = qobject_cast<const QListView*>(view);
    const QAbstractItemModel* model = view->model();
    if (!model || (!tree && !list)) return {};
    if (list && (list->viewMode() != QListView::ListMode || list->flow() != QListView::TopToBottom ||
                 list->isWrapping()))
        return {};
    const int column = list ? list->modelColumn() : 0;
    const bool uniform = (tree && tree->uniformRowHeights()) || (list && list->uniformItemSizes());
    int height = 0, uniformHeight = -1;
    std::vector<QModelIndex> parents{view->rootIndex()};
    // Depth first: a tree's open nodes show their children below them.
    while (!parents.empty() && height <= most) {
        const QModelIndex parent = parents.back();
        parents.pop_back();
        const int rows = model->rowCount(parent);
        for (int row = 0; row < rows && height <= most; ++row) {
            if (tree ? tree->isRowHidden(row, parent) : list->isRowHidden(row)) continue;
            const QModelIndex line = model->index(row, column, parent);
            if (!uniform || uniformHeight < 0) uniformHeight = lineHeight(view, line, tree);
            height += uniformHeight;
            if (tree && tree->isExpanded(line)) parents.push_back(line);
        }
    }
    int width = 0;
    const QHeaderView* header = tree ? tree->header() : nullptr;
    if (header && !header->isHidden()) {
        width = header->length();
        height += header->sizeHint().height();
    } else {
        width = view->sizeHintForColumn(column);
    }
    const int frame = 2 * view->frameWidth();
    return {width + frame, height + frame};
}
} // namespace

QString PageText(const std::string& s) {
    QString text;
    text.reserve(qsizetype(s.size()));
    for (char byte : s)
        text += QChar(ansiToUnicode(static_cast<uint8_t>(byte)));
    return text;
}

std::string PageBytes(const QString& s, QStringList* leftOut) {
    std::string bytes;
    bytes.reserve(size_t(s.size()));
    QSet<char32_t> named;
    for (char32_t code : s.toUcs4()) {
        // unicodeToAnsi answers 0 for "no byte", so the character 0 is its own byte before asking it.
        const uint8_t byte = code == 0 || code > 0xFFFF ? 0 : unicodeToAnsi(char16_t(code));
        if (code == 0 || byte != 0) {
            bytes += char(byte);
        } else if (leftOut && !named.contains(code)) {
            named.insert(code);
            *leftOut += QString::fromUcs4(&code, 1);
        }
    }
    return bytes;
}

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
    const QSize decoration = subWindow_->size() - subWindow_->contentsRect().size();
    const QSize area = ChildAreaSize(subWindow_->mdiArea(), {subWindow_});
    const QSize keep = whole.isValid() ? whole + decoration : subWindow_->minimumSizeHint();
    const QSize wanted = subWindow_->size().expandedTo(keep);
    if (!area.isValid() || !least.isValid()) {
        PlaceChildFrame(subWindow_, subWindow_->pos(), wanted, keep, area);
        return;
    }
    // The window keeps its cascade place and scrolls what the rest of the area cannot show, down to half
    // the area; only a window left less than that moves back toward the area's corner.
    const QSize usable = (least + decoration).boundedTo(area / 2);
    // Lists take only the room below and right of that place.
    const QSize room = area - QSize(subWindow_->x(), subWindow_->y());
    PlaceChildFrame(subWindow_, subWindow_->pos(), roomForLines(wanted, room.expandedTo(wanted)), usable,
                    area);
    QRect placed = subWindow_->geometry();
    const QSize shown = placed.size() - decoration;
    const bool sideways = shown.width() < least.width(), down = shown.height() < least.height();
    if (!sideways && !down) return;
    scrollContents();
    // A bar across one way takes room the other way: where the area has room the window grows by it, so
    // that it shows only the one bar.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroller_);
    if (sideways && !down && shown.height() < least.height() + bar)
        placed.setHeight(std::min(least.height() + bar + decoration.height(), area.height() - placed.y()));
    if (down && !sideways && shown.width() < least.width() + bar)
        placed.setWidth(std::min(least.width() + bar + decoration.width(), area.width() - placed.x()));
    subWindow_->setGeometry(placed);
}

QSize TCustomPRPObjectForm::roomForLines(QSize wanted, const QSize& most) {
    const QList<QAbstractItemView*> views = findChildren<QAbstractItemView*>();
    if (views.isEmpty()) return wanted;
    const QSize before = subWindow_->size();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    // Laid out at a frame size, a view shows what it gets of that size: the frame grows by what the views
    // still lack until none lacks anything or the frame can grow no more. Each view has its share of what
    // the frame gains, so a step may give it less than it asked.
    for (int step = 0; step < 32; ++step) {
        subWindow_->resize(wanted);
        QSize lack(0, 0);
        for (QAbstractItemView* view : views) {
            if (!view->isVisibleTo(this)) continue;
            const QSize need = linesNeed(view, most.height());
            if (!need.isValid()) continue;
            int across = need.width() - view->width(), down = need.height() - view->height();
            // A line wider than the view can be given brings a scroll bar that hides a line.
            if (across > 0 && wanted.width() >= most.width()) {
                across = 0;
                down += bar;
            }
            lack = lack.expandedTo(QSize(across, down));
        }
        const QSize next = (wanted + lack).boundedTo(most).expandedTo(wanted);
        if (next == wanted) break;
        wanted = next;
    }
    subWindow_->resize(before);
    return wanted;
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

void TCustomPRPObjectForm::ShowFilledAsChild() {
    ShowAsChild();
    growToContents();
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

int ChildCascadeStep(const QMdiArea* area) {
    return area->style()->pixelMetric(QStyle::PM_TitleBarHeight) + 2;
}

namespace {
// One axis of PlaceChildFrame: the start and the length.
std::pair<int, int> placeSpan(int place, int wanted, int least, int area) {
    int length = std::min(wanted, std::max(least, area - place));
    length = std::min(length, area);
    return {std::max(0, std::min(place, area - length)), length};
}

// A place for `frame` of `size` near `at`, where `at` is held by another window: the window would hide that
// one exactly. Cascade steps further toward the area's corner come first, keeping the size; then steps away
// from it, the frame cut to the area.
QRect freePlace(const QMdiSubWindow* frame, const QPoint& at, const QSize& size, const QSize& area) {
    QMdiArea* mdiArea = frame->mdiArea();
    if (!mdiArea) return {at, size};
    std::vector<QPoint> held;
    for (QMdiSubWindow* window : mdiArea->subWindowList())
        if (window != frame && window->isVisible() && !window->isMinimized()) held.push_back(window->pos());
    const auto free = [&](const QPoint& place) {
        return std::find(held.begin(), held.end(), place) == held.end();
    };
    if (free(at)) return {at, size};
    const int step = ChildCascadeStep(mdiArea);
    for (int k = 1; at.x() - k * step > -step || at.y() - k * step > -step; ++k) {
        const QPoint place(std::max(0, at.x() - k * step), std::max(0, at.y() - k * step));
        if (free(place)) return {place, size};
    }
    for (int k = 1; at.x() + k * step < area.width() && at.y() + k * step < area.height(); ++k) {
        const QPoint place(at.x() + k * step, at.y() + k * step);
        if (free(place))
            return {place, size.boundedTo(QSize(area.width() - place.x(), area.height() - place.y()))};
    }
    return {at, size};
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
    // Moved from its place, it could land where an open window lies and hide it.
    const QRect moved = QPoint(x, y) == place ? QRect(x, y, width, height)
                                              : freePlace(frame, QPoint(x, y), QSize(width, height), area);
    frame->setGeometry(moved);
}
