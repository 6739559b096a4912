// Clipboard, drag-and-drop, the format chooser, the settings text, backups and temporary names.
#include "HexWidgetTestUtil.h"

#include <gtest/gtest.h>

#include "FileSizeLimit.h"
#include "RefusedTempFolder.h"
#include "UserTempFolder.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtEndian>
#include <cerrno>
#include <cstring>
#include <functional>
#include <sys/stat.h>

namespace {
struct ChooserCounter {
    int calls = 0;
    int answer = 0;
    ChooserCounter() {
        setHexFormatChooser([this](QWidget*, const TClipFormats&, bool&) {
            ++calls;
            return answer;
        });
    }
    ~ChooserCounter() { setHexFormatChooser(nullptr); }
};

// The messages the editor tells, as the program's message box would show them.
struct ToldMessages {
    QStringList texts;
    ToldMessages() {
        setHexErrorHandler([this](QWidget*, const QString& message) { texts.append(message); });
    }
    ~ToldMessages() { setHexErrorHandler(nullptr); }
};

const QString kBytesWithoutFile = QStringLiteral("\nThe bytes are still offered, but not as a file.");

// Selects all and drags it out of the editor; the stand-in for the platform's drag loop answers effect.
void dragOut(THexEditorEx& e, Qt::DropAction effect, const std::function<void(THexDataObject*)>& check) {
    e.SetOleDragDrop(true);
    e.SelectAll();
    e.DragExecutor = [&](THexDataObject* data, Qt::DropActions) {
        check(data);
        delete data;
        return effect;
    };
    // Selecting all shows the end: the drag starts there.
    const int32_t last = e.DataSize() - 1;
    mouse(e, QEvent::MouseButtonPress, cellCenter(e, last - 2, false), Qt::LeftButton);
    mouse(e, QEvent::MouseMove, cellCenter(e, last, false, true), Qt::LeftButton);
    mouse(e, QEvent::MouseButtonRelease, cellCenter(e, last, false, true), Qt::NoButton);
}
} // namespace

TEST(HexClipboard, CopyOffersOwnBlockTextAndFile) {
    auto e = makeEditor(QByteArray("\x41\x00\x42", 3));
    e->SelectAll();
    ASSERT_TRUE(e->CopyToClipboard());
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->text(), "A");
    const QByteArray own = data->data(hexmime::Own);
    ASSERT_EQ(own.size(), 15);
    EXPECT_EQ(own.left(4), "HXED");
    EXPECT_EQ(qFromLittleEndian<quint32>(own.constData() + 4), 0x00010001u);
    EXPECT_EQ(qFromLittleEndian<quint32>(own.constData() + 8), 3u);
    EXPECT_EQ(own.mid(12), QByteArray("\x41\x00\x42", 3));
    const QByteArray descriptor = data->data(hexmime::FileGroupDescriptor);
    ASSERT_EQ(descriptor.size(), 336);
    EXPECT_EQ(qFromLittleEndian<quint32>(descriptor.constData() + 4), 0x60u);
    EXPECT_EQ(qFromLittleEndian<quint32>(descriptor.constData() + 72), 3u);
    EXPECT_EQ(QByteArray(descriptor.constData() + 76), "Dump of Untitled.bin");
    EXPECT_EQ(data->urls().size(), 1); // the dump file, checked with the data objects

    e->SetClipboardAsHexText(true);
    e->CopyToClipboard();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "410042");
}

TEST(HexClipboard, EachDataObjectHasItsOwnDumpFile) {
    auto first = std::make_unique<THexDataObject>("one", "Untitled", false, false);
    const THexDataObject second("two!", "Untitled", false, false);
    const QString one = first->urls().value(0).toLocalFile(), two = second.urls().value(0).toLocalFile();
    ASSERT_NE(one, two);
    for (const auto& [path, bytes] :
         {std::pair{one, QByteArray("one")}, std::pair{two, QByteArray("two!")}}) {
        EXPECT_EQ(QFileInfo(path).fileName(), "Dump of Untitled.bin");
        EXPECT_EQ(QFile::permissions(QFileInfo(path).path()) & (QFile::ReadOther | QFile::ReadGroup), 0);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), bytes);
    }
    first.reset();
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(one).path()));
    EXPECT_TRUE(QFileInfo::exists(two));
}

