#pragma once

#include <QHash>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QVector>

#include "platform/ui/UIDefs.h"

class QAbstractButton;
class QButtonGroup;
class QTimer;

namespace q840::ui {

// The per-window hub of the UI layer: the control tree's root, lookup by name, the notification
// pump, control timers, option groups and the window's scale (96 = 100 %).
//
// User actions on built-in controls become notifications (wired by AttachControl); programmatic
// changes (setValue, setChecked, setCurrentIndex, ...) send none. Code that must notify after a
// programmatic change calls SendNotify itself.
class CPaintManagerUI : public QObject {
    Q_OBJECT
public:
    explicit CPaintManagerUI(QObject* parent = nullptr);
    ~CPaintManagerUI() override;

    // The folder of the executable and the skin folder (process-wide, end with '/').
    static void SetInstancePath(const QString& path);
    static QString GetInstancePath();
    static void SetResourcePath(const QString& path);
    static QString GetResourcePath();

    void AttachRoot(QWidget* root);
    QWidget* GetRoot() const { return m_root; }
    // The control with this name below the root (the root included); null when there is none.
    QWidget* FindControl(const QString& name) const;
    template <typename T>
    T* FindControl(const QString& name) const {
        return qobject_cast<T*>(FindControl(name));
    }
    // Every control below the root whose name starts with prefix, in tree order.
    QVector<QWidget*> FindControlsByPrefix(const QString& prefix) const;

    void AddNotifier(INotifyUI* notifier);
    void RemoveNotifier(INotifyUI* notifier);
    void SendNotify(QWidget* sender, const QString& type, quint64 wParam = 0, qint64 lParam = 0);
    void SendNotify(TNotifyUI& msg);
    // The paint manager a control was built with (looks up the control and its parents).
    static CPaintManagerUI* FromControl(const QWidget* control);

    // Wires a built-in control's user actions to notifications and remembers this manager on it.
    void AttachControl(QWidget* control);

    // Control timers: fire "timer" notifications (wParam = id) for the control until killed.
    bool SetTimer(QWidget* control, int id, int elapseMs);
    bool KillTimer(QWidget* control, int id);
    void KillTimers(QWidget* control);

    // Option groups: exclusive sets of options sharing a "group" attribute.
    void AddOptionGroup(const QString& group, QAbstractButton* option);
    QVector<QAbstractButton*> GetOptionGroup(const QString& group) const;

    // Scale (logical DPI): 96 or 144 in practice. Re-applies every built control's sizes.
    void SetDPI(int dpi);
    int GetDPI() const { return m_dpi; }
    int Scale(int value) const { return value * m_dpi / 96; }
    // Re-applies the scaled geometry of one control (and its children) from its layout attributes.
    void ApplyScale(QWidget* control);

signals:
    // After SetDPI changed the scale and every control took in its new sizes.
    void dpiChanged(int dpi);

private:
    bool eventFilter(QObject* watched, QEvent* event) override;

    QPointer<QWidget> m_root;
    QVector<INotifyUI*> m_notifiers;
    QHash<QPair<QWidget*, int>, QTimer*> m_timers;
    QHash<QString, QButtonGroup*> m_groups;
    int m_dpi = 96;
};

}  // namespace q840::ui
