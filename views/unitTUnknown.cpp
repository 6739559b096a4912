#include "unitTUnknown.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <cstring>

namespace {
// The column header over the editor's hex field: the number of each byte column the editor shows (Ctrl+wheel
// changes how many), one hex digit up to F and two beyond, over the byte's digits. The grid steps by the
// font's whole-pixel character width, where text laid out by the font's own fractional advances drifts off
// its columns: each figure stands on its byte's first cell, in the grid's font, one character per cell
// step, and follows the grid when it scrolls sideways.
class THexColumnHeader : public QLabel {
public:
    THexColumnHeader(TCustomHexEditor* editor, QWidget* parent) : QLabel(parent), editor_(editor) {
        setFont(editor->font());
        editor->installEventFilter(this);
        connect(editor->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { update(); });
        connect(editor, &TCustomHexEditor::layoutChanged, this, [this] { followColumns(); });
        followColumns();
    }

    QSize sizeHint() const override { return {hexFieldEnd(), QLabel::sizeHint().height()}; }
    // Rows wider than the window scroll in the editor, and the header with them.
    QSize minimumSizeHint() const override { return {0, QLabel::sizeHint().height()}; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == editor_ && (event->type() == QEvent::FontChange || event->type() == QEvent::Resize)) {
            if (event->type() == QEvent::FontChange) {
                setFont(editor_->font());
                updateGeometry();
            }
            update();
        }
        return QLabel::eventFilter(watched, event);
    }

    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setFont(font());
        painter.setPen(palette().color(foregroundRole()));
        // Figures of bytes scrolled under the offset gutter are not shown.
        const QWidget* grid = editor_->viewport();
        const int dataLeft = toHere(editor_->CellRect(1, 0).right() + 1);
        const int dataRight = toHere(grid->width());
        painter.setClipRect(QRect(dataLeft, 0, dataRight - dataLeft, height()));
        const int step = editor_->CharWidth();
        for (int k = 0; k < editor_->BytesPerRow(); ++k) {
            const int left = toHere(editor_->CellRect(2 + 2 * k, 0).left());
            if (left >= dataRight) break;
            const QString figure = columnFigure(k);
            if (left + int(figure.size()) * step <= dataLeft) continue;
            for (qsizetype i = 0; i < figure.size(); ++i)
                painter.drawText(QRect(left + int(i) * step, 0, step, height()),
                                 Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, QString(figure[i]));
        }
    }

private:
    static QString columnFigure(int k) { return QString::number(k, 16).toUpper(); }

    // The text names the columns as the figures stand: three character steps to a byte.
    void followColumns() {
        if (shownColumns_ != editor_->BytesPerRow()) {
            shownColumns_ = editor_->BytesPerRow();
            QString text;
            for (int k = 0; k < shownColumns_; ++k)
                text += columnFigure(k).leftJustified(3);
            setText(text);
            updateGeometry();
        }
        update();
    }

    // A viewport x of the grid in this label's coordinates.
    int toHere(int gridX) const {
        return mapFromGlobal(editor_->viewport()->mapToGlobal(QPoint(gridX, 0))).x();
    }
    // Where the hex field ends with the grid scrolled to its left edge.
    int hexFieldEnd() const {
        int x = toHere(0);
        for (int col = 0; col < editor_->NibbleCount() + 2; ++col)
            x += editor_->ColumnWidth(col);
        return std::max(0, x);
    }

    TCustomHexEditor* editor_;
    int shownColumns_ = -1;
};
} // namespace

// ---- TfrmTUnknown

