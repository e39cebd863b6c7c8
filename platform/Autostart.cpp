#include "platform/Autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include "core/base/DebugLine.h"

namespace q840 {

QString Autostart::EntryPath() {
    // Only an absolute $XDG_CONFIG_HOME counts; anything else means the default.
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || QDir::isRelativePath(config)) {
        config = QDir::homePath() + "/.config";
    }
    return config + "/autostart/" + kEntryName;
}

bool Autostart::IsEnabled() {
    QFile file(EntryPath());
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QString text = QString::fromUtf8(file.readAll());
    for (const QString& raw : text.split('\n')) {
        const QString line = raw.trimmed();
        if (line.compare("Hidden=true", Qt::CaseInsensitive) == 0 ||
            line.compare("X-GNOME-Autostart-enabled=false", Qt::CaseInsensitive) == 0) {
            return false;
        }
    }
    return true;
}

QString Autostart::ExecCommand(const QString& program) {
    const QFileInfo self(program);
    const QString name = self.fileName();
    const QString onPath = QStandardPaths::findExecutable(name);
    if (!onPath.isEmpty() && QFileInfo(onPath).canonicalFilePath() == self.canonicalFilePath()) {
        return name;
    }
    // Exec quoting: the path in double quotes, with `"`, '`', '$' and '\' escaped.
    QString quoted;
    for (QChar c : self.absoluteFilePath()) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += "\\\\";  // the backslash is itself escaped in a string value
            if (c == '\\') {
                quoted += "\\\\";
                continue;
            }
        }
        // A percent sign is a field code in Exec.
        quoted += c == '%' ? QStringLiteral("%%") : QString(c);
    }
    return '"' + quoted + '"';
}

bool Autostart::SetEnabled(bool enabled, const QString& program) {
    const QString path = EntryPath();
    if (!enabled) {
        if (!QFile::exists(path)) {
            return true;
        }
        const bool removed = QFile::remove(path);
        DebugLine("autostart entry %s: %s", removed ? "removed" : "not removed",
                  path.toUtf8().constData());
        return removed;
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        return false;
    }
    const QString text = QStringLiteral(
                             "[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=Q840-VEX Mouse\n"
                             "Comment=Keeps the Halvorn Q840-VEX settings tool in the tray\n"
                             "Exec=%1 %2\n"
                             "Icon=com.halvorn.Q840Vex\n"
                             "Terminal=false\n"
                             "X-GNOME-Autostart-enabled=true\n")
                             .arg(ExecCommand(program), QString::fromLatin1(kHiddenOption));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit()) {
        DebugLine("autostart entry not written: %s", path.toUtf8().constData());
        return false;
    }
    return true;
}

}  // namespace q840
