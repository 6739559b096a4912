#include "HexEditorEx.h"

#include "HexTranslation.h"
#include "UserTempFolder.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QDrag>
#include <QDragEnterEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QUrl>
#include <QWheelEvent>

#include <chrono>

namespace {
// Pushes the hourglass for the life of the guard.
struct Hourglass {
    Hourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Hourglass() { QApplication::restoreOverrideCursor(); }
};

// Bytes offered without their file: a paste into a file manager would bring nothing, so the user hears why.
QString withoutFileText(const THexDataObject& data) {
    if (data.DumpError().isEmpty()) return {};
    return data.DumpError() + QStringLiteral("\nThe bytes are still offered, but not as a file.");
}
} // namespace

THexEditorEx::THexEditorEx(QWidget* parent) : TCustomHexEditor(parent), m_printFont(font()) {
    DragExecutor = [this](THexDataObject* data, Qt::DropActions allowed) {
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        const Qt::DropAction result = drag->exec(allowed, Qt::CopyAction);
        drag->deleteLater();
        return result;
    };
}

THexEditorEx::~THexEditorEx() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (m_clipboardObject && clipboard && clipboard->mimeData() == m_clipboardObject) {
        if (m_flushClipboardAtShutDown) {
            // Leave a copy with every format rendered, independent of this control.
            auto* copy = new QMimeData;
            for (const QString& format : m_clipboardObject->formats())
                if (format != hexmime::UriList) copy->setData(format, m_clipboardObject->data(format));
            clipboard->setMimeData(copy);
        } else {
            clipboard->clear();
        }
    }
}

void THexEditorEx::CreateEmptyFile(const std::string& name) {
    TCustomHexEditor::CreateEmptyFile(name);
    m_noWritableFile = true;
}

void THexEditorEx::BeginUpdate() {
    ++m_repaintLock;
}

void THexEditorEx::EndUpdate() {
    if (m_repaintLock == 0) return;
    if (--m_repaintLock == 0) {
        RecalcLayout();
        ScrollIntoView();
        viewport()->update();
    }
}

void THexEditorEx::WriteBuffer(const void* buffer, int32_t pos, int32_t count) {
    TCustomHexEditor::WriteBuffer(buffer, pos, count);
    SetModified(true);
}

bool THexEditorEx::ExtraKeyDown(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (mods != Qt::ControlModifier) return false;
    switch (event->key()) {
    case Qt::Key_C:
        if (CanCopy()) CopyToClipboard();
        return true;
    case Qt::Key_X:
        if (CanCut()) CutToClipboard();
        return true;
    case Qt::Key_V:
        if (CanPaste()) PasteFromClipboard();
        return true;
    default:
        return false;
    }
}

bool THexEditorEx::WheelZoom(Qt::KeyboardModifiers mods, int direction) {
    if (!m_zoomOnWheel) return false;
    if (mods == Qt::ControlModifier) {
        const int next = BytesPerRow() + direction;
        if (next >= 1 && next <= 256) SetBytesPerRow(next);
        return true;
    }
    if (mods == (Qt::ControlModifier | Qt::ShiftModifier)) {
        QFont f = font();
        const int size = f.pointSize() > 0 ? f.pointSize() : f.pixelSize();
        const int next = std::max(2, size + direction);
        if (f.pointSize() > 0)
            f.setPointSize(next);
        else
            f.setPixelSize(next);
        setFont(f);
        return true;
    }
    return false;
}

void THexEditorEx::ContextOnOffsets(const QPoint& globalPos) {
    if (m_offsetPopupMenu) m_offsetPopupMenu->popup(globalPos);
}

// ---- clipboard ------------------------------------------------------------------------------------------

QString THexEditorEx::AcceptsDataObject(const QMimeData* data) const {
    if (ReadOnlyView() || !data) return {};
    for (const THexClipFormat& format : hexAcceptedFormats(m_supportsOtherClipFormats)) {
        if (format.Mime == hexmime::UriList ? data->hasUrls() : data->hasFormat(format.Mime))
            return format.Mime;
    }
    return {};
}

bool THexEditorEx::CanPaste() const {
    if (ReadOnlyView()) return false;
    const QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return false;
    if (AcceptsDataObject(clipboard->mimeData()).isEmpty()) return false;
    return !NoSizeChange() || DataSize() > 0;
}

