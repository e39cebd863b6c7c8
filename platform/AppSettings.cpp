#include "platform/AppSettings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <mutex>

#include "platform/Paths.h"

namespace q840 {

namespace {
std::mutex g_mutex;
QString g_configFolder;
}  // namespace

void AppSettings::SetConfigFolder(const QString& folder) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_configFolder = folder;
}

QString AppSettings::ConfigFile() {
    QString folder;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        folder = g_configFolder;
    }
    if (folder.isEmpty()) {
        folder = qEnvironmentVariable("Q840_CONFIG_DIR");
    }
    if (folder.isEmpty()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + '/' +
                 kProductTitle;
    }
    QDir().mkpath(folder);
    return folder + "/settings.conf";
}

std::optional<uint32_t> AppSettings::ReadLanguage() {
    QSettings settings(ConfigFile(), QSettings::IniFormat);
    const QVariant value = settings.value("LANGUAGE");
    bool ok = false;
    const uint32_t id = value.toUInt(&ok);
    if (!value.isValid() || !ok) {
        return std::nullopt;
    }
    return id;
}

bool AppSettings::WriteLanguage(uint32_t languageId) {
    // The file holds this value only, written anew: QSettings keeps what a damaged file held and
    // refuses to save over a file it could not read, so the choice would not stick.
    QFile::remove(ConfigFile());
    QSettings settings(ConfigFile(), QSettings::IniFormat);
    settings.setValue("LANGUAGE", languageId);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

}  // namespace q840
