#include "HexEditor.h"

#include <QApplication>
#include <QIODevice>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {
HexErrorHandler& errorHandler() {
    static HexErrorHandler handler = [](QWidget* parent, const QString& message) {
        QMessageBox::warning(parent, QApplication::applicationName(), message);
    };
    return handler;
}

QColor inverted(const QColor& c) {
    return QColor::fromRgb(~c.rgb() & 0xFFFFFF);
}

int modifiersOf(Qt::KeyboardModifiers m) {
    int result = 0;
    if (m & Qt::ShiftModifier) result |= hexmod::Shift;
    if (m & Qt::ControlModifier) result |= hexmod::Ctrl;
    if (m & Qt::AltModifier) result |= hexmod::Alt;
    return result;
}

// Ctrl+Shift+digit arrives as the shifted symbol on many layouts.
int digitOfKey(int key) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return key - Qt::Key_0;
    static const int shifted[10] = {
        Qt::Key_ParenRight, Qt::Key_Exclam,      Qt::Key_At,        Qt::Key_NumberSign, Qt::Key_Dollar,
        Qt::Key_Percent,    Qt::Key_AsciiCircum, Qt::Key_Ampersand, Qt::Key_Asterisk,   Qt::Key_ParenLeft};
    for (int i = 0; i < 10; ++i)
        if (shifted[i] == key) return i;
    return -1;
}
} // namespace

void setHexErrorHandler(HexErrorHandler handler) {
    errorHandler() = std::move(handler);
}
void showHexError(QWidget* parent, const QString& message) {
    if (errorHandler()) errorHandler()(parent, message);
}

// ---- colours --------------------------------------------------------------------------------------------

namespace {
// The theme colours in the order of their system colour numbers, each with the palette role it follows.
const THexSystemColor systemColors[] = {
    {"clScrollBar", QPalette::Active, QPalette::Button},
    {"clBackground", QPalette::Active, QPalette::Window},
    {"clActiveCaption", QPalette::Active, QPalette::Highlight},
    {"clInactiveCaption", QPalette::Inactive, QPalette::Highlight},
    {"clMenu", QPalette::Active, QPalette::Window},
    {"clWindow", QPalette::Active, QPalette::Base},
    {"clWindowFrame", QPalette::Active, QPalette::Shadow},
    {"clMenuText", QPalette::Active, QPalette::WindowText},
    {"clWindowText", QPalette::Active, QPalette::Text},
    {"clCaptionText", QPalette::Active, QPalette::HighlightedText},
    {"clActiveBorder", QPalette::Active, QPalette::Window},
    {"clInactiveBorder", QPalette::Inactive, QPalette::Window},
    {"clAppWorkSpace", QPalette::Active, QPalette::Dark},
    {"clHighlight", QPalette::Active, QPalette::Highlight},
    {"clHighlightText", QPalette::Active, QPalette::HighlightedText},
    {"clBtnFace", QPalette::Active, QPalette::Button},
    {"clBtnShadow", QPalette::Active, QPalette::Dark},
    {"clGrayText", QPalette::Disabled, QPalette::Text},
    {"clBtnText", QPalette::Active, QPalette::ButtonText},
    {"clInactiveCaptionText", QPalette::Inactive, QPalette::HighlightedText},
    {"clBtnHighlight", QPalette::Active, QPalette::Light},
    {"cl3DDkShadow", QPalette::Active, QPalette::Shadow},
    {"cl3DLight", QPalette::Active, QPalette::Midlight},
    {"clInfoText", QPalette::Active, QPalette::ToolTipText},
    {"clInfoBk", QPalette::Active, QPalette::ToolTipBase},
    {"clHotLight", QPalette::Active, QPalette::Link},
    {"clGradientActiveCaption", QPalette::Active, QPalette::Highlight},
    {"clGradientInactiveCaption", QPalette::Inactive, QPalette::Highlight},
    {"clMenuHighlight", QPalette::Active, QPalette::Highlight},
    {"clMenuBar", QPalette::Active, QPalette::Window},
};

THexColor theme(const char* name) {
    const THexSystemColor* color = findHexSystemColor(QLatin1String(name));
    return {color->Current(), color};
}
} // namespace

QColor THexSystemColor::Current() const {
    return QApplication::palette().color(Group, Role);
}

const THexSystemColor* findHexSystemColor(const QString& name) {
    for (const THexSystemColor& color : systemColors)
        if (name.compare(QLatin1String(color.Name), Qt::CaseInsensitive) == 0) return &color;
    return nullptr;
}

THexColors::THexColors(TCustomHexEditor* owner) : m_owner(nullptr) {
    m_Offset = {Qt::black};
    m_OddColumn = {QColor(0, 0, 255)};
    m_EvenColumn = {QColor(0, 0, 128)};
    m_CursorFrame = {QColor(0, 0, 128)};
    m_NonFocusCursorFrame = {QColor(0, 255, 255)};
    m_Background = theme("clWindow");
    m_ChangedText = {QColor(128, 0, 0)};
    m_ChangedBackground = {QColor(255, 255, 168)};
    m_CurrentOffsetBackground = theme("clBtnShadow");
    m_OffsetBackGround = theme("clBtnFace");
    m_ActiveFieldBackground = theme("clWindow");
    m_CurrentOffset = theme("clBtnHighlight");
    m_Grid = theme("clBtnFace");
    m_owner = owner;
}

