#pragma once
// Writing data out of loaded pages: an object's stored bytes to a ".po" file, a texture's image files,
// and an Uru-layout copy of a page. The commands take their dialogs and messages from a TExportUi, so
// the main window shows real ones and tests answer them directly.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "PRPClasses.h"
#include "PRPTexture.h"

class QDialog;
class QFileDialog;
class QWidget;

// Replaces the characters a file name cannot hold (* ? < > " | / \ : and TAB) by "_".
std::string SafeFileName(const std::string& name);

// What the shared save dialog is asked to show. The filter is in "Description|*.ext|..." form.
struct TSaveRequest {
    std::string Title;
    std::string Filter;
    std::string DefaultExt;
    std::string FileName; // page text: one character per byte, as the tree shows names
};

// "Description|*.a;*.b|..." as a Qt dialog filter: "Description (*.a *.b);;...".
std::string DialogFilter(const std::string& filter);

// The dialogs and messages the export commands use.
struct TExportUi {
    // The chosen path, or nothing when the user cancels.
    std::function<std::optional<std::string>(const TSaveRequest&)> ChooseSaveFile;
    // A one-line prompt (title, text, default answer); nothing when the user cancels.
    std::function<std::optional<std::string>(const std::string&, const std::string&, const std::string&)>
        InputQuery;
    std::function<void(const std::string&)> ShowError;
    std::function<void(const std::string&)> ShowInfo;
    // A Yes/No question; true for Yes.
    std::function<bool(const std::string&)> Confirm;
};

// The real dialogs: the shared save dialog, a one-line input prompt (object name "PageIdPrompt") and
// the program's message boxes.
TExportUi ExportDialogs(QWidget* parent, QFileDialog* saveDialog);
// Runs a configured dialog and returns its result; exec() unless replaced (tests answer the dialogs).
using TDialogRunner = std::function<int(QDialog&)>;
// Replaces the runner (an empty one restores exec()); returns the previous one.
TDialogRunner SetExportDialogRunner(TDialogRunner runner);

// ---- Raw object export

TSaveRequest RawExportRequest(const TPRPFileObject& entry);
// Copies the entry's stored bytes exactly as they stand in its page. File errors propagate; the target is
// replaced only by a whole copy, so one that fails leaves it as it was.
void ExportRawObject(const TPRPFileObject& entry, const std::string& targetPath);
// The Save command: asks for the target and exports. Returns the path written, nothing when cancelled.
std::optional<std::string> SaveRawObject(const TPRPFileObject& entry, const TExportUi& ui);

// ---- Image export

inline const char* const kImageExportError = "Error exporting image!";

TSaveRequest ImageExportRequest(const TPRPFileObject& entry);
// The chosen path cut after the dot that begins its extension ("a/b.dds" -> "a/b."); a path without
// extension gets the dot appended.
std::string ImageExportBase(const std::string& chosenPath);
// The question before an image export replaces files the save dialog did not ask about, naming each by its
// file name: "a.jpg already exists. ..." or "a.jpg and a.alpha.jpg already exist. ...".
std::string ReplaceQuestion(const std::vector<std::string>& fileNames);
// Reads the texture object, asks for the target and writes its image file(s), colour and alpha together.
// The files it writes that exist, other than the chosen one (the save dialog asked about that), are asked
// about first. Nothing when cancelled or not confirmed; any failure propagates.
std::optional<TMipmapFiles> ExportTextureImage(const TPRPFileObject& entry, const TExportUi& ui);
// The Export command: as above, every failure shown as "Error exporting image!", with the file and the
// system's reason below it when the disk failed it (a file that could not be made, written or read).
std::optional<TMipmapFiles> ExportImage(const TPRPFileObject& entry, const TExportUi& ui);

// ---- Page convert

inline const char* const kPageIdPromptTitle = "Set PageID";

// The page id a page stores: sequence prefix in the high word, stored page number in the low word.
uint32_t CurrentPageId(const TPRPFileHeader& header);
std::string PageIdPromptText(uint32_t currentId);
// Eight hexadecimal digits, most significant pair first, each pair read as HexPairToByte reads it.
uint32_t ParsePageId(const std::string& answer);

// Writes an Uru-layout copy of the source page to targetPath with the page id the prompt answers.
// Returns false (writing nothing) when the prompt is cancelled. File errors propagate; targetPath is
// replaced only by a whole copy, and may be the source itself.
bool ConvertPageToUru(const std::string& sourcePath, const std::string& targetPath,
                      const std::function<std::optional<std::string>(const std::string&, const std::string&,
                                                                     const std::string&)>& askPageId);
// "Temp.prp" in the user's temporary folder (UserTempFolder), as an absolute path.
std::string ConvertOutputPath();
// The convert command on the current page; tells the user where the copy went. Returns that path.
std::optional<std::string> ConvertPage(const std::string& currentFile, const TExportUi& ui);
