// The hex editor control placed on forms: update bracket, zoom, clipboard, drag-and-drop, settings text,
// print options and backups.
#pragma once

#include "HexDataObject.h"
#include "HexEditor.h"

#include <QMenu>
#include <QPointer>

#include <array>

enum THexPrintFlag {
    pfSelectionOnly,
    pfSelectionBold,
    pfMonochrome,
    pfUseBackgroundColor,
    pfCurrentViewOnly,
    pfIncludeRuler
};

// Print settings: stored, streamed and exchanged through the settings text; nothing prints.
struct THexPrintOptions {
    std::array<QString, 2> Headers; // THexPrintHeaders: 0 page header, 1 page footer
    int MarginLeft = 20, MarginTop = 15, MarginRight = 25, MarginBottom = 25;
    unsigned Flags = 1u << pfSelectionBold | 1u << pfMonochrome;
    QString& PageHeader() { return Headers[0]; }
    QString& PageFooter() { return Headers[1]; }
    void Assign(const THexPrintOptions& other) { *this = other; }
};

class THexEditorEx : public TCustomHexEditor {
    Q_OBJECT
public:
    explicit THexEditorEx(QWidget* parent = nullptr);
    ~THexEditorEx() override;

    // Painting is held back between BeginUpdate and EndUpdate; edits, undo records and events still happen.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return m_repaintLock; }

    void WriteBuffer(const void* buffer, int32_t pos, int32_t count) override;

    bool ZoomOnWheel() const { return m_zoomOnWheel; }
    void SetZoomOnWheel(bool value) { m_zoomOnWheel = value; }
    QMenu* OffsetPopupMenu() const { return m_offsetPopupMenu; }
    void SetOffsetPopupMenu(QMenu* menu) { m_offsetPopupMenu = menu; }
    bool FindProgress() const { return m_findProgress; }
    void SetFindProgress(bool value) { m_findProgress = value; }

    // Clipboard.
    bool CanCopy() const { return DataSize() > 0 && SelCount() > 0; }
    bool CanCut() const { return CanCopy() && !ReadOnlyView() && !NoSizeChange(); }
    bool CanPaste() const;
    bool CopyToClipboard();
    bool CutToClipboard();
    bool PasteFromClipboard();
    bool ClipboardAsHexText() const { return m_clipboardAsHexText; }
    void SetClipboardAsHexText(bool value) { m_clipboardAsHexText = value; }
    bool FlushClipboardAtShutDown() const { return m_flushClipboardAtShutDown; }
    void SetFlushClipboardAtShutDown(bool value) { m_flushClipboardAtShutDown = value; }
    bool SupportsOtherClipFormats() const { return m_supportsOtherClipFormats; }
    void SetSupportsOtherClipFormats(bool value) { m_supportsOtherClipFormats = value; }
    // The first accepted format the source offers, or an empty text; nothing in ReadOnlyView.
    QString AcceptsDataObject(const QMimeData* data) const;
    // Turns a paste or a drop (at the drop mark) into one undoable edit; false when no data arrived.
    bool PasteFromDataObject(const QMimeData* data, bool isDrop, Qt::DropAction& effect);
    THexDataObject* LastClipboardObject() const { return m_clipboardObject; }

    // Drag-and-drop.
    bool OleDragDrop() const { return m_oleDragDrop; }
    void SetOleDragDrop(bool value);
    // Runs a drag of the selection; replaceable so that tests can stand in for the platform's drag loop.
    std::function<Qt::DropAction(THexDataObject* data, Qt::DropActions allowed)> DragExecutor;
    // The effect a drop gets from the modifiers held.
    Qt::DropAction DropEffect(Qt::KeyboardModifiers mods, const QString& format) const;
    // Drops data at a data position, as a drop mark there would.
    bool DropAt(const QMimeData* data, int32_t position, Qt::DropAction& effect);
    bool DraggingFromHere() const { return m_dragging; }

    // Settings text.
    static const std::vector<QString>& PublicPropertyNames();
    virtual bool IsPublicProperty(const QString& name) const;
    virtual QString GetSettingsText() const;
    virtual void SetSettingsText(const QString& text);
    std::function<void(const QString& name, bool& isPublic)> OnQueryPublicProperty;

    // Print settings.
    THexPrintOptions& PrintOptions() { return m_printOptions; }
    void SetPrintOptions(const THexPrintOptions& options) { m_printOptions.Assign(options); }
    const QFont& PrintFont() const { return m_printFont; }
    void SetPrintFont(const QFont& value) {
        m_printFont = value;
        m_useEditorFontForPrinting = false;
    }
    bool UseEditorFontForPrinting() const { return m_useEditorFontForPrinting; }
    void SetUseEditorFontForPrinting(bool value) { m_useEditorFontForPrinting = value; }

    // Backups before the data is written over FileName.
    bool CreateBackup() const { return m_createBackup; }
    void SetCreateBackup(bool value) { m_createBackup = value; }
    const QString& BackupExtension() const { return m_backupExtension; }
    void SetBackupExtension(const QString& value) { m_backupExtension = value; }
    bool NoWritableFile() const { return m_noWritableFile; }
    void SetNoWritableFile(bool value) { m_noWritableFile = value; }
    virtual void PrepareOverwriteDiskFile();
    void CreateEmptyFile(const std::string& name) override;
    static QString MakeTempFileName();

protected:
    bool UpdatesLocked() const override { return m_repaintLock > 0; }
    bool ExtraKeyDown(QKeyEvent* event) override;
    bool WheelZoom(Qt::KeyboardModifiers mods, int direction) override;
    void ContextOnOffsets(const QPoint& globalPos) override;
    bool MousePressedOnSelection(QMouseEvent* event) override;
    bool DragMove(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void startDrag();
    void dropMarkAt(const QPoint& point);
    // Entering and moving over the editor answer alike: take what can be dropped and mark where it lands.
    void answerDragOver(QDragMoveEvent* event);
    void pasteBytes(const QByteArray& data);
    bool dropBytes(const QByteArray& data, int32_t position, Qt::DropAction effect);
    QByteArray readDataObject(const QMimeData* data, const QString& format, bool isDrop,
                              Qt::DropAction effect, bool& ok);

    int m_repaintLock = 0;
    bool m_zoomOnWheel = true;
    bool m_findProgress = false;
    QPointer<QMenu> m_offsetPopupMenu;
    bool m_clipboardAsHexText = false;
    bool m_flushClipboardAtShutDown = false;
    bool m_supportsOtherClipFormats = true;
    QPointer<THexDataObject> m_clipboardObject;
    bool m_oleDragDrop = false;
    bool m_dragArmed = false;
    bool m_dragging = false;
    bool m_movedWithin = false;
    THexPrintOptions m_printOptions;
    QFont m_printFont;
    bool m_useEditorFontForPrinting = true;
    bool m_createBackup = true;
    QString m_backupExtension = QStringLiteral(".bak");
    bool m_noWritableFile = true;
    int m_fontCharset = 1;
    int m_printFontCharset = 1;
    THexColor m_printFontColor{Qt::black};
    const THexSystemColor* m_fontColorTheme = findHexSystemColor(QStringLiteral("clWindowText"));
    friend struct HexSettingsTable;
};