void THexColors::Assign(const THexColors& other) {
    TCustomHexEditor* owner = m_owner;
    *this = other;
    m_owner = owner;
    changed("Background");
}

void THexColors::changed(const char* name) {
    if (!m_owner) return;
    if (std::string(name) == "Background") {
        QPalette palette = m_owner->viewport()->palette();
        palette.setColor(QPalette::Base, m_Background.Value);
        palette.setColor(QPalette::Window, m_Background.Value);
        m_owner->viewport()->setPalette(palette);
    }
    m_owner->viewport()->update();
}

// ---- construction ---------------------------------------------------------------------------------------

TCustomHexEditor::TCustomHexEditor(QWidget* parent) : QAbstractScrollArea(parent) {
    setObjectName(QStringLiteral("HexEditor"));
    QFont f(QStringLiteral("Courier New"), 11);
    f.setStyleHint(QFont::Monospace);
    f.setFixedPitch(true);
    setFont(f);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_KeyCompression, false);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    m_autoScrollTimer.setInterval(50);
    connect(&m_autoScrollTimer, &QTimer::timeout, this, [this] {
        guarded([this] {
            if (LeftButtonDown && !m_clickInSelection)
                extendMouseSelection(true);
            else
                m_autoScrollTimer.stop();
        });
    });
    verticalScrollBar()->setTracking(true);
    horizontalScrollBar()->setTracking(true);
    m_bookmarkBitmap = defaultBookmarkBitmap();

    PostSelectionChanged = [this] {
        QMetaObject::invokeMethod(
            this, [this] { guarded([this] { DeliverSelectionChanged(); }); }, Qt::QueuedConnection);
    };
    OnChange = [this] { emit changed(); };
    OnSelectionChanged = [this] { emit selectionChanged(); };
    OnBookmarkChanged = [this] { emit bookmarkChanged(); };
    OnInvalidKey = [this] { emit invalidKey(); };
    OnProgress = [this](THexProgressKind kind, const std::string& name, int percent, bool& cancel) {
        emit progress(kind, QString::fromStdString(name), percent, cancel);
    };
    OnTopLeftChanged = [this] {
        if (!m_syncingScroll) {
            m_syncingScroll = true;
            verticalScrollBar()->setValue(TopRow() - 2);
            m_syncingScroll = false;
        }
        if (!UpdatesLocked()) viewport()->update();
        emit topLeftChanged();
    };
    RepaintRange = [this](int32_t first, int32_t last) { RepaintPositionRange(first, last); };
    RepaintAll = [this] {
        if (!UpdatesLocked()) viewport()->update();
    };
    LayoutChanged = [this] { RecalcLayout(); };
    CaretMoved = [this] { ScrollIntoView(); };
    RecalcLayout();
    CreateEmptyFile("");
}

TCustomHexEditor::~TCustomHexEditor() {
    PostSelectionChanged = nullptr;
    RepaintRange = nullptr;
    RepaintAll = nullptr;
    LayoutChanged = nullptr;
    CaretMoved = nullptr;
    OnTopLeftChanged = nullptr;
}

void TCustomHexEditor::guarded(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& error) {
        showHexError(this, QString::fromUtf8(error.what()));
    }
}

void TCustomHexEditor::LoadFromStream(QIODevice& device) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct Restore {
        ~Restore() { QApplication::restoreOverrideCursor(); }
    } restore;
    if (!device.isSequential()) device.seek(0);
    LoadFromReader(device.size() - device.pos(), [&](uint8_t* buffer, int64_t count) {
        return static_cast<int64_t>(device.read(reinterpret_cast<char*>(buffer), count));
    });
}

void TCustomHexEditor::setFlag(bool& flag, bool value) {
    if (flag == value) return;
    flag = value;
    viewport()->update();
}

void TCustomHexEditor::SetCaretKind(THexCaretKind kind) {
    if (kind == m_caretKind) return;
    m_caretKind = kind;
    viewport()->update();
}

void TCustomHexEditor::SetGutterWidth(int value) {
    if (value == m_gutterWidth) return;
    m_gutterWidth = value;
    RecalcLayout();
}

void TCustomHexEditor::SetBookmarkBitmap(const QPixmap& bitmap) {
    if (bitmap.width() != 200 || bitmap.height() != 10) throw EHexEditor(hexmsg::InvalidBookmarkBitmap);
    m_bookmarkBitmap = bitmap;
    m_bookmarkBitmapIsDefault = false;
    viewport()->update();
}

