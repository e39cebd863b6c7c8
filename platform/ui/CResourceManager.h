#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVector>

class QWidget;

namespace q840::ui {

// The skin's resource index ("res.xml": layout keys -> files) and the language tables.
//
// A control's text may be a language key: it then shows the current language's text for that key
// and follows a language switch (ReloadText). Texts that are not keys are shown as they are.
//
// Language file format (UTF-8 XML): <Language><Text key="message_text_22">...</Text></Language>.
// LoadLanguage("lan_en.xml") reads skin/lan_en.xml and then every *.xml in skin/lan_en.d/ (sorted),
// so each area of the program can keep its own keys in its own file.
class CResourceManager : public QObject {
    Q_OBJECT
public:
    static CResourceManager& GetInstance();

    // Skin folder, ending with '/'.
    void SetResourcePath(const QString& path);
    QString GetResourcePath() const;

    // Reads the resource index; false when it is missing or malformed (the program goes on).
    bool LoadResource(const QString& indexFile);
    // The file a layout key stands for; the argument itself when it is not a key.
    QString GetLayoutFile(const QString& keyOrFile) const;
    // Style sheets of the index ("Style" entries), applied after the global one, in order.
    const QStringList& GetStyleSheets() const { return m_styleSheets; }
    void Release();

    void SetLanguage(const QString& name);
    QString GetLanguage() const { return m_language; }
    bool LoadLanguage(const QString& languageFile);
    // The text of a key, or a null string when the key is unknown.
    QString GetText(const QString& key) const;
    // The text to show for a raw control text: its language text when it is a key, else itself.
    QString Resolve(const QString& raw) const;

    // Sets a control's text (or tool tip) from a raw text that may be a key, and keeps the raw
    // text so that ReloadText can follow a language switch.
    void SetControlText(QWidget* control, const QString& raw);
    void SetControlToolTip(QWidget* control, const QString& raw);
    static QString RawText(const QWidget* control);
    // Follows language switches for a control whose texts are set another way (combo items).
    void TrackControl(QWidget* control) { Track(control); }
    // Re-resolves every tracked control's text and tool tip, then emits languageChanged.
    void ReloadText();

signals:
    void languageChanged();

private:
    CResourceManager() = default;
    void Track(QWidget* control);
    static void ApplyText(QWidget* control, const QString& text);

    QString m_resourcePath;
    QHash<QString, QString> m_layouts;
    QStringList m_styleSheets;
    QString m_language;
    QHash<QString, QString> m_texts;
    QVector<QPointer<QWidget>> m_tracked;
};

}  // namespace q840::ui
