#include "controls/CWndUI.h"

#include <QEvent>

namespace q840::controls {

CWndUI::CWndUI(QWidget* parent) : QWidget(parent) {}

CWndUI::~CWndUI() {
    for (const QPointer<QWidget>& w : m_watched) {
        if (w) {
            w->removeEventFilter(this);
        }
    }
}

void CWndUI::SetAttribute(const QString& name, const QString& value) {
    setProperty(("dui_" + name).toUtf8().constData(), value);
}

void CWndUI::Attach(QWidget* window) {
    m_window = window;
    if (m_window) {
        m_window->setAttribute(Qt::WA_ShowWithoutActivating);
    }
    WatchAncestors();
    SyncWindow();
}

QWidget* CWndUI::Detach() {
    QWidget* window = m_window;
    m_window = nullptr;
    return window;
}

void CWndUI::SyncWindow() {
    if (!m_window) {
        return;
    }
    const bool visible = isVisible();
    const bool child = !m_window->isWindow() && m_window->parentWidget() != nullptr;
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    const QRect area = child ? QRect(m_window->parentWidget()->mapFromGlobal(origin), size())
                             : QRect(origin, size());
    if (m_window->geometry() != area) {
        m_window->setGeometry(area);
    }
    if (visible != m_window->isVisible()) {
        m_window->setVisible(visible);
    }
}

void CWndUI::WatchAncestors() {
    // A move of the window or of a container moves this control without a move event of its own.
    for (const QPointer<QWidget>& w : m_watched) {
        if (w) {
            w->removeEventFilter(this);
        }
    }
    m_watched.clear();
    for (QWidget* w = parentWidget(); w != nullptr; w = w->parentWidget()) {
        w->installEventFilter(this);
        m_watched.append(w);
    }
}

bool CWndUI::event(QEvent* event) {
    const bool result = QWidget::event(event);
    switch (event->type()) {
        case QEvent::ParentChange:
            WatchAncestors();
            SyncWindow();
            break;
        case QEvent::Show:
            // A sub-layout is built on its own and joins its parent afterwards: the ancestors
            // known at the last parent change may not be the final ones.
            WatchAncestors();
            SyncWindow();
            break;
        case QEvent::Hide:
        case QEvent::Move:
        case QEvent::Resize:
            SyncWindow();
            break;
        default:
            break;
    }
    return result;
}

bool CWndUI::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
            SyncWindow();
            break;
        default:
            break;
    }
    return false;
}

}  // namespace q840::controls
