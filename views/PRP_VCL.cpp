#include "PRP_VCL.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QTreeWidgetItemIterator>
#include <QVarLengthArray>
#include <algorithm>
#include <cmath>

#include "MessageService.h"
#include "PRPForms.h"
#include "ViewerHost.h"

namespace {

constexpr int kIconSize = 16;
constexpr int kIconCount = 21; // 0..2 fixed roles, 3..20 the class tables' image indexes

void drawFolder(QPainter& p) {
    p.setPen(QColor(150, 110, 20));
    p.setBrush(QColor(240, 200, 80));
    p.drawRect(QRectF(1.5, 4.5, 13, 9));
    p.drawRect(QRectF(1.5, 2.5, 5, 2));
}

void drawGlobe(QPainter& p) {
    p.setPen(QColor(20, 60, 140));
    p.setBrush(QColor(90, 150, 230));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(5.5, 1.5, 5, 13));
    p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
    p.setPen(QColor(60, 160, 60));
    p.drawLine(QPointF(3, 5), QPointF(7, 5));
    p.drawLine(QPointF(9, 11), QPointF(13, 11));
}

void drawPage(QPainter& p) {
    QPainterPath path;
    path.moveTo(3.5, 1.5);
    path.lineTo(10.5, 1.5);
    path.lineTo(13.5, 4.5);
    path.lineTo(13.5, 14.5);
    path.lineTo(3.5, 14.5);
    path.closeSubpath();
    p.setPen(QColor(80, 80, 80));
    p.setBrush(Qt::white);
    p.drawPath(path);
    p.drawLine(QPointF(10.5, 1.5), QPointF(10.5, 4.5));
    p.drawLine(QPointF(10.5, 4.5), QPointF(13.5, 4.5));
    p.setPen(QColor(120, 140, 200));
    for (int y = 7; y <= 12; y += 2)
        p.drawLine(QPointF(5.5, y + 0.5), QPointF(11.5, y + 0.5));
}

void drawSceneNode(QPainter& p) {
    p.setPen(QPen(QColor(30, 110, 30), 1.5));
    p.drawLine(QPointF(8, 4), QPointF(3.5, 12));
    p.drawLine(QPointF(8, 4), QPointF(12.5, 12));
    p.drawLine(QPointF(8, 4), QPointF(8, 12));
    p.setPen(QColor(20, 80, 20));
    p.setBrush(QColor(80, 200, 80));
    p.drawEllipse(QRectF(5.5, 1.5, 5, 5));
    for (double x : {1.5, 6.0, 10.5})
        p.drawEllipse(QRectF(x, 10.5, 4, 4));
}

void drawCube(QPainter& p) {
    p.setPen(QColor(140, 70, 10));
    p.setBrush(QColor(250, 150, 50));
    p.drawPolygon(QPolygonF({{2.5, 5.5}, {9.5, 5.5}, {9.5, 13.5}, {2.5, 13.5}}));
    p.setBrush(QColor(255, 190, 110));
    p.drawPolygon(QPolygonF({{2.5, 5.5}, {6.5, 1.5}, {13.5, 1.5}, {9.5, 5.5}}));
    p.setBrush(QColor(200, 110, 30));
    p.drawPolygon(QPolygonF({{9.5, 5.5}, {13.5, 1.5}, {13.5, 9.5}, {9.5, 13.5}}));
}

void drawChecker(QPainter& p) {
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            p.fillRect(QRect(2 + x * 3, 2 + y * 3, 3, 3),
                       (x + y) % 2 ? QColor(200, 60, 160) : QColor(250, 250, 250));
    p.setPen(QColor(90, 30, 80));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(1.5, 1.5, 12, 12));
}

void drawLayers(QPainter& p) {
    const QColor colours[] = {QColor(60, 90, 200), QColor(90, 160, 230), QColor(170, 210, 250)};
    for (int i = 0; i < 3; ++i) {
        const double y = 10.5 - i * 3.5;
        p.setPen(QColor(20, 40, 120));
        p.setBrush(colours[i]);
        p.drawPolygon(QPolygonF({{1.5, y}, {8, y - 3}, {14.5, y}, {8, y + 3}}));
    }
}