QPixmap TCustomHexEditor::defaultBookmarkBitmap() const {
    QImage image(200, 10, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    QFont small(QStringLiteral("Sans"));
    small.setPixelSize(8);
    small.setBold(true);
    p.setFont(small);
    for (int i = 0; i < 20; ++i) {
        const QRect box(i * 10, 0, 10, 10);
        p.setPen(Qt::NoPen);
        p.setBrush(i < 10 ? QColor(0, 0, 160) : QColor(0, 120, 0));
        p.drawRoundedRect(box.adjusted(0, 0, -1, -1), 2, 2);
        p.setPen(Qt::white);
        p.drawText(box, Qt::AlignCenter, QString::number(i % 10));
    }
    p.end();
    return QPixmap::fromImage(image);
}

// ---- layout ---------------------------------------------------------------------------------------------

void TCustomHexEditor::RecalcLayout() {
    const QFontMetrics fm(font());
    const int w = std::max(1, fm.horizontalAdvance(QLatin1Char('w')));
    m_charWidth = w;
    m_rowHeight = fm.boundingRect(QStringLiteral("yY")).height() + 2;
    m_rulerHeight = ShowRuler() ? m_rowHeight + 3 : 0;
    const int n = NibbleCount();
    const int cols = ColCount();
    m_colWidths.assign(static_cast<size_t>(cols), w);
    const int group = 2 * BytesPerColumn();
    const int block = 2 * BytesPerBlock();
    for (int i = 0; i < n; ++i) {
        int width = w;
        if ((i + 1) % group == 0) width = 2 * w;
        if (BytesPerBlock() >= 2 && (i + 1) % block == 0) width += w;
        if (i == n - 1) width = 2 * w;
        m_colWidths[static_cast<size_t>(i + 2)] = width;
    }
    m_colWidths[static_cast<size_t>(n + 2)] = n % group == 0 ? 2 * w : w;
    const int unit = RulerUnit();
    const int charBlock = UnicodeChars() ? BytesPerBlock() / 2 : BytesPerBlock();
    for (int j = 0; n + 3 + j < cols; ++j) {
        int width = w + 1;
        if (unit > 1 && !UnicodeChars() && (j + 1) % unit == 0) width = w * 3 / 2 + 1;
        if (BytesPerBlock() >= 2 && SeparateBlocksInCharField() && charBlock > 0 && (j + 1) % charBlock == 0)
            width += w;
        if (n + 3 + j == cols - 1) width = 2 * w + 1;
        m_colWidths[static_cast<size_t>(n + 3 + j)] = width;
    }
    const std::string widest = WidestOffsetText();
    m_colWidths[0] = m_gutterWidth != -1 ? m_gutterWidth : (static_cast<int>(widest.size()) + 1) * w + 21;
    m_colWidths[1] = std::max(2, w / 2);
    m_colX.assign(static_cast<size_t>(cols) + 1, 0);
    for (int c = 0; c < cols; ++c)
        m_colX[static_cast<size_t>(c) + 1] =
            m_colX[static_cast<size_t>(c)] + m_colWidths[static_cast<size_t>(c)];
    m_totalWidth = m_colX.back();
    UpdateScrollBars();
    if (!UpdatesLocked()) viewport()->update();
    emit layoutChanged();
}

int32_t TCustomHexEditor::FullyVisibleRows() const {
    return std::max(1, (viewport()->height() - m_rulerHeight) / std::max(1, m_rowHeight));
}

void TCustomHexEditor::UpdateScrollBars() {
    const int32_t visible = FullyVisibleRows();
    SetVisibleRows(visible);
    m_syncingScroll = true;
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, std::max(0, RowCount() - 2 - visible));
    v->setPageStep(visible);
    v->setSingleStep(1);
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, std::max(0, m_totalWidth - viewport()->width()));
    h->setPageStep(std::max(1, viewport()->width() - firstDataX()));
    h->setSingleStep(m_charWidth);
    m_syncingScroll = false;
    if (TopRow() - 2 > v->maximum())
        SetTopRow(v->maximum() + 2);
    else if (v->value() != TopRow() - 2) {
        m_syncingScroll = true;
        v->setValue(TopRow() - 2);
        m_syncingScroll = false;
    }
}

int TCustomHexEditor::leftColumn() const {
    const int x = firstDataX() + horizontalScrollBar()->value();
    return std::max(2,
                    static_cast<int>(std::upper_bound(m_colX.begin(), m_colX.end(), x) - m_colX.begin()) - 1);
}

int TCustomHexEditor::dataColumnX(int col) const {
    const int x = m_colX[static_cast<size_t>(col)];
    return col < 2 ? x : x - horizontalScrollBar()->value();
}

QRect TCustomHexEditor::CellRect(int col, int32_t row) const {
    if (col < 0 || col >= ColCount()) return {};
    int y, h;
    if (row == 0) {
        y = 0;
        h = m_rulerHeight;
    } else if (row == 1) {
        return {};
    } else {
        if (row < TopRow()) return {};
        y = m_rulerHeight + (row - TopRow()) * m_rowHeight;
        h = m_rowHeight;
    }
    return QRect(dataColumnX(col), y, m_colWidths[static_cast<size_t>(col)], h);
}

bool TCustomHexEditor::CellAt(const QPoint& point, int& col, int32_t& row) const {
    if (point.y() < m_rulerHeight)
        row = 0;
    else
        row = TopRow() + (point.y() - m_rulerHeight) / std::max(1, m_rowHeight);
    if (point.x() < m_colX[1])
        col = 0;
    else if (point.x() < m_colX[2])
        col = 1;
    else {
        const int x = point.x() + horizontalScrollBar()->value();
        const auto it = std::upper_bound(m_colX.begin(), m_colX.end(), x);
        col = static_cast<int>(it - m_colX.begin()) - 1;
        if (col < 2) col = 2;
        if (col >= ColCount()) return false;
    }
    return row < RowCount() || row == 0;
}

QPoint TCustomHexEditor::PixelAt(const QPointF& position) {
    return QPoint(static_cast<int>(std::floor(position.x())), static_cast<int>(std::floor(position.y())));
}

