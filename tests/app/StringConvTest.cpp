// The string converter: the three boxes kept in step as the user types, cleaning of hexadecimal text,
// and several independent converter windows opened from the main window.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include <QLabel>

#include "AppTestSupport.h"
#include "StringConvUnit.h"
#include "unitTUnknown.h"

namespace {

// Types text into the box key by key, as a user would, at its caret; a character beyond 16 bits is one key.
void typeInto(QLineEdit* box, const QString& text) {
    for (char32_t code : text.toUcs4()) {
        const QString key = QString::fromUcs4(&code, 1);
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, key);
        QApplication::sendEvent(box, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, key);
        QApplication::sendEvent(box, &release);
    }
}

struct BoxTexts {
    QString plain, uru, quorbel;
};

BoxTexts texts(const TStringConv& conv) {
    return {conv.PlainStr->text(), conv.UruStr->text(), conv.QuorbelStr->text()};
}

QLineEdit* box(const TStringConv* conv, const char* name) {
    return conv->findChild<QLineEdit*>(QString::fromLatin1(name));
}

QLabel* note(const TStringConv* conv) {
    return conv->findChild<QLabel*>(QStringLiteral("UnstorableNote"));
}

QString utf8(const char* text) {
    return QString::fromUtf8(text);
}

class StringConvTest : public ::testing::Test {
protected:
    StringConvTest() : conv(new TStringConv) {}
    ~StringConvTest() override { conv->close(); }
    CapturingMessages messages;
    TStringConv* conv;
};

} // namespace

