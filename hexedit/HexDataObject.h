// Clipboard and drag-and-drop formats of the hex editor: the offered data object and the incoming converters.
#pragma once

#include <QByteArray>
#include <QMimeData>
#include <QString>
#include <QStringList>

#include "UserTempFolder.h"

#include <functional>
#include <optional>
#include <vector>

// Registered clipboard formats and their MIME types.
namespace hexmime {
inline const QString Own = QStringLiteral("application/x-thexeditorex-clipboard-format");
inline const QString RegEditHex = QStringLiteral("application/x-regedit-hexdata");
inline const QString Rtf = QStringLiteral("text/rtf");
inline const QString Html = QStringLiteral("text/html");
inline const QString FileGroupDescriptor = QStringLiteral("application/x-hex-file-group-descriptor");
inline const QString UriList = QStringLiteral("text/uri-list");
inline const QString Text = QStringLiteral("text/plain");
inline const QString UnicodeText = QStringLiteral("text/plain;charset=utf-16");
inline const QString OemText = QStringLiteral("application/x-hex-oem-text");
inline const QString Bitmap = QStringLiteral("image/bmp");
inline const QString Dib = QStringLiteral("application/x-hex-dib");
inline const QString Palette = QStringLiteral("application/x-hex-palette");
inline const QString Metafile = QStringLiteral("application/x-hex-metafile");
inline const QString EnhMetafile = QStringLiteral("application/x-hex-enhmetafile");
inline const QString Tiff = QStringLiteral("image/tiff");
inline const QString Riff = QStringLiteral("application/x-hex-riff");
inline const QString Wave = QStringLiteral("audio/wav");
inline const QString Locale = QStringLiteral("application/x-hex-locale");
} // namespace hexmime

// One accepted clipboard format: its MIME type and the name the format chooser lists.
struct THexClipFormat {
    QString Mime;
    QString Name;
};
using TClipFormats = std::vector<THexClipFormat>;

// Accepted formats in order of preference; the first two only without the others.
TClipFormats hexAcceptedFormats(bool supportsOtherFormats);
bool isTextFormat(const QString& mime);

// The own block: "HXED", u32 0x00010001, u32 count, then the bytes.
QByteArray makeOwnBlock(const QByteArray& data);
// Bytes of a valid own block, nothing for anything else (also when the declared count exceeds the block).
std::optional<QByteArray> parseOwnBlock(const QByteArray& block);
// "RegEdit_HexData": u32 count, then the bytes.
std::optional<QByteArray> parseRegEditBlock(const QByteArray& block);
// Every pair of hex digits gives a byte; other characters are skipped and a last odd digit is dropped.
QByteArray parseHexText(const QByteArray& text, bool swapNibbles);
QByteArray toHexText(const QByteArray& data, bool swapNibbles);
// Converts the raw bytes of an accepted format to the bytes that are pasted.
QByteArray clipDataToBytes(const QString& mime, const QByteArray& raw, bool unicodeBigEndian);
// The 336-byte file group descriptor of one file named name with size bytes.
QByteArray makeFileGroupDescriptor(const QString& name, quint32 size);

// The selection offered to the clipboard or a drag: the own block, text, a file descriptor and the file
// itself.
class THexDataObject : public QMimeData {
    Q_OBJECT
public:
    THexDataObject(const QByteArray& data, const QString& editorFileName, bool swapNibbles, bool hexText);
    ~THexDataObject() override;

    const QByteArray& Bytes() const { return m_data; }
    const QString& ObjectName() const { return m_name; }
    // Why no file list is offered: the folder or the file that could not be written and the system's
    // reason. Empty when the dump file is written and offered.
    const QString& DumpError() const { return m_dumpError; }
    QStringList formats() const override;
    bool hasFormat(const QString& mime) const override;
    // The drop effect the target reported, when it reported one.
    void SetPerformedEffect(Qt::DropAction effect) {
        m_performedEffect = effect;
        m_effectReported = true;
    }
    bool EffectReported() const { return m_effectReported; }
    Qt::DropAction PerformedEffect() const { return m_performedEffect; }

protected:
    QVariant retrieveData(const QString& mime, QMetaType type) const override;

private:
    // Writes the dump file "Dump of <name>.bin" into the object's folder, or says why it cannot.
    void writeDump();

    QByteArray m_data;
    QString m_name;
    bool m_swapNibbles;
    bool m_hexText;
    // Two objects of one editor share a visible name, so each keeps its file in a folder of its own. The file
    // is written before anything is offered: without it (no folder, a full disk) the file list is not
    // offered, since a receiver would paste nothing or a short file; the bytes still go as the other formats.
    TPrivateTempFolder m_dumpFolder;
    QString m_tempFile;
    QString m_dumpError;
    Qt::DropAction m_performedEffect = Qt::IgnoreAction;
    bool m_effectReported = false;
};

// Lets the user pick one of several offered formats; answers the index or -1, and may change hexText.
using HexFormatChooser = std::function<int(QWidget* parent, const TClipFormats& offered, bool& hexText)>;
void setHexFormatChooser(HexFormatChooser chooser);
// Runs the chooser (the dialog unless one was injected).
int chooseHexFormat(QWidget* parent, const TClipFormats& offered, bool& hexText);
