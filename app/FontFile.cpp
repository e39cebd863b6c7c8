#include "app/FontFile.h"

#include <QFile>
#include <QFontDatabase>

#include "platform/Paths.h"

namespace q840 {

FontFile::FontFile(const QString& relativePath) : m_path(ProgramFolder() + relativePath) {}

bool FontFile::Load() {
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray data = file.readAll();
    if (data.isEmpty()) {
        return false;
    }
    m_fontId = QFontDatabase::addApplicationFontFromData(data);
    return m_fontId >= 0;
}

void FontFile::Unload() {
    if (m_fontId >= 0) {
        QFontDatabase::removeApplicationFont(m_fontId);
        m_fontId = -1;
    }
}

}  // namespace q840
