// Seeds of fuzz_hexclip: every accepted format with data of its own layout, pasted and dropped.
#include "FuzzHarness.h"
#include "HexDataObject.h"

using fuzzharness::Bytes;

namespace {

Bytes bytesOf(const QByteArray& data) {
    return Bytes(data.begin(), data.end());
}

QByteArray dataFor(const QString& mime) {
    if (mime == hexmime::Own) return makeOwnBlock(QByteArray("\x01\x02\x03\x04", 4));
    if (mime == hexmime::RegEditHex) return QByteArray("\x03\0\0\0abcdef", 10);
    if (mime == hexmime::UriList)
        return QByteArray("file:///nonexistent/a.bin\r\nhttp://example.invalid/b\r\n");
    if (mime == hexmime::UnicodeText) return QByteArray("A\0B\0C\0\0\0D\0", 10);
    if (mime == hexmime::Text || mime == hexmime::OemText) return QByteArray("41 42 4g 43 4");
    if (mime == hexmime::Locale) return QByteArray("\x09\x04\0\0", 4);
    return QByteArray("data\0more", 9);
}

} // namespace

int main(int argc, char** argv) {
    return fuzzharness::seedMain(argc, argv, [](fuzzharness::SeedFolder& seeds) {
        const TClipFormats formats = hexAcceptedFormats(true);
        // Paste, drop, paste as hex text with swapped nibbles, a paste in a fixed-size editor over a
        // selection, and a drop that offers text too so that the chooser runs.
        const uint8_t options[][2] = {{0x00, 0x00}, {0x01, 0x05}, {0x06, 0x00}, {0x18, 0x8C}, {0x41, 0x42}};
        for (size_t f = 0; f < formats.size(); ++f)
            for (const auto& option : options)
                seeds.add("format" + std::to_string(f) + "_" + std::to_string(option[0]),
                          {uint8_t(f), option[0], option[1]}, bytesOf(dataFor(formats[f].Mime)));
    });
}
