// The base viewer form, the object-key tree, a swatch picking through the main window's colour dialog, the
// raw object view and the form's number text.
#include <QApplication>
#include <QColorDialog>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

#include "AppTestSupport.h"
#include "PRPForms.h"
#include "PRP_VCL.h"
#include "ViewerKit.h"
#include "ViewerTestSupport.h"
#include "unitTUnknown.h"

using namespace testpages;

namespace {

TPRPFileObject entryOf(uint16_t classType, const std::string& name, uint16_t version = kVersionUru) {
    TPRPFileObject entry;
    entry.Desc = makeKey(classType, name);
    entry.Version = version;
    return entry;
}

} // namespace

TEST_F(MainFormTest, CaptionIconAndModifiedMark) {
    auto* viewer = new TCustomPRPObjectForm;
    viewer->SetObjectInfo(entryOf(1, "Foo"));
    EXPECT_EQ(viewer->windowTitle(), "[0001] Foo");
    ASSERT_NE(viewer->SubWindow(), nullptr);
    EXPECT_EQ(form->MdiArea->subWindowList().size(), 1);
    EXPECT_EQ(viewer->windowIcon().pixmap(16).toImage(), TreeImages().Pixmap(4).toImage());
    EXPECT_FALSE(viewer->IsModified());
    viewer->MarkModified();
    viewer->MarkModified();
    EXPECT_EQ(viewer->windowTitle(), "[0001] Foo *");

    // A name ending in "*" already counts as modified.
    auto* starred = new TCustomPRPObjectForm;
    starred->SetObjectInfo(entryOf(0x0456, "Star*"));
    EXPECT_TRUE(starred->IsModified());
    starred->MarkModified();
    EXPECT_EQ(starred->windowTitle(), "[0456] Star*");
}

// Labels come from the tree's own format (the main window loads the tables); a class without a name gets no
// icon.
TEST_F(MainFormTest, KeyTreeGroupsUnderTheClassLabelsOfItsFormat) {
    TObjRefTreeView tree;
    tree.Version = kVersionMystV;
    const std::vector<TPRPObjectDesc> keys = {makeKey(0x2B, "A"), makeKey(0x0456, "odd"), makeKey(0x2B, "B")};
    for (const TPRPObjectDesc& key : keys)
        tree.AddKeyNode(key);
    ASSERT_EQ(tree.topLevelItemCount(), 2);
    EXPECT_EQ(tree.topLevelItem(0)->text(0), "plCollisionDetector");
    EXPECT_EQ(tree.topLevelItem(1)->text(0), "??? [0456]");
    EXPECT_TRUE(tree.topLevelItem(1)->child(0)->icon(0).isNull());
    EXPECT_EQ(TObjRefTreeView::KeyOf(tree.topLevelItem(0)->child(1)), &keys[2]);
    EXPECT_EQ(TObjRefTreeView::KeyOf(tree.topLevelItem(0)), nullptr);
}

