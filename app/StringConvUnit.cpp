#include "StringConvUnit.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <algorithm>
#include <limits>

namespace {

bool keptInHexText(char16_t c) {
    return c == u' ' || (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F');
}

// Converts under the guard: nested change events of the boxes being rewritten do nothing.
template <class F> void updateGuarded(uint8_t& updating, F&& work) {
    if (updating != 0) return;
    updating = 1;
    struct Clear {
        uint8_t& flag;
        ~Clear() { flag = 0; }
    } clear{updating};
    work();
}

} // namespace

QString CleanHexText(const QString& text) {
    QString upper = text.toUpper();
    upper.replace(QStringLiteral("0X"), QString());
    QString cleaned;
    cleaned.reserve(upper.size());
    for (QChar c : upper)
        if (keptInHexText(c.unicode())) cleaned += c;
    return cleaned;
}

std::string DecodeHexPairs(const QString& cleaned) {
    QString digits = cleaned;
    digits.remove(QChar(' '));
    const std::string ascii = digits.toLatin1().toStdString();
    std::string bytes;
    bytes.reserve(ascii.size() / 2);
    for (size_t i = 0; i + 1 < ascii.size(); i += 2)
        bytes += char(HexPairToByte(ascii.c_str() + i));
    return bytes;
}

QString HexPairs(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    QString text;
    text.reserve(qsizetype(bytes.size() * 3));
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) text += QChar(' ');
        const auto b = static_cast<uint8_t>(bytes[i]);
        text += QChar(digits[b >> 4]);
        text += QChar(digits[b & 15]);
    }
    return text;
}

TStringConv::TStringConv(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("StringConv"));
    setWindowTitle(QStringLiteral("String Converter"));
    auto* layout = new QFormLayout(this);
    auto addBox = [this, layout](QLineEdit*& box, const char* name, const QString& caption) {
        box = new QLineEdit(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setMinimumWidth(360);
        // Each hexadecimal box holds three characters a byte: no length limit of the box may cut a text.
        box->setMaxLength(std::numeric_limits<int>::max());
        auto* label = new QLabel(caption, this);
        label->setBuddy(box);
        layout->addRow(label, box);
    };
    addBox(PlainStr, "PlainStr", QStringLiteral("Plain Text:"));
    addBox(UruStr, "UruStr", QStringLiteral("Uru String:"));
    addBox(QuorbelStr, "QuorbelStr", QStringLiteral("Quorbel String:"));
    connect(PlainStr, &QLineEdit::textChanged, this, [this] { Guarded([this] { PlainStrChange(); }); });
    connect(UruStr, &QLineEdit::textChanged, this, [this] { Guarded([this] { UruStrChange(); }); });
    connect(QuorbelStr, &QLineEdit::textChanged, this, [this] { Guarded([this] { QuorbelStrChange(); }); });
    ShowAsChild();
    if (QMdiSubWindow* frame = SubWindow()) frame->adjustSize();
}

QString TStringConv::cleanInPlace(QLineEdit* edit) {
    const QString text = edit->text();
    const QString cleaned = CleanHexText(text);
    if (cleaned != text) {
        const int caret = int(CleanHexText(text.left(edit->cursorPosition())).size());
        edit->setText(cleaned);
        edit->setCursorPosition(std::min(caret, int(cleaned.size())));
    }
    return cleaned;
}

void TStringConv::PlainStrChange() {
    updateGuarded(Updating, [this] {
        const std::string plain = PageBytes(PlainStr->text());
        UruStr->setText(HexPairs(InvertString(plain)));
        QuorbelStr->setText(HexPairs(QuorbelXorString(plain)));
    });
}

void TStringConv::UruStrChange() {
    updateGuarded(Updating, [this] {
        const std::string plain = InvertString(DecodeHexPairs(cleanInPlace(UruStr)));
        PlainStr->setText(PageText(plain));
        QuorbelStr->setText(HexPairs(QuorbelXorString(plain)));
    });
}

void TStringConv::QuorbelStrChange() {
    updateGuarded(Updating, [this] {
        const std::string plain = QuorbelXorString(DecodeHexPairs(cleanInPlace(QuorbelStr)));
        PlainStr->setText(PageText(plain));
        UruStr->setText(HexPairs(InvertString(plain)));
    });
}
