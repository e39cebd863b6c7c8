#include "windows/SkinChoice.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSaveFile>
#include <QSettings>

#include "core/base/DebugLine.h"
#include "platform/Paths.h"
#include "platform/ui/CDialogBuilder.h"
#include "platform/ui/CResourceManager.h"

namespace q840::windows {

namespace {
constexpr char kSection[] = "SKINIMAGE";
constexpr char kCustomFolder[] = "skin";

// A skin image exists in the skin folder, a file path on the disk.
bool ImageExists(const QString& image) {
    if (image.isEmpty()) {
        return false;
    }
    return QFileInfo::exists(QDir::isAbsolutePath(image)
                                 ? image
                                 : ui::CResourceManager::GetInstance().GetResourcePath() + image);
}
}  // namespace

ObserverImpl<int, SkinChangedParam>& SkinObserver() {
    static auto* observer = new ObserverImpl<int, SkinChangedParam>();
    return *observer;
}

QString MainIniPath() {
    return UserDataFolder() + "main.ini";
}

bool WriteSkinChoice(const SkinChangedParam& choice, bool reset) {
    // The file holds this choice only, written anew: QSettings keeps whatever else a damaged file
    // held, and may not write over one it could not parse at all.
    QFile::remove(MainIniPath());
    QSettings ini(MainIniPath(), QSettings::IniFormat);
    ini.beginGroup(kSection);
    if (choice.isColour != 0) {
        ini.setValue("FLAGS", "2");
        ini.setValue("COLOR",
                     QStringLiteral("%1").arg(choice.colour, 8, 16, QLatin1Char('0')).toUpper());
        ini.remove("IMAGE");
    } else {
        ini.setValue("FLAGS", reset ? "0" : "1");
        ini.setValue("IMAGE", choice.image);
        ini.remove("COLOR");
    }
    ini.endGroup();
    ini.sync();
    return ini.status() == QSettings::NoError;
}

std::optional<SkinChangedParam> ReadSkinChoice() {
    if (!QFileInfo::exists(MainIniPath())) {
        return std::nullopt;
    }
    QSettings ini(MainIniPath(), QSettings::IniFormat);
    if (ini.status() != QSettings::NoError) {
        return std::nullopt;
    }
    ini.beginGroup(kSection);
    const QString flags = ini.value("FLAGS").toString().trimmed();
    SkinChangedParam choice;
    if (flags == "2") {
        bool ok = false;
        const QString text = ini.value("COLOR").toString().trimmed();
        const uint32_t colour = text.toUInt(&ok, 16);
        if (!ok || text.size() != 8) {
            return std::nullopt;
        }
        choice.isColour = 1;
        choice.colour = colour | 0xFF000000u;  // backgrounds are opaque
        return choice;
    }
    if (flags != "0" && flags != "1") {
        return std::nullopt;
    }
    choice.image = ini.value("IMAGE").toString();
    if (!ImageExists(choice.image)) {
        DebugLine("stored background not found: %s", choice.image.toUtf8().constData());
        return std::nullopt;
    }
    return choice;
}

void ApplySkin(QWidget* root, const SkinChangedParam& choice, ui::CPaintManagerUI* manager) {
    if (root == nullptr) {
        return;
    }
    if (choice.isColour != 0) {
        ui::CDialogBuilder::SetAttribute(
            root, "bkcolor", QStringLiteral("#%1").arg(choice.colour, 8, 16, QLatin1Char('0')),
            manager);
        ui::CDialogBuilder::SetAttribute(root, "bkimage", QString(), manager);
    } else {
        // No colour of its own (transparent over the image), the image over the whole window.
        ui::CDialogBuilder::SetAttribute(root, "bkcolor", "#00000000", manager);
        ui::CDialogBuilder::SetAttribute(root, "bkimage", choice.image, manager);
    }
    root->update();
}

QString KeepCustomImage(const QString& chosen, QString* refusal) {
    auto refuse = [refusal](const char* key) {
        if (refusal != nullptr) {
            *refusal = QString::fromLatin1(key);
        }
        return QString();
    };
    const QFileInfo info(chosen);
    if (!info.isFile() || !info.isReadable()) {
        return refuse("skin_custom_unreadable_text");
    }
    if (info.size() > kMaxCustomBytes) {
        return refuse("skin_custom_too_large_text");
    }
    QFile file(chosen);
    if (!file.open(QIODevice::ReadOnly)) {
        return refuse("skin_custom_unreadable_text");
    }
    const QByteArray bytes = file.readAll();
    // Judged by what the file holds, not by its name.
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer, "png");
    reader.setDecideFormatFromContent(true);
    if (reader.format() != "png") {
        return refuse("skin_custom_not_png_text");
    }
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxCustomSide || size.height() > kMaxCustomSide) {
        return refuse(size.isValid() ? "skin_custom_too_large_text" : "skin_custom_not_png_text");
    }
    if (reader.read().isNull()) {
        return refuse("skin_custom_not_png_text");
    }
    // Named by its content: a new picture never shows an old one from the image cache.
    const QString folder = UserDataFolder() + kCustomFolder;
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(12));
    const QString copy = folder + "/custom-" + hash + ".png";
    QSaveFile out(copy);
    if (!QDir().mkpath(folder) || !out.open(QIODevice::WriteOnly) || out.write(bytes) < 0 ||
        !out.commit()) {
        return refuse("skin_custom_copy_failed_text");
    }
    // Earlier custom pictures are not needed any more.
    for (const QString& old : QDir(folder).entryList({"custom-*.png"}, QDir::Files)) {
        if (folder + '/' + old != copy) {
            QFile::remove(folder + '/' + old);
        }
    }
    return copy;
}

}  // namespace q840::windows
