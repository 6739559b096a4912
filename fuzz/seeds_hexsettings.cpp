// Seeds of fuzz_hexsettings: the editor's own settings text, and texts that change every kind of value.
#include "FuzzHarness.h"
#include "HexFuzz.h"

int main(int argc, char** argv) {
    return fuzzharness::seedMain(argc, argv, [](fuzzharness::SeedFolder& seeds) {
        const auto add = [&seeds](const std::string& name, const QString& text) {
            const QByteArray bytes = text.toUtf8();
            seeds.add(name, fuzzharness::Bytes(bytes.begin(), bytes.end()));
        };
        add("defaults", hexfuzz::newEditor({})->GetSettingsText());
        add("changed",
            QStringLiteral("CreateBackup=False\r\nBackupExtension=.old\nBytesPerRow=8\nBytesPerColumn=2\n"
                           "Translation=tkMac\nOffsetFormat=-!10:0x|\nCaretKind=ckFull\n"
                           "Colors.Grid=$00FF00\nColors.Offset=clRed\nMaskChar=#46\nBytesPerUnit=2\n"
                           "UnicodeChars=True\nRulerNumberBase=10\nFont.Size=12\nFont.Style=[fsBold]\n"
                           "Font.Charset=DEFAULT_CHARSET\nPrintOptions.Flags=[pfMonochrome]\n"
                           "PrintFont.Name=Mono\nPrintFont.Color=clBlue\nMaxUndo=100\n"));
        add("refused", QStringLiteral("BytesPerColumn=4\nBytesPerRow=0\nBytesPerUnit=3\nGutterWidth=-5\n"));
        add("odd", QStringLiteral("=\nnoequals\nbytesperrow=16=2\nFont.Size=-2147483648\nMaskChar=\n"));
    });
}
