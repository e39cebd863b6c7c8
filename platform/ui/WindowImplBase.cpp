#include "platform/ui/WindowImplBase.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include "platform/ui/CResourceManager.h"

namespace q840::ui {

class WindowImplBase::Target : public CMessageTarget {
public:
    explicit Target(WindowImplBase* owner) : m_owner(owner) {}
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        return m_owner->Dispatch(msg, wParam, lParam);
    }

private:
    WindowImplBase* m_owner;
};

namespace {
ModalSeam::Answerer& TheAnswerer() {
    static ModalSeam::Answerer answerer;
    return answerer;
}
}  // namespace

void ModalSeam::SetAnswerer(Answerer answerer) {
    TheAnswerer() = std::move(answerer);
}
const ModalSeam::Answerer& ModalSeam::Get() {
    return TheAnswerer();
}

void PostQuitMessage(int exitCode) {
    QMetaObject::invokeMethod(
        qApp, [exitCode] { QCoreApplication::exit(exitCode); }, Qt::QueuedConnection);
}

bool PlatformHasWindowSystem() {
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

WindowImplBase::WindowImplBase() : m_messageTarget(std::make_unique<Target>(this)) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_pm.AddNotifier(this);
    // A new scale gives the window its layout size at that scale (a maximised one stays so).
    connect(&m_pm, &CPaintManagerUI::dpiChanged, this, [this](int) {
        if (m_initSize.isValid() && !isMaximized()) {
            resize(m_pm.Scale(m_initSize.width()), m_pm.Scale(m_initSize.height()));
        }
    });
}

WindowImplBase::~WindowImplBase() {
    m_pm.RemoveNotifier(this);
}

HWND WindowImplBase::GetHWND() {
    return m_messageTarget.get();
}

bool WindowImplBase::Create(QWidget* parent, const QString& title) {
    if (parent != nullptr) {
        setParent(parent, Qt::Window);
    }
    setWindowFlag(Qt::FramelessWindowHint);
    CResourceManager::GetInstance().SetControlText(this, title);
    setObjectName(GetWindowClassName());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The layout keeps the window's minimum size at its content's and hands every change to the
    // window system. Platforms without one (offscreen and minimal: screenshots, tests) cannot
    // take it, and Qt would say so on every change.
    if (!PlatformHasWindowSystem()) {
        layout->setSizeConstraint(QLayout::SetNoConstraint);
    }
    m_pm.AttachRoot(this);

    CDialogBuilder builder;
    m_root = builder.Create(GetSkinFile(), this, &m_pm, nullptr);
    const WindowAttributes& attributes = builder.GetWindowAttributes();
    if (m_root != nullptr) {
        layout->addWidget(m_root);
    }
    const QStringList size = attributes.value("size").split(',');
    if (size.size() == 2) {
        // The window's own size is a starting size, not a fixed one: it is not kept as a layout
        // size attribute, so a change of scale never pins the window.
        m_initSize = QSize(size[0].toInt(), size[1].toInt());
        resize(m_pm.Scale(m_initSize.width()), m_pm.Scale(m_initSize.height()));
    }
    const QStringList caption = attributes.value("caption").split(',');
    if (caption.size() == 4) {
        m_captionHeight = caption[3].toInt();
    }
    InitWindow();
    return m_root != nullptr;
}

void WindowImplBase::SetTimer(UINT id, int elapseMs) {
    QTimer*& timer = m_timers[id];
    if (timer == nullptr) {
        timer = new QTimer(this);
        // A coarse timer may move its deadline by 5 % (3 s of a 60 s delay); a window timer
        // restarted later must fire later.
        timer->setTimerType(Qt::PreciseTimer);
        connect(timer, &QTimer::timeout, this, [this, id] { Dispatch(WM_TIMER, id, 0); });
    }
    timer->start(qMax(0, elapseMs));
}

void WindowImplBase::KillTimer(UINT id) {
    if (QTimer* timer = m_timers.take(id)) {
        timer->stop();
        timer->deleteLater();
    }
}