TfrmTUnknown::TfrmTUnknown(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTUnknown"));
    auto* layout = new QVBoxLayout(this);

    HexEditor = new THexEditorEx(this);
    HexEditor->setObjectName(QStringLiteral("HexEditor"));
    HexEditor->SetBytesPerRow(16);
    HexEditor->SetBytesPerColumn(1);
    HexEditor->SetTranslation(tkAsIs);
    HexEditor->SetOffsetFormat("8!10:|");
    HexEditor->SetCaretKind(ckFull);
    HexEditor->SetGutterWidth(72);
    HexEditor->SetFocusFrame(true);
    HexEditor->SetDrawGridLines(false);
    HexEditor->SetGraySelectionIfNotFocused(true);
    QFont terminal = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    terminal.setPixelSize(12);
    HexEditor->SetFont(terminal);
    THexColors& colors = HexEditor->Colors();
    // Theme colours by name, so that they follow the theme and the settings text names them.
    colors.SetBackground(*findHexSystemColor(QStringLiteral("clWindow")));
    colors.SetChangedText(QColor(128, 0, 0));
    colors.SetChangedBackground(QColor(255, 255, 168));
    colors.SetOddColumn(QColor(0, 0, 255));
    colors.SetEvenColumn(QColor(0, 0, 128));
    colors.SetOffset(Qt::black);
    colors.SetOffsetBackGround(*findHexSystemColor(QStringLiteral("clBtnFace")));
    colors.SetCurrentOffset(*findHexSystemColor(QStringLiteral("clHighlight")));
    colors.SetCurrentOffsetBackground(*findHexSystemColor(QStringLiteral("clBtnShadow")));
    colors.SetCursorFrame(QColor(0, 0, 128));
    colors.SetNonFocusCursorFrame(QColor(0, 255, 255));

    Label1 = new THexColumnHeader(HexEditor, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(Label1);
    layout->addWidget(HexEditor, 1);

    auto* bottom = new QHBoxLayout;
    bInvert = new QPushButton(QStringLiteral("&Invert Selected"), this);
    bInvert->setObjectName(QStringLiteral("bInvert"));
    bQuorbel = new QPushButton(QStringLiteral("&M5code Selected"), this);
    bQuorbel->setObjectName(QStringLiteral("bQuorbel"));
    bottom->addWidget(bInvert);
    bottom->addWidget(bQuorbel);
    bottom->addStretch(1);

    DataInterpreter = new QFrame(this);
    DataInterpreter->setObjectName(QStringLiteral("DataInterpreter"));
    DataInterpreter->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(DataInterpreter);
    auto addValue = [&](int row, const char* caption, const char* name) {
        grid->addWidget(new QLabel(QString::fromLatin1(caption), DataInterpreter), row, 0);
        auto* value = new QLabel(QStringLiteral("N/A"), DataInterpreter);
        value->setObjectName(QString::fromLatin1(name));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setMinimumWidth(140);
        grid->addWidget(value, row, 1);
        return value;
    };
    valDWORD = addValue(0, "DWORD:", "valDWORD");
    valWORD = addValue(1, "WORD:", "valWORD");
    valBYTE = addValue(2, "BYTE:", "valBYTE");
    valFLOAT = addValue(3, "FLOAT:", "valFLOAT");
    bottom->addWidget(DataInterpreter);
    layout->addLayout(bottom);

    connect(bInvert, &QPushButton::clicked, this, [this] { Guarded([this] { bInvertClick(); }); });
    connect(bQuorbel, &QPushButton::clicked, this, [this] { Guarded([this] { bQuorbelClick(); }); });
    connect(HexEditor, &TCustomHexEditor::selectionChanged, this,
            [this] { Guarded([this] { HexEditorSelectionChanged(); }); });
    connect(HexEditor, &TCustomHexEditor::changed, this, [this] { Guarded([this] { HexEditorChange(); }); });
    resize(700, 420);
}

void TfrmTUnknown::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    ObjectInfo = entry;
    if (stream) {
        std::vector<uint8_t> body(size_t(stream->Remaining()));
        if (!body.empty()) stream->Read(body.data(), body.size());
        HexEditor->LoadFromBuffer(body.data(), int64_t(body.size()));
    }
    const bool mystV = IsMystVFamily(entry.Version);
    bInvert->setVisible(!mystV);
    bQuorbel->setVisible(mystV);
    SetObjectInfo(entry);
}

void TfrmTUnknown::transformSelection(std::string (*transform)(const std::string&)) {
    const std::string selected = HexEditor->GetSelectionAsString();
    if (selected.empty()) return;
    const std::string replaced = transform(selected);
    HexEditor->BeginUpdate();
    try {
        HexEditor->ReplaceSelection(replaced.data(), int32_t(replaced.size()), std::string(), true);
    } catch (...) {
        HexEditor->EndUpdate();
        throw;
    }
    HexEditor->EndUpdate();
}

void TfrmTUnknown::bInvertClick() {
    transformSelection(InvertString);
}

void TfrmTUnknown::bQuorbelClick() {
    transformSelection(QuorbelXorString);
}

void TfrmTUnknown::HexEditorSelectionChanged() {
    for (QLabel* label : {valDWORD, valWORD, valBYTE, valFLOAT})
        label->setText(QStringLiteral("N/A"));
    const int p = HexEditor->SelEnd();
    if (p < 0) return;
    const std::vector<uint8_t>& data = HexEditor->bytes();
    const size_t at = size_t(p);
    if (at >= data.size()) return;
    valBYTE->setText(QString::number(data[at]));
    if (at + 2 > data.size()) return;
    valWORD->setText(QString::number(uint16_t(data[at] | data[at + 1] << 8)));
    if (at + 4 > data.size()) return;
    uint32_t dword = 0;
    std::memcpy(&dword, data.data() + at, 4);
    float single = 0;
    std::memcpy(&single, &dword, 4);
    valDWORD->setText(QString::number(dword));
    valFLOAT->setText(FloatToText(single));
}

void TfrmTUnknown::HexEditorChange() {
    MarkModified();
}

void TfrmTUnknown::closeEvent(QCloseEvent* event) {
    switch (QuerySaveObject()) {
    case TModalResult::mrYes:
        ShowMessage(QStringLiteral("Not Implemented"));
        break;
    case TModalResult::mrCancel:
        event->ignore();
        return;
    default:
        break;
    }
    TCustomPRPObjectForm::closeEvent(event);
}