QPoint TCustomHexEditor::PositionPoint(int32_t pos, bool inCharField) {
    int col;
    int32_t row;
    CellOfPosition(pos, inCharField, col, row);
    if (row < TopRow())
        SetTopRow(row);
    else if (row >= TopRow() + FullyVisibleRows())
        SetTopRow(row - FullyVisibleRows() + 1);
    return CellRect(col, row).topLeft();
}

void TCustomHexEditor::ScrollIntoView() {
    const int32_t row = CaretRow();
    if (row < TopRow())
        SetTopRow(row);
    else if (row >= TopRow() + FullyVisibleRows())
        SetTopRow(row - FullyVisibleRows() + 1);
    const int col = CaretCol();
    QScrollBar* h = horizontalScrollBar();
    const int left = m_colX[static_cast<size_t>(col)] - firstDataX();
    const int right = m_colX[static_cast<size_t>(col) + 1] - firstDataX();
    const int area = viewport()->width() - firstDataX();
    if (left < h->value())
        h->setValue(left);
    else if (right > h->value() + area)
        h->setValue(right - area);
    if (!UpdatesLocked()) viewport()->update();
}

void TCustomHexEditor::RepaintPositionRange(int32_t first, int32_t last) {
    if (UpdatesLocked()) return;
    const int32_t firstRow = std::max(first, 0) / BytesPerRow() + 2;
    const int32_t lastRow = std::max(last, 0) / BytesPerRow() + 2;
    const int32_t top = std::max(firstRow, TopRow());
    const int32_t bottom = std::min(lastRow, TopRow() + FullyVisibleRows() + 1);
    if (bottom < top) return;
    const int y = m_rulerHeight + (top - TopRow()) * m_rowHeight;
    viewport()->update(QRect(0, y, viewport()->width(), (bottom - top + 1) * m_rowHeight));
    if (ShowRuler()) viewport()->update(QRect(0, 0, viewport()->width(), m_rulerHeight));
}

void TCustomHexEditor::ShowDropMark(int col, int32_t row) {
    m_dropMarkShown = true;
    m_dropMarkCol = col;
    m_dropMarkRow = row;
    viewport()->update();
}

void TCustomHexEditor::HideDropMark() {
    if (!m_dropMarkShown) return;
    m_dropMarkShown = false;
    viewport()->update();
}

int32_t TCustomHexEditor::DropMarkPosition() const {
    if (!m_dropMarkShown) return -1;
    return PositionOfCell(m_dropMarkCol, m_dropMarkRow);
}

// ---- painting -------------------------------------------------------------------------------------------

bool TCustomHexEditor::SelectionColorsApply() const {
    return !(HideSelection() && !hasFocus());
}

QColor TCustomHexEditor::SelectionColor(QColor color) const {
    color = inverted(color);
    if (!hasFocus() && GraySelectionIfNotFocused()) {
        const int grey = (color.red() * 74 + color.green() * 146 + color.blue() * 36) >> 8;
        color = QColor(grey, grey, grey);
    }
    return color;
}

void TCustomHexEditor::paintCell(QPainter& p, const QRect& cell, QString text, const QColor& textColor,
                                 const QColor& background, const QColor& filler, int col, int32_t row,
                                 bool gutterText) {
    if (OnDrawCell) {
        bool defaultDraw = true;
        OnDrawCell(p, col, row, text, cell, defaultDraw);
        if (!defaultDraw) return;
    }
    p.fillRect(cell, filler);
    if (gutterText) {
        p.setPen(textColor);
        p.drawText(cell.adjusted(0, 0, -4, 0), Qt::AlignRight | Qt::AlignVCenter, text);
        return;
    }
    const QRect box(cell.left(), cell.top(), std::min(m_charWidth, cell.width()), cell.height());
    p.fillRect(box, background);
    if (!text.isEmpty()) {
        p.setPen(textColor);
        p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, text);
    }
}

void TCustomHexEditor::paintEvent(QPaintEvent* event) {
    guarded([&] {
        QPainter p(viewport());
        const QRect clip = event->rect();
        p.fillRect(clip, m_colors.Background());
        p.setFont(font());
        if (ShowRuler()) paintRuler(p, clip);
        paintGutter(p, clip);
        paintCells(p, clip);
        paintCaretFrame(p);
        if (hasFocus()) paintCaret(p);
    });
}

