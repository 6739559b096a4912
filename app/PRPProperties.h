#pragma once
// The page-properties dialog: shows a page header's fields, and fills a header for a new, empty page file.
#include <QDialog>
#include <QDoubleSpinBox>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "PRPClasses.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

// A whole-number spin edit over a 64-bit range (page ids and release versions exceed 32 signed bits).
class TSpinEdit : public QDoubleSpinBox {
    Q_OBJECT
public:
    TSpinEdit(int64_t minimum, int64_t maximum, QWidget* parent = nullptr);
    int64_t Value() const;
    // Clamped into the range.
    void SetValue(int64_t value);
};

class TPropertiesDlg : public QDialog {
    Q_OBJECT
public:
    explicit TPropertiesDlg(QWidget* parent = nullptr);
    ~TPropertiesDlg() override;

    TPRPFileHeader LoadedHeader;

    QComboBox* PRPVersion = nullptr;
    QComboBox* GameRevision = nullptr;
    TSpinEdit* SeqID = nullptr;
    TSpinEdit* PageID = nullptr;
    QLineEdit* AgeName = nullptr;
    QLineEdit* DistrictName = nullptr;
    QCheckBox* kLocalOnly = nullptr;
    QCheckBox* kVolatile = nullptr;
    QCheckBox* kReserved = nullptr;
    QCheckBox* kBuiltIn = nullptr;
    QCheckBox* kItinerant = nullptr;
    QCheckBox* kPartialPatchFile = nullptr;
    QCheckBox* kBasicChecksum = nullptr;
    QCheckBox* kPatchHeaderOnly = nullptr;
    TSpinEdit* ReleaseVer = nullptr;
    QPushButton* bSave = nullptr;
    QPushButton* bCancel = nullptr;

    // Reads the page's header and shows it.
    void LoadFromPage(const QString& path);
    // Both lists to their first item, the page id to 0 and both names empty; flags and release version stay.
    void ClearFields();
    // The header a new page gets from the dialog; fields the dialog does not set keep the caller's values.
    void SaveToHeader(TPRPFileHeader& header) const;

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void disableVersionList();
};

// The one dialog, created hidden at start-up; nullptr before and after.
extern TPropertiesDlg* PropertiesDlg;
// PropertiesDlg, created as a child of the main window when the program entry did not make it.
TPropertiesDlg& PropertiesDialog();

// Runs a dialog modally and returns its result. Tests replace the runner to answer dialogs in place.
using TModalRunner = std::function<int(QDialog&)>;
int ExecModal(QDialog& dialog);
// Replaces the runner (an empty one restores exec()); returns the previous one.
TModalRunner SetModalRunner(TModalRunner runner);

// ---- New page files

inline const char* const kNoTemplateMessage = "Error: Could not find PRP Template file for writing!";

// "URUPRP.tpl" for the Uru family, "M5PRP.tpl" for the others.
QString NewPageTemplate(uint16_t version);
// folder + age name + "_District" (Uru family only) + "_" + page name + ".prp". The names pass through
// SafeFileName, so a name holding separators cannot place the file outside the folder.
QString NewPageFileName(const QString& folder, const TPRPFileHeader& header);
// Creates the empty page file for the header in folder, given that its template lies in programDir.
// Missing template: the error message and no file. An existing file is replaced only when the user agrees.
// Returns the path created.
std::optional<QString> CreateNewPage(const QString& folder, const QString& programDir,
                                     const TPRPFileHeader& header);
// The dialog part of the new-page command: clears and shows the dialog, then creates the page in folder.
std::optional<QString> NewPRPFile(TPropertiesDlg& dialog, const QString& folder, const QString& programDir);
// The properties command: the page's header in the dialog, shown modally.
void ShowPageProperties(TPropertiesDlg& dialog, const QString& pagePath);
