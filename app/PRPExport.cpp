#include "PRPExport.h"

#include <QDir>
#include <QFileDialog>
#include <QInputDialog>

#include "MessageService.h"
#include "PRPForms.h"
#include "UserTempFolder.h"
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace {

std::string hex8(uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

// A key in the Uru layout with the converted page's id and location flags. Clone ids are not carried,
// so the contents flags keep only what the written bytes hold: the load-mask bit only with a load mask.
void writeConvertedKey(TPlasmaFileStream& target, const TPRPObjectDesc& key, uint32_t pageId,
                       uint16_t locationFlags) {
    const bool withLoadMask = key.ContentsFlags == 2;
    const uint8_t contents = withLoadMask ? 2 : static_cast<uint8_t>(key.ContentsFlags & ~3u);
    target.WriteValue(contents);
    target.WriteValue(pageId);
    target.WriteValue(locationFlags);
    if (withLoadMask) target.WriteValue(key.LoadMask);
    target.WriteValue(key.ClassType);
    target.WriteSafeString(key.Name);
}

TDialogRunner& dialogRunner() {
    static TDialogRunner runner;
    return runner;
}

int runDialog(QDialog& dialog) {
    return dialogRunner() ? dialogRunner()(dialog) : dialog.exec();
}

} // namespace

TDialogRunner SetExportDialogRunner(TDialogRunner runner) {
    TDialogRunner previous = std::move(dialogRunner());
    dialogRunner() = std::move(runner);
    return previous;
}

TExportUi ExportDialogs(QWidget* parent, QFileDialog* saveDialog) {
    TExportUi ui;
    ui.ChooseSaveFile = [saveDialog](const TSaveRequest& request) -> std::optional<std::string> {
        saveDialog->setWindowTitle(QString::fromStdString(request.Title));
        saveDialog->setNameFilters(
            QString::fromStdString(DialogFilter(request.Filter)).split(QStringLiteral(";;")));
        saveDialog->setDefaultSuffix(QString::fromStdString(request.DefaultExt));
        // The suggested name is made of page text, and reads as the tree shows the object.
        saveDialog->selectFile(PageText(request.FileName));
        if (runDialog(*saveDialog) != QDialog::Accepted || saveDialog->selectedFiles().isEmpty())
            return std::nullopt;
        return QFile::encodeName(saveDialog->selectedFiles().constFirst()).toStdString();
    };
    ui.InputQuery = [parent](const std::string& title, const std::string& text,
                             const std::string& answer) -> std::optional<std::string> {
        QInputDialog prompt(parent);
        prompt.setObjectName(QStringLiteral("PageIdPrompt"));
        prompt.setInputMode(QInputDialog::TextInput);
        prompt.setWindowTitle(QString::fromStdString(title));
        prompt.setLabelText(QString::fromStdString(text));
        prompt.setTextValue(QString::fromStdString(answer));
        if (runDialog(prompt) != QDialog::Accepted) return std::nullopt;
        return prompt.textValue().toStdString();
    };
    ui.ShowError = [](const std::string& text) {
        MessageDlg(QString::fromStdString(text), TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
    };
    ui.ShowInfo = [](const std::string& text) {
        MessageDlg(QString::fromStdString(text), TMsgDlgType::mtInformation, TMsgDlgButtons::mbOK);
    };
    ui.Confirm = [](const std::string& text) {
        return MessageDlg(QString::fromStdString(text), TMsgDlgType::mtConfirmation,
                          TMsgDlgButtons::mbYesNo) == TModalResult::mrYes;
    };
    return ui;
}

std::string SafeFileName(const std::string& name) {
    std::string safe = name;
    for (char& c : safe)
        switch (c) {
        case '*':
        case '?':
        case '<':
        case '>':
        case '"':
        case '|':
        case '/':
        case '\\':
        case ':':
        case '\t':
            c = '_';
            break;
        default:
            break;
        }
    return safe;
}

std::string DialogFilter(const std::string& filter) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t bar; (bar = filter.find('|', start)) != std::string::npos; start = bar + 1)
        parts.push_back(filter.substr(start, bar - start));
    parts.push_back(filter.substr(start));
    std::string result;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string patterns = parts[i + 1];
        std::replace(patterns.begin(), patterns.end(), ';', ' ');
        if (!result.empty()) result += ";;";
        result += parts[i] + " (" + patterns + ")";
    }
    return result;
}

// ---- Raw object export

TSaveRequest RawExportRequest(const TPRPFileObject& entry) {
    return {"Export raw PRP data", "Plasma Object File|*.po|All Files|*.*", "po",
            SafeFileName(entry.Desc.Name) + "." + "po"};
}

void ExportRawObject(const TPRPFileObject& entry, const std::string& targetPath) {
    // Read and checked whole before the target is made: a page changed on disk writes nothing.
    const std::vector<uint8_t> stored = ReadStoredObject(entry);
    WriteNewFile(targetPath, [&](TFileStream& target) { target.WriteBuffer(stored.data(), stored.size()); });
}

