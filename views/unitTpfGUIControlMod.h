#pragma once
// The GUI control part window (also the viewer of the plain GUI control classes), the colour-scheme
// panel it shares with the dialog viewer, and the link the control viewers open it from.
#include <array>

#include "GuiParts.h"
#include "PRPForms.h"

class QBoxLayout;
class QCheckBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class TColorSwatch;
class TFlagBoxGroup;
class TKeyLinkLabel;
class TLinkLabel;
class TObjRefTreeView;
class TValueCombo;

// The boxes of a colour scheme: four swatches with their alphas, transparency and the font.
class TColorSchemePanel : public QWidget {
    Q_OBJECT
public:
    explicit TColorSchemePanel(QWidget* parent = nullptr);
    void ShowColorScheme(const TColorScheme& scheme);

    // paintFore, paintBack, paintSelFore, paintSelBack and their alphas.
    std::array<TColorSwatch*, 4> Swatches{};
    std::array<QLineEdit*, 4> Alphas{};
    QLineEdit* Transparent = nullptr;
    QLineEdit* FontName = nullptr;
    QLineEdit* FontSize = nullptr;
    TFlagBoxGroup* FontFlags = nullptr;

signals:
    // The user changed a swatch's colour.
    void colorPicked();
};

class TfrmTpfGUIControlMod : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTpfGUIControlMod(QWidget* parent = nullptr);
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;

    TControlMod Part;
    QLineEdit* TagID = nullptr;
    QCheckBox* Visible = nullptr;
    TLinkLabel* SynchedObjLink = nullptr;
    TLinkLabel* LinkedSingleMod = nullptr;
    TValueCombo* ProcType = nullptr;
    QLabel* cmdLabel = nullptr;
    QLineEdit* Command = nullptr;
    TKeyLinkLabel* DynTextLayer = nullptr;
    TKeyLinkLabel* DynTextMap = nullptr;
    TColorSchemePanel* ColorScheme = nullptr;
    QListWidget* SoundIndices = nullptr;
    TKeyLinkLabel* Proxy = nullptr;
    TKeyLinkLabel* Skin = nullptr;

private:
    void ProcTypeChange(int index);
};

// Fills the window from a copy of the part. Unless standalone, captions it "GUI Control Mod" with class
// 137 for a Myst V part, else 163.
void ShowGUIControlPart(TfrmTpfGUIControlMod* form, const TControlMod& part, bool standalone);
// A new control part window on a copy of the part.
TfrmTpfGUIControlMod* OpenGUIControlPart(const TControlMod& part);
// The "Control Mod" link (`LinkedControlMod`) that opens a part window on the kept part (which must live as
// long as the link).
TLinkLabel* MakeControlModLink(const TControlMod& part, QWidget* parent);
// A key link label named `name`.
TKeyLinkLabel* MakeKeyLink(const char* name, QWidget* parent);
// A key tree named `name`.
TObjRefTreeView* MakeKeyTree(const char* name, QWidget* parent);
// The "Animations:" caption, the `AnimKeys` tree and the "Animation Name:" row of the animated controls;
// returns the rows so a viewer can add its own below.
QFormLayout* AddAnimationRows(QBoxLayout* layout, TObjRefTreeView*& animKeys, QLineEdit*& animName,
                              QWidget* parent);
// The "Color Scheme" group of the control and dialog windows; a picked colour marks the form modified.
TColorSchemePanel* AddColorSchemeGroup(QBoxLayout* layout, TCustomPRPObjectForm* form);
