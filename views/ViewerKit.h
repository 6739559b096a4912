#pragma once
// The small kit every viewer fills its controls with: action links, flag-box groups built from flag
// tables, colour swatches, number texts, a combo that selects by stored number, key-tree filling and
// the openers of part and sub-view windows.
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <concepts>
#include <functional>
#include <optional>
#include <vector>

#include "ObjectParts.h"

class QGridLayout;
class QHBoxLayout;
class TCustomPRPObjectForm;
class TObjRefTreeView;
class TKeyLinkLabel;
struct TMatrix44;
struct TBounds3Ext;
class TfrmTransformMatrix;
class TfrmBounds3Ext;
class TfrmTplSynchedObject;
class TfrmTplMSModifier;
class TfrmTplObjInterface;

// ---- Texts

QString HexToText(uint32_t value, int digits = 8);
// What a field shows for a value its object does not store.
inline const QString kNotAvailable = QStringLiteral("(N/A)");
// What joins the parts of a vector: "," beside a decimal point; where the decimal separator is itself a
// comma, ";" (the list separator there), so that (1.5, 25) and (1, 5.25) read apart.
QString VectorSeparator();
// The caption of the synched-object link: "Synched Object Info (n)".
QString SynchedObjLinkCaption(const TSynchedObject& part);

// ---- Controls

// A clickable label with a fixed caption (part windows, matrices, fixed-caption key links).
class TLinkLabel : public QLabel {
    Q_OBJECT
public:
    TLinkLabel(const QString& caption, const QString& name, QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void updateLook();
};

// A link with a fixed caption that opens a referenced object; enabled only when the key has a name.
class TFixedKeyLink : public TLinkLabel {
    Q_OBJECT
public:
    TFixedKeyLink(const QString& caption, const QString& name, QWidget* parent = nullptr);
    void SetKey(const TPRPObjectDesc& key);
    const TPRPObjectDesc& Key() const { return key_; }

private:
    TPRPObjectDesc key_;
};

// A group of check boxes, one per bit of a flag table, named and captioned from the table. The user cannot
// toggle them: viewers show, they do not edit.
class TFlagBoxGroup : public QGroupBox {
    Q_OBJECT
public:
    TFlagBoxGroup(const QString& caption, TFlagTable table, int columns = 1, QWidget* parent = nullptr);
    void SetFlags(uint32_t flags);
    uint32_t Flags() const { return flags_; }

private:
    TFlagTable table_;
    uint32_t flags_ = 0;
};

// A box filled with a packed display colour (red | green shl 8 | blue shl 16). A click opens the main
// window's colour dialog; a confirmed choice is shown and reported through colorPicked.
class TColorSwatch : public QFrame {
    Q_OBJECT
public:
    explicit TColorSwatch(const QString& name, QWidget* parent = nullptr);
    void SetColor(uint32_t packed);
    uint32_t Color() const { return color_; }
    static QColor ToQColor(uint32_t packed);
    static uint32_t FromQColor(const QColor& color);

    // Asks the user for a colour; the default uses the main window's colour dialog. Tests replace it.
    using Picker = std::function<std::optional<QColor>(const QColor& initial, QWidget* parent)>;
    static void SetPicker(Picker picker);

signals:
    void colorPicked(uint32_t packed);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    uint32_t color_ = 0;
};

// A combo box whose items carry stored numbers; a stored number selects its item or none.
class TValueCombo : public QComboBox {
    Q_OBJECT
public:
    explicit TValueCombo(const QString& name, QWidget* parent = nullptr);
    void AddValue(const QString& caption, int64_t value);
    void SelectValue(int64_t value);
};

// A read-only edit named `name`.
QLineEdit* MakeReadOnlyEdit(const QString& name, QWidget* parent);
// Shows a text in a read-only edit from its first character, so that a text wider than the edit is cut at
// its end: a line edit keeps its caret after a new text and scrolls to it, hiding a sign and the leading
// digits.
void SetFieldText(QLineEdit* edit, const QString& text);
// The width at which a line edit shows `text` whole, in its font and style.
int FieldWidthFor(const QLineEdit* edit, const QString& text);

// Shows a text as SetFieldText does and, when the edit is narrower than the whole text, widens it to the
// text: the edit keeps the width its window gave it and takes more only for the text it shows now, never
// room for values it does not show. Filled again, it gives up what the former text took beyond that width.
// The least and greatest width the edit had before it was first filled are kept on it as a QPoint (x the
// least) under kDesignedWidthsProperty.
inline constexpr char kDesignedWidthsProperty[] = "designedWidths";
void SetFieldWhole(QLineEdit* edit, const QString& text);
// Numbers in read-only edits, shown whole through SetFieldWhole: through FloatToText, as upper-case hex of
// `digits` digits, and in decimal.
void SetFieldFloat(QLineEdit* edit, double value);
void SetFieldHex(QLineEdit* edit, uint32_t value, int digits = 8);
template <class T>
requires std::integral<T> &&(!std::same_as<T, bool>)void SetFieldNumber(QLineEdit* edit, T value) {
    if constexpr (std::is_signed_v<T>)
        SetFieldWhole(edit, QString::number(qlonglong(value)));
    else
        SetFieldWhole(edit, QString::number(qulonglong(value)));
}
// A plain caption label.
QLabel* MakeCaption(const QString& text, QWidget* parent);

// Every slot that held a stored key goes into the tree grouped under its class label, a key without a name
// included; absent keys add nothing. The tree lists keys in the viewer's own slots.
void AddPresentKeys(TObjRefTreeView* tree, const TKeySlots& keys);

// ---- Part and sub-view windows, each opened on a copy of the kept record

TfrmTplSynchedObject* OpenSynchedObjectPart(const TSynchedObject& part);
TfrmTplMSModifier* OpenModifierPart(const TMSModifier& part, bool multi);
TfrmTplObjInterface* OpenObjInterfacePart(const TObjInterface& part);
TfrmTransformMatrix* OpenTransformMatrix(const TMatrix44& matrix);
TfrmBounds3Ext* OpenBounds3Ext(const TBounds3Ext& bounds);

// Link labels for the shared parts, wired to open their part window on the record the viewer keeps
// (the record must live as long as the viewer).
TLinkLabel* MakeSynchedObjLink(const TSynchedObject& part, QWidget* parent);
TLinkLabel* MakeObjIntfLink(const TObjInterface& part, QWidget* parent);
// The row at the top of a viewer whose object starts with the synched-object and object-interface parts:
// both part links, left-aligned.
QHBoxLayout* MakeInterfacePartLinks(const TSynchedObject& synched, const TObjInterface& objInterface,
                                    QWidget* parent, TLinkLabel*& synchedLink, TLinkLabel*& objInterfaceLink);
TLinkLabel* MakeModifierLink(const TMSModifier& part, bool multiCaption, bool multiFlag, QWidget* parent);
TLinkLabel* MakeMatrixLink(const TMatrix44& matrix, const QString& caption, const QString& name,
                           QWidget* parent);
