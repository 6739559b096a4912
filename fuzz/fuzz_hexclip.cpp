// What the hex editor takes from the clipboard or a drop: every accepted format's bytes pasted or dropped
// into an editor of 32 bytes, then what the editor offers for its own bytes. Input: the format (index into
// the accepted formats), option bits, a position byte, then the format's data.
#include <cstddef>
#include <cstdint>

#include <QClipboard>
#include <QMimeData>

#include <cstdlib>

#include "HexFuzz.h"

namespace {

enum OptionBits : uint8_t {
    Drop = 0x01,
    AsHexText = 0x02,
    Swap = 0x04,
    BigEndian = 0x08,
    FixedSize = 0x10,
    OnlyOwnFormats = 0x20,
    AlsoText = 0x40, // the data comes as text too, so that the format chooser runs
    Move = 0x80,
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const uint8_t options = data[1];
    const uint8_t position = data[2];
    const TClipFormats formats = hexAcceptedFormats(true);
    const QString mime = formats[data[0] % formats.size()].Mime;
    const QByteArray raw(reinterpret_cast<const char*>(data + 3), qsizetype(size - 3));

    const auto editor = hexfuzz::newEditor(QByteArray(32, 'x'));
    THexEditorEx& e = *editor;
    e.SetClipboardAsHexText(options & AsHexText);
    e.SetSwapNibbles(options & Swap);
    e.SetUnicodeBigEndian(options & BigEndian);
    e.SetNoSizeChange(options & FixedSize);
    e.SetSupportsOtherClipFormats(!(options & OnlyOwnFormats));
    if (position & 0x80) e.SetSelection(position & 31, (position >> 2) & 31);
    // The chooser answers from the position byte, sometimes with a cancel.
    setHexFormatChooser([position](QWidget*, const TClipFormats& offered, bool& hexText) {
        hexText = position & 0x40;
        return int(position % (offered.size() + 1)) - 1;
    });

    QMimeData mimeData;
    mimeData.setData(mime, raw);
    if (options & AlsoText) mimeData.setData(hexmime::Text, raw);
    // A file list is taken by name only: the fuzzer must not read whatever files its input names.
    Qt::DropAction effect =
        mime == hexmime::UriList ? Qt::LinkAction : (options & Move ? Qt::MoveAction : Qt::CopyAction);
    try {
        if (options & Drop)
            e.DropAt(&mimeData, position & 63, effect);
        else
            e.PasteFromDataObject(&mimeData, false, effect);
    } catch (const EHexEditor&) {
        // A refused edit (a size change in a fixed-size editor) shows its message.
    }

    // What the editor then offers must read back to its bytes; with bit 0x20 of the position byte it is
    // also pasted back over itself.
    e.SelectAll();
    if (!e.CopyToClipboard()) return 0;
    const QMimeData* offered = QGuiApplication::clipboard()->mimeData();
    const QByteArray bytes(reinterpret_cast<const char*>(e.GetFastPointer(0, e.DataSize())), e.DataSize());
    for (const QString& format : offered->formats())
        (void)offered->data(format);
    if (parseOwnBlock(offered->data(hexmime::Own)) != bytes) std::abort();
    if (position & 0x20) e.PasteFromClipboard();
    return 0;
}