bool THexEditorEx::CopyToClipboard() {
    if (!CanCopy()) return false;
    Hourglass hourglass;
    const QByteArray bytes(reinterpret_cast<const char*>(GetFastPointer(SelLower(), SelCount())), SelCount());
    auto* object =
        new THexDataObject(bytes, QString::fromStdString(FileName()), SwapNibbles(), m_clipboardAsHexText);
    m_clipboardObject = object;
    QGuiApplication::clipboard()->setMimeData(object);
    if (const QString why = withoutFileText(*object); !why.isEmpty()) showHexError(this, why);
    return true;
}

bool THexEditorEx::CutToClipboard() {
    if (!CanCut() || !CopyToClipboard()) return false;
    DeleteSelection("Cut to clipboard");
    return true;
}

bool THexEditorEx::PasteFromClipboard() {
    if (!CanPaste()) return false;
    Qt::DropAction effect = Qt::CopyAction;
    return PasteFromDataObject(QGuiApplication::clipboard()->mimeData(), false, effect);
}

QByteArray THexEditorEx::readDataObject(const QMimeData* data, const QString& format, bool isDrop,
                                        Qt::DropAction effect, bool& ok) {
    ok = true;
    if (format == hexmime::UriList) {
        const QList<QUrl> urls = data->urls();
        QByteArray out;
        if (effect == Qt::LinkAction) {
            for (const QUrl& url : urls) {
                out.append(QFile::encodeName(url.isLocalFile() ? url.toLocalFile() : url.toString()));
                out.append('\0');
            }
            return out;
        }
        for (const QUrl& url : urls) {
            if (!url.isLocalFile()) continue;
            // Only regular files are read: opening a pipe waits for a writer, a device never ends.
            if (!QFileInfo(url.toLocalFile()).isFile()) {
                ok = false;
                return {};
            }
            QFile file(url.toLocalFile());
            // A file that cannot fit beside the data is refused before anything is read.
            if (!file.open(QIODevice::ReadOnly) ||
                file.size() > std::numeric_limits<int32_t>::max() - DataSize()) {
                ok = false;
                return {};
            }
            return file.readAll();
        }
        return out;
    }
    QByteArray raw;
    if (format == hexmime::Text) {
        for (QChar c : data->text()) {
            const uint8_t b = unicodeToAnsi(c.unicode());
            raw.append(static_cast<char>(b ? b : (c.unicode() ? '?' : 0)));
        }
    } else {
        raw = data->data(format);
    }
    if (!isDrop && isTextFormat(format) && m_clipboardAsHexText) {
        const qsizetype zero = raw.indexOf('\0');
        return parseHexText(zero < 0 ? raw : raw.left(zero), SwapNibbles());
    }
    return clipDataToBytes(format, raw, UnicodeBigEndian());
}

bool THexEditorEx::PasteFromDataObject(const QMimeData* data, bool isDrop, Qt::DropAction& effect) {
    QString format = AcceptsDataObject(data);
    if (format.isEmpty()) return false;
    Hourglass hourglass;
    if (format != hexmime::Own && format != hexmime::UriList) {
        TClipFormats offered;
        for (const THexClipFormat& f : hexAcceptedFormats(m_supportsOtherClipFormats))
            if (f.Mime != hexmime::UriList && data->hasFormat(f.Mime)) offered.push_back(f);
        if (offered.empty()) return false;
        if (offered.size() == 1) {
            format = offered[0].Mime;
        } else {
            bool hexText = m_clipboardAsHexText;
            const int chosen = chooseHexFormat(this, offered, hexText);
            if (chosen < 0 || chosen >= static_cast<int>(offered.size())) return false;
            format = offered[static_cast<size_t>(chosen)].Mime;
            if (isTextFormat(format)) m_clipboardAsHexText = hexText;
        }
    }
    bool ok = false;
    QByteArray bytes = readDataObject(data, format, isDrop, effect, ok);
    if (!ok) return false;
    bytes.truncate(bytes.size() - bytes.size() % BytesPerUnit());
    if (bytes.size() < 1) return false;
    if (!isDrop) {
        pasteBytes(bytes);
        return true;
    }
    const int32_t position = DropMarkPosition();
    if (position < 0) return false;
    int32_t pos = IsSelected(position) ? SelLower() : position;
    pos -= pos % BytesPerUnit();
    return dropBytes(bytes, std::min(pos, DataSize()), effect);
}

