#pragma once
// The string converter: one text in three forms kept in step, the plain text and the bytes of its two
// stored encodings as hexadecimal pairs.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>

#include "PRPForms.h"

class QLabel;
class QLineEdit;

// Upper case, every "0X" removed, then every character that is neither a hexadecimal digit nor a blank.
QString CleanHexText(const QString& text);
// Blanks removed, then one byte per pair of characters through HexPairToByte; an odd last digit is dropped.
std::string DecodeHexPairs(const QString& cleaned);
// Two upper-case digits per byte, pairs separated by one blank.
QString HexPairs(const std::string& bytes);

// The note naming the characters left out of the stored bytes; empty when none was.
QString LeftOutNote(const QStringList& leftOut);

class TStringConv : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    // Shows itself as a child of the main window.
    explicit TStringConv(QWidget* parent = nullptr);

    QLineEdit* PlainStr = nullptr;
    QLineEdit* UruStr = nullptr;
    QLineEdit* QuorbelStr = nullptr;
    // Under the boxes: which typed characters the stored bytes leave out.
    QLabel* UnstorableNote = nullptr;

    // Non-zero while one handler rewrites the other boxes, whose handlers then return at once.
    uint8_t Updating = 0;

    void PlainStrChange();
    void UruStrChange();
    void QuorbelStrChange();

private:
    // Replaces the box's text by its cleaned form, keeping the caret after the same typed digits.
    static QString cleanInPlace(QLineEdit* edit);
    void showNote(const QString& text);
};