// A dump that cannot be written whole is not offered: a receiver would take the short file for the bytes, and
// an empty file list pastes nothing without a word. A copy says which file could not be written and why; a
// drag says so when nothing took it (a file manager that wanted the file), not when the bytes were taken.
TEST(HexClipboard, DumpThatCannotBeWrittenIsNotOfferedAndIsTold) {
    const QByteArray bytes(3000, '\x5A');
    auto e = makeEditor(bytes);
    const ToldMessages told;
    QStringList formats;
    QList<QUrl> urls;
    e->SelectAll();
    withFileSizeLimit(2048, [&] {
        ASSERT_TRUE(e->CopyToClipboard());
        formats = QGuiApplication::clipboard()->mimeData()->formats();
        urls = QGuiApplication::clipboard()->mimeData()->urls();
    });
    EXPECT_FALSE(formats.contains(hexmime::UriList));
    EXPECT_TRUE(urls.isEmpty()) << urls.value(0).toLocalFile().toStdString();
    EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->data(hexmime::Own).mid(12), bytes)
        << "the bytes themselves are still offered";
    ASSERT_EQ(told.texts.size(), 1);
    const QRegularExpression why(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(QStringLiteral("Cannot write file \"") + UserTempFolder() +
                                   "/hexedit-dump-") +
        "[^/]{6}" +
        QRegularExpression::escape(QStringLiteral("/Dump of Untitled.bin\". ") +
                                   QString::fromLocal8Bit(std::strerror(EFBIG)) + kBytesWithoutFile)));
    EXPECT_TRUE(why.match(told.texts[0]).hasMatch()) << told.texts[0].toStdString();

    for (const Qt::DropAction effect : {Qt::IgnoreAction, Qt::CopyAction}) {
        SCOPED_TRACE(effect);
        QStringList dragged;
        const qsizetype before = told.texts.size();
        withFileSizeLimit(
            2048, [&] { dragOut(*e, effect, [&](THexDataObject* data) { dragged = data->formats(); }); });
        EXPECT_FALSE(dragged.isEmpty());
        EXPECT_FALSE(dragged.contains(hexmime::UriList));
        ASSERT_EQ(told.texts.size(), before + (effect == Qt::IgnoreAction ? 1 : 0));
        if (effect == Qt::IgnoreAction) {
            EXPECT_TRUE(why.match(told.texts.back()).hasMatch()) << told.texts.back().toStdString();
        }
    }
    for (const QUrl& url : urls)
        EXPECT_FALSE(QFileInfo::exists(url.toLocalFile()));
}

TEST(HexClipboard, PasteOwnBlockInWholeUnits) {
    auto e = makeEditor(QByteArray(8, '\x11'));
    auto* source = new QMimeData;
    source->setData(hexmime::Own, makeOwnBlock(QByteArray("\x01\x02\x03\x04\x05", 5)));
    QGuiApplication::clipboard()->setMimeData(source);
    e->SetBytesPerUnit(4);
    e->SetSelStart(4);
    ASSERT_TRUE(e->PasteFromClipboard());
    EXPECT_EQ(e->DataSize(), 12);
    EXPECT_EQ(e->AllData().mid(4, 4), QByteArray("\x01\x02\x03\x04", 4));
    EXPECT_EQ(e->UndoDescription(), "Paste from clipboard");
}

