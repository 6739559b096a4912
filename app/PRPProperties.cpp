#include "PRPProperties.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "MainUnit.h"
#include "MessageService.h"
#include "PRPExport.h"
#include "PRPForms.h"

TPropertiesDlg* PropertiesDlg = nullptr;

namespace {

// "Page ID:" as shown: the high location word above bit 16 of the sequence part, or its negation when
// that word is 0xFFFF. The largest stored value is high word 0xFFFE with sequence part 255.
constexpr int64_t kSeqIdMin = -255;
constexpr int64_t kSeqIdMax = (int64_t(0xFFFE) << 16) + 255;
// The largest sequence part a header's high location word can carry below its reserved value 0xFFFF.
constexpr int64_t kSavedSeqIdMax = 0xFFFEFF;

std::string localPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

TModalRunner& modalRunner() {
    static TModalRunner runner;
    return runner;
}

struct FlagBox {
    QCheckBox* TPropertiesDlg::*box;
    const char* name;
    const char* caption;
    uint32_t bit;
};

const FlagBox kLocationFlagBoxes[] = {
    {&TPropertiesDlg::kLocalOnly, "kLocalOnly", "Local Only", ::kLocalOnly},
    {&TPropertiesDlg::kVolatile, "kVolatile", "Volatile", ::kVolatile},
    {&TPropertiesDlg::kReserved, "kReserved", "Reserved", ::kReserved},
    {&TPropertiesDlg::kBuiltIn, "kBuiltIn", "Built-In", ::kBuiltIn},
    {&TPropertiesDlg::kItinerant, "kItinerant", "Itinerant", ::kItinerant},
};
const FlagBox kPageFlagBoxes[] = {
    {&TPropertiesDlg::kPartialPatchFile, "kPartialPatchFile", "Partial Patch File", ::kPartialPatchFile},
    {&TPropertiesDlg::kBasicChecksum, "kBasicChecksum", "Basic Checksum", ::kBasicChecksum},
    {&TPropertiesDlg::kPatchHeaderOnly, "kPatchHeaderOnly", "Patch Header Only", ::kPatchHeaderOnly},
};

} // namespace

// ---- TSpinEdit

TSpinEdit::TSpinEdit(int64_t minimum, int64_t maximum, QWidget* parent) : QDoubleSpinBox(parent) {
    setDecimals(0);
    setRange(double(minimum), double(maximum));
    setValue(0);
}

int64_t TSpinEdit::Value() const {
    return int64_t(std::llround(value()));
}

void TSpinEdit::SetValue(int64_t value) {
    setValue(double(std::clamp(value, int64_t(minimum()), int64_t(maximum()))));
}

// ---- TPropertiesDlg

