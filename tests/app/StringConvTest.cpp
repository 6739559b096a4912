// The string converter: the three boxes kept in step as the user types, cleaning of hexadecimal text,
// and several independent converter windows opened from the main window.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "AppTestSupport.h"
#include "StringConvUnit.h"

namespace {

// Types text into the box key by key, as a user would, at its caret.
void typeInto(QLineEdit* box, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &release);
    }
}

struct BoxTexts {
    QString plain, uru, quorbel;
};

BoxTexts texts(const TStringConv& conv) {
    return {conv.PlainStr->text(), conv.UruStr->text(), conv.QuorbelStr->text()};
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
        {&TStringConv::UruStr, "16 00", {QString(QChar(0xE9)) + QChar(0xFF), "16 00", "98 90"}}, // Latin-1
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