TEST(HexClipboard, PasteWithNoSizeChangeOverwrites) {
    auto e = makeEditor(QByteArray(6, '\0'));
    e->SetNoSizeChange(true);
    auto* source = new QMimeData;
    source->setData(hexmime::Own, makeOwnBlock(QByteArray("\x07\x08\x09", 3)));
    QGuiApplication::clipboard()->setMimeData(source);
    e->SetSelStart(4);
    ASSERT_TRUE(e->PasteFromClipboard());
    EXPECT_EQ(e->AllData(), QByteArray("\x00\x00\x00\x00\x07\x08", 6));
    EXPECT_FALSE(e->CanCut());
}

TEST(HexClipboard, HexTextPasteAndChooser) {
    ChooserCounter chooser;
    auto e = makeEditor(QByteArray());
    e->SetClipboardAsHexText(true);
    auto* text = new QMimeData;
    text->setText("4g1 42");
    QGuiApplication::clipboard()->setMimeData(text);
    ASSERT_TRUE(e->PasteFromClipboard());
    EXPECT_EQ(e->AllData(), QByteArray("\x41\x42", 2));
    EXPECT_EQ(chooser.calls, 0); // one usable format: no question

    auto* two = new QMimeData;
    two->setText("AB");
    two->setData(hexmime::UnicodeText, QByteArray("A\0B\0\0\0", 6));
    QGuiApplication::clipboard()->setMimeData(two);
    chooser.answer = -1; // two formats: asked, and cancelled: nothing happens
    EXPECT_FALSE(e->PasteFromClipboard());
    EXPECT_EQ(chooser.calls, 1);
    EXPECT_EQ(e->DataSize(), 2);
}

TEST(HexClipboard, ChooserDialogListsFormatsAndEnablesHexText) {
    auto e = makeEditor(QByteArray());
    auto* two = new QMimeData;
    two->setText("AB");
    two->setData(hexmime::UnicodeText, QByteArray("A\0B\0", 4));
    QGuiApplication::clipboard()->setMimeData(two);
    QStringList seen;
    bool enabledForText = false, enabledForUnicode = true;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Select data format");
        auto* list = dialog->findChild<QListWidget*>("FormatList");
        auto* hex = dialog->findChild<QCheckBox*>("HexText");
        for (int i = 0; i < list->count(); ++i)
            seen << list->item(i)->text();
        list->setCurrentRow(0);
        enabledForText = hex->isEnabled();
        list->setCurrentRow(1);
        enabledForUnicode = hex->isEnabled();
        dialog->findChild<QPushButton*>("OK")->click();
    });
    ASSERT_TRUE(e->PasteFromClipboard());
    EXPECT_EQ(seen, QStringList({"Text", "Unicode Text"}));
    EXPECT_TRUE(enabledForText);
    EXPECT_FALSE(enabledForUnicode);
    EXPECT_EQ(e->AllData(), QByteArray("A\0B\0", 4));
}

TEST(HexClipboard, DamagedBlocksYieldNothing) {
    QByteArray block = makeOwnBlock(QByteArray(4, 'x'));
    qToLittleEndian<quint32>(0xFFFFFFF0u, block.data() + 8); // declared size far beyond the block
    EXPECT_FALSE(parseOwnBlock(block).has_value());
    EXPECT_FALSE(parseOwnBlock(QByteArray("HXED", 4)).has_value());
    QByteArray wrongVersion = makeOwnBlock("ab");
    wrongVersion[4] = 2;
    EXPECT_FALSE(parseOwnBlock(wrongVersion).has_value());
    QByteArray reg(4, '\0');
    qToLittleEndian<quint32>(100, reg.data());
    EXPECT_FALSE(parseRegEditBlock(reg + "abc").has_value());
    EXPECT_EQ(parseRegEditBlock(reg + QByteArray(100, 'z'))->size(), 100);

    auto e = makeEditor(QByteArray(4, '\0'));
    auto* source = new QMimeData;
    source->setData(hexmime::Own, block);
    QGuiApplication::clipboard()->setMimeData(source);
    EXPECT_FALSE(e->PasteFromClipboard());
    EXPECT_EQ(e->DataSize(), 4);
}

