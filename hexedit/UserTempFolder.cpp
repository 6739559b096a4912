#include "UserTempFolder.h"

#include <QDir>
#include <QFileInfo>

QString UserTempFolder() {
    const QString folder = QDir::tempPath();
    return QFileInfo(folder).isDir() ? folder : QStringLiteral("/tmp");
}

TPrivateTempFolder::TPrivateTempFolder(const QString& prefix)
    : parent_(UserTempFolder()), folder_(QDir(parent_).filePath(prefix + QStringLiteral("-XXXXXX"))) {}

QString TPrivateTempFolder::ErrorText() const {
    if (IsValid()) return {};
    return QStringLiteral("Cannot make a temporary folder in \"%1\": %2.")
        .arg(QDir::toNativeSeparators(parent_), folder_.errorString());
}