void drawSphere(QPainter& p) {
    QRadialGradient gradient(QPointF(6, 6), 8);
    gradient.setColorAt(0, QColor(255, 200, 200));
    gradient.setColorAt(1, QColor(170, 20, 20));
    p.setPen(QColor(110, 10, 10));
    p.setBrush(gradient);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
}

void drawInterface(QPainter& p) {
    p.setPen(QPen(QColor(110, 40, 160), 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(2, 2, 12, 12));
    p.setBrush(QColor(170, 100, 220));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(5.5, 5.5, 5, 5));
}

void drawGear(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(110, 110, 120));
    for (int i = 0; i < 8; ++i) {
        const double a = i * M_PI / 4;
        p.drawEllipse(QPointF(8 + 5.5 * std::cos(a), 8 + 5.5 * std::sin(a)), 1.8, 1.8);
    }
    p.drawEllipse(QRectF(3, 3, 10, 10));
    p.setBrush(QColor(230, 230, 235));
    p.drawEllipse(QRectF(6, 6, 4, 4));
}

void drawLight(QPainter& p) {
    p.setPen(QPen(QColor(230, 160, 0), 1.2));
    for (int i = 0; i < 8; ++i) {
        const double a = i * M_PI / 4;
        p.drawLine(QPointF(8 + 5 * std::cos(a), 8 + 5 * std::sin(a)),
                   QPointF(8 + 7.3 * std::cos(a), 8 + 7.3 * std::sin(a)));
    }
    p.setBrush(QColor(255, 230, 60));
    p.drawEllipse(QRectF(4, 4, 8, 8));
}

void drawSpeaker(QPainter& p) {
    p.setPen(QColor(30, 30, 30));
    p.setBrush(QColor(70, 70, 70));
    p.drawPolygon(QPolygonF({{1.5, 6}, {4.5, 6}, {8.5, 2}, {8.5, 14}, {4.5, 10}, {1.5, 10}}));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(20, 120, 200), 1.2));
    p.drawArc(QRectF(6, 4.5, 6, 7), -60 * 16, 120 * 16);
    p.drawArc(QRectF(6, 2, 9, 12), -60 * 16, 120 * 16);
}

void drawButton(QPainter& p) {
    p.setPen(QColor(60, 60, 60));
    p.setBrush(QColor(215, 215, 215));
    p.drawRoundedRect(QRectF(0.5, 4.5, 15, 8), 2, 2);
    p.setPen(QColor(255, 255, 255));
    p.drawLine(QPointF(2, 5.5), QPointF(14, 5.5));
    p.fillRect(QRect(4, 8, 8, 2), QColor(40, 80, 170));
}

void drawDetector(QPainter& p) {
    QPainterPath eye;
    eye.moveTo(0.5, 8);
    eye.quadTo(8, 0, 15.5, 8);
    eye.quadTo(8, 16, 0.5, 8);
    p.setPen(QColor(120, 20, 20));
    p.setBrush(QColor(255, 235, 235));
    p.drawPath(eye);
    p.setBrush(QColor(210, 40, 40));
    p.drawEllipse(QRectF(5, 5, 6, 6));
    p.setBrush(Qt::black);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(7, 7, 2, 2));
}

void drawMesh(QPainter& p) {
    p.setPen(QColor(0, 110, 110));
    p.setBrush(QColor(120, 220, 210));
    p.drawPolygon(QPolygonF({{8, 1.5}, {14.5, 13.5}, {1.5, 13.5}}));
    p.drawLine(QPointF(4.75, 7.5), QPointF(11.25, 7.5));
    p.drawLine(QPointF(4.75, 7.5), QPointF(8, 13.5));
    p.drawLine(QPointF(11.25, 7.5), QPointF(8, 13.5));
}

void drawPhysics(QPainter& p) {
    p.setPen(QPen(QColor(100, 100, 100), 1.2));
    for (int y : {5, 8, 11})
        p.drawLine(QPointF(0.5, y), QPointF(5, y));
    p.setPen(QColor(20, 20, 90));
    p.setBrush(QColor(40, 60, 170));
    p.drawEllipse(QRectF(5.5, 2.5, 10, 10));
}

