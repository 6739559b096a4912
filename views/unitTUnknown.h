#pragma once
// The raw object view: the object's body as bytes, a number readout at the caret and two transforms of the
// selected bytes with the page format's string encoding.
#include <QPlainTextEdit>
#include <cstdint>
#include <vector>

#include "PRPForms.h"

class QLabel;
class QPushButton;
class QFrame;

// Read-only rows of sixteen hexadecimal bytes with an offset gutter; positions are byte offsets.
class TRawBytesView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TRawBytesView(QWidget* parent = nullptr);

    void LoadFromStream(TStream& stream);
    const std::vector<uint8_t>& Data() const { return data_; }
    int DataSize() const { return int(data_.size()); }
    // The caret end of the selection (the caret when nothing is selected); -1 without data.
    int SelEnd() const;
    int SelStart() const;
    // The selected bytes; empty when nothing is selected.
    std::string GetSelectionAsString() const;
    // Replaces the selected bytes with as many bytes and keeps them selected.
    void ReplaceSelection(const std::string& bytes);
    // Selects bytes first..last (inclusive); the caret ends on last.
    void SetSelection(int first, int last);
    void SetCaret(int offset);
    static int GutterChars() { return 10; }

signals:
    void selectionChanged();
    void changed();

private:
    void render();
    int byteAtColumn(int block, int column) const;
    int textPosition(int offset, bool after) const;
    std::vector<uint8_t> data_;
};

class TfrmTUnknown : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTUnknown(QWidget* parent = nullptr);

    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    QLabel* Label1 = nullptr;
    TRawBytesView* HexEditor = nullptr;
    QPushButton* bInvert = nullptr;
    QPushButton* bQuorbel = nullptr;
    QFrame* DataInterpreter = nullptr;
    QLabel* valDWORD = nullptr;
    QLabel* valWORD = nullptr;
    QLabel* valBYTE = nullptr;
    QLabel* valFLOAT = nullptr;

public slots:
    void bInvertClick();
    void bQuorbelClick();
    void HexEditorSelectionChanged();
    void HexEditorChange();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void transformSelection(std::string (*transform)(const std::string&));
};
