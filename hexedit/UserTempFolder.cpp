#include "UserTempFolder.h"

#include <QDir>
#include <QFileInfo>

QString UserTempFolder() {
    const QString folder = QDir::tempPath();
    return QFileInfo(folder).isDir() ? folder : QStringLiteral("/tmp");
}
