#include "unitTUnknown.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextBlock>
#include <QVBoxLayout>
#include <cstring>

namespace {
constexpr int kBytesPerRow = 16;
constexpr int kCellChars = 3; // "XX "
} // namespace

// ---- TRawBytesView

TRawBytesView::TRawBytesView(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(12);
    setFont(font);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &TRawBytesView::selectionChanged);
    connect(this, &QPlainTextEdit::selectionChanged, this, &TRawBytesView::selectionChanged);
}

void TRawBytesView::LoadFromStream(TStream& stream) {
    const int64_t size = stream.Remaining();
    data_.assign(size_t(size), 0);
    if (size > 0) stream.Read(data_.data(), size_t(size));
    render();
    emit selectionChanged();
}

void TRawBytesView::render() {
    static const char hex[] = "0123456789ABCDEF";
    QString text;
    text.reserve(int(data_.size() / kBytesPerRow + 1) * (GutterChars() + kBytesPerRow * kCellChars + 1));
    for (size_t row = 0; row * kBytesPerRow < data_.size() || (row == 0 && data_.empty()); ++row) {
        if (row > 0) text += QChar('\n');
        if (data_.empty()) break;
        text += QStringLiteral("%1: ").arg(qulonglong(row * kBytesPerRow), 8, 16, QChar('0')).toUpper();
        for (size_t i = row * kBytesPerRow; i < std::min(data_.size(), (row + 1) * kBytesPerRow); ++i) {
            text += QChar(hex[data_[i] >> 4]);
            text += QChar(hex[data_[i] & 15]);
            text += QChar(' ');
        }
    }
    const QSignalBlocker blocker(this);
    setPlainText(text);
}

int TRawBytesView::byteAtColumn(int block, int column) const {
    const int cell = std::clamp((column - GutterChars()) / kCellChars, 0, kBytesPerRow - 1);
    return std::clamp(block * kBytesPerRow + cell, 0, std::max(0, DataSize() - 1));
}

int TRawBytesView::textPosition(int offset, bool after) const {
    const QTextBlock block = document()->findBlockByNumber(offset / kBytesPerRow);
    return block.position() + GutterChars() + (offset % kBytesPerRow) * kCellChars + (after ? 2 : 0);
}

int TRawBytesView::SelEnd() const {
    if (data_.empty()) return -1;
    const QTextCursor cursor = textCursor();
    const QTextBlock block = document()->findBlock(cursor.position());
    const int column = cursor.position() - block.position();
    // A caret just past a selected cell still belongs to that cell.
    const bool endOfSelection = cursor.hasSelection() && cursor.position() > cursor.anchor();
    return byteAtColumn(block.blockNumber(), endOfSelection ? column - 1 : column);
}

int TRawBytesView::SelStart() const {
    if (data_.empty()) return -1;
    const QTextCursor cursor = textCursor();
    const QTextBlock block = document()->findBlock(cursor.anchor());
    return byteAtColumn(block.blockNumber(), cursor.anchor() - block.position());
}

std::string TRawBytesView::GetSelectionAsString() const {
    if (data_.empty() || !textCursor().hasSelection()) return {};
    const QTextCursor cursor = textCursor();
    auto byteAt = [&](int position) {
        const QTextBlock block = document()->findBlock(position);
        return byteAtColumn(block.blockNumber(), position - block.position());
    };
    const int first = byteAt(cursor.selectionStart());
    const int last = byteAt(cursor.selectionEnd() - 1);
    if (last < first) return {};
    return std::string(reinterpret_cast<const char*>(data_.data()) + first, size_t(last - first + 1));
}

void TRawBytesView::SetSelection(int first, int last) {
    if (data_.empty()) return;
    first = std::clamp(first, 0, DataSize() - 1);
    last = std::clamp(last, 0, DataSize() - 1);
    QTextCursor cursor(document());
    if (first <= last) {
        cursor.setPosition(textPosition(first, false));
        cursor.setPosition(textPosition(last, true), QTextCursor::KeepAnchor);
    } else {
        cursor.setPosition(textPosition(first, true));
        cursor.setPosition(textPosition(last, false), QTextCursor::KeepAnchor);
    }
    setTextCursor(cursor);
}

void TRawBytesView::SetCaret(int offset) {
    if (data_.empty()) return;
    QTextCursor cursor(document());
    cursor.setPosition(textPosition(std::clamp(offset, 0, DataSize() - 1), false));
    setTextCursor(cursor);
}

void TRawBytesView::ReplaceSelection(const std::string& bytes) {
    if (data_.empty() || !textCursor().hasSelection()) return;
    const QTextCursor cursor = textCursor();
    const bool forward = cursor.position() >= cursor.anchor();
    const QTextBlock startBlock = document()->findBlock(cursor.selectionStart());
    const int first = byteAtColumn(startBlock.blockNumber(), cursor.selectionStart() - startBlock.position());
    const size_t count = std::min(bytes.size(), data_.size() - size_t(first));
    std::memcpy(data_.data() + first, bytes.data(), count);
    render();
    const int last = first + int(count) - 1;
    if (forward) {
        SetSelection(first, last);
    } else {
        SetSelection(last, first);
    }
    emit changed();
}

// ---- TfrmTUnknown

TfrmTUnknown::TfrmTUnknown(QWidget* parent) : TCustomPRPObjectForm(parent) {
    setObjectName(QStringLiteral("frmTUnknown"));
    auto* layout = new QVBoxLayout(this);

    HexEditor = new TRawBytesView(this);
    HexEditor->setObjectName(QStringLiteral("HexEditor"));

    Label1 = new QLabel(QStringLiteral("0  1  2  3  4  5  6  7  8  9  A  B  C  D  E  F  "), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(HexEditor->font());
    const QFontMetrics metrics(HexEditor->font());
    Label1->setContentsMargins(metrics.horizontalAdvance(QString(TRawBytesView::GutterChars(), QChar('0'))) +
                                   HexEditor->frameWidth() + 4,
                               0, 0, 0);
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
    connect(HexEditor, &TRawBytesView::selectionChanged, this,
            [this] { Guarded([this] { HexEditorSelectionChanged(); }); });
    connect(HexEditor, &TRawBytesView::changed, this, [this] { Guarded([this] { HexEditorChange(); }); });
    resize(640, 400);
}

void TfrmTUnknown::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    ObjectInfo = entry;
    if (stream) HexEditor->LoadFromStream(*stream);
    const bool mystV = IsMystVFamily(entry.Version);
    bInvert->setVisible(!mystV);
    bQuorbel->setVisible(mystV);
    SetObjectInfo(entry);
}

void TfrmTUnknown::transformSelection(std::string (*transform)(const std::string&)) {
    const std::string selected = HexEditor->GetSelectionAsString();
    if (selected.empty()) return;
    HexEditor->ReplaceSelection(transform(selected));
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
    const std::vector<uint8_t>& data = HexEditor->Data();
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
