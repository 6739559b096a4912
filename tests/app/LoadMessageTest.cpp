// The one message that names a load's damaged pages, as the program's own message box shows it.
#include <QAbstractButton>
#include <QApplication>
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
    bool hasList = false;
    QString list;
    bool listScrolls = false;
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

    // Opens the age with the program's own message box and closes the box with its OK button.
    ShownBox openAgeAndLook() {
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
            seen.icon = box->icon();
            if (auto* list = box->findChild<QTextEdit*>(QStringLiteral("MessageList"))) {
                seen.hasList = list->isVisible();
                seen.list = list->toPlainText();
                seen.listScrolls = list->verticalScrollBar()->maximum() > 0;
            }
            ok->click();
        });
        poll.start(10);
        form->OpenPRPFile(folder.path("Garden.age"));
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
