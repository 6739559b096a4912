#pragma once
// The per-user settings store, with keys and values as the program names them ("Software\Kestrum", "Left").
// Kept in an INI file in the user's configuration folder.
#include <QRect>
#include <QString>
#include <memory>

class QSettings;

class TRegistry {
public:
    TRegistry();
    ~TRegistry();

    // Opens a key ("Software\Kestrum"); with canCreate a missing key counts as created. False when the
    // key does not exist and may not be created.
    bool OpenKey(const QString& key, bool canCreate);
    void CloseKey();
    bool ValueExists(const QString& name) const;
    // A missing or non-numeric value reads as 0 / false.
    int ReadInteger(const QString& name) const;
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