void THexEditorEx::pasteBytes(const QByteArray& data) {
    const std::string description = "Paste from clipboard";
    if (!HasSelection()) {
        const int32_t caret = CaretPosition();
        const int32_t aligned = caret - caret % BytesPerUnit();
        if (aligned != caret && aligned < DataSize()) SetSelStart(aligned);
        if (EffectiveNoSizeChange()) {
            const int32_t start = std::min(aligned, DataSize() - 1);
            const int32_t end = static_cast<int32_t>(
                std::min<int64_t>(static_cast<int64_t>(start) + data.size(), DataSize()) - 1);
            if (start >= 0 && end >= start) SetSelection(start, end);
        }
    }
    ReplaceSelection(data.constData(), static_cast<int32_t>(data.size()), description, true);
}

bool THexEditorEx::dropBytes(const QByteArray& data, int32_t position, Qt::DropAction effect) {
    const std::string description = "Data dropped";
    const auto size = static_cast<int32_t>(data.size());
    if (m_dragging && effect == Qt::MoveAction) {
        SetSizeLockLifted(true);
        struct Relock {
            THexEditorEx* editor;
            ~Relock() { editor->SetSizeLockLifted(false); }
        } relock{this};
        m_movedWithin = true;
        if (HasSelection() && SelUpper() < position) position -= SelCount();
        DeleteSelection(description);
        if (position >= DataSize())
            AppendBuffer(data.constData(), size, description, true);
        else
            InsertBuffer(data.constData(), size, position, description, true);
        return true;
    }
    if (position < DataSize()) {
        if (IsSelected(position)) {
            ReplaceSelection(data.constData(), size, description, true);
        } else if (!EffectiveNoSizeChange()) {
            ResetSelection(true);
            InsertBuffer(data.constData(), size, position, description, true);
        } else {
            const int32_t end = static_cast<int32_t>(
                std::min<int64_t>(static_cast<int64_t>(position) + size, DataSize()) - 1);
            ResetSelection(true);
            SetSelection(position, end);
            ReplaceSelection(data.constData(), end - position + 1, description, true);
        }
        return true;
    }
    if (EffectiveNoSizeChange()) return false;
    AppendBuffer(data.constData(), size, description, true);
    return true;
}

bool THexEditorEx::DropAt(const QMimeData* data, int32_t position, Qt::DropAction& effect) {
    int col;
    int32_t row;
    CellOfPosition(std::clamp(position, 0, DataSize()), InCharField(), col, row);
    ShowDropMark(col, row);
    const bool ok = !AcceptsDataObject(data).isEmpty() && PasteFromDataObject(data, true, effect);
    HideDropMark();
    return ok;
}

// ---- drag-and-drop --------------------------------------------------------------------------------------

void THexEditorEx::SetOleDragDrop(bool value) {
    m_oleDragDrop = value;
    setAcceptDrops(value);
    viewport()->setAcceptDrops(value);
}

Qt::DropAction THexEditorEx::DropEffect(Qt::KeyboardModifiers mods, const QString& format) const {
    if (m_dragging) return (mods & Qt::ControlModifier) || ReadOnlyView() ? Qt::CopyAction : Qt::MoveAction;
    Qt::DropAction effect = (mods & Qt::ShiftModifier) && !ReadOnlyView() ? Qt::MoveAction : Qt::CopyAction;
    if (effect == Qt::MoveAction && format == hexmime::UriList) effect = Qt::LinkAction;
    return effect;
}

bool THexEditorEx::MousePressedOnSelection(QMouseEvent*) {
    m_dragArmed = m_oleDragDrop && !Selecting();
    return m_dragArmed;
}

bool THexEditorEx::DragMove(QMouseEvent* event) {
    if (!m_dragArmed) return false;
    const QPoint delta = PixelAt(event->position()) - m_mouseDownPoint;
    const int threshold = QApplication::startDragDistance();
    if (std::abs(delta.x()) < threshold && std::abs(delta.y()) < threshold) return true;
    int col;
    int32_t row;
    if (!CellAt(PixelAt(event->position()), col, row) || !IsSelected(PositionOfCell(col, row))) return true;
    m_dragArmed = false;
    m_clickInSelection = false;
    startDrag();
    return true;
}