TEST(HexClipboard, ConvertersAndHexText) {
    EXPECT_EQ(parseHexText("12 3", true), QByteArray("\x21", 1));
    EXPECT_EQ(toHexText(QByteArray("\x1F\xA0", 2), true), "F10A");
    EXPECT_EQ(clipDataToBytes(hexmime::UnicodeText, QByteArray("A\0B\0\0\0C\0", 8), true),
              QByteArray("\0A\0B", 4));
    EXPECT_EQ(clipDataToBytes(hexmime::Dib, "xy", false), QByteArray("BM\0\0\0\0\0\0\0\0\0\0\0\0xy", 16));
    EXPECT_EQ(clipDataToBytes(hexmime::Locale, "abcd", false), "ab");
    EXPECT_EQ(clipDataToBytes(hexmime::Html, QByteArray("<b>\0rest", 8), false), "<b>");
}

TEST(HexDragDrop, MoveWithinControlIsOneUndoableGroup) {
    auto e = makeEditor(32);
    e->SetOleDragDrop(true);
    const QByteArray before = e->AllData();
    drag(*e, cellCenter(*e, 10, false), cellCenter(*e, 13, false));
    ASSERT_EQ(e->SelCount(), 4);
    int drops = 0;
    e->DragExecutor = [&](THexDataObject* data, Qt::DropActions allowed) {
        EXPECT_TRUE(allowed & Qt::MoveAction);
        EXPECT_EQ(e->DropEffect(Qt::NoModifier, hexmime::Own), Qt::MoveAction);
        EXPECT_EQ(e->DropEffect(Qt::ControlModifier, hexmime::Own), Qt::CopyAction);
        Qt::DropAction effect = Qt::MoveAction;
        EXPECT_TRUE(e->DropAt(data, 20, effect));
        ++drops;
        delete data;
        return Qt::MoveAction;
    };
    mouse(*e, QEvent::MouseButtonPress, cellCenter(*e, 11, false), Qt::LeftButton);
    mouse(*e, QEvent::MouseMove, cellCenter(*e, 13, false, true), Qt::LeftButton);
    mouse(*e, QEvent::MouseButtonRelease, cellCenter(*e, 13, false, true), Qt::NoButton);
    ASSERT_EQ(drops, 1);
    QByteArray expected = before;
    expected.remove(10, 4);
    expected.insert(16, before.mid(10, 4));
    EXPECT_EQ(e->AllData(), expected);
    // The delete and the insert, then the group record that undoes both at once and cannot be redone.
    const auto& undo = e->UndoStorage();
    ASSERT_EQ(undo.Count(), 3);
    EXPECT_EQ(undo.lastRecord()->kind(), ukGroup);
    EXPECT_EQ(e->UndoDescription(), "Data moved");
    e->Undo();
    EXPECT_EQ(e->AllData(), before);
    EXPECT_FALSE(e->CanRedo());
    EXPECT_EQ(undo.Count(), 0);
}

TEST(HexDragDrop, ForeignDropsAndEffects) {
    auto e = makeEditor(QByteArray(8, '\0'));
    EXPECT_EQ(e->DropEffect(Qt::NoModifier, hexmime::Own), Qt::CopyAction);
    EXPECT_EQ(e->DropEffect(Qt::ShiftModifier, hexmime::Own), Qt::MoveAction);
    EXPECT_EQ(e->DropEffect(Qt::ShiftModifier, hexmime::UriList), Qt::LinkAction);
    QMimeData data;
    data.setData(hexmime::Own, makeOwnBlock("xy"));
    Qt::DropAction effect = Qt::CopyAction;
    ASSERT_TRUE(e->DropAt(&data, 3, effect));
    EXPECT_EQ(e->AllData(), QByteArray("\0\0\0xy\0\0\0\0\0", 10));
    EXPECT_EQ(e->UndoDescription(), "Data dropped");
    ASSERT_TRUE(e->DropAt(&data, 10, effect)); // at the end: appended
    EXPECT_EQ(e->DataSize(), 12);
    e->SetNoSizeChange(true);
    EXPECT_FALSE(e->CanCut());
    ASSERT_TRUE(e->DropAt(&data, 0, effect)); // overwrites (the size kept is HexCoreEdit's)
    EXPECT_EQ(e->AllData().left(3), QByteArray("xy\0", 3));
    EXPECT_FALSE(e->DropAt(&data, 12, effect));
    e->SetReadOnlyView(true);
    EXPECT_TRUE(e->AcceptsDataObject(&data).isEmpty());
}