void drawPython(QPainter& p) {
    p.setPen(QColor(30, 60, 110));
    p.setBrush(QColor(60, 110, 180));
    p.drawRoundedRect(QRectF(1.5, 1.5, 8, 8), 2, 2);
    p.setPen(QColor(150, 120, 0));
    p.setBrush(QColor(250, 210, 50));
    p.drawRoundedRect(QRectF(6.5, 6.5, 8, 8), 2, 2);
}

void drawFigure(QPainter& p) {
    p.setPen(QPen(QColor(150, 60, 0), 1.5));
    p.setBrush(QColor(240, 150, 80));
    p.drawEllipse(QRectF(6, 1, 4, 4));
    p.drawLine(QPointF(8, 5), QPointF(8, 10));
    p.drawLine(QPointF(3, 7), QPointF(13, 7));
    p.drawLine(QPointF(8, 10), QPointF(4, 15));
    p.drawLine(QPointF(8, 10), QPointF(12, 15));
}

void drawCamera(QPainter& p) {
    p.setPen(QColor(20, 20, 20));
    p.setBrush(QColor(90, 90, 100));
    p.drawRoundedRect(QRectF(1.5, 4.5, 13, 9), 1.5, 1.5);
    p.drawRect(QRectF(4.5, 2.5, 4, 2));
    p.setBrush(QColor(140, 200, 250));
    p.drawEllipse(QRectF(5, 6, 6, 6));
}

void drawParticles(QPainter& p) {
    p.setPen(Qt::NoPen);
    const QPointF points[] = {{3, 3}, {8, 2}, {13, 4}, {5, 8}, {11, 8}, {2, 12}, {8, 13}, {14, 12}, {8, 7}};
    const QColor colours[] = {QColor(250, 120, 0), QColor(255, 200, 0), QColor(230, 40, 40)};
    int i = 0;
    for (const QPointF& point : points) {
        p.setBrush(colours[i++ % 3]);
        p.drawEllipse(point, 1.6, 1.6);
    }
}

void drawOther(QPainter& p) {
    p.setPen(QColor(70, 70, 70));
    p.setBrush(QColor(175, 175, 175));
    p.drawPolygon(QPolygonF({{8, 1.5}, {14.5, 8}, {8, 14.5}, {1.5, 8}}));
}

QPixmap drawIcon(int index) {
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    using Draw = void (*)(QPainter&);
    static const Draw draws[kIconCount] = {
        drawFolder, drawGlobe,     drawPage,   drawSceneNode, drawCube,    drawChecker,   drawLayers,
        drawSphere, drawInterface, drawGear,   drawLight,     drawSpeaker, drawButton,    drawDetector,
        drawMesh,   drawPhysics,   drawPython, drawFigure,    drawCamera,  drawParticles, drawOther};
    draws[index](p);
    return pixmap;
}

} // namespace

TImageList::TImageList() {
    for (int i = 0; i < kIconCount; ++i) {
        pixmaps_.push_back(drawIcon(i));
        icons_.emplace_back(pixmaps_.back());
    }
}

QIcon TImageList::Icon(int index) const {
    if (index < 0 || index >= Count()) return QIcon();
    return icons_[size_t(index)];
}

QPixmap TImageList::Pixmap(int index) const {
    if (index < 0 || index >= Count()) return QPixmap();
    return pixmaps_[size_t(index)];
}

TImageList& TreeImages() {
    static TImageList images;
    return images;
}

void ShowObjectByKey(const TPRPObjectDesc& key) {
    TViewerHost* host = ViewerHost();
    if (!host) return;
    Guarded([&] { host->ShowObjectByKey(key, false); });
}

// ---- TObjRefTreeView

TObjRefTreeView::TObjRefTreeView(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setExpandsOnDoubleClick(true);
    connect(this, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* node, int) { nodeDoubleClicked(node); });
    QAbstractItemModel* nodes = model();
    connect(nodes, &QAbstractItemModel::rowsInserted, this, &TObjRefTreeView::nodesInserted);
    connect(nodes, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this] { forgetIndex(); });
    connect(nodes, &QAbstractItemModel::rowsAboutToBeMoved, this, [this] { forgetIndex(); });
    connect(nodes, &QAbstractItemModel::modelAboutToBeReset, this, [this] { forgetIndex(); });
    connect(nodes, &QAbstractItemModel::layoutAboutToBeChanged, this, [this] { forgetIndex(); });
    connect(nodes, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                if (roles.isEmpty() || roles.contains(Qt::DisplayRole) || roles.contains(Qt::EditRole))
                    forgetIndex();
            });
}

