#include "platform/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <mutex>

namespace q840 {

namespace {
std::mutex g_mutex;
QString g_programFolder;
QString g_userDataFolder;

QString WithSlash(QString folder) {
    if (!folder.isEmpty() && !folder.endsWith('/')) {
        folder += '/';
    }
    return folder;
}
}  // namespace

void SetProgramFolder(const QString& folder) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_programFolder = WithSlash(folder);
}

QString ProgramFolder() {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_programFolder.isEmpty()) {
        return g_programFolder;
    }
    const QString fromEnv = qEnvironmentVariable("Q840_PROGRAM_DIR");
    if (!fromEnv.isEmpty()) {
        return WithSlash(fromEnv);
    }
    if (QCoreApplication::instance() != nullptr) {
        return WithSlash(QCoreApplication::applicationDirPath());
    }
    return WithSlash(QDir::currentPath());
}

void SetUserDataFolder(const QString& folder) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_userDataFolder = WithSlash(folder);
}

QString UserDataFolder() {
    QString folder;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        folder = g_userDataFolder;
    }
    if (folder.isEmpty()) {
        // The rule q840ctl follows too (core/base/UserFolders.h).
        folder = QString::fromStdString(DefaultUserDataFolder());
    }
    if (folder.isEmpty()) {
        folder = QDir::homePath() + "/.local/share/" + kProductTitle;
    }
    folder = WithSlash(folder);
    QDir().mkpath(folder);
    return folder;
}

QString InstanceLockFile() {
    const std::string runtime = RuntimeInstanceLockFile();
    if (!runtime.empty()) {
        return QString::fromStdString(runtime);
    }
    return UserDataFolder() + kInstanceLockInUserFolder;
}

QString DefaultsFolder() {
    return ProgramFolder() + "DefaultData/";
}

}  // namespace q840