void THexEditorEx::startDrag() {
    const QByteArray bytes(reinterpret_cast<const char*>(GetFastPointer(SelLower(), SelCount())), SelCount());
    auto* object =
        new THexDataObject(bytes, QString::fromStdString(FileName()), SwapNibbles(), m_clipboardAsHexText);
    const QString withoutFile = withoutFileText(*object);
    Qt::DropActions allowed = Qt::CopyAction;
    if (!ReadOnlyView()) allowed |= Qt::MoveAction;
    m_dragging = true;
    m_movedWithin = false;
    const int recordsBefore = UndoStorage().Count();
    // The drag owns the object and may free it before the loop returns.
    const QPointer<THexDataObject> guard(object);
    Qt::DropAction result = Qt::IgnoreAction;
    try {
        result = DragExecutor(object, allowed);
    } catch (...) {
        m_dragging = false;
        throw;
    }
    if (guard && guard->EffectReported()) result = guard->PerformedEffect();
    if (result == Qt::MoveAction) {
        if (m_movedWithin) {
            if (UndoStorage().Count() - recordsBefore >= 2) GroupUndo(2, "Data moved");
        } else if (HasSelection()) {
            DeleteSelection("");
        }
    }
    m_dragging = false;
    m_movedWithin = false;
    LeftButtonDown = false;
    HideDropMark();
    // A drag nobody took may have been meant for a file manager, which found no file; told after the drag,
    // since a message box cannot stand in the middle of one.
    if (result == Qt::IgnoreAction && !withoutFile.isEmpty()) showHexError(this, withoutFile);
}

void THexEditorEx::dropMarkAt(const QPoint& point) {
    int col;
    int32_t row;
    if (!CellAt(point, col, row) || col < 2 || row < 2) {
        HideDropMark();
        return;
    }
    if (col == NibbleCount() + 2) col = NibbleCount() + 1;
    ShowDropMark(col, std::min(row, RowCount() - 1));
}

void THexEditorEx::answerDragOver(QDragMoveEvent* event) {
    guarded([&] {
        const QString format = AcceptsDataObject(event->mimeData());
        if (format.isEmpty()) {
            event->ignore();
            return;
        }
        event->setDropAction(DropEffect(event->modifiers(), format));
        event->accept();
        dropMarkAt(PixelAt(event->position()));
    });
}

void THexEditorEx::dragEnterEvent(QDragEnterEvent* event) {
    answerDragOver(event);
}

void THexEditorEx::dragMoveEvent(QDragMoveEvent* event) {
    answerDragOver(event);
}

void THexEditorEx::dragLeaveEvent(QDragLeaveEvent*) {
    HideDropMark();
}

void THexEditorEx::dropEvent(QDropEvent* event) {
    guarded([&] {
        struct Hide {
            THexEditorEx* editor;
            ~Hide() { editor->HideDropMark(); }
        } hide{this};
        const QString format = AcceptsDataObject(event->mimeData());
        if (format.isEmpty()) {
            event->ignore();
            return;
        }
        Qt::DropAction effect = DropEffect(event->modifiers(), format);
        dropMarkAt(PixelAt(event->position()));
        if (PasteFromDataObject(event->mimeData(), true, effect)) {
            event->setDropAction(effect);
            event->accept();
        } else {
            event->ignore();
        }
    });
}

// ---- backups and temporary files ------------------------------------------------------------------------

void THexEditorEx::PrepareOverwriteDiskFile() {
    const QString fileName = QString::fromStdString(FileName());
    if (m_noWritableFile) throw EHexEditor(hexFormat(hexmsg::ReadonlyFile, fileName.toStdString()));
    if (!m_createBackup || !Modified() || !QFileInfo::exists(fileName)) return;
    const QString backup = fileName + m_backupExtension;
    if (QFileInfo::exists(backup)) {
        QFile old(backup);
        if (!old.remove())
            throw EHexEditor(
                hexFormat(hexmsg::CannotDeleteBackup, backup.toStdString(), old.errorString().toStdString()));
    }
    QFile file(fileName);
    if (!file.rename(backup))
        throw EHexEditor(
            hexFormat(hexmsg::CannotCreateBackup, backup.toStdString(), file.errorString().toStdString()));
}

QString THexEditorEx::MakeTempFileName() {
    const QString folder = UserTempFolder().left(260).trimmed();
    QString name;
    do {
        const auto ticks = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now().time_since_epoch())
                               .count();
        const QString digits =
            QString::number(static_cast<quint32>(ticks), 16).rightJustified(8, QLatin1Char('0')).toUpper();
        name = QDir(folder).filePath(digits + QStringLiteral(".HXT"));
    } while (QFileInfo::exists(name));
    return name;
}