// Without a picker of its own a swatch asks through the main window's colour dialog, offering its colour; a
// cancelled dialog leaves the swatch as it was.
TEST_F(MainFormTest, SwatchPicksThroughTheSharedColourDialog) {
    ASSERT_NE(form->ColorDialog, nullptr); // else the default dialog would wait for a user
    TColorSwatch swatch(QStringLiteral("paintTest"));
    swatch.SetColor(0x123456);
    int picked = 0;
    QObject::connect(&swatch, &TColorSwatch::colorPicked, [&] { ++picked; });
    QColor offered;
    auto answerWith = [&](std::optional<QColor> chosen) {
        QTimer::singleShot(0, [&, chosen] {
            offered = form->ColorDialog->currentColor();
            if (chosen) {
                form->ColorDialog->setCurrentColor(*chosen);
                form->ColorDialog->accept();
            } else {
                form->ColorDialog->reject();
            }
        });
        click(&swatch);
    };
    answerWith(std::nullopt);
    EXPECT_EQ(offered, QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(swatch.Color(), 0x123456u);
    EXPECT_EQ(picked, 0);
    answerWith(QColor(1, 2, 3));
    EXPECT_EQ(swatch.Color(), 0x030201u);
    EXPECT_EQ(picked, 1);
}

// The number texts themselves are NumberText's; the form's version writes the locale's decimal point.
TEST(FloatText, TakesTheDecimalPointOfTheLocale) {
    QLocale::setDefault(QLocale(QLocale::German));
    EXPECT_EQ(FloatToText(-2.5e-7), "-2,5E-7");
    QLocale::setDefault(QLocale::c());
}

// ---- Raw object view

class RawViewTest : public MainFormTest {
protected:
    TfrmTUnknown* open(const Bytes& body, uint16_t version = kVersionUru) {
        TPlasmaStream stream(body);
        stream.Header.Version = version;
        auto* view = new TfrmTUnknown;
        view->LoadObject(entryOf(0x0456, "Blob", version), &stream);
        settle();
        return view;
    }
    static QStringList readout(TfrmTUnknown* view) {
        return {view->valBYTE->text(), view->valWORD->text(), view->valDWORD->text(), view->valFLOAT->text()};
    }
};

TEST_F(RawViewTest, ReadoutAtTheCaret) {
    TfrmTUnknown* view = open({0x00, 0x00, 0x80, 0x3F, 0x12, 0x34, 0x56});
    struct Row {
        int caret;
        QStringList values; // byte, word, dword, float
    };
    const Row rows[] = {
        {0, {"0", "0", "1065353216", "1"}},
        {4, {"18", "13330", "N/A", "N/A"}}, // three bytes left
        {6, {"86", "N/A", "N/A", "N/A"}},   // the last byte
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.caret);
        view->HexEditor->SetSelStart(row.caret);
        settle();
        EXPECT_EQ(view->HexEditor->SelEnd(), row.caret);
        EXPECT_EQ(readout(view).mid(0, int(row.values.size())), row.values);
    }
}

TEST_F(RawViewTest, SettingsTextNamesTheThemeColoursAndKeepsThePixelFont) {
    const QStringList lines = open({})->HexEditor->GetSettingsText().split('\n');
    for (const char* line :
         {"Colors.Background=clWindow", "Colors.OffsetBackGround=clBtnFace",
          "Colors.CurrentOffset=clHighlight", "Colors.CurrentOffsetBackground=clBtnShadow", "Font.Size=-12"})
        EXPECT_TRUE(lines.contains(line)) << line;
}

TEST_F(RawViewTest, InvertTwiceRestoresTheBytesAndKeepsTheMark) {
    TfrmTUnknown* view = open({1, 2, 3, 4, 5});
    EXPECT_FALSE(view->bInvert->isHidden());
    EXPECT_TRUE(view->bQuorbel->isHidden());
    view->bInvert->click(); // nothing selected: nothing happens
    EXPECT_EQ(view->HexEditor->AllData(), QByteArray("\x01\x02\x03\x04\x05", 5));
    EXPECT_FALSE(view->IsModified());

    view->HexEditor->SetSelection(1, 3);
    view->bInvert->click();
    settle();
    EXPECT_EQ(view->HexEditor->AllData(), QByteArray("\x01\xFD\xFC\xFB\x05", 5));
    view->HexEditor->SetSelection(1, 3);
    view->bInvert->click();
    settle();
    EXPECT_EQ(view->HexEditor->AllData(), QByteArray("\x01\x02\x03\x04\x05", 5));
    EXPECT_EQ(view->windowTitle(), "[0456] Blob *");
}

TEST_F(RawViewTest, QuorbelTransformStartsItsKeyAtTheSelection) {
    TfrmTUnknown* view = open({0, 0, 0, 0, 0, 0}, kVersionMystV);
    EXPECT_TRUE(view->bInvert->isHidden());
    EXPECT_FALSE(view->bQuorbel->isHidden());
    view->HexEditor->SetSelection(2, 4);
    view->bQuorbel->click();
    const QByteArray data = view->HexEditor->AllData();
    const std::string expected = QuorbelXorString(std::string(3, '\0'));
    EXPECT_EQ(data.mid(2, 3).toStdString(), expected);
    EXPECT_EQ(data.at(0), 0);
    EXPECT_EQ(data.at(5), 0);
}