TPropertiesDlg::TPropertiesDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("PropertiesDlg"));
    setWindowTitle(QStringLiteral("Properties"));
    setModal(true);
    if (!PropertiesDlg) PropertiesDlg = this;

    auto* group = new QGroupBox(QStringLiteral("PRP Properties"), this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    auto* grid = new QGridLayout(group);
    int row = 0;
    auto addRow = [&](const QString& caption, QWidget* field) {
        auto* label = new QLabel(caption, group);
        grid->addWidget(label, row, 0, Qt::AlignLeft | Qt::AlignVCenter);
        grid->addWidget(field, row++, 1);
        label->setBuddy(field);
    };
    auto named = [](QWidget* widget, const char* name) {
        widget->setObjectName(QString::fromLatin1(name));
        return widget;
    };

    PRPVersion = new QComboBox(group);
    named(PRPVersion, "PRPVersion");
    PRPVersion->addItems({QStringLiteral("Uru [05]"), QStringLiteral("Myst V [06]"),
                          QStringLiteral("Live [06]"), QStringLiteral("Hex Isle [09]")});
    GameRevision = new QComboBox(group);
    named(GameRevision, "GameRevision");
    GameRevision->addItems({QStringLiteral("Prime (63.11)"), QStringLiteral("Path of the Shell (63.12)")});
    GameRevision->setEnabled(false);
    addRow(QStringLiteral("PRP Version:"), PRPVersion);
    addRow(QStringLiteral("Plasma Version:"), GameRevision);

    SeqID = new TSpinEdit(kSeqIdMin, kSeqIdMax, group);
    named(SeqID, "SeqID");
    PageID = new TSpinEdit(-256, 255, group);
    named(PageID, "PageID");
    auto* pageIdRow = new QWidget(group);
    auto* pageIdLayout = new QHBoxLayout(pageIdRow);
    pageIdLayout->setContentsMargins(0, 0, 0, 0);
    pageIdLayout->addWidget(SeqID, 3);
    pageIdLayout->addWidget(PageID, 1);
    auto* pageIdLabel = new QLabel(QStringLiteral("Page ID:"), group);
    pageIdLabel->setBuddy(SeqID);
    grid->addWidget(pageIdLabel, row, 0);
    grid->addWidget(pageIdRow, row++, 1);

    AgeName = new QLineEdit(group);
    named(AgeName, "AgeName");
    DistrictName = new QLineEdit(group);
    named(DistrictName, "DistrictName");
    addRow(QStringLiteral("Age Name:"), AgeName);
    addRow(QStringLiteral("Page Name:"), DistrictName);

    auto addFlagBoxes = [&](const QString& caption, const auto& boxes, int columns) {
        auto* panel = new QWidget(group);
        auto* panelLayout = new QGridLayout(panel);
        panelLayout->setContentsMargins(0, 0, 0, 0);
        int i = 0;
        for (const FlagBox& flag : boxes) {
            QCheckBox* box = new QCheckBox(QString::fromLatin1(flag.caption), panel);
            named(box, flag.name);
            this->*flag.box = box;
            panelLayout->addWidget(box, i / columns, i % columns);
            ++i;
        }
        grid->addWidget(new QLabel(caption, group), row, 0, Qt::AlignLeft | Qt::AlignTop);
        grid->addWidget(panel, row++, 1);
    };
    addFlagBoxes(QStringLiteral("Location Flags:"), kLocationFlagBoxes, 3);
    addFlagBoxes(QStringLiteral("Page Flags:"), kPageFlagBoxes, 2);

    ReleaseVer = new TSpinEdit(0, int64_t(UINT32_MAX), group);
    named(ReleaseVer, "ReleaseVer");
    addRow(QStringLiteral("Release Ver:"), ReleaseVer);

    bSave = new QPushButton(QStringLiteral("&Save"), this);
    named(bSave, "bSave");
    bSave->setDefault(true);
    bCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    named(bCancel, "bCancel");
    connect(bSave, &QPushButton::clicked, this, &QDialog::accept);
    connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(bSave);
    buttons->addWidget(bCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    disableVersionList();
}

TPropertiesDlg::~TPropertiesDlg() {
    if (PropertiesDlg == this) PropertiesDlg = nullptr;
}

void TPropertiesDlg::disableVersionList() {
    PRPVersion->setEnabled(false);
    QPalette palette = PRPVersion->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    PRPVersion->setPalette(palette);
}

void TPropertiesDlg::hideEvent(QHideEvent* event) {
    disableVersionList();
    QDialog::hideEvent(event);
}

void TPropertiesDlg::LoadFromPage(const QString& path) {
    {
        TPlasmaFileStream stream(localPath(path), TFileMode::fmOpenRead);
        stream.ReadPageHeader();
        LoadedHeader = stream.Header;
    }
    const TPRPFileHeader& h = LoadedHeader;
    switch (h.Version) {
    case kVersionMystV:
        PRPVersion->setCurrentIndex(1);
        break;
    case kVersionHexIsle:
        PRPVersion->setCurrentIndex(3);
        break;
    case kVersionLive:
        PRPVersion->setCurrentIndex(2);
        break;
    default:
        PRPVersion->setCurrentIndex(0);
        break;
    }
    if (h.Version == kVersionUru) {
        GameRevision->setCurrentIndex(h.MinorVersion == 12 ? 1 : 0);
    } else {
        GameRevision->setCurrentIndex(-1);
    }

    SeqID->SetValue(h.PageNumber / 256);
    PageID->SetValue(int64_t(h.PageNumber) - SeqID->Value() * 256);
    if (h.SeqPrefix < 0xFFFF) {
        SeqID->SetValue(SeqID->Value() + (int64_t(h.SeqPrefix) << 16));
    } else {
        SeqID->SetValue(-SeqID->Value());
    }

    for (const FlagBox& flag : kLocationFlagBoxes)
        (this->*flag.box)->setChecked((h.LocationFlags & flag.bit) != 0);
    for (const FlagBox& flag : kPageFlagBoxes)
        (this->*flag.box)->setChecked((h.PageFlags & flag.bit) != 0);

    AgeName->setText(PageText(h.AgeName));
    DistrictName->setText(PageText(h.PageName));
    ReleaseVer->SetValue(h.ReleaseVersion);
}

void TPropertiesDlg::ClearFields() {
    PRPVersion->setCurrentIndex(0);
    GameRevision->setCurrentIndex(0);
    SeqID->SetValue(0);
    PageID->SetValue(0);
    AgeName->clear();
    DistrictName->clear();
}

void TPropertiesDlg::SaveToHeader(TPRPFileHeader& header) const {
    header.Version = PRPVersion->currentIndex() == 1 ? kVersionMystV : kVersionUru;
    if (header.Version == kVersionUru) {
        header.MajorVersion = 63;
        header.MinorVersion = GameRevision->currentIndex() == 1 ? 12 : 11;
    }
    // The stored location is (sequence part shl 8) + page part; its high word 0xFFFF marks a negative
    // sequence part.
    const int64_t seqId = SeqID->Value();
    uint16_t pageNumber = 0;
    if (seqId >= 0) {
        const int64_t shifted = std::min(seqId, kSavedSeqIdMax) << 8;
        pageNumber = uint16_t(shifted & 0xFFFF);
        header.SeqPrefix = uint16_t((shifted - pageNumber) / 65536);
    } else {
        pageNumber = uint16_t(((-seqId) & 0xFFFF) << 8);
        header.SeqPrefix = 0xFFFF;
    }
    header.PageNumber = uint16_t(pageNumber + PageID->Value());
    header.AgeName = PageBytes(AgeName->text());
    header.District = "District";
    header.PageName = PageBytes(DistrictName->text());
    header.ReleaseVersion = 0;
    header.PageFlags = 8;
}

TPropertiesDlg& PropertiesDialog() {
    if (!PropertiesDlg) new TPropertiesDlg(MainForm);
    return *PropertiesDlg;
}

// ---- Modal dialogs

int ExecModal(QDialog& dialog) {
    if (modalRunner()) return modalRunner()(dialog);
    return dialog.exec();
}

TModalRunner SetModalRunner(TModalRunner runner) {
    TModalRunner previous = std::move(modalRunner());
    modalRunner() = std::move(runner);
    return previous;
}

// ---- New page files

QString NewPageTemplate(uint16_t version) {
    return IsUruFamily(version) ? QStringLiteral("URUPRP.tpl") : QStringLiteral("M5PRP.tpl");
}

QString NewPageFileName(const QString& folder, const TPRPFileHeader& header) {
    QString name = PageText(SafeFileName(header.AgeName));
    if (IsUruFamily(header.Version)) name += QStringLiteral("_District");
    name += QChar('_') + PageText(SafeFileName(header.PageName)) + QStringLiteral(".prp");
    QString path = folder;
    if (!path.isEmpty() && !path.endsWith(QChar('/'))) path += QChar('/');
    return path + name;
}

std::optional<QString> CreateNewPage(const QString& folder, const QString& programDir,
                                     const TPRPFileHeader& header) {
    QString templatePath = programDir;
    if (!templatePath.isEmpty() && !templatePath.endsWith(QChar('/'))) templatePath += QChar('/');
    templatePath += NewPageTemplate(header.Version);
    if (!QFileInfo(templatePath).isFile()) {
        MessageDlg(QString::fromLatin1(kNoTemplateMessage), TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
        return std::nullopt;
    }
    const QString path = NewPageFileName(folder, header);
    if (QFileInfo::exists(path) &&
        MessageDlg(QStringLiteral("The file \"") + path + QStringLiteral("\" already exists.\rReplace it?"),
                   TMsgDlgType::mtConfirmation, TMsgDlgButtons::mbYesNo) != TModalResult::mrYes)
        return std::nullopt;
    TPlasmaFileStream page(localPath(path), TFileMode::fmCreate);
    page.ApplyTemplate(localPath(templatePath));
    page.Close();
    return path;
}

std::optional<QString> NewPRPFile(TPropertiesDlg& dialog, const QString& folder, const QString& programDir) {
    dialog.ClearFields();
    if (ExecModal(dialog) != QDialog::Accepted) return std::nullopt;
    TPRPFileHeader header;
    dialog.SaveToHeader(header);
    return CreateNewPage(folder, programDir, header);
}

void ShowPageProperties(TPropertiesDlg& dialog, const QString& pagePath) {
    dialog.LoadFromPage(pagePath);
    ExecModal(dialog);
}
