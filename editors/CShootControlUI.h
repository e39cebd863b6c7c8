#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>

#include "core/macro/ShootFile.h"
#include "platform/ui/UIDefs.h"

class QAbstractButton;
class QLabel;
class QLineEdit;
class QStackedWidget;

namespace q840::editors {

// The shoot pattern editor: four guns of thirty bullets, one bullet shown at a time with its
// horizontal and vertical pull and the pause after it. The patterns are the working files of the
// page's device folder (core/macro/ShootFile.h), made from the factory files of DefaultData/ when
// missing or damaged; every bullet save is a read-modify-write of one file. The mouse gets them
// when the page uploads the shoot area (the save button, a profile switch).
//
// What asks the user (reset, the file dialogs, messages) or reaches the device is a main window
// command (app/ShootCommands); ApplyNotification says what follows a notification of the
// editor's own controls. The window builds the editor from kLayoutFile, whose root element is
// this control.
class CShootControlUI : public QWidget, public ui::IUIAttributes {
    Q_OBJECT
public:
    static const char* const kLayoutFile;  // "XML/CustomControlXML/ShootControl.xml"
    static constexpr int kGunCount = macro::kShootGuns;
    static constexpr int kBulletCount = macro::kShootBullets;

    explicit CShootControlUI(QWidget* parent = nullptr);
    static QWidget* Create() { return new CShootControlUI(); }
    QString GetClass() const { return QStringLiteral("ShootControl"); }
    void SetAttribute(const QString& name, const QString& value) override;

    // The page's device folder and the factory folder (both end with a separator); set before
    // InitShootEditor.
    void SetWorkFolder(const QString& folder);
    void SetDefaultFolder(const QString& folder);
    QString GetWorkFolder() const { return m_workFolder; }
    // Looks up the controls and makes every working file that is missing or not a pattern again
    // from its factory file.
    void InitShootEditor();

    int GetCurrentGun() const { return m_gun; }
    int GetCurrentBullet() const { return m_bullet; }
    // Selects a gun (limited to 0-3) and shows the current bullet of it.
    void SelectGun(int gun);
    // Selects a bullet (limited to 0-29, so previous on the first and next on the last stay)
    // and shows it.
    void SelectBullet(int bullet);
    // Shows the current bullet of the current gun from its working file (zeros when the file is
    // not a pattern).
    void ShowBullet();
    // Writes the edits and direction buttons into the current bullet of the working file.
    // Distances above 255 are taken as 255 and the edit shows it (one step carries no more);
    // the pause likewise keeps to 0-65535. False when there is no bullet selected or the file
    // could not be written.
    bool SaveBullet();
    // The factory pattern over the working file of a gun, then the current bullet again. False
    // (nothing changed) when the factory file is not a pattern or the copy failed.
    bool RestoreGun(int gun);
    // Copies a chosen file over the current gun's working file, or the working file to a
    // chosen file. Import answers the chosen file's check (nothing changes unless it is Ok).
    macro::ShootCheck ImportPattern(const QString& path);
    bool ExportPattern(const QString& path) const;
    const macro::ShootStore& Store() const { return m_store; }

    // What the main window does after a notification of the editor's own controls.
    enum class Follow {
        NotMine,  // not one of the editor's notifications
        Nothing,  // handled
        Upload,   // send the four patterns to the device
        Reset,    // ask, then restore the current gun
        Failed,   // a bullet could not be saved: say so
    };
    Follow ApplyNotification(const ui::TNotifyUI& msg);

private:
    template <class T>
    T* Find(const QString& name) const {
        return findChild<T*>(name);
    }
    void ShowDirection(QAbstractButton* check, bool horizontal);
    void ShowBulletView(const macro::ShootBullet& bullet);

    QString m_workFolder;
    QString m_defaultFolder;
    macro::ShootStore m_store;
    int m_gun = 0;
    int m_bullet = -1;
    std::array<QPointer<QAbstractButton>, kGunCount> m_gunOptions;
    std::array<QPointer<QAbstractButton>, kBulletCount> m_bulletOptions;
    QPointer<QStackedWidget> m_picture;
    QPointer<QLabel> m_index;
    QPointer<QAbstractButton> m_xCheck;
    QPointer<QAbstractButton> m_yCheck;
    QPointer<QLineEdit> m_xEdit;
    QPointer<QLineEdit> m_yEdit;
    QPointer<QLineEdit> m_delayEdit;
};

}  // namespace q840::editors