TEST_F(RawViewTest, ClosingAsksOnlyWhenMarked) {
    QPointer<TfrmTUnknown> plain = open({1, 2});
    plain->SubWindow()->close();
    EXPECT_TRUE(messages->messages.empty());

    QPointer<TfrmTUnknown> kept = open({1, 2});
    kept->MarkModified();
    messages->answer = TModalResult::mrCancel;
    kept->SubWindow()->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(kept.isNull());
    EXPECT_EQ(form->MdiArea->subWindowList().size(), 1);
    ASSERT_EQ(messages->messages.size(), 1u);
    EXPECT_EQ(messages->messages[0].text, "Would you like to save object Blob before closing it?");
    EXPECT_EQ(messages->messages[0].buttons, TMsgDlgButtons::mbYesNoCancel);

    messages->answer = TModalResult::mrYes;
    kept->SubWindow()->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(kept.isNull());
    ASSERT_EQ(messages->messages.size(), 3u);
    EXPECT_EQ(messages->messages[2].text, "Not Implemented");
    EXPECT_EQ(messages->messages[2].type, TMsgDlgType::mtInformation);
}

namespace {
// The left edges of the marks in a strip of an image, one per run of columns that hold ink (pixels far
// from the strip's background, the colour of its first column).
std::vector<int> inkRunStarts(const QImage& image, const QRect& strip) {
    const QColor background = image.pixelColor(strip.left(), strip.top());
    std::vector<int> starts;
    bool inRun = false;
    for (int x = strip.left(); x <= strip.right(); ++x) {
        bool ink = false;
        for (int y = strip.top(); y <= strip.bottom() && !ink; ++y) {
            const QColor c = image.pixelColor(x, y);
            ink = std::abs(c.red() - background.red()) + std::abs(c.green() - background.green()) +
                      std::abs(c.blue() - background.blue()) >
                  250;
        }
        if (ink && !inRun) starts.push_back(x);
        inRun = ink;
    }
    return starts;
}
} // namespace

// Byte k of each row holds k twice (00, 11, .. FF): its first hex digit is the figure the header shows over
// it. The grid steps by the font's whole-pixel character width; the header must step the same way, also
// after the editor's font changes (Ctrl+Shift+wheel).
TEST_F(RawViewTest, HeaderFiguresStandOverTheFirstDigitOfTheirBytes) {
    Bytes body;
    for (int row = 0; row < 2; ++row)
        for (int k = 0; k < 16; ++k)
            body.push_back(uint8_t(k * 0x11));
    TfrmTUnknown* view = open(body);
    view->SubWindow()->resize(900, 400);
    for (int pixels : {12, 17, 23}) {
        SCOPED_TRACE(testing::Message() << pixels << " px");
        QFont font = view->HexEditor->font();
        font.setPixelSize(pixels);
        view->HexEditor->SetFont(font);
        settle();
        const QImage image = view->grab().toImage();
        const QRect header(view->Label1->mapTo(view, QPoint(0, 0)), view->Label1->size());
        const std::vector<int> figures = inkRunStarts(image, header);
        // The digits of the second row: the caret's frame stands on the first byte.
        const QWidget* grid = view->HexEditor->viewport();
        std::vector<int> digits;
        for (int k = 0; k < 16; ++k) {
            QRect nibble = view->HexEditor->CellRect(2 + 2 * k, 3);
            nibble.translate(grid->mapTo(view, QPoint(0, 0)));
            const std::vector<int> ink = inkRunStarts(image, nibble);
            digits.push_back(ink.empty() ? -1 : ink.front());
        }
        ASSERT_EQ(figures.size(), 16u);
        for (int k = 0; k < 16; ++k)
            EXPECT_NEAR(figures[size_t(k)], digits[size_t(k)], 1) << "figure " << k;
    }
}

namespace {
// The header's figure for byte column k: its number in hex, one digit up to F and two beyond.
QString columnFigure(int k) {
    return QString::number(k, 16).toUpper();
}

void zoomOnce(THexEditorEx* editor, int direction) {
    const QPointF at(100, 100);
    QWheelEvent wheel(at, editor->viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120 * direction),
                      Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(editor->viewport(), &wheel);
}
} // namespace