void TCustomHexEditor::paintRuler(QPainter& p, const QRect& clip) {
    const QRect corner(0, 0, m_colX[2], m_rulerHeight);
    paintCell(p, corner, QString(), m_colors.Offset(), m_colors.OffsetBackGround(),
              m_colors.OffsetBackGround(), 0, 0);
    p.save();
    p.setClipRect(QRect(firstDataX(), 0, viewport()->width(), m_rulerHeight));
    const int n = NibbleCount();
    const QString hex = QString::fromStdString(HexRuler());
    const QString chars = QString::fromStdString(CharRuler());
    const int caretOther = OtherFieldColumn(CaretCol());
    for (int col = 2; col < ColCount(); ++col) {
        const QRect cell = CellRect(col, 0);
        if (cell.right() < clip.left() || cell.left() > clip.right()) continue;
        QString text;
        if (col < n + 2)
            text = col - 2 < hex.size() ? QString(hex[col - 2]) : QString();
        else if (col > n + 2)
            text = col - n - 3 < chars.size() ? QString(chars[col - n - 3]) : QString();
        const bool current =
            col == CaretCol() || col == caretOther ||
            (!InCharField() && col == (CaretCol() % 2 == 0 ? CaretCol() + 1 : CaretCol() - 1));
        const QColor bg = current ? m_colors.CurrentOffsetBackground() : m_colors.OffsetBackGround();
        paintCell(p, cell, text, current ? m_colors.CurrentOffset() : m_colors.Offset(), bg, bg, col, 0);
    }
    p.restore();
    const int right = viewport()->width();
    if (DrawGutter3D()) {
        p.setPen(palette().color(QPalette::Dark));
        p.drawLine(m_colX[1] - 1, m_rulerHeight - 1, right, m_rulerHeight - 1);
        p.setPen(palette().color(QPalette::Light));
        p.drawLine(m_colX[1] - 1, m_rulerHeight - 2, right, m_rulerHeight - 2);
    } else if (DrawGridLines()) {
        p.setPen(m_colors.Grid());
        p.drawLine(m_colX[1] - 1, m_rulerHeight - 1, right, m_rulerHeight - 1);
    }
}

void TCustomHexEditor::paintGutter(QPainter& p, const QRect& clip) {
    const int gutter = m_colX[1];
    const int32_t last = std::min(RowCount() - 1, TopRow() + FullyVisibleRows() + 1);
    for (int32_t row = TopRow(); row <= last; ++row) {
        const QRect cell(0, m_rulerHeight + (row - TopRow()) * m_rowHeight, gutter, m_rowHeight);
        if (cell.bottom() < clip.top() || cell.top() > clip.bottom()) continue;
        const bool current = row == CaretRow();
        const QColor bg = current ? m_colors.CurrentOffsetBackground() : m_colors.OffsetBackGround();
        const QString text =
            QString::fromStdString(GetOffsetString(static_cast<int64_t>(row - 2) * BytesPerRow()));
        paintCell(p, cell, text, current ? m_colors.CurrentOffset() : m_colors.Offset(), bg, bg, 0, row,
                  true);
        for (int i = 0; i < 10; ++i) {
            const THexBookmark& b = Bookmark(i);
            if (b.Position < 0 || b.Position / BytesPerRow() + 2 != row) continue;
            const int index = i + (b.InCharField ? 10 : 0);
            p.drawPixmap(QPoint(3, cell.top() + (cell.height() - 10) / 2), m_bookmarkBitmap,
                         QRect(index * 10, 0, 10, 10));
        }
        p.fillRect(QRect(gutter, cell.top(), m_colWidths[1], cell.height()), m_colors.Background());
    }
    const int top = m_rulerHeight;
    const int bottom = viewport()->height();
    if (DrawGutter3D()) {
        p.setPen(palette().color(QPalette::Dark));
        p.drawLine(gutter, top, gutter, bottom);
        p.setPen(palette().color(QPalette::Light));
        p.drawLine(gutter - 1, top, gutter - 1, bottom);
    } else if (DrawGridLines()) {
        p.setPen(m_colors.Grid());
        p.drawLine(gutter - 1, top, gutter - 1, bottom);
    }
}

