#include "UserTempFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <vector>

namespace {

// The folders of every TPrivateTempFolder that lives, each with the process that made it: a child forked
// from the program that ends through exit() must not take its parent's folders with it.
struct LiveFolder {
    std::string path;
    qint64 owner;
};

struct LiveFolders {
    std::mutex lock;
    std::vector<LiveFolder> folders;
};

QtMessageHandler previousMessageHandler = nullptr;

LiveFolders& liveFolders();

void removeLiveFolders() {
    LiveFolders& live = liveFolders();
    const std::lock_guard<std::mutex> hold(live.lock);
    const qint64 self = QCoreApplication::applicationPid();
    for (const LiveFolder& folder : live.folders) {
        std::error_code ignored;
        if (folder.owner == self) std::filesystem::remove_all(folder.path, ignored);
    }
    live.folders.clear();
}

// What the toolkit says just before it ends the process past exit handlers: a fatal message aborts, and
// the Wayland plugin warns of a broken connection and calls _exit().
bool endsTheProcessAtOnce(QtMsgType type, const QString& text) {
    return type == QtFatalMsg ||
           (type == QtWarningMsg &&
            (text.startsWith(QLatin1String("The Wayland connection broke.")) ||
             text.startsWith(QLatin1String("The Wayland connection experienced a fatal error"))));
}

void removeLiveFoldersBeforeTheEnd(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (endsTheProcessAtOnce(type, text)) removeLiveFolders();
    previousMessageHandler(type, context, text);
}

LiveFolders& liveFolders() {
    static LiveFolders live;
    // Installed once the list is whole, so that the exit handler runs before the list is destroyed.
    static const bool handlersInstalled = [] {
        std::atexit(removeLiveFolders);
        previousMessageHandler = qInstallMessageHandler(removeLiveFoldersBeforeTheEnd);
        return true;
    }();
    Q_UNUSED(handlersInstalled);
    return live;
}

} // namespace

QString UserTempFolder() {
    const QString folder = QDir::tempPath();
    return QFileInfo(folder).isDir() ? folder : QStringLiteral("/tmp");
}

TPrivateTempFolder::TPrivateTempFolder(const QString& prefix)
    : parent_(UserTempFolder()), folder_(QDir(parent_).filePath(prefix + QStringLiteral("-XXXXXX"))) {
    if (!folder_.isValid()) return;
    livePath_ = QFile::encodeName(folder_.path()).toStdString();
    LiveFolders& live = liveFolders();
    const std::lock_guard<std::mutex> hold(live.lock);
    live.folders.push_back({livePath_, QCoreApplication::applicationPid()});
}

TPrivateTempFolder::~TPrivateTempFolder() {
    if (livePath_.empty()) return;
    LiveFolders& live = liveFolders();
    const std::lock_guard<std::mutex> hold(live.lock);
    const auto found = std::find_if(live.folders.begin(), live.folders.end(),
                                    [this](const LiveFolder& folder) { return folder.path == livePath_; });
    if (found != live.folders.end()) live.folders.erase(found);
}

QString TPrivateTempFolder::ErrorText() const {
    if (IsValid()) return {};
    return QStringLiteral("Cannot make a temporary folder in \"%1\": %2.")
        .arg(QDir::toNativeSeparators(parent_), folder_.errorString());
}
