#include "platform/ui/CResourceManager.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include "core/base/DebugLine.h"

namespace q840::ui {

namespace {
const char* const kRawTextProperty = "dui_rawtext";
const char* const kRawToolTipProperty = "dui_rawtooltip";
const char* const kTrackedProperty = "dui_tracked";

bool ReadXml(const QString& path, QDomDocument& doc) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    QString error;
    int line = 0;
    if (!doc.setContent(&file, &error, &line)) {
        q840::DebugLine("xml: %s:%d: %s", path.toUtf8().constData(), line,
                        error.toUtf8().constData());
        return false;
    }
    return true;
}
}  // namespace

CResourceManager& CResourceManager::GetInstance() {
    static CResourceManager* instance = new CResourceManager();
    return *instance;
}

void CResourceManager::SetResourcePath(const QString& path) {
    m_resourcePath = path;
    if (!m_resourcePath.isEmpty() && !m_resourcePath.endsWith('/')) {
        m_resourcePath += '/';
    }
}

QString CResourceManager::GetResourcePath() const {
    return m_resourcePath;
}

bool CResourceManager::LoadResource(const QString& indexFile) {
    QDomDocument doc;
    if (!ReadXml(m_resourcePath + indexFile, doc)) {
        return false;
    }
    for (QDomElement e = doc.documentElement().firstChildElement(); !e.isNull();
         e = e.nextSiblingElement()) {
        const QString key = e.attribute("key");
        const QString file = e.attribute("file");
        if (e.tagName() == QLatin1String("Style")) {
            if (!file.isEmpty() && !m_styleSheets.contains(file)) {
                m_styleSheets.append(file);
            }
        } else if (!key.isEmpty() && !file.isEmpty()) {
            m_layouts.insert(key, file);
        }
    }
    return true;
}

QString CResourceManager::GetLayoutFile(const QString& keyOrFile) const {
    QString file = m_layouts.value(keyOrFile, keyOrFile);
    file.replace('\\', '/');
    return file;
}

void CResourceManager::Release() {
    m_layouts.clear();
    m_styleSheets.clear();
    m_texts.clear();
    m_tracked.clear();
}

void CResourceManager::SetLanguage(const QString& name) {
    m_language = name;
}

namespace {
// The language every key has a text in; another language's file that lacks a key (or leaves it
// empty) shows this one's text rather than the key or nothing.
const char* const kFallbackLanguageFile = "lan_en.xml";

// A language file and the files of its ".d" folder, in the order they are read.
QStringList LanguageFiles(const QString& main) {
    QStringList files;
    if (QFileInfo::exists(main)) {
        files << main;
    }
    const QFileInfo info(main);
    QDir extra(info.absolutePath() + '/' + info.completeBaseName() + ".d");
    for (const QString& name : extra.entryList({"*.xml"}, QDir::Files, QDir::Name)) {
        files << extra.filePath(name);
    }
    return files;
}

void ReadTexts(const QStringList& files, QHash<QString, QString>& texts, bool keepFilled) {
    for (const QString& path : files) {
        QDomDocument doc;
        if (!ReadXml(path, doc)) {
            continue;
        }
        for (QDomElement e = doc.documentElement().firstChildElement("Text"); !e.isNull();
             e = e.nextSiblingElement("Text")) {
            const QString key = e.attribute("key");
            if (keepFilled && e.text().isEmpty() && !texts.value(key).isEmpty()) {
                continue;
            }
            texts.insert(key, e.text());
        }
    }
}
}  // namespace

bool CResourceManager::LoadLanguage(const QString& languageFile) {
    const QStringList files = LanguageFiles(m_resourcePath + languageFile);
    if (files.isEmpty()) {
        return false;
    }
    QHash<QString, QString> texts;
    const bool fallback = languageFile.compare(kFallbackLanguageFile, Qt::CaseInsensitive) != 0;
    if (fallback) {
        ReadTexts(LanguageFiles(m_resourcePath + kFallbackLanguageFile), texts, false);
    }
    ReadTexts(files, texts, fallback);
    m_texts = std::move(texts);
    return true;
}

QString CResourceManager::GetText(const QString& key) const {
    auto found = m_texts.constFind(key);
    return found == m_texts.constEnd() ? QString() : *found;
}

QString CResourceManager::Resolve(const QString& raw) const {
    auto found = m_texts.constFind(raw);
    return found == m_texts.constEnd() ? raw : *found;
}

void CResourceManager::Track(QWidget* control) {
    if (!control->property(kTrackedProperty).toBool()) {
        control->setProperty(kTrackedProperty, true);
        m_tracked.push_back(control);
    }
}

void CResourceManager::ApplyText(QWidget* control, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(text);
    } else if (control->isWindow()) {
        control->setWindowTitle(text);
    } else {
        // Custom controls read their text back through RawText/Resolve when they paint.
        control->update();
    }
}

void CResourceManager::SetControlText(QWidget* control, const QString& raw) {
    if (control == nullptr) {
        return;
    }
    control->setProperty(kRawTextProperty, raw);
    Track(control);
    ApplyText(control, Resolve(raw));
}

void CResourceManager::SetControlToolTip(QWidget* control, const QString& raw) {
    if (control == nullptr) {
        return;
    }
    control->setProperty(kRawToolTipProperty, raw);
    Track(control);
    control->setToolTip(Resolve(raw));
}

QString CResourceManager::RawText(const QWidget* control) {
    return control ? control->property(kRawTextProperty).toString() : QString();
}

void CResourceManager::ReloadText() {
    QVector<QPointer<QWidget>> alive;
    alive.reserve(m_tracked.size());
    for (const QPointer<QWidget>& control : m_tracked) {
        if (!control) {
            continue;
        }
        alive.push_back(control);
        const QVariant rawText = control->property(kRawTextProperty);
        if (rawText.isValid()) {
            ApplyText(control, Resolve(rawText.toString()));
        }
        const QVariant rawTip = control->property(kRawToolTipProperty);
        if (rawTip.isValid()) {
            control->setToolTip(Resolve(rawTip.toString()));
        }
        if (auto* combo = qobject_cast<QComboBox*>(control.data())) {
            for (int i = 0; i < combo->count(); ++i) {
                const QVariant raw = combo->itemData(i, Qt::UserRole + 1);
                if (raw.isValid()) {
                    combo->setItemText(i, Resolve(raw.toString()));
                }
            }
        }
    }
    m_tracked = std::move(alive);
    emit languageChanged();
}

}  // namespace q840::ui
