#include "windows/UpdateInfo.h"

#include "core/profile/JsonFileStore.h"
#include "platform/Paths.h"

namespace q840::windows {

uint32_t VersionNumberFromText(const QString& text) {
    QString digits = text.trimmed();
    digits.remove('.');
    bool ok = false;
    const qulonglong value = digits.toULongLong(&ok, 10);
    return ok && value <= 0xFFFFFFFFull ? uint32_t(value) : 0;
}

QString RowVersionText(const UpdateEntry& entry) {
    if (entry.flag != 0) {
        return QString::asprintf("V%04x", entry.versionNumber);
    }
    return entry.versionText;
}

QString RowName(const UpdateEntry& entry) {
    if (entry.shortName == "ALL" || entry.modelCode == "ALL") {
        return QStringLiteral("AP");
    }
    return entry.displayName;
}

QString UpdateTimeFilePath() {
    return UserDataFolder() + "updatetime.config";
}

QString UpdateDateText(const QDate& date) {
    return QString::asprintf("%d-%d-%d", date.year(), date.month(), date.day());
}

QString ReadLastUpdateDate(const QString& path) {
    const Json::Value root = profile::JsonFileStore().ReadJsonFile(path.toStdString());
    if (!root.isObject() || !root["updatelasttime"].isObject()) {
        return {};
    }
    const Json::Value& value = root["updatelasttime"]["value"];
    return value.isString() ? QString::fromStdString(value.asString()) : QString();
}

bool WriteLastUpdateDate(const QString& path, const QDate& date) {
    profile::JsonFileStore store;
    Json::Value root = store.ReadJsonFile(path.toStdString());
    if (!root.isObject()) {
        root = Json::Value(Json::objectValue);  // a broken file is replaced
    }
    if (!root["updatelasttime"].isObject()) {
        root["updatelasttime"] = Json::Value(Json::objectValue);
    }
    root["updatelasttime"]["value"] = UpdateDateText(date).toStdString();
    return store.WriteJsonFile(path.toStdString(), root) == 0;
}

QString LastUpdateDateOrToday(const QString& path, const QDate& today) {
    const QString stored = ReadLastUpdateDate(path);
    if (!stored.isEmpty()) {
        return stored;
    }
    WriteLastUpdateDate(path, today);
    return UpdateDateText(today);
}

}  // namespace q840::windows