std::optional<std::string> SaveRawObject(const TPRPFileObject& entry, const TExportUi& ui) {
    const std::optional<std::string> target = ui.ChooseSaveFile(RawExportRequest(entry));
    if (!target) return std::nullopt;
    ExportRawObject(entry, *target);
    return target;
}

// ---- Image export

TSaveRequest ImageExportRequest(const TPRPFileObject& entry) {
    return {"Export Image", "Image Files|*.dds;*.jpg|All Files|*.*", "dds", SafeFileName(entry.Desc.Name)};
}

std::string ImageExportBase(const std::string& chosenPath) {
    const size_t nameStart = chosenPath.find_last_of('/');
    const size_t dot = chosenPath.find_last_of('.');
    if (dot == std::string::npos || (nameStart != std::string::npos && dot < nameStart))
        return chosenPath + ".";
    return chosenPath.substr(0, dot + 1);
}

std::string ReplaceQuestion(const std::vector<std::string>& fileNames) {
    std::string names;
    for (size_t i = 0; i < fileNames.size(); ++i) {
        if (i > 0) names += i + 1 == fileNames.size() ? " and " : ", ";
        names += std::filesystem::path(fileNames[i]).filename().string();
    }
    return fileNames.size() == 1 ? names + " already exists. Do you want to replace it?"
                                 : names + " already exist. Do you want to replace them?";
}

std::optional<TMipmapFiles> ExportTextureImage(const TPRPFileObject& entry, const TExportUi& ui) {
    TPlasmaStream stream;
    stream.Header.Version = entry.Version;
    stream.Header.MajorVersion = static_cast<uint16_t>(entry.MajorVersion);
    TPRPObjectDesc ownKey;
    ExtractObjectData(entry, stream, ownKey);
    TMipmapFiles files;
    files.Header = ReadBitmapHeader(stream);
    const std::optional<std::string> chosen = ui.ChooseSaveFile(ImageExportRequest(entry));
    if (!chosen) return std::nullopt;
    const TBitmapHeader work = ReadMipmapData(stream, files.Header, files.Texture);
    files.HasAlpha = !files.Texture.AlphaData.empty();
    files.ColorFile = ImageExportBase(*chosen);
    files.AlphaFile = files.ColorFile + "alpha.";

    // The names written are the export's own, beside the one the dialog asked about.
    std::vector<std::string> written = {files.ColorFile + TextureFileExtension(work.Compression)};
    if (files.HasAlpha) written.push_back(files.AlphaFile + TextureFileExtension(work.Extra));
    std::vector<std::string> replaced;
    for (const std::string& name : written) {
        std::error_code ignored;
        if (name != *chosen && std::filesystem::exists(std::filesystem::symlink_status(name, ignored)))
            replaced.push_back(name);
    }
    if (!replaced.empty() && !ui.Confirm(ReplaceQuestion(replaced))) return std::nullopt;

    WriteTextureFiles(work, files.Texture, files.ColorFile, files.AlphaFile);
    return files;
}

std::optional<TMipmapFiles> ExportImage(const TPRPFileObject& entry, const TExportUi& ui) {
    try {
        return ExportTextureImage(entry, ui);
    } catch (const EPageChanged& error) {
        ui.ShowError(error.what());
        return std::nullopt;
    } catch (const std::exception& error) {
        const std::string why = FileFailureText(error);
        ui.ShowError(why.empty() ? kImageExportError : kImageExportError + ("\n" + why));
        return std::nullopt;
    }
}

// ---- Page convert

