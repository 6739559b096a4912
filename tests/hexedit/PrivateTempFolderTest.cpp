// A process that ends past its destructors still removes the private folders it made, in each way the
// toolkit ends one; a killed process, and a child forked from it, leave them alone, as every process leaves
// folders that it did not make.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <sys/wait.h>
#include <unistd.h>

#include "TestInChild.h"
#include "UserTempFolder.h"

using namespace testpages;

namespace {

const char kEndVariable[] = "KESTRUM_TEST_END";

struct Ending {
    const char* name;
    bool leavesTheFolder;
};

const Ending kEndings[] = {
    {"exit", false},                                      // the toolkit's answer to a broken X connection
    {"fatal", false},                                     // a fatal message aborts
    {"wayland", false},                                   // the Wayland plugin's last warning before _exit()
    {"other warning", true},                              // any other warning is only a warning
    {"killed", true},        {"forked child exits", true} // the folder is its parent's
};

// The child's part: a folder of its own with a file in it, named on standard output, then the end.
void endWithALiveFolder(const QByteArray& ending) {
    TPrivateTempFolder folder(QStringLiteral("kestrum-mipmap"));
    ASSERT_TRUE(folder.IsValid());
    QFile file(QDir(folder.Path()).filePath(QStringLiteral("Temp.dds")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    std::cout << "folder " << folder.Path().toStdString() << std::endl;
    if (ending == "exit") std::exit(1);
    if (ending == "fatal") qFatal("Fatal at last");
    if (ending == "wayland") {
        qWarning("The Wayland connection broke. Did the Wayland compositor die?");
        _exit(1);
    }
    if (ending == "other warning") {
        qWarning("The Wayland connection is slow.");
        _exit(1);
    }
    if (ending == "killed") std::raise(SIGKILL);
    if (ending == "forked child exits") {
        const pid_t child = fork();
        if (child == 0) std::exit(0);
        int status = 0;
        waitpid(child, &status, 0);
        _exit(0);
    }
}

} // namespace

TEST(PrivateTempFolder, AProcessThatEndsRemovesTheFoldersItMadeUnlessKilled) {
    const QByteArray inChild = qgetenv(kEndVariable);
    if (!inChild.isEmpty()) {
        endWithALiveFolder(inChild);
        return;
    }
    for (const Ending& ending : kEndings) {
        SCOPED_TRACE(ending.name);
        QTemporaryDir temp;
        // A folder of the same kind that another run of the program made.
        ASSERT_TRUE(QDir(temp.path()).mkpath(QStringLiteral("kestrum-mipmap-others")));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), temp.path());
        environment.insert(QString::fromLatin1(kEndVariable), QString::fromLatin1(ending.name));
        QProcess child;
        startCurrentTestInChild(child, environment);
        ASSERT_TRUE(child.waitForFinished(60000));
        const QByteArray output = child.readAll();
        const qsizetype named = output.indexOf("\nfolder ");
        ASSERT_NE(named, -1) << output.toStdString();
        const QString folder = QString::fromLocal8Bit(output.mid(named + 8)).section(QLatin1Char('\n'), 0, 0);
        ASSERT_TRUE(folder.startsWith(temp.path() + QLatin1Char('/'))) << folder.toStdString();
        EXPECT_EQ(QFileInfo::exists(folder + QStringLiteral("/Temp.dds")), ending.leavesTheFolder)
            << output.toStdString();
        EXPECT_EQ(QFileInfo::exists(folder), ending.leavesTheFolder);
        EXPECT_TRUE(QFileInfo(temp.filePath(QStringLiteral("kestrum-mipmap-others"))).isDir());
    }
}
