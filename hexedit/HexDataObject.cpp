#include "HexDataObject.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>
#include <QtEndian>

#include <algorithm>

#include "HexCoreTypes.h"
#include "HexTranslation.h"

namespace {
constexpr quint32 OwnMagic = 0x44455848; // "HXED"
constexpr quint32 OwnVersion = 0x00010001;

HexFormatChooser& chooserHook() {
    static HexFormatChooser hook;
    return hook;
}

QString& lastChosenFormat() {
    static QString mime;
    return mime;
}

void appendU32(QByteArray& out, quint32 value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

// The dialog that lists the offered formats.
class TFormatSelDialog : public QDialog {
public:
    TFormatSelDialog(QWidget* parent, const TClipFormats& offered, bool hexText) : QDialog(parent) {
        setObjectName(QStringLiteral("FormatSelDialog"));
        setWindowTitle(QStringLiteral("Select data format"));
        if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
            resize(screen->size() / 4);
        auto* layout = new QVBoxLayout(this);
        m_list = new QListWidget(this);
        m_list->setObjectName(QStringLiteral("FormatList"));
        int preselect = 0;
        for (size_t i = 0; i < offered.size(); ++i) {
            m_list->addItem(offered[i].Name);
            if (offered[i].Mime == lastChosenFormat()) preselect = static_cast<int>(i);
        }
        m_list->setCurrentRow(preselect);
        layout->addWidget(m_list, 1);
        m_hex = new QCheckBox(QStringLiteral("Hex text"), this);
        m_hex->setObjectName(QStringLiteral("HexText"));
        m_hex->setChecked(hexText);
        layout->addWidget(m_hex);
        auto* buttons = new QHBoxLayout;
        auto* ok = new QPushButton(QStringLiteral("OK"), this);
        ok->setObjectName(QStringLiteral("OK"));
        ok->setDefault(true);
        auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
        cancel->setObjectName(QStringLiteral("Cancel"));
        buttons->addWidget(ok);
        buttons->addWidget(cancel);
        layout->addLayout(buttons);
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
        connect(m_list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
        auto updateCheck = [this, offered] {
            const int row = m_list->currentRow();
            m_hex->setEnabled(row >= 0 && isTextFormat(offered[static_cast<size_t>(row)].Mime));
        };
        connect(m_list, &QListWidget::currentRowChanged, this, updateCheck);
        updateCheck();
    }
    int chosen() const { return m_list->currentRow(); }
    bool hexText() const { return m_hex->isChecked(); }

private:
    QListWidget* m_list;
    QCheckBox* m_hex;
};
} // namespace

TClipFormats hexAcceptedFormats(bool supportsOtherFormats) {
    TClipFormats formats{{hexmime::Own, QStringLiteral("THexEditorEx Clipboard Format")},
                         {hexmime::UriList, QStringLiteral("File List")}};
    if (!supportsOtherFormats) return formats;
    const TClipFormats others{
        {hexmime::Text, QStringLiteral("Text")},
        {hexmime::Rtf, QStringLiteral("Rich Text Format")},
        {hexmime::UnicodeText, QStringLiteral("Unicode Text")},
        {hexmime::Bitmap, QStringLiteral("Bitmap Picture")},
        {hexmime::Palette, QStringLiteral("Color Palete")},
        {hexmime::Metafile, QStringLiteral("Metafile Picture")},
        {hexmime::Tiff, QStringLiteral("Tagged Image File Format (TIFF) Picture")},
        {hexmime::OemText, QStringLiteral("OEM Text")},
        {hexmime::Dib, QStringLiteral("Device Independent Bitmap Picture")},
        {hexmime::Riff, QStringLiteral("RIFF Audio Data")},
        {hexmime::Wave, QStringLiteral("Wave Audio")},
        {hexmime::EnhMetafile, QStringLiteral("Enhanced Metafile Picture")},
        {hexmime::Locale, QStringLiteral("Text Locale")},
        {hexmime::RegEditHex, QStringLiteral("RegEdit_HexData")},
        {hexmime::Html, QStringLiteral("HTML Format")},
    };
    formats.insert(formats.end(), others.begin(), others.end());
    return formats;
}

bool isTextFormat(const QString& mime) {
    return mime == hexmime::Text || mime == hexmime::OemText;
}

QByteArray makeOwnBlock(const QByteArray& data) {
    QByteArray block;
    block.reserve(data.size() + 12);
    appendU32(block, OwnMagic);
    appendU32(block, OwnVersion);
    appendU32(block, static_cast<quint32>(data.size()));
    block.append(data);
    return block;
}

std::optional<QByteArray> parseOwnBlock(const QByteArray& block) {
    if (block.size() < 12) return std::nullopt;
    const char* p = block.constData();
    if (qFromLittleEndian<quint32>(p) != OwnMagic || qFromLittleEndian<quint32>(p + 4) != OwnVersion)
        return std::nullopt;
    const quint32 count = qFromLittleEndian<quint32>(p + 8);
    if (count > static_cast<quint32>(block.size() - 12)) return std::nullopt;
    return block.mid(12, static_cast<qsizetype>(count));
}

std::optional<QByteArray> parseRegEditBlock(const QByteArray& block) {
    if (block.size() < 4) return std::nullopt;
    const quint32 count = qFromLittleEndian<quint32>(block.constData());
    if (count > static_cast<quint32>(block.size() - 4)) return std::nullopt;
    return block.mid(4, static_cast<qsizetype>(count));
}

QByteArray parseHexText(const QByteArray& text, bool swapNibbles) {
    QByteArray out;
    int pending = -1;
    for (char c : text) {
        const int digit = hexDigitValue(static_cast<unsigned char>(c));
        if (digit < 0) continue;
        if (pending < 0) {
            pending = digit;
        } else {
            out.append(static_cast<char>(swapNibbles ? digit << 4 | pending : pending << 4 | digit));
            pending = -1;
        }
    }
    return out;
}

QByteArray toHexText(const QByteArray& data, bool swapNibbles) {
    static const char digits[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(data.size() * 2);
    for (char c : data) {
        const auto b = static_cast<uint8_t>(c);
        out.append(digits[swapNibbles ? b & 15 : b >> 4]);
        out.append(digits[swapNibbles ? b >> 4 : b & 15]);
    }
    return out;
}

QByteArray clipDataToBytes(const QString& mime, const QByteArray& raw, bool unicodeBigEndian) {
    if (mime == hexmime::Own) return parseOwnBlock(raw).value_or(QByteArray());
    if (mime == hexmime::RegEditHex) return parseRegEditBlock(raw).value_or(QByteArray());
    if (mime == hexmime::Text || mime == hexmime::OemText || mime == hexmime::Rtf || mime == hexmime::Html) {
        const qsizetype zero = raw.indexOf('\0');
        return zero < 0 ? raw : raw.left(zero);
    }
    if (mime == hexmime::UnicodeText) {
        QByteArray out;
        for (qsizetype i = 0; i + 1 < raw.size(); i += 2) {
            if (raw[i] == 0 && raw[i + 1] == 0) break;
            out.append(unicodeBigEndian ? raw[i + 1] : raw[i]);
            out.append(unicodeBigEndian ? raw[i] : raw[i + 1]);
        }
        return out;
    }
    if (mime == hexmime::Dib) {
        QByteArray out(14, '\0');
        out[0] = 'B';
        out[1] = 'M';
        return out + raw;
    }
    if (mime == hexmime::Locale) return raw.left(2);
    return raw;
}

QByteArray makeFileGroupDescriptor(const QString& name, quint32 size) {
    QByteArray block(336, '\0');
    char* p = block.data();
    qToLittleEndian<quint32>(1, p);
    char* d = p + 4;
    qToLittleEndian<quint32>(0x60, d);
    // Last write time as 100 ns ticks since 1601-01-01.
    const qint64 unixMs = QDateTime::currentMSecsSinceEpoch();
    const quint64 fileTime = static_cast<quint64>(unixMs + 11644473600000LL) * 10000ULL;
    qToLittleEndian<quint64>(fileTime, d + 4 + 16 + 8 + 8 + 4 + 8 + 8);
    qToLittleEndian<quint32>(0, d + 64);
    qToLittleEndian<quint32>(size, d + 68);
    const QByteArray fileName = name.left(259).toLocal8Bit().left(259);
    std::copy(fileName.begin(), fileName.end(), d + 72);
    return block;
}

// ---- data object ----------------------------------------------------------------------------------------

THexDataObject::THexDataObject(const QByteArray& data, const QString& editorFileName, bool swapNibbles,
                               bool hexText)
    : m_data(data), m_swapNibbles(swapNibbles), m_hexText(hexText),
      m_dumpFolder(QStringLiteral("hexedit-dump")) {
    const QString base = QFileInfo(editorFileName).completeBaseName();
    m_name = QStringLiteral("Dump of %1.bin").arg(base).left(255);
    writeDump();
}

// The dump folder (and the file in it) goes with the object.
THexDataObject::~THexDataObject() = default;

QStringList THexDataObject::formats() const {
    QStringList offered = {hexmime::Own, hexmime::Text, hexmime::FileGroupDescriptor};
    if (!m_tempFile.isEmpty()) offered.append(hexmime::UriList);
    return offered;
}

bool THexDataObject::hasFormat(const QString& mime) const {
    return formats().contains(mime);
}

void THexDataObject::writeDump() {
    if (!m_dumpFolder.IsValid()) {
        m_dumpError = m_dumpFolder.ErrorText();
        return;
    }
    QString name = m_name;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    const QString path = QDir(m_dumpFolder.Path()).filePath(name);
    // Unbuffered, so that a write the disk does not take whole fails here, with the system's reason.
    QFile file(path);
    bool written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    for (qsizetype done = 0; written && done < m_data.size();) {
        const qint64 n = file.write(m_data.constData() + done, m_data.size() - done);
        written = n > 0;
        done += std::max<qint64>(n, 0);
    }
    if (!written) {
        m_dumpError = QStringLiteral("Cannot write file \"%1\". %2")
                          .arg(QDir::toNativeSeparators(path), file.error() == QFileDevice::NoError
                                                                   ? QStringLiteral("No space left on device")
                                                                   : file.errorString());
        file.remove();
        return;
    }
    m_tempFile = path;
}

QVariant THexDataObject::retrieveData(const QString& mime, QMetaType) const {
    if (mime == hexmime::Own) return makeOwnBlock(m_data);
    if (mime == hexmime::Text) {
        if (m_hexText) return QString::fromLatin1(toHexText(m_data, m_swapNibbles));
        const qsizetype zero = m_data.indexOf('\0');
        QString text;
        for (char c : zero < 0 ? m_data : m_data.left(zero))
            text.append(QChar(ansiToUnicode(static_cast<uint8_t>(c))));
        return text;
    }
    if (mime == hexmime::FileGroupDescriptor)
        return makeFileGroupDescriptor(m_name, static_cast<quint32>(m_data.size()));
    if (mime == hexmime::UriList) {
        if (m_tempFile.isEmpty()) return {};
        return QVariant::fromValue(QList<QVariant>{QUrl::fromLocalFile(m_tempFile)});
    }
    return {};
}

void setHexFormatChooser(HexFormatChooser chooser) {
    chooserHook() = std::move(chooser);
}

int chooseHexFormat(QWidget* parent, const TClipFormats& offered, bool& hexText) {
    if (chooserHook()) return chooserHook()(parent, offered, hexText);
    TFormatSelDialog dialog(parent, offered, hexText);
    if (dialog.exec() != QDialog::Accepted || dialog.chosen() < 0) return -1;
    const THexClipFormat& chosen = offered[static_cast<size_t>(dialog.chosen())];
    lastChosenFormat() = chosen.Mime;
    if (isTextFormat(chosen.Mime)) hexText = dialog.hexText();
    return dialog.chosen();
}