int WindowImplBase::TimerRemainingMs(UINT id) const {
    const QTimer* timer = m_timers.value(id);
    return timer != nullptr && timer->isActive() ? timer->remainingTime() : -1;
}

void WindowImplBase::ShowWindow(bool show) {
    show ? this->show() : hide();
}

void WindowImplBase::CenterWindow() {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
}

void WindowImplBase::SysCommand(WPARAM command) {
    if (command == SC_MINIMIZE) {
        showMinimized();
    } else if (command == SC_MAXIMIZE) {
        showMaximized();
    } else if (command == SC_RESTORE) {
        if (isMinimized() || isMaximized()) {
            showNormal();
        } else {
            show();
        }
    }
}

void WindowImplBase::Close() {
    if (m_destroyed) {
        return;
    }
    m_destroyed = true;
    Dispatch(WM_DESTROY, 0, 0);
    hide();
    if (m_inModal) {
        EndModal(m_modalResult);
    }
    OnFinalMessage();
}

int WindowImplBase::ShowModal() {
    if (const ModalSeam::Answerer& answerer = ModalSeam::Get()) {
        return answerer(*this);
    }
    setWindowModality(Qt::ApplicationModal);
    show();
    m_inModal = true;
    QEventLoop loop;
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    setProperty("dui_modalloop", QVariant::fromValue<QObject*>(&loop));
    // The window may be deleted while its loop runs (with its owner, say): then its result is 0
    // and nothing of it is touched again.
    QPointer<WindowImplBase> alive(this);
    loop.exec();
    if (!alive) {
        return 0;
    }
    m_inModal = false;
    return m_modalResult;
}

void WindowImplBase::EndModal(int result) {
    m_modalResult = result;
    if (auto* loop = qobject_cast<QEventLoop*>(property("dui_modalloop").value<QObject*>())) {
        setProperty("dui_modalloop", QVariant());
        loop->quit();
    }
    hide();
}

void WindowImplBase::Notify(TNotifyUI&) {}

QWidget* WindowImplBase::CreateControl(const QString&) {
    return nullptr;
}

LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LRESULT WindowImplBase::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    bool handled = false;
    const LRESULT result = HandleCustomMessage(msg, wParam, lParam, handled);
    if (handled) {
        return result;
    }
    if (msg == WM_CLOSE) {
        Close();
    } else if (msg == WM_SYSCOMMAND) {
        SysCommand(wParam);
    }
    return result;
}

void WindowImplBase::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_initSent) {
        m_initSent = true;
        // After the show completes, so that the handler may hide the window again.
        QMetaObject::invokeMethod(
            this, [this] { m_pm.SendNotify(m_root ? m_root : this, notify::kWindowInit); },
            Qt::QueuedConnection);
    }
}

void WindowImplBase::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_initSent) {
        m_pm.SendNotify(m_root ? m_root : this, notify::kWindowSize);
    }
}

void WindowImplBase::closeEvent(QCloseEvent* event) {
    // The window manager's close request goes through the message handler like WM_CLOSE.
    event->ignore();
    if (!m_destroyed) {
        Dispatch(WM_CLOSE, 0, 0);
    }
}

bool WindowImplBase::InCaption(const QPoint& pos) const {
    if (m_captionHeight <= 0 || pos.y() >= m_pm.Scale(m_captionHeight)) {
        return false;
    }
    // Only where no interactive control sits.
    QWidget* child = childAt(pos);
    while (child != nullptr && child != this) {
        if (child->focusPolicy() != Qt::NoFocus || qobject_cast<QAbstractButton*>(child)) {
            return false;
        }
        child = child->parentWidget();
    }
    return true;
}

void WindowImplBase::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && InCaption(event->position().toPoint()) &&
        windowHandle() != nullptr) {
        windowHandle()->startSystemMove();
        return;
    }
    QWidget::mousePressEvent(event);
}

void WindowImplBase::mouseDoubleClickEvent(QMouseEvent* event) {
    QWidget::mouseDoubleClickEvent(event);
}

}  // namespace q840::ui
