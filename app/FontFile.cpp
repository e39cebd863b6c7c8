#include "app/FontFile.h"

#include <QFile>
#include <QFontDatabase>

#include "platform/Paths.h"

namespace q840 {

FontFile::FontFile(const QString& relativePath) : m_path(ProgramFolder() + relativePath) {}

bool FontFile::Load() {
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0) {
        return false;
    }
    file.close();
    // By its path, not from a copy in memory: FreeType then maps the file, whose pages are the
    // system's file cache and can be dropped, where a copy (18 MiB for the CJK font) would stay
    // on the heap for the whole run.
    m_fontId = QFontDatabase::addApplicationFont(m_path);
    return m_fontId >= 0;
}

void FontFile::Unload() {
    if (m_fontId >= 0) {
        QFontDatabase::removeApplicationFont(m_fontId);
        m_fontId = -1;
    }
}

}  // namespace q840
