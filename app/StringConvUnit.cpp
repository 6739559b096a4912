#include "StringConvUnit.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPainter>
#include <QStyle>
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

// How many left-out characters the note names before it only counts the rest.
constexpr qsizetype kNamedLeftOut = 20;

QString characterName(const QString& character) {
    const char32_t code = character.toUcs4().value(0);
    if (QChar::isPrint(code)) return QLatin1Char('"') + character + QLatin1Char('"');
    return QStringLiteral("U+%1").arg(uint(code), 4, 16, QLatin1Char('0')).toUpper();
}

// One line under the boxes, cut at its end with an ellipsis when wider than the window, so that a long list
// never widens it; the whole text is in the tooltip. Its line stays while it is empty, so that nothing moves
// as the note comes and goes.
class NoteLabel : public QLabel {
public:
    using QLabel::QLabel;
    QSize sizeHint() const override { return {0, fontMetrics().height()}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect room = contentsRect();
        style()->drawItemText(&painter, room, Qt::AlignLeft | Qt::AlignVCenter, palette(), isEnabled(),
                              fontMetrics().elidedText(text(), Qt::ElideRight, room.width()),
                              foregroundRole());
    }
};

} // namespace

QString LeftOutNote(const QStringList& leftOut) {
    if (leftOut.isEmpty()) return {};
    QStringList names;
    for (qsizetype i = 0; i < std::min(leftOut.size(), kNamedLeftOut); ++i)
        names += characterName(leftOut[i]);
    QString list = names.join(QStringLiteral(", "));
    if (leftOut.size() > kNamedLeftOut)
        list += QStringLiteral(" and %1 more").arg(leftOut.size() - kNamedLeftOut);
    if (leftOut.size() == 1)
        return QStringLiteral("The character %1 cannot be stored in a page's text; it is left out.")
            .arg(list);
    return QStringLiteral("The characters %1 cannot be stored in a page's text; they are left out.")
        .arg(list);
}

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
    UnstorableNote = new NoteLabel(this);
    UnstorableNote->setObjectName(QStringLiteral("UnstorableNote"));
    layout->addRow(UnstorableNote);
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

void TStringConv::showNote(const QString& text) {
    UnstorableNote->setText(text);
    UnstorableNote->setToolTip(text);
}

void TStringConv::PlainStrChange() {
    updateGuarded(Updating, [this] {
        QStringList leftOut;
        const std::string plain = PageBytes(PlainStr->text(), &leftOut);
        UruStr->setText(HexPairs(InvertString(plain)));
        QuorbelStr->setText(HexPairs(QuorbelXorString(plain)));
        showNote(LeftOutNote(leftOut));
    });
}

void TStringConv::UruStrChange() {
    updateGuarded(Updating, [this] {
        const std::string plain = InvertString(DecodeHexPairs(cleanInPlace(UruStr)));
        PlainStr->setText(PageText(plain));
        QuorbelStr->setText(HexPairs(QuorbelXorString(plain)));
        showNote({});
    });
}

void TStringConv::QuorbelStrChange() {
    updateGuarded(Updating, [this] {
        const std::string plain = QuorbelXorString(DecodeHexPairs(cleanInPlace(QuorbelStr)));
        PlainStr->setText(PageText(plain));
        UruStr->setText(HexPairs(InvertString(plain)));
        showNote({});
    });
}