// Ctrl+wheel changes the bytes per row: the header names the columns the editor shows now, each figure
// over the digit of its byte that reads the same (byte column k holds k twice below 16, and k itself from
// 16), also when the rows are wider than the window and scrolled sideways.
TEST_F(RawViewTest, HeaderFollowsTheBytesPerRow) {
    form->resize(1280, 800);
    form->show();
    TfrmTUnknown* view = open(Bytes(64, 0));
    THexEditorEx* editor = view->HexEditor;
    struct Row {
        int bytesPerRow;
        bool scrolled;
    };
    for (const Row& row : {Row{8, false}, Row{16, false}, Row{24, false}, Row{40, true}}) {
        SCOPED_TRACE(testing::Message() << row.bytesPerRow << " per row");
        view->SubWindow()->resize(700, 400);
        while (editor->BytesPerRow() != row.bytesPerRow)
            zoomOnce(editor, editor->BytesPerRow() < row.bytesPerRow ? 1 : -1);
        // The second row is compared: the caret stands in the first.
        Bytes body(size_t(3 * row.bytesPerRow), 0);
        for (int k = 0; k < row.bytesPerRow; ++k)
            body[size_t(row.bytesPerRow + k)] = uint8_t(k < 16 ? k * 0x11 : k);
        editor->LoadFromBuffer(body.data(), int64_t(body.size()));
        QScrollBar* sideways = editor->horizontalScrollBar();
        if (row.scrolled)
            sideways->setValue(sideways->maximum());
        else // wide enough for the whole rows
            view->SubWindow()->resize(700 + sideways->maximum(), 400);
        settle();
        ASSERT_EQ(sideways->maximum() == 0, !row.scrolled);
        QString text;
        for (int k = 0; k < row.bytesPerRow; ++k)
            text += columnFigure(k).leftJustified(3);
        EXPECT_EQ(view->Label1->text().toStdString(), text.toStdString());

        // The figures in view, each compared with the digit of the second row below it that reads the same.
        const QImage image = view->grab().toImage();
        const QWidget* grid = editor->viewport();
        const QPoint gridOrigin = grid->mapTo(view, QPoint(0, 0));
        const int visibleLeft = gridOrigin.x() + editor->CellRect(1, 0).right() + 1;
        const int visibleRight = gridOrigin.x() + grid->width() - 1;
        const QRect header(view->Label1->mapTo(view, QPoint(0, 0)), view->Label1->size());
        const int step = editor->CharWidth();
        int figuresInView = 0;
        for (int k = 0; k < row.bytesPerRow; ++k) {
            const int digitCount = int(columnFigure(k).size());
            for (int digit = 0; digit < 2; ++digit) {
                const QRect cell = editor->CellRect(2 + 2 * k + digit, 3).translated(gridOrigin);
                if (cell.left() < visibleLeft || cell.left() + step - 1 > visibleRight) continue;
                const std::vector<int> above =
                    inkRunStarts(image, QRect(cell.left(), header.top(), step, header.height()));
                SCOPED_TRACE(testing::Message() << "column " << k << " digit " << digit);
                if (digit >= digitCount) {
                    EXPECT_TRUE(above.empty());
                    continue;
                }
                const std::vector<int> below =
                    inkRunStarts(image, QRect(cell.topLeft(), QSize(step, cell.height())));
                ASSERT_FALSE(below.empty());
                ASSERT_FALSE(above.empty());
                EXPECT_NEAR(above.front(), below.front(), 1);
                ++figuresInView;
            }
        }
        EXPECT_GE(figuresInView, std::min(row.bytesPerRow, 16));
        // No figure stands over the gap or the characters.
        const int hexEnd = gridOrigin.x() + editor->CellRect(editor->NibbleCount() + 2, 0).left();
        if (hexEnd < visibleRight) {
            const QRect beyond(hexEnd, header.top(), visibleRight - hexEnd, header.height());
            EXPECT_TRUE(inkRunStarts(image, beyond).empty());
        }
    }
    // Wider rows scroll in the editor: the header never makes the window's least size wider.
    const int least = view->minimumSizeHint().width();
    for (int i = 0; i < 60; ++i)
        zoomOnce(editor, 1);
    settle();
    EXPECT_EQ(editor->BytesPerRow(), 100);
    EXPECT_EQ(view->minimumSizeHint().width(), least);
}