TObjRefTreeView::~TObjRefTreeView() {
    // The base class empties the model after this part is gone: its notices must not reach the index.
    disconnect(model(), nullptr, this, nullptr);
}

void TObjRefTreeView::clear() {
    QTreeWidget::clear();
    classLooks_.clear();
}

const TObjRefTreeView::ClassLook& TObjRefTreeView::classLook(const TPRPObjectDesc& key) {
    if (classLooksVersion_ != Version) {
        classLooks_.clear();
        classLooksVersion_ = Version;
    }
    auto found = classLooks_.find(key.ClassType);
    if (found == classLooks_.end())
        found = classLooks_.insert(key.ClassType, {PageText(GetClassLabel(key, Version)),
                                                   TreeImages().Icon(GetClassImageIndex(key, Version))});
    return *found;
}

void TObjRefTreeView::insertNode(QTreeWidgetItem* node, QTreeWidgetItem* parent, bool first) {
    // Text, icon and data are set before the node joins the tree: each change of a shown node is a notice
    // to the view.
    if (!parent)
        insertTopLevelItem(first ? 0 : topLevelItemCount(), node);
    else if (first)
        parent->insertChild(0, node);
    else
        parent->addChild(node);
}

QTreeWidgetItem* TObjRefTreeView::AddLabelNode(const QString& text, QTreeWidgetItem* parent, bool first) {
    auto* node = new QTreeWidgetItem(QStringList{text});
    node->setIcon(0, TreeImages().Icon(TImageList::kFolder));
    insertNode(node, parent, first);
    return node;
}

QTreeWidgetItem* TObjRefTreeView::AddKeyNode(const TPRPObjectDesc& key, QTreeWidgetItem* parent) {
    const QString& label = classLook(key).Label;
    if (indexStale_) rebuildIndex();
    QTreeWidgetItem* group =
        parent ? lastChildByText_.value({parent, label}, nullptr) : lastByText_.value(label, nullptr);
    if (!group) return AddKeyToGroup(key, AddLabelNode(label, parent));
    const QIcon& folder = TreeImages().Icon(TImageList::kFolder);
    if (group->icon(0).cacheKey() != folder.cacheKey()) group->setIcon(0, folder);
    return AddKeyToGroup(key, group);
}

QTreeWidgetItem* TObjRefTreeView::AddKeyToGroup(const TPRPObjectDesc& key, QTreeWidgetItem* group) {
    auto* node = new QTreeWidgetItem(QStringList{PageText(key.Name)});
    node->setIcon(0, classLook(key).Icon);
    node->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(&key)));
    insertNode(node, group);
    return node;
}

void TObjRefTreeView::nodesInserted(const QModelIndex& parent, int first, int last) {
    if (indexStale_) return;
    QTreeWidgetItem* holder = parent.isValid() ? itemFromIndex(parent) : invisibleRootItem();
    for (int row = first; row <= last; ++row) {
        // A node may come with children of its own: note the whole branch, in tree order.
        std::vector<QTreeWidgetItem*> pending{holder->child(row)};
        while (!pending.empty()) {
            QTreeWidgetItem* node = pending.back();
            pending.pop_back();
            noteNode(node);
            for (int i = node->childCount() - 1; i >= 0; --i)
                pending.push_back(node->child(i));
        }
    }
}

void TObjRefTreeView::noteNode(QTreeWidgetItem* node) {
    const QString text = node->text(0);
    QTreeWidgetItem*& lastChild = lastChildByText_[{node->parent(), text}];
    if (!lastChild || rowOf(node) > rowOf(lastChild)) lastChild = node;
    QTreeWidgetItem*& lastNode = lastByText_[text];
    if (!lastNode || comesAfter(node, lastNode)) lastNode = node;
}

