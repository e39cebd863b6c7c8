#include "platform/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <mutex>

namespace q840 {

const char* const kProductTitle = "Halvorn Q840-VEX GAMING MOUSE";

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
        folder = qEnvironmentVariable("Q840_USER_DATA_DIR");
    }
    if (folder.isEmpty()) {
        QString base = qEnvironmentVariable("XDG_DATA_HOME");
        if (base.isEmpty()) {
            base = QDir::homePath() + "/.local/share";
        }
        folder = base + '/' + kProductTitle;
    }
    folder = WithSlash(folder);
    QDir().mkpath(folder);
    return folder;
}

QString InstanceLockFile() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) {
        return WithSlash(runtime) + "halvorn-q840vex.lock";
    }
    return UserDataFolder() + "instance.lock";
}

QString DefaultsFolder() {
    return ProgramFolder() + "DefaultData/";
}

}  // namespace q840