TEST(CleanHexText, KeepsDigitsLettersAToFAndBlanks) {
    struct Row {
        QString in, out;
    } rows[] = {
        {"9e 9d", "9E 9D"},
        {"0x9E 0X9d", "9E 9D"},
        {"0x0x41", "41"},
        {"00XX", "0"}, // one pass: "0X" goes, the X left over is not a digit
        {"9g;E!", "9E"},
        {"\t1 2\n", "1 2"},
        {QString::fromUtf8("\xC3\xBF"
                           "1\xE2\x82\xAC"
                           "2"),
         "12"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(CleanHexText(r.in), r.out) << r.in.toStdString();
}

TEST_F(StringConvTest, EachBoxDrivesTheOtherTwo) {
    struct Row {
        QLineEdit* TStringConv::*source;
        QString typed;
        BoxTexts expected;
    } rows[] = {
        {&TStringConv::PlainStr, "abc", {"abc", "9E 9D 9C", "10 0D 11"}}, // XOR with "qor"
        {&TStringConv::PlainStr,
         QString(QChar(0xE9)) + QChar(0xFF),
         {QString(QChar(0xE9)) + QChar(0xFF), "16 00", "98 90"}},
        {&TStringConv::UruStr, "16 00", {QString(QChar(0xE9)) + QChar(0xFF), "16 00", "98 90"}},
        {&TStringConv::UruStr, "9e9d9", {"ab", "9E9D9", "10 0D"}},
        {&TStringConv::QuorbelStr, "10 0d 11", {"abc", "9E 9D 9C", "10 0D 11"}},
    };
    for (const Row& r : rows) {
        TStringConv* fresh = new TStringConv;
        typeInto(fresh->*r.source, r.typed);
        const BoxTexts t = texts(*fresh);
        EXPECT_EQ(t.plain, r.expected.plain) << r.typed.toStdString();
        EXPECT_EQ(t.uru, r.expected.uru) << r.typed.toStdString();
        EXPECT_EQ(t.quorbel, r.expected.quorbel) << r.typed.toStdString();
        EXPECT_EQ(fresh->Updating, 0);
        fresh->close();
    }
}

TEST_F(StringConvTest, RejectedCharactersVanishAndTheCaretStays) {
    typeInto(conv->UruStr, "9E9D");
    conv->UruStr->setCursorPosition(2);
    typeInto(conv->UruStr, "x");
    EXPECT_EQ(conv->UruStr->text(), "9E9D");
    EXPECT_EQ(conv->UruStr->cursorPosition(), 2);
    typeInto(conv->UruStr, " ");
    EXPECT_EQ(conv->UruStr->text(), "9E 9D");
    EXPECT_EQ(conv->UruStr->cursorPosition(), 3);
    EXPECT_EQ(conv->PlainStr->text(), "ab");
}

// Texts of any length: typed plain text far past the boxes' usual limit, and hexadecimal text pasted over a
// box, both come through whole, in every box.
TEST_F(StringConvTest, LongTextsAreKeptWhole) {
    conv->PlainStr->insert(QString(11000, QChar('a')));
    EXPECT_EQ(conv->PlainStr->text().size(), 11000);
    EXPECT_EQ(conv->UruStr->text().size(), 32999);
    EXPECT_EQ(conv->QuorbelStr->text().size(), 32999);
    EXPECT_TRUE(conv->UruStr->text().endsWith(QStringLiteral("9E 9E"))) << "no half byte at the end";

    const QString hex = HexPairs(std::string(12000, char(0x9D)));
    QApplication::clipboard()->setText(hex);
    conv->UruStr->selectAll();
    conv->UruStr->paste();
    EXPECT_EQ(conv->UruStr->text(), hex);
    EXPECT_EQ(conv->PlainStr->text(), QString(12000, QChar('b')));
    EXPECT_EQ(conv->QuorbelStr->text().size(), 35999);
}

// Page texts are stored in the code page the raw view shows: what it has a byte for is stored as that byte,
// anything else is left out of the stored bytes and named under the boxes, while the typed text stays.
TEST_F(StringConvTest, TypedTextIsStoredInTheRawViewsCodePage) {
    const QString omegaNote =
        utf8("The character \"\xCE\xA9\" cannot be stored in a page's text; it is left out.");
    struct Row {
        QString typed, uru, quorbel, note;
        bool pasted = false; // control characters come by paste; a key does not type them
    } rows[] = {
        {utf8("\xE2\x82\xAC"), "7F", "F1", ""},                // the euro sign is 0x80
        {utf8("\xE2\x82\xAC\xCE\xA9"), "7F", "F1", omegaNote}, // the omega is left out
        {utf8("\xCE\xA9\xE2\x82\xAC"), "7F", "F1", omegaNote}, // so the euro takes the first key byte
        {utf8("\xC5\x92\xE2\x84\xA2\xC5\xB8"), "73 66 60", "FD F6 ED", ""}, // 0x8C, 0x99, 0x9F
        {QString(QChar(0x81)), "7E", "F0", "",
         true}, // a byte the code page leaves undefined, as the raw view shows it
        {utf8("a\xCE\xA9\xCF\x80\xCE\xA9"
              "b"),
         "9E 9D", "10 0D",
         utf8("The characters \"\xCE\xA9\", \"\xCF\x80\" cannot be stored in a page's text; they are left "
              "out.")},
        {QString(QChar(0x80)), "", "",
         "The character U+0080 cannot be stored in a page's text; it is left out.", true}, // named by code
        {utf8("\xF0\x9F\x98\x80"), "", "",
         utf8("The character \"\xF0\x9F\x98\x80\" cannot be stored in a page's text; it is left out.")},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.typed.toStdString());
        auto* fresh = new TStringConv;
        if (r.pasted)
            box(fresh, "PlainStr")->insert(r.typed);
        else
            typeInto(box(fresh, "PlainStr"), r.typed);
        EXPECT_EQ(box(fresh, "PlainStr")->text(), r.typed);
        EXPECT_EQ(box(fresh, "UruStr")->text(), r.uru);
        EXPECT_EQ(box(fresh, "QuorbelStr")->text(), r.quorbel);
        ASSERT_NE(note(fresh), nullptr);
        EXPECT_EQ(note(fresh)->text(), r.note);
        fresh->close();
    }
    EXPECT_TRUE(messages.messages.empty()) << "a note, not a message box";
}

// However many characters are left out, the note names the first twenty in the order typed and counts the
// rest, so that it stays one line's worth of reading.
TEST(LeftOutNote, NamesTheFirstTwentyAndCountsTheRest) {
    QStringList greek;
    for (char16_t c = 0x3B1; c <= 0x3C9; ++c) // alpha to omega, final sigma among them: 25 letters
        greek += QString(QChar(c));
    QStringList leftOut;
    EXPECT_EQ(PageBytes(greek.join(QString()) + greek.join(QString()), &leftOut), "");
    EXPECT_EQ(leftOut, greek) << "each character once";
    const QString text = LeftOutNote(leftOut);
    EXPECT_TRUE(text.startsWith(utf8("The characters \"\xCE\xB1\", \"\xCE\xB2\", "))) << text.toStdString();
    EXPECT_TRUE(
        text.endsWith(utf8("\"\xCF\x84\" and 5 more cannot be stored in a page's text; they are left out.")))
        << text.toStdString();
    EXPECT_EQ(text.count(QLatin1Char('"')), 40);
}

// All 256 bytes entered in either hexadecimal box show in the plain box as the raw view shows them (bytes
// it masks as control characters keep their own code), and that text typed back stores the same bytes.
TEST_F(StringConvTest, EveryByteReadsAsTheRawViewShowsItAndComesBackTheSame) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    TPlasmaStream stream(std::vector<uint8_t>(all.begin(), all.end()));
    stream.Header.Version = kVersionUru;
    TPRPFileObject entry;
    entry.Version = kVersionUru;
    auto* raw = new TfrmTUnknown;
    raw->LoadObject(entry, &stream);
    QString shown;
    for (int b = 0; b < 256; ++b) {
        const char16_t c = raw->HexEditor->TranslateFromData(b);
        shown += b < 32 ? QChar(b) : QChar(c);
    }
    raw->close();
    EXPECT_EQ(shown.mid(0x80, 2), QString(QChar(0x20AC)) + QChar(0x81));
    EXPECT_EQ(shown.mid(0x9F, 2), QString(QChar(0x178)) + QChar(0xA0));

    const QString uruHex = HexPairs(InvertString(all));
    const QString quorbelHex = HexPairs(QuorbelXorString(all));
    for (const char* source : {"UruStr", "QuorbelStr"}) {
        SCOPED_TRACE(source);
        auto* fresh = new TStringConv;
        typeInto(box(fresh, source), std::string(source) == "UruStr" ? uruHex : quorbelHex);
        const QString plain = box(fresh, "PlainStr")->text();
        ASSERT_EQ(plain.size(), 256);
        for (int b = 0; b < 256; ++b)
            EXPECT_EQ(plain[b].unicode(), shown[b].unicode()) << "byte " << b;
        EXPECT_EQ(box(fresh, "UruStr")->text(), uruHex);
        EXPECT_EQ(box(fresh, "QuorbelStr")->text(), quorbelHex);

        box(fresh, "PlainStr")->clear();
        box(fresh, "PlainStr")->insert(plain);
        EXPECT_EQ(box(fresh, "UruStr")->text(), uruHex);
        EXPECT_EQ(box(fresh, "QuorbelStr")->text(), quorbelHex);
        EXPECT_EQ(note(fresh)->text(), "");
        fresh->close();
    }
}

