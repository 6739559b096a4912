// The one message that names a load's damaged pages, as the program's own message box shows it.
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QTreeWidget>
#include <cerrno>
#include <cstring>

#include "AppTestSupport.h"
#include "FailingReads.h"

using namespace testpages;

namespace {

// What the box showed, in screen coordinates.
struct ShownBox {
    bool shown = false;
    QRect frame;
    QRect okButton;
    QRect screen;
    QString text;
    bool textShown = false;
    bool hasList = false;
    QString list;
    bool listScrolls = false;
    bool listAtTop = false;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

} // namespace

class LoadMessageTest : public MainFormTest {
protected:
    // Pages of the age "Garden" whose key index is cut; returns the message's lines in load order.
    QStringList writeDamagedPages(int count) {
        folder.writeAge("Garden.age");
        QStringList lines;
        for (int i = 0; i < count; ++i) {
            const std::string name = "DamagedPage" + std::to_string(100 + i);
            PageLayout layout;
            Bytes bytes = buildPage(
                makePage(kVersionUru, "Garden", name, uint16_t(i + 1), 0, {{1, {"A", "B"}}, {4, {"C"}}}),
                &layout);
            bytes.resize(layout.groupCountOffsets[1] + 4);
            const QString file = folder.path(
                QStringLiteral("Garden_TheDistrictOfLongNames_%1.prp").arg(QString::fromStdString(name)));
            writeFile(QFile::encodeName(file).toStdString(), bytes);
            lines << file + ": the key index is damaged; 2 of 3 keys loaded";
        }
        return lines;
    }

    // A page whose key index holds `groups` groups with key counts no file could hold, of `classes` classes
    // taken in turn from plCCRMgr (0x0100) on, and then a whole group of one key.
    void writeMiscountedPage(const std::string& age, const std::string& name, uint16_t number, int groups,
                             int classes) {
        PageLayout layout;
        const Bytes whole = buildPage(makePage(kVersionUru, age, name, number, 0, {{1, {"Apple"}}}), &layout);
        ByteWriter w;
        w.bytes.assign(whole.begin(), whole.begin() + ptrdiff_t(layout.indexStart));
        w.u32(uint32_t(groups + 1));
        for (int g = 0; g < groups; ++g)
            w.u16(uint16_t(0x0100 + g % classes)).u32(0xFFFFFFFFu);
        w.bytes.insert(w.bytes.end(), whole.begin() + ptrdiff_t(layout.indexStart + 4), whole.end());
        writeFile(pagePath(age, name), w.bytes);
    }

    std::string pagePath(const std::string& age, const std::string& name) const {
        return QFile::encodeName(folder.path(QString::fromStdString(age + "_District_" + name + ".prp")))
            .toStdString();
    }

    // Opens the age with the program's own message box and closes the box with its OK button.
    ShownBox openAgeAndLook(const QString& age = QStringLiteral("Garden.age")) {
        messages.reset(); // the real box, not a captured text
        ShownBox seen;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) return;
            poll.stop();
            seen.shown = true;
            seen.frame = box->frameGeometry();
            QAbstractButton* ok = box->button(QMessageBox::Ok);
            seen.okButton = QRect(ok->mapToGlobal(QPoint(0, 0)), ok->size());
            seen.screen = box->screen()->availableGeometry();
            seen.text = box->text();
            if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
                seen.textShown = label->isVisible();
            seen.icon = box->icon();
            if (auto* list = box->findChild<QTextEdit*>(QStringLiteral("MessageList"))) {
                seen.hasList = list->isVisible();
                seen.list = list->toPlainText();
                seen.listScrolls = list->verticalScrollBar()->maximum() > 0;
                seen.listAtTop = list->verticalScrollBar()->value() == 0;
            }
            ok->click();
        });
        poll.start(10);
        form->OpenPRPFile(folder.path(age));
        return seen;
    }
};

// Forty damaged pages: the first line stays the box's text, the others scroll below it in their order,
// and the whole box with its OK button stays on the screen.
TEST_F(LoadMessageTest, ManyDamagedPagesScrollInsideABoxThatFitsTheScreen) {
    const QStringList lines = writeDamagedPages(40);
    const ShownBox seen = openAgeAndLook();
    ASSERT_TRUE(seen.shown);
    EXPECT_TRUE(seen.screen.contains(seen.frame)) << "box " << seen.frame.y() << "+" << seen.frame.height()
                                                  << " on a screen " << seen.screen.height() << " high";
    EXPECT_TRUE(seen.screen.contains(seen.okButton));
    EXPECT_EQ(seen.text.toStdString(), lines.first().toStdString());
    EXPECT_TRUE(seen.hasList);
    EXPECT_EQ(seen.list.toStdString(), lines.mid(1).join('\n').toStdString());
    EXPECT_TRUE(seen.listScrolls);
}

// A few damaged pages read as before: the whole message is the box's text.
TEST_F(LoadMessageTest, AFewDamagedPagesReadAsOneText) {
    const QStringList lines = writeDamagedPages(3);
    const ShownBox seen = openAgeAndLook();
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.text.toStdString(), lines.join('\n').toStdString());
    EXPECT_FALSE(seen.hasList);
    EXPECT_TRUE(seen.screen.contains(seen.frame));
}

