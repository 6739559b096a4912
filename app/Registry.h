#pragma once
// The per-user settings store, with keys and values as the program names them ("Software\Kestrum", "Left").
// Kept in an INI file in the user's configuration folder.
#include <QRect>
#include <QString>
#include <memory>
#include <optional>

class QSettings;

// Checks both settings files before anything opens them: "Kestrum/Kestrum.ini" in the user's configuration
// folder, and "QtProject.conf" beside it, where the toolkit's file dialogs keep their history. A file
// dialogs' history that is not a regular file is kept from the toolkit's dialogs for the rest of the run.
// Answers the message that tells what is not kept and why, or an empty text when both files can be used.
QString GuardSettingsFiles();

// A settings file that is not a regular file is left alone: it reads as holding no value and takes no write.
class TRegistry {
public:
    TRegistry();
    ~TRegistry();

    // Opens a key ("Software\Kestrum"); with canCreate a missing key counts as created. False when the
    // key does not exist and may not be created.
    bool OpenKey(const QString& key, bool canCreate);
    void CloseKey();
    bool ValueExists(const QString& name) const;
    // The value when it is present and a whole number an int holds.
    std::optional<int> ReadWholeNumber(const QString& name) const;
    // A missing value reads as false.
    bool ReadBool(const QString& name) const;
    void WriteInteger(const QString& name, int value);
    void WriteBool(const QString& name, bool value);

private:
    QString path(const QString& name) const;
    std::unique_ptr<QSettings> settings_;
    QString key_;
};

// Window placement: the frame rectangle moved into the available screen area, shrunk only where it is
// larger than the area; a rectangle that lies inside the area is returned as it is.
QRect FitWindowPlacement(const QRect& frame, const QRect& available);

// A stored placement as read: the values present and whole numbers.
struct TStoredPlacement {
    std::optional<int> left, top, width, height;
};
// The frame rectangle a stored placement asks for, before it is fitted to a screen: a client size below
// least is replaced by the designed one, and no size or position is taken beyond what a window can have, so
// that no arithmetic on the result overflows. edges: the frame's size less the client's.
QRect StoredFrame(const TStoredPlacement& stored, const QRect& designed, const QSize& least,
                  const QSize& edges);