// The note follows the plain text as it is typed and goes when a hexadecimal box is edited. In the main
// window, it never moves the boxes or widens the window, however many characters it names, and its tooltip
// holds the whole of it.
class StringConvWindowTest : public MainFormTest {
protected:
    static void settle() {
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
    }
};

TEST_F(StringConvWindowTest, NoteAppearsAndClearsWithoutResizingTheWindow) {
    form->show();
    form->ToolsStringConv->trigger();
    settle();
    auto* conv = form->findChild<TStringConv*>();
    ASSERT_NE(conv, nullptr);
    QMdiSubWindow* frame = conv->SubWindow();
    ASSERT_NE(frame, nullptr);
    ASSERT_NE(note(conv), nullptr);
    const QRect place = frame->geometry();
    const QRect uruPlace = box(conv, "UruStr")->geometry();
    QLineEdit* plain = box(conv, "PlainStr");
    EXPECT_EQ(note(conv)->text(), "");
    EXPECT_TRUE(note(conv)->isVisible());

    typeInto(plain, utf8("\xE2\x82\xAC\xCE\xA9"));
    settle();
    EXPECT_TRUE(note(conv)->text().contains(utf8("\"\xCE\xA9\""))) << note(conv)->text().toStdString();
    EXPECT_TRUE(note(conv)->visibleRegion().boundingRect().height() >= note(conv)->fontMetrics().height());
    QTest::keyClick(plain, Qt::Key_Backspace);
    EXPECT_EQ(note(conv)->text(), "");
    EXPECT_EQ(box(conv, "UruStr")->text(), "7F");

    typeInto(plain, utf8("\xCE\xA9\xCF\x80\xD0\xB6\xE2\x88\x9E\xE2\x89\xA0\xE2\x88\x9A\xCE\xB2\xCE\xB3"
                         "\xCE\xB4\xCE\xB5\xCE\xB6\xCE\xB7\xCE\xB8"));
    settle();
    EXPECT_TRUE(note(conv)->text().contains(utf8("\"\xCE\xB8\""))) << "every character named";
    EXPECT_GT(note(conv)->fontMetrics().horizontalAdvance(note(conv)->text()), note(conv)->width());
    EXPECT_EQ(note(conv)->toolTip(), note(conv)->text());
    EXPECT_EQ(frame->geometry(), place);
    EXPECT_EQ(box(conv, "UruStr")->geometry(), uruPlace);

    box(conv, "UruStr")->setCursorPosition(2);
    typeInto(box(conv, "UruStr"), "9E");
    settle();
    EXPECT_EQ(plain->text(), utf8("\xE2\x82\xAC"
                                  "a"));
    EXPECT_EQ(note(conv)->text(), "");
    EXPECT_EQ(frame->geometry(), place);
    EXPECT_EQ(box(conv, "UruStr")->geometry(), uruPlace);
}