void TCustomHexEditor::paintCells(QPainter& p, const QRect& clip) {
    p.save();
    p.setClipRect(
        QRect(firstDataX(), m_rulerHeight, viewport()->width(), viewport()->height()).intersected(clip));
    const int n = NibbleCount();
    const int cols = ColCount();
    const int32_t size = DataSize();
    const int32_t firstRow =
        std::max(TopRow(), TopRow() + (clip.top() - m_rulerHeight) / std::max(1, m_rowHeight));
    const int32_t lastRow =
        std::min(RowCount() - 1, TopRow() + (clip.bottom() - m_rulerHeight) / std::max(1, m_rowHeight));
    const bool caretInChar = InCharField();
    const QColor fieldBgHex = caretInChar ? m_colors.Background() : m_colors.ActiveFieldBackground();
    const QColor fieldBgChar = caretInChar ? m_colors.ActiveFieldBackground() : m_colors.Background();
    const QColor fontColor = palette().color(QPalette::Text);
    const bool showSelection = SelectionColorsApply();
    int firstCol = 2, lastCol = cols - 1;
    {
        const int scroll = horizontalScrollBar()->value();
        const int left = std::max(clip.left(), firstDataX()) + scroll;
        const int right = clip.right() + scroll;
        firstCol = std::max(
            2, static_cast<int>(std::upper_bound(m_colX.begin(), m_colX.end(), left) - m_colX.begin()) - 1);
        lastCol = std::min(
            cols - 1,
            static_cast<int>(std::upper_bound(m_colX.begin(), m_colX.end(), right) - m_colX.begin()) - 1);
    }
    const int dataRight = dataColumnX(cols - 1) + m_colWidths.back();
    for (int32_t row = firstRow; row <= lastRow; ++row) {
        const int y = m_rulerHeight + (row - TopRow()) * m_rowHeight;
        for (int col = firstCol; col <= lastCol; ++col) {
            const QRect cell(dataColumnX(col), y, m_colWidths[static_cast<size_t>(col)], m_rowHeight);
            if (col == n + 2) {
                p.fillRect(cell, m_colors.Background());
            } else {
                const bool inChar = col > n + 2;
                const int32_t pos = PositionOfCell(col, row);
                if (pos >= size) {
                    p.fillRect(cell, m_colors.Background());
                } else {
                    const uint8_t byte = GetData(pos);
                    QString text;
                    QColor textColor, background;
                    const QColor fieldBg = inChar ? fieldBgChar : fieldBgHex;
                    QColor filler = (col == n + 1 || col == cols - 1) ? m_colors.Background() : fieldBg;
                    if (inChar) {
                        text = QString(QChar(TranslateFromData(pos)));
                        textColor = fontColor;
                    } else {
                        const bool high = ((col - 2) % 2 == 0) != SwapNibbles();
                        text = QString(QLatin1Char(DigitChar(high ? byte >> 4 : byte & 15)));
                        textColor = ((pos % BytesPerRow()) / BytesPerColumn()) % 2 == 0
                                        ? m_colors.OddColumn()
                                        : m_colors.EvenColumn();
                    }
                    background = fieldBg;
                    if (IsChanged(pos) || (UnicodeChars() && inChar && IsChanged(pos + 1))) {
                        textColor = m_colors.ChangedText();
                        background = m_colors.ChangedBackground();
                    }
                    const int32_t lastOfCell = inChar && UnicodeChars() ? pos + 1 : pos;
                    if (showSelection && IsSelected(pos)) {
                        textColor = SelectionColor(textColor);
                        background = SelectionColor(background);
                        const bool keepFiller = lastOfCell >= SelUpper() || col == n + 1 || col == cols - 1;
                        if (!keepFiller) filler = SelectionColor(filler);
                    }
                    paintCell(p, cell, text, textColor, background, filler, col, row);
                }
            }
            if (DrawGridLines()) {
                p.setPen(m_colors.Grid());
                p.drawLine(cell.left(), cell.bottom(), cell.right(), cell.bottom());
            }
            if (m_dropMarkShown && col == m_dropMarkCol && row == m_dropMarkRow) {
                p.fillRect(QRect(cell.left(), cell.top(), 2, cell.height()), fontColor);
            }
        }
    }
    if (DrawGridLines()) {
        p.setPen(m_colors.Grid());
        const int sepX = dataColumnX(n + 2) + m_colWidths[static_cast<size_t>(n + 2)] / 2;
        p.drawLine(sepX, m_rulerHeight, sepX, viewport()->height());
        p.drawLine(dataRight - 1, m_rulerHeight, dataRight - 1, viewport()->height());
    }
    p.restore();
}

void TCustomHexEditor::paintCaretFrame(QPainter& p) {
    if (DataSize() == 0) return;
    const bool focused = hasFocus();
    if (!focused && !ShowPositionIfNotFocused()) return;
    QRect frame;
    if (focused) {
        const int other = OtherFieldColumn(CaretCol());
        if (InCharField()) {
            const int cells = UnicodeChars() ? 4 : 2;
            const QRect first = CellRect(other, CaretRow());
            const QRect last = CellRect(std::min(other + cells - 1, NibbleCount() + 1), CaretRow());
            frame = QRect(first.topLeft(), QPoint(last.left() + m_charWidth - 1, last.bottom()));
        } else {
            const QRect cell = CellRect(other, CaretRow());
            frame = QRect(cell.left(), cell.top(), m_charWidth, cell.height());
        }
    } else {
        const QRect cell = CellRect(CaretCol(), CaretRow());
        frame = QRect(cell.left(), cell.top(), m_charWidth, cell.height());
    }
    if (frame.isEmpty() || frame.left() < firstDataX()) return;
    p.save();
    p.setBrush(Qt::NoBrush);
    if (FocusFrame()) {
        QPen pen(palette().color(QPalette::Text));
        pen.setStyle(Qt::DotLine);
        p.setPen(pen);
    } else {
        p.setPen(focused ? m_colors.CursorFrame() : m_colors.NonFocusCursorFrame());
    }
    p.drawRect(frame.adjusted(0, 0, -1, -1));
    p.restore();
}

void TCustomHexEditor::paintCaret(QPainter& p) {
    const QRect cell = CellRect(CaretCol(), CaretRow());
    if (cell.isEmpty() || cell.left() < firstDataX()) return;
    THexCaretKind kind = m_caretKind;
    if (kind == ckAuto) kind = ReadOnlyView() ? ckBottom : InsertMode() ? ckLeft : ckFull;
    const QRect box(cell.left(), cell.top() + 1, m_charWidth, m_rowHeight - 2);
    QRect shape = box;
    if (kind == ckLeft)
        shape.setWidth(2);
    else if (kind == ckBottom)
        shape.setTop(box.bottom() - 1);
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Difference);
    p.fillRect(shape, Qt::white);
    p.restore();
}

// ---- input ----------------------------------------------------------------------------------------------

void TCustomHexEditor::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    guarded([&] {
        UpdateScrollBars();
        viewport()->update();
    });
}

