#include "platform/ui/StyleSheet.h"

#include <QApplication>
#include <QFile>
#include <QRegularExpression>

#include "platform/ui/CResourceManager.h"

namespace q840::ui {

QString ScaleStyleSheet(const QString& styleSheet, int dpi) {
    if (dpi == 96) {
        return styleSheet;
    }
    static const QRegularExpression kLength(R"((\d+)px)");
    QString result;
    qsizetype last = 0;
    auto it = kLength.globalMatch(styleSheet);
    while (it.hasNext()) {
        const auto match = it.next();
        result += styleSheet.mid(last, match.capturedStart() - last);
        result += QString::number(match.captured(1).toInt() * dpi / 96) + "px";
        last = match.capturedEnd();
    }
    result += styleSheet.mid(last);
    return result;
}

bool ApplyGlobalStyleSheet(const QString& file, int dpi) {
    QFile source(CResourceManager::GetInstance().GetResourcePath() + file);
    if (!source.open(QIODevice::ReadOnly) || qApp == nullptr) {
        return false;
    }
    QString sheet = QString::fromUtf8(source.readAll());
    // The pages' own sheets listed in the resource index come after it.
    for (const QString& extra : CResourceManager::GetInstance().GetStyleSheets()) {
        QFile page(CResourceManager::GetInstance().GetResourcePath() + extra);
        if (page.open(QIODevice::ReadOnly)) {
            sheet += '\n' + QString::fromUtf8(page.readAll());
        }
    }
    // Image urls in the sheet are relative to the skin folder.
    sheet.replace("url(", "url(" + CResourceManager::GetInstance().GetResourcePath());
    qApp->setStyleSheet(ScaleStyleSheet(sheet, dpi));
    return true;
}

}  // namespace q840::ui