namespace {
// Whether the page at `path` now has the header and key index `opened` read: the same format, classes and
// objects at the same places.
bool sameKeyIndex(const TPlasmaFileStream& opened, const std::string& path) {
    TPlasmaFileStream now(path, TFileMode::fmOpenRead);
    now.ReadPageHeader();
    now.ReadKeyIndex();
    if (now.Header.Version != opened.Header.Version ||
        now.Header.MajorVersion != opened.Header.MajorVersion || now.Folders.size() != opened.Folders.size())
        return false;
    for (size_t g = 0; g < now.Folders.size(); ++g) {
        const std::vector<TPRPFileObject>& a = now.Folders[g].Objects;
        const std::vector<TPRPFileObject>& b = opened.Folders[g].Objects;
        if (now.Folders[g].ClassType != opened.Folders[g].ClassType || a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (a[i].Offset != b[i].Offset || a[i].Size != b[i].Size || !(a[i].Desc == b[i].Desc))
                return false;
    }
    return true;
}
} // namespace

uint32_t CurrentPageId(const TPRPFileHeader& header) {
    return (static_cast<uint32_t>(header.SeqPrefix) << 16) + header.PageNumber + 33;
}

std::string PageIdPromptText(uint32_t currentId) {
    return "Current PageID is: 0x" + hex8(currentId) + ".  New Value: (hex)";
}

uint32_t ParsePageId(const std::string& answer) {
    std::string digits = answer;
    if (digits.size() < 8) digits.resize(8, '\0'); // missing digits count as non-digits
    uint32_t id = 0;
    for (size_t i = 0; i < 8; i += 2)
        id = id << 8 | HexPairToByte(digits.c_str() + i);
    return id;
}

bool ConvertPageToUru(const std::string& sourcePath, const std::string& targetPath,
                      const std::function<std::optional<std::string>(const std::string&, const std::string&,
                                                                     const std::string&)>& askPageId) {
    TPlasmaFileStream source(sourcePath, TFileMode::fmOpenRead);
    source.ReadPageHeader();
    source.ReadKeyIndex();
    const TPRPFileHeader& from = source.Header;

    const uint32_t current = CurrentPageId(from);
    const std::optional<std::string> answer =
        askPageId(kPageIdPromptTitle, PageIdPromptText(current), hex8(current));
    if (!answer) return false;
    const uint32_t pageId = ParsePageId(*answer);
    // The index read above holds for the file as it was opened, and for any file written while the question
    // was open whose index still lists every object as it was (a new time, an identical copy); another
    // index would give other objects' bytes.
    if (source.CurrentStamp() != source.Stamp() && !sameKeyIndex(source, sourcePath))
        throw EPageChanged(sourcePath);

    TPlasmaFileStream target(targetPath, TFileMode::fmCreate);
    target.SetVersionByIndex(0);
    target.WriteValue<uint32_t>(5);
    target.WriteValue(pageId);
    target.WriteValue(from.LocationFlags);
    target.WriteSafeString(from.AgeName);
    target.WriteSafeString("District");
    target.WriteSafeString(from.PageName);
    target.WriteValue<uint16_t>(63);
    target.WriteValue<uint16_t>(11);
    target.WriteValue<uint32_t>(0);
    target.WriteValue<uint32_t>(8);
    const int64_t checksumAt = target.Position();
    target.WriteValue<uint32_t>(0);
    target.WriteValue(static_cast<uint32_t>(checksumAt + 12));
    target.WriteValue<uint32_t>(0);

    // Objects in index order: class index, the rewritten key, then the body as stored.
    struct Placed {
        uint32_t Offset = 0;
        uint32_t Size = 0;
    };
    std::vector<std::vector<Placed>> placed(source.Folders.size());
    for (size_t g = 0; g < source.Folders.size(); ++g)
        for (const TPRPFileObject& entry : source.Folders[g].Objects) {
            const int64_t start = target.Position();
            target.WriteValue(entry.Desc.ClassType);
            writeConvertedKey(target, entry.Desc, pageId, from.LocationFlags);
            source.SetPosition(entry.Offset);
            uint16_t classIndex = 0;
            source.ReadValue(classIndex);
            TPRPObjectDesc ownKey;
            source.ReadKey(ownKey);
            const int64_t skipped = source.Position() - entry.Offset;
            if (static_cast<int64_t>(entry.Size) > skipped) target.CopyFrom(source, entry.Size - skipped);
            // The size of what was written: the key's length changes with the layout.
            placed[g].push_back(
                {static_cast<uint32_t>(start), static_cast<uint32_t>(target.Position() - start)});
        }

    const int64_t indexStart = target.Position();
    target.WriteValue(static_cast<uint32_t>(source.Folders.size()));
    for (size_t g = 0; g < source.Folders.size(); ++g) {
        const TPRPFolder& folder = source.Folders[g];
        target.WriteValue(folder.ClassType);
        target.WriteValue(static_cast<uint32_t>(folder.Objects.size()));
        for (size_t i = 0; i < folder.Objects.size(); ++i) {
            writeConvertedKey(target, folder.Objects[i].Desc, pageId, from.LocationFlags);
            target.WriteValue(placed[g][i].Offset);
            target.WriteValue(placed[g][i].Size);
        }
    }

    const int64_t fileSize = target.Position();
    target.SetPosition(checksumAt);
    target.WriteValue(static_cast<uint32_t>(fileSize - checksumAt));
    target.SetPosition(checksumAt + 8);
    target.WriteValue(static_cast<uint32_t>(indexStart));
    target.Close();
    return true;
}

std::string ConvertOutputPath() {
    return QFile::encodeName(QDir(UserTempFolder()).filePath(QStringLiteral("Temp.prp"))).toStdString();
}

std::optional<std::string> ConvertPage(const std::string& currentFile, const TExportUi& ui) {
    const std::string target = ConvertOutputPath();
    if (!ConvertPageToUru(currentFile, target, ui.InputQuery)) return std::nullopt;
    ui.ShowInfo("The page was converted to " + target);
    return target;
}