void TObjRefTreeView::forgetIndex() {
    // Nodes may be on their way out: drop every pointer now, rebuild when next asked.
    lastByText_.clear();
    lastChildByText_.clear();
    indexStale_ = true;
}

void TObjRefTreeView::rebuildIndex() {
    lastByText_.clear();
    lastChildByText_.clear();
    // Tree order: each later node of a text replaces the one noted before.
    for (QTreeWidgetItemIterator it(this); *it; ++it) {
        const QString text = (*it)->text(0);
        lastByText_[text] = *it;
        lastChildByText_[{(*it)->parent(), text}] = *it;
    }
    indexStale_ = false;
}

int TObjRefTreeView::rowOf(const QTreeWidgetItem* node) const {
    // The model remembers each node's row: no scan of the siblings.
    return indexFromItem(node).row();
}

bool TObjRefTreeView::comesAfter(const QTreeWidgetItem* a, const QTreeWidgetItem* b) const {
    auto pathOf = [this](const QTreeWidgetItem* node) {
        QVarLengthArray<int, 8> path;
        for (; node; node = node->parent())
            path.append(rowOf(node));
        std::reverse(path.begin(), path.end());
        return path;
    };
    const auto pathA = pathOf(a), pathB = pathOf(b);
    // An ancestor comes before its descendants.
    return std::lexicographical_compare(pathB.begin(), pathB.end(), pathA.begin(), pathA.end());
}

const TPRPObjectDesc* TObjRefTreeView::KeyOf(const QTreeWidgetItem* node) {
    if (!node) return nullptr;
    const QVariant data = node->data(0, Qt::UserRole);
    if (!data.isValid()) return nullptr;
    return reinterpret_cast<const TPRPObjectDesc*>(data.value<quintptr>());
}

void TObjRefTreeView::nodeDoubleClicked(QTreeWidgetItem* node) {
    if (const TPRPObjectDesc* key = KeyOf(node)) ShowObjectByKey(*key);
}

// ---- TKeyLinkLabel

TKeyLinkLabel::TKeyLinkLabel(QWidget* parent) : TLinkLabel(QStringLiteral("(none)"), QString(), parent) {
    connect(this, &TLinkLabel::clicked, this, [this] { ShowObjectByKey(key_); });
    SetKey(TPRPObjectDesc{});
}

void TKeyLinkLabel::SetKey(const TPRPObjectDesc& key) {
    key_ = key;
    setText(QStringLiteral("(none)"));
    setEnabled(!key.Name.empty());
    if (!key.Name.empty()) setText(PageText(key.Name));
    updateToolTip();
}

void TKeyLinkLabel::SetAsksWhole(bool whole) {
    if (asksWhole_ == whole) return;
    asksWhole_ = whole;
    updateGeometry();
}

QSize TKeyLinkLabel::minimumSizeHint() const {
    QSize least = TLinkLabel::minimumSizeHint();
    if (asksWhole_) return least;
    const QMargins margins = contentsMargins();
    const int start = fontMetrics().horizontalAdvance(QStringLiteral("xxxxxxxxxx\u2026"));
    least.setWidth(std::min(least.width(), start + margins.left() + margins.right()));
    return least;
}

bool TKeyLinkLabel::elided() const {
    // Measuring a name of tens of thousands of characters takes time: once per text and font.
    if (textWidth_ < 0 || measured_ != text()) {
        measured_ = text();
        textWidth_ = fontMetrics().horizontalAdvance(measured_);
    }
    return textWidth_ > contentsRect().width();
}

void TKeyLinkLabel::changeEvent(QEvent* event) {
    TLinkLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        textWidth_ = -1;
        updateToolTip();
    }
}

void TKeyLinkLabel::paintEvent(QPaintEvent* event) {
    if (!elided()) {
        TLinkLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    const QRect room = contentsRect();
    style()->drawItemText(&painter, room, QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                          isEnabled(), fontMetrics().elidedText(text(), Qt::ElideMiddle, room.width()),
                          foregroundRole());
}

void TKeyLinkLabel::resizeEvent(QResizeEvent* event) {
    TLinkLabel::resizeEvent(event);
    updateToolTip();
}

void TKeyLinkLabel::updateToolTip() {
    setToolTip(elided() ? text() : QString());
}