TEST(HexDragDrop, DroppedFilesGiveTheFirstFileOrTheNamesAndOthersAreRefused) {
    QTemporaryDir dir;
    const QString first = dir.filePath("a.bin"), second = dir.filePath("b.bin");
    for (const auto& [path, content] :
         {std::pair{first, QByteArray("first")}, std::pair{second, QByteArray("2nd")}}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)});
    auto e = makeEditor(QByteArray());
    Qt::DropAction effect = Qt::CopyAction;
    ASSERT_TRUE(e->DropAt(&data, 0, effect));
    EXPECT_EQ(e->AllData(), "first");
    auto l = makeEditor(QByteArray());
    effect = Qt::LinkAction;
    ASSERT_TRUE(l->DropAt(&data, 0, effect));
    EXPECT_EQ(l->AllData(), QFile::encodeName(first) + '\0' + QFile::encodeName(second) + '\0');
    // A pipe, a device, a folder or a file too large to fit is never read: the drop is refused instead of
    // waiting, reading forever or allocating.
    const QString fifo = dir.filePath("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QStringList refused = {fifo, QString("/dev/zero"), dir.path()};
    QFile huge(dir.filePath("huge.bin"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    if (huge.resize(qint64(1) << 31)) refused << huge.fileName(); // where the file system has sparse files
    huge.close();
    for (const QString& path : refused) {
        QMimeData other;
        other.setUrls({QUrl::fromLocalFile(path)});
        auto r = makeEditor(QByteArray("kept"));
        effect = Qt::CopyAction;
        EXPECT_FALSE(r->DropAt(&other, 0, effect)) << path.toStdString();
        EXPECT_EQ(r->AllData(), "kept");
    }
}

TEST(HexSettings, CaseInsensitiveNames) {
    THexEditorEx f;
    f.SetSettingsText("colors.grid=255\nLeft=10\nBytesPerRow=8\nTranslation=tkMac\nPrintOptions.MarginTop=7\n"
                      "PrintOptions.Flags=[pfIncludeRuler]\nMaskChar=#0\nShowRuler=True");
    EXPECT_EQ(f.Colors().Grid(), QColor(255, 0, 0));
    EXPECT_EQ(f.BytesPerRow(), 8);
    EXPECT_EQ(f.Translation(), tkMac);
    EXPECT_EQ(f.PrintOptions().MarginTop, 7);
    EXPECT_EQ(f.PrintOptions().Flags, 1u << pfIncludeRuler);
    EXPECT_EQ(f.MaskChar(), 0);
    EXPECT_TRUE(f.ShowRuler());
    EXPECT_EQ(f.UpdateCount(), 0);
}

// Sets, colours, theme colour names and enumerations in their stored forms, and read back.
TEST(HexSettings, StoredFormsThemeColourNamesAndFontSizesRoundTrip) {
    THexEditorEx e;
    for (const char* line :
         {"PrintOptions.Flags=[pfSelectionBold,pfMonochrome]", "Colors.OddColumn=clBlue",
          "Translation=tkAsIs", "Colors.Background=clWindow", "Colors.CurrentOffsetBackground=clBtnShadow",
          "Colors.OffsetBackGround=clBtnFace", "Colors.CurrentOffset=clBtnHighlight", "Colors.Grid=clBtnFace",
          "Font.Color=clWindowText", "Font.Size=11"})
        EXPECT_TRUE(e.GetSettingsText().split('\n').contains(line)) << line;
    const QPalette theme = QApplication::palette();
    QFont pixels = e.font();
    pixels.setPixelSize(12); // the raw view's font
    e.setFont(pixels);
    e.SetSettingsText(
        "Colors.Grid=clBtnFace\nBytesPerRow=8\nColors.Offset=CLINFOBK\nColors.OddColumn=clGrayText\n"
        "Colors.EvenColumn=clHighlightText\nColors.ChangedText=clBtnText\nFont.Color=clHighlight\n"
        "PrintFont.Size=7.5\nColors.CursorFrame=clMoneyGreen");
    EXPECT_EQ(e.BytesPerRow(), 8);
    EXPECT_EQ(e.Colors().Grid(), theme.color(QPalette::Button));
    EXPECT_EQ(e.Colors().Offset(), theme.color(QPalette::ToolTipBase));
    EXPECT_EQ(e.Colors().OddColumn(), theme.color(QPalette::Disabled, QPalette::Text));
    EXPECT_EQ(e.Colors().EvenColumn(), theme.color(QPalette::HighlightedText));
    EXPECT_EQ(e.Colors().ChangedText(), theme.color(QPalette::ButtonText));
    EXPECT_EQ(e.palette().color(QPalette::Text), theme.color(QPalette::Highlight));
    EXPECT_EQ(e.Colors().CursorFrame(), QColor(0xC0, 0xDC, 0xC0));
    THexEditorEx g;
    g.SetSettingsText(e.GetSettingsText());
    EXPECT_EQ(g.font().pixelSize(), 12);
    EXPECT_EQ(g.PrintFont().pointSizeF(), 7.5);
    EXPECT_EQ(g.GetSettingsText(), e.GetSettingsText());
    for (const char* line : {"Font.Size=-12", "Colors.Offset=clInfoBk", "Font.Color=clHighlight",
                             "Colors.CursorFrame=clMoneyGreen"})
        EXPECT_TRUE(g.GetSettingsText().split('\n').contains(line)) << line;
    e.Colors().SetGrid(theme.color(QPalette::Button)); // a fixed colour stays fixed
    EXPECT_FALSE(e.GetSettingsText().split('\n').contains("Colors.Grid=clBtnFace"));
}

TEST(HexSettings, VetoAndFailingSetter) {
    THexEditorEx e;
    e.OnQueryPublicProperty = [](const QString& name, bool& isPublic) {
        if (name.compare("MaxUndo", Qt::CaseInsensitive) == 0) isPublic = false;
    };
    EXPECT_FALSE(e.GetSettingsText().contains("MaxUndo"));
    e.SetSettingsText("MaxUndo=5");
    EXPECT_EQ(e.MaxUndo(), 1048576);
    EXPECT_EQ(
        expectThrowMessage([&] { e.SetSettingsText("BytesPerColumn=4\nBytesPerRow=0\nBytesPerUnit=2"); }),
        "Invalid bytes per line argument");
    EXPECT_EQ(e.BytesPerColumn(), 4);
    EXPECT_EQ(e.BytesPerUnit(), 1);
    EXPECT_EQ(e.UpdateCount(), 0);
    EXPECT_EQ(
        expectThrowMessage([&] { e.SetSettingsText("BytesPerRow=4\nColors.Grid=clNoSuch\nBytesPerRow=8"); }),
        "Invalid property value");
    EXPECT_EQ(e.BytesPerRow(), 4);
}

TEST(HexFiles, BackupBeforeOverwrite) {
    QTemporaryDir dir;
    THexEditorEx e;
    EXPECT_EQ(expectThrowMessage([&] { e.PrepareOverwriteDiskFile(); }),
              "Cannot save readonly file Untitled.");
    const QString path = dir.filePath("data.bin");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old");
        QFile b(path + ".bak");
        ASSERT_TRUE(b.open(QIODevice::WriteOnly));
        b.write("older");
    }
    e.SetFileName(path.toStdString());
    e.SetNoWritableFile(false);
    e.PrepareOverwriteDiskFile(); // not modified: no backup
    EXPECT_TRUE(QFile::exists(path));
    e.SetModified(true);
    e.PrepareOverwriteDiskFile();
    EXPECT_FALSE(QFile::exists(path));
    QFile backup(path + ".bak");
    ASSERT_TRUE(backup.open(QIODevice::ReadOnly));
    EXPECT_EQ(backup.readAll(), "old");
    e.CreateEmptyFile("");
    EXPECT_TRUE(e.NoWritableFile());
}

// Work files go to the user's temporary folder, or to the system's when TMPDIR names no folder (never to
// the working folder).
TEST(HexFiles, TemporaryFolder) {
    const QByteArray previous = qgetenv("TMPDIR");
    QTemporaryDir dir;
    const QString folder = QDir(dir.path()).canonicalPath();
    qputenv("TMPDIR", QFile::encodeName(dir.path()));
    EXPECT_EQ(UserTempFolder(), folder);
    EXPECT_TRUE(THexEditorEx::MakeTempFileName().startsWith(folder + "/"));
    qputenv("TMPDIR", QFile::encodeName(dir.filePath("missing")));
    EXPECT_EQ(UserTempFolder(), "/tmp");
    EXPECT_TRUE(THexEditorEx::MakeTempFileName().startsWith("/tmp/"));
    qputenv("TMPDIR", ".");
    EXPECT_EQ(UserTempFolder(), QDir::current().canonicalPath()) << "an absolute path";
    qputenv("TMPDIR", previous);
}

// When the temporary folder refuses a folder for the dump, a copy or a drag still carries the bytes but
// offers no file list, which would be empty or name a file that is not there, and says where and why;
// nothing is written in the working folder, where the user's file of the dump's name keeps its bytes.
TEST(HexFiles, DumpWithoutAFolderOffersTheBytesButNoFileAndSaysWhy) {
    auto e = makeEditor(QByteArray("dump", 4));
    const ToldMessages told;
    const RefusedTempFolder refused({"Dump of Untitled.bin"});
    ASSERT_FALSE(refused.folder().empty()) << "no folder here refuses a new one";
    const QString why =
        QStringLiteral("Cannot make a temporary folder in \"%1\": %2.")
            .arg(QString::fromStdString(refused.folder()), QString::fromStdString(refused.reason())) +
        kBytesWithoutFile;
    const auto expectBytesWithoutFile = [](const QMimeData* data) {
        ASSERT_NE(data, nullptr);
        EXPECT_FALSE(data->formats().contains(hexmime::UriList));
        EXPECT_FALSE(data->hasUrls());
        EXPECT_TRUE(data->urls().isEmpty());
        EXPECT_EQ(data->data(hexmime::Own).mid(12), "dump");
        EXPECT_EQ(data->text(), "dump");
    };
    e->SelectAll();
    ASSERT_TRUE(e->CopyToClipboard());
    {
        SCOPED_TRACE("copy");
        expectBytesWithoutFile(QGuiApplication::clipboard()->mimeData());
        EXPECT_EQ(told.texts, QStringList{why});
    }
    int drags = 0;
    dragOut(*e, Qt::IgnoreAction, [&](THexDataObject* data) {
        SCOPED_TRACE("drag");
        ++drags;
        expectBytesWithoutFile(data);
    });
    EXPECT_EQ(drags, 1);
    EXPECT_EQ(told.texts, (QStringList{why, why}));
    EXPECT_EQ(e->AllData(), "dump");
    EXPECT_EQ(refused.changes(), "");
}

TEST(HexFiles, TemporaryNames) {
    const QString name = THexEditorEx::MakeTempFileName();
    EXPECT_TRUE(name.startsWith(QDir::tempPath()));
    EXPECT_TRUE(name.endsWith(".HXT"));
    EXPECT_EQ(QFileInfo(name).fileName().size(), 12);
    EXPECT_FALSE(QFile::exists(name));
}
