#pragma once

#include <QPointer>
#include <QWidget>

#include "controls/ControlCommon.h"

namespace q840::controls {

// Hosts a window of its own (a native child or a separate top-level window) over the control's
// place in the layout: whenever the control is shown, hidden, moved or resized, the hosted window
// takes the control's rectangle (in screen coordinates when it is not a child of the control's
// window), without being activated or raised, and is shown exactly while the control is visible.
class CWndUI : public QWidget, public ui::IUIAttributes, public IControlClass {
    Q_OBJECT
public:
    explicit CWndUI(QWidget* parent = nullptr);
    ~CWndUI() override;
    static QWidget* Create() { return new CWndUI(); }

    QString GetClass() const override { return QStringLiteral("Wnd"); }
    void SetAttribute(const QString& name, const QString& value) override;

    // The hosted window; it may be destroyed at any time (the control then does nothing).
    void Attach(QWidget* window);
    QWidget* Detach();
    QWidget* GetHostedWindow() const { return m_window; }

    // Moves and shows or hides the hosted window now.
    void SyncWindow();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void WatchAncestors();

    QPointer<QWidget> m_window;
    QList<QPointer<QWidget>> m_watched;
};

}  // namespace q840::controls