void TCustomHexEditor::scrollContentsBy(int dx, int) {
    guarded([&] {
        // The vertical half reports through SetTopRow; a sideways scroll reports once it passes a column.
        if (dx != 0 && leftColumn() != m_leftColumn) {
            m_leftColumn = leftColumn();
            emit topLeftChanged();
        }
        if (!m_syncingScroll) {
            m_syncingScroll = true;
            SetTopRow(verticalScrollBar()->value() + 2);
            m_syncingScroll = false;
        }
        viewport()->update();
    });
}

bool TCustomHexEditor::event(QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) && m_wantTabs) {
            keyPressEvent(key);
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

bool TCustomHexEditor::focusNextPrevChild(bool next) {
    if (m_wantTabs) return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}

void TCustomHexEditor::keyPressEvent(QKeyEvent* event) {
    guarded([&] {
        const int mods = modifiersOf(event->modifiers());
        if (ExtraKeyDown(event)) return;
        const int key = event->key();
        bool mapped = true;
        HexKey hexKey = HexKey::Shift;
        int digit = 0;
        switch (key) {
        case Qt::Key_Shift:
            hexKey = HexKey::Shift;
            break;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            hexKey = HexKey::Tab;
            break;
        case Qt::Key_Left:
            hexKey = HexKey::Left;
            break;
        case Qt::Key_Right:
            hexKey = HexKey::Right;
            break;
        case Qt::Key_Up:
            hexKey = HexKey::Up;
            break;
        case Qt::Key_Down:
            hexKey = HexKey::Down;
            break;
        case Qt::Key_PageUp:
            hexKey = HexKey::PageUp;
            break;
        case Qt::Key_PageDown:
            hexKey = HexKey::PageDown;
            break;
        case Qt::Key_Home:
            hexKey = HexKey::Home;
            break;
        case Qt::Key_End:
            hexKey = HexKey::End;
            break;
        case Qt::Key_Insert:
            hexKey = HexKey::Insert;
            break;
        case Qt::Key_Backspace:
            hexKey = HexKey::Back;
            break;
        case Qt::Key_Delete:
            hexKey = HexKey::Delete;
            break;
        default:
            mapped = false;
            if (mods & hexmod::Ctrl) {
                digit = digitOfKey(key);
                if (digit >= 0)
                    hexKey = HexKey::Digit, mapped = true;
                else if (key == Qt::Key_T)
                    hexKey = HexKey::T, mapped = true;
                else if (key == Qt::Key_A)
                    hexKey = HexKey::A, mapped = true;
                else if (key == Qt::Key_Z)
                    hexKey = HexKey::Z, mapped = true;
            }
        }
        if (mapped) {
            KeyDown(hexKey, mods, digit);
            return;
        }
        if (mods == 0 && !InsertMode()) ResetSelection(true);
        const QString text = event->text();
        if (!text.isEmpty() && !(mods & (hexmod::Ctrl | hexmod::Alt)) && text[0].unicode() >= 32) {
            ShiftDown = false;
            KeyPress(text[0].unicode());
        }
    });
}

void TCustomHexEditor::AdjustForInsertMode(const QPoint& point, int& col, int32_t& row) const {
    if (!InsertMode() || col < 2 || row < 2) return;
    const QRect cell = CellRect(col, row);
    if (point.x() < cell.left() + std::min(m_charWidth, cell.width()) / 2 + 1) return;
    const int n = NibbleCount();
    if (col == n + 1)
        col = 2, ++row;
    else if (col == ColCount() - 1)
        col = n + 3, ++row;
    else if (col != n + 2)
        ++col;
}

void TCustomHexEditor::mousePressEvent(QMouseEvent* event) {
    guarded([&] {
        if (window()->isEnabled() && window()->isVisible()) setFocus(Qt::MouseFocusReason);
        if (event->button() != Qt::LeftButton) {
            if (event->button() == Qt::RightButton) {
                int col;
                int32_t row;
                if (CellAt(PixelAt(event->position()), col, row) && (col < 2 || row < 2))
                    ContextOnOffsets(event->globalPosition().toPoint());
            }
            return;
        }
        int col;
        int32_t row;
        const QPoint point = PixelAt(event->position());
        m_doubleClicked = false;
        if (!CellAt(point, col, row) || col < 2 || row < 2) return;
        const int32_t pos = PositionOfCell(col, row);
        const bool shift = event->modifiers() & Qt::ShiftModifier;
        // A press on a selected byte may start a drag; a Shift+click only ever extends.
        if (!shift && col != NibbleCount() + 2 && pos < DataSize() && IsSelected(pos)) {
            m_clickInSelection = true;
            m_mouseDownPoint = point;
            m_mouseDownCol = col;
            m_mouseDownRow = row;
            MousePressedOnSelection(event);
            return;
        }
        AdjustForInsertMode(point, col, row);
        LeftButtonDown = true;
        ShiftDown = shift;
        if (shift) {
            AnchorExtensionAtSelection();
            SetSelecting(true);
        } else {
            ResetSelection(true);
        }
        SelectCell(col, std::min(row, RowCount() - 1));
        if (!shift) BeginMouseSelection();
    });
}

void TCustomHexEditor::mouseMoveEvent(QMouseEvent* event) {
    guarded([&] {
        const QPoint point = PixelAt(event->position());
        int col;
        int32_t row;
        if (!(event->buttons() & Qt::LeftButton)) {
            const bool over = CellAt(point, col, row);
            const bool arrow = over && (col < 2 || row < 2 || IsSelected(PositionOfCell(col, row)));
            viewport()->setCursor(arrow ? Qt::ArrowCursor : Qt::IBeamCursor);
            return;
        }
        if (m_clickInSelection) {
            if (DragMove(event)) return;
            if (CellAt(point, col, row) && (col != m_mouseDownCol || row != m_mouseDownRow))
                m_clickInSelection = false;
            return;
        }
        if (!LeftButtonDown) return;
        m_pointer = point;
        // Outside the cells the timer scrolls toward the pointer for as long as the button is held.
        const bool outside = point.y() < m_rulerHeight || point.y() >= viewport()->height() ||
                             point.x() < firstDataX() || point.x() >= viewport()->width();
        if (!outside)
            m_autoScrollTimer.stop();
        else if (!m_autoScrollTimer.isActive())
            m_autoScrollTimer.start();
        extendMouseSelection(false);
    });
}

void TCustomHexEditor::extendMouseSelection(bool scroll) {
    QPoint clamped = m_pointer;
    const int bottom = viewport()->height() - 1;
    if (clamped.y() > bottom) {
        if (scroll) SetTopRow(TopRow() + 1);
        clamped.setY(bottom);
    } else if (clamped.y() < m_rulerHeight) {
        if (scroll) SetTopRow(TopRow() - 1);
        clamped.setY(m_rulerHeight);
    }
    QScrollBar* h = horizontalScrollBar();
    if (scroll && clamped.x() < firstDataX())
        h->setValue(h->value() - m_charWidth);
    else if (scroll && clamped.x() >= viewport()->width())
        h->setValue(h->value() + m_charWidth);
    clamped.setX(std::clamp(clamped.x(), firstDataX(), viewport()->width() - 1));
    int col;
    int32_t row;
    if (!CellAt(clamped, col, row)) {
        col = ColCount() - 1;
        row = std::min(row, RowCount() - 1);
    }
    row = std::min(row, RowCount() - 1);
    AdjustForInsertMode(clamped, col, row);
    row = std::min(row, RowCount() - 1);
    if (col >= 2 && row >= 2) SelectCell(col, row);
}

void TCustomHexEditor::mouseReleaseEvent(QMouseEvent* event) {
    guarded([&] {
        if (event->button() != Qt::LeftButton) return;
        // The mouse extension ends with the button; a held Shift keeps extending from the keyboard.
        if (LeftButtonDown && !(event->modifiers() & Qt::ShiftModifier)) SetSelecting(false);
        LeftButtonDown = false;
        m_autoScrollTimer.stop();
        if (m_clickInSelection && !m_doubleClicked) {
            m_clickInSelection = false;
            ResetSelection(true);
            // The click lands where one outside the selection would: in insert mode, the right half of a
            // byte is the place after it.
            int col = m_mouseDownCol;
            int32_t row = m_mouseDownRow;
            AdjustForInsertMode(m_mouseDownPoint, col, row);
            SelectCell(col, std::min(row, RowCount() - 1));
        }
        m_clickInSelection = false;
        HideDropMark();
    });
}

void TCustomHexEditor::mouseDoubleClickEvent(QMouseEvent* event) {
    guarded([&] {
        if (event->button() != Qt::LeftButton) return;
        int col;
        int32_t row;
        if (!CellAt(PixelAt(event->position()), col, row) || col < 2 || row < 2) return;
        const int32_t pos = PositionOfCell(col, row);
        if (pos >= DataSize() || col == NibbleCount() + 2) return;
        m_doubleClicked = true;
        m_clickInSelection = true;
        m_mouseDownCol = col;
        m_mouseDownRow = row;
        m_mouseDownPoint = PixelAt(event->position());
        LeftButtonDown = false;
        SetSelecting(false);
        SetSelection(pos, pos);
    });
}

void TCustomHexEditor::wheelEvent(QWheelEvent* event) {
    guarded([&] {
        const Qt::KeyboardModifiers mods =
            event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        // Some platforms turn Shift+wheel into a horizontal delta.
        const QPoint angle = event->angleDelta();
        const int delta = angle.y() != 0 || mods == Qt::NoModifier ? angle.y() : angle.x();
        if (mods != m_wheelModifiers) m_wheelRemainder = 0;
        m_wheelModifiers = mods;
        // Fine wheels and touchpads send parts of a notch of 120: act once per whole notch, keep the rest.
        const int64_t total = int64_t{m_wheelRemainder} + delta;
        m_wheelRemainder = static_cast<int>(total % 120);
        const int direction = total < 0 ? -1 : 1;
        // No real wheel sends more notches at once; the bound keeps a forged delta from stalling the control.
        const int64_t steps = std::min<int64_t>(std::abs(total / 120), 256);
        for (int64_t i = 0; i < steps; ++i) {
            if (WheelZoom(mods, direction)) continue;
            if (mods != Qt::NoModifier) return;
            const int32_t page = std::max(1, FullyVisibleRows() - 1);
            SetTopRow(TopRow() - direction * page);
        }
    });
}

void TCustomHexEditor::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void TCustomHexEditor::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    SetSelecting(false);
    LeftButtonDown = false;
    m_autoScrollTimer.stop();
    viewport()->update();
}

void TCustomHexEditor::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) guarded([&] { RecalcLayout(); });
    if (event->type() == QEvent::EnabledChange) Enabled = isEnabled();
}