// A page whose last key the end of the file cuts loads the keys before it and counts the cut one as listed,
// not loaded; a page whose key index the disk cannot read is left out and told as a read error with its file
// and the system's reason, not as damage. The box is an error, as for a page that cannot be opened.
TEST_F(LoadMessageTest, ACutKeyIsListedNotLoadedAndAReadErrorSaysWhy) {
    folder.writeAge("Garden.age");
    PageLayout layout;
    const auto page = [](const std::string& name, uint16_t number) {
        return makePage(kVersionUru, "Garden", name, number, 0, {{1, {"Apple", "Birch"}}, {4, {"Cherry"}}});
    };
    Bytes cutBytes = buildPage(page("Cut", 1), &layout);
    ASSERT_GT(layout.indexStart, layout.objectRanges.back().first); // the index comes last
    cutBytes.resize(cutBytes.size() - 8 - 3); // inside "Cherry", before its offset and size
    const QString cut = folder.path(QStringLiteral("Garden_District_Cut.prp"));
    writeFile(QFile::encodeName(cut).toStdString(), cutBytes);
    const Bytes unreadableBytes = buildPage(page("Unreadable", 2), &layout);
    const QString unreadable = folder.path(QStringLiteral("Garden_District_Unreadable.prp"));
    writeFile(QFile::encodeName(unreadable).toStdString(), unreadableBytes);

    ShownBox seen;
    {
        FailingReads failing(QFile::encodeName(unreadable).toStdString(),
                             int64_t(layout.groupCountOffsets[1]), int64_t(unreadableBytes.size()));
        seen = openAgeAndLook();
    }
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.text.toStdString(), (cut + ": the key index is damaged; 2 of 3 keys loaded\n" +
                                        QStringLiteral("Cannot read file \"") + unreadable + "\". " +
                                        QString::fromLocal8Bit(std::strerror(EIO)))
                                           .toStdString());
    QStringList shown;
    for (QTreeWidgetItemIterator it(form->PRPTree); *it; ++it)
        shown << (*it)->text(0);
    EXPECT_TRUE(shown.contains("Cut"));
    EXPECT_FALSE(shown.contains("Unreadable"));
    EXPECT_TRUE(shown.contains("Apple") && shown.contains("Birch"));
    for (const QString& text : shown)
        EXPECT_FALSE(text.startsWith("Che") || text.startsWith("???") || text.isEmpty())
            << text.toStdString();
}

// However long one page's damage runs, the box stays within the screen with its OK button, and the whole
// message can be read from its first character: each kind of damage is named once per page, and a first line
// too long for the box scrolls with the rest.
TEST_F(LoadMessageTest, ALongDamageLineScrollsFromItsStart) {
    const struct Row {
        const char* what;
        int cutBefore, groups, classes, cutAfter; // pages: cut ones around one of miscounted groups
        bool scrolls;
        bool firstLineAsText; // the first line stays the box's text, above the list
        const char* namedOnce;
    } rows[] = {
        {"150 groups, one class", 0, 150, 1, 0, false, true,
         "the key counts of 150 plCCRMgr groups are damaged"},
        {"600 classes", 0, 600, 600, 0, true, false,
         "the key counts of 1 plCCRMgr group, 1 plCCRSpecialist group"},
        {"long line first", 0, 1200, 600, 2, true, false,
         "the key counts of 2 plCCRMgr groups, 2 plCCRSpecialist"},
        {"long line second", 1, 600, 600, 0, true, true,
         "the key counts of 1 plCCRMgr group, 1 plCCRSpecialist"},
    };
    int ages = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string age = "Age" + std::to_string(++ages);
        folder.writeAge(QString::fromStdString(age + ".age"));
        for (int i = 0; i < row.cutBefore + 1 + row.cutAfter; ++i) {
            const std::string name = "Page" + std::to_string(i + 1);
            if (i == row.cutBefore) {
                writeMiscountedPage(age, name, uint16_t(i + 1), row.groups, row.classes);
                continue;
            }
            PageLayout layout;
            Bytes bytes =
                buildPage(makePage(kVersionUru, age, name, uint16_t(i + 1), 0, {{1, {"A", "B"}}}), &layout);
            bytes.resize(layout.groupCountOffsets[0] + 4 + 5); // within the first key
            writeFile(pagePath(age, name), bytes);
        }
        messages.reset(); // the box of the row before, if any, is gone: capture the text afresh
        messages = std::make_unique<CapturingMessages>();
        form->OpenPRPFile(folder.path(QString::fromStdString(age + ".age")));
        ASSERT_EQ(messages->messages.size(), 1u);
        const QString whole = messages->messages[0].text.replace(QChar('\r'), QChar('\n'));
        EXPECT_EQ(whole.count(QString::fromLatin1(row.namedOnce)), 1) << whole.left(300).toStdString();
        EXPECT_EQ(whole.count(QStringLiteral("plCCRMgr")), 1);

        const ShownBox seen = openAgeAndLook(QString::fromStdString(age + ".age"));
        ASSERT_TRUE(seen.shown);
        EXPECT_TRUE(seen.screen.contains(seen.frame))
            << "box " << seen.frame.x() << "," << seen.frame.y() << " " << seen.frame.width() << "x"
            << seen.frame.height() << " on a screen of " << seen.screen.width() << "x"
            << seen.screen.height();
        EXPECT_TRUE(seen.screen.contains(seen.okButton));
        EXPECT_EQ(seen.hasList, row.scrolls);
        EXPECT_EQ(seen.listScrolls, row.scrolls);
        EXPECT_EQ(seen.textShown, row.firstLineAsText);
        if (!row.scrolls)
            EXPECT_EQ(seen.text.toStdString(), whole.toStdString());
        else if (row.firstLineAsText)
            EXPECT_EQ((seen.text + "\n" + seen.list).toStdString(), whole.toStdString());
        else
            EXPECT_EQ(seen.list.toStdString(), whole.toStdString());
        EXPECT_TRUE(!row.scrolls || seen.listAtTop);
    }
}
