#pragma once
// The user's temporary folder, shared by everything of the program that keeps files for a while: the hex
// editor's work files, the texture previews' images and the page convert's copy.
#include <QString>
#include <QTemporaryDir>
#include <string>

// An absolute path to a folder that exists: the one TMPDIR names, or the system's ("/tmp") when that does not
// exist (where the platform's own answer would be empty, and files would land in the working folder).
QString UserTempFolder();

// A folder of the program's own in the user's temporary folder, named prefix + "-" and six random
// characters, that only the user may enter; it goes, with all it holds, when the object does. Every file
// the program keeps for a while lies in one: a shared or relative name could meet a file of the user's.
// A process that ends while folders live removes them as it ends, even past every destructor: the toolkit
// calls exit() when the X server goes, aborts on a fatal message, and calls _exit() right after its warning
// when the Wayland compositor goes. For that the first folder installs an exit handler and a message
// handler that chains to the one before it. Only a process that is killed leaves its folders behind.
class TPrivateTempFolder {
public:
    explicit TPrivateTempFolder(const QString& prefix);
    ~TPrivateTempFolder();
    TPrivateTempFolder(const TPrivateTempFolder&) = delete;
    TPrivateTempFolder& operator=(const TPrivateTempFolder&) = delete;

    // False when the folder could not be made: Path is empty then and nothing may be written.
    bool IsValid() const { return folder_.isValid(); }
    QString Path() const { return folder_.path(); }
    // Why the folder could not be made: where it was to be made and the system's reason.
    QString ErrorText() const;

private:
    QString parent_;
    QTemporaryDir folder_;
    // The folder's path as the system names it, while the folder is live.
    std::string livePath_;
};
