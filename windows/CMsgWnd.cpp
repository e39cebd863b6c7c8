#include "windows/CMsgWnd.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

#include "core/base/DebugLine.h"
#include "platform/ui/CResourceManager.h"

namespace q840 {

namespace {

// The largest box, in pixels at scale 96; a longer text scrolls inside it.
constexpr int kMaxWidth = 560;
constexpr int kMaxHeight = 480;
// Steps in which the box widens before it grows taller than the maximum.
constexpr int kWidthStep = 40;

// The text's scroll area asks for the height its wrapped text needs, so that the box's layout
// can size the window for the text; when the window is capped it shrinks and scrolls instead.
class TextScrollArea : public QScrollArea {
public:
    explicit TextScrollArea(QWidget* parent = nullptr) : QScrollArea(parent) {
        setWidgetResizable(true);
        setFrameShape(QFrame::NoFrame);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
        setObjectName("MessageTextArea");
    }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override {
        const int frame = 2 * frameWidth();
        QWidget* text = widget();
        return text ? text->heightForWidth(width - frame) + frame : frame;
    }
    QSize sizeHint() const override {
        QWidget* text = widget();
        return text ? text->sizeHint() : QScrollArea::sizeHint();
    }
    QSize minimumSizeHint() const override { return {0, fontMetrics().height()}; }
};

}  // namespace

CMsgWnd::CMsgWnd() = default;

int CMsgWnd::ShowMessage(QWidget* owner, const QString& title, const QString& text, int scale,
                         int kind, int buttons) {
    const bool supported = windows::IsSupportedScale(scale);
    auto* box = new CMsgWnd();
    // Built at its scale right away, so that the box is styled once, not at 96 and again.
    box->m_pm.SetDPI(supported ? scale : 96);
    if (!box->Create(owner, QStringLiteral("msgwnd"))) {
        // Without its layout the box cannot ask anything: answer as if it was dismissed.
        DebugLine("MSG_WND layout missing");
        delete box;
        return 0;
    }
    box->SetTitle(title, kind);
    box->SetText(text, kind);
    if (!supported) {
        DebugLine("MSG_WND DPI SET ERROR");
        scale = 96;
    }
    box->SetScale(scale);
    windows::SetScaleOfAllWindows(scale);
    box->SetButtons(buttons);
    box->FitToText();
    box->CenterWindow();

    QPointer<CMsgWnd> guard(box);
    box->m_running = true;
    const int result = box->ShowModal();
    if (guard) {
        guard->m_running = false;
        if (guard->IsDestroyed()) {
            guard->deleteLater();
        } else {
            guard->Close();  // answered without closing (test answerer): end it now
        }
    }
    return result;
}

void CMsgWnd::InitWindow() {
    // A tool window: no task bar entry of its own.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    m_closeBtn = FindControl("closebtn");
    if (m_closeBtn) {
        m_closeBtn->setFocusPolicy(Qt::NoFocus);
    }
    for (const char* name : {"MessageTitle", "MessageText"}) {
        if (auto* label = qobject_cast<QLabel*>(FindControl(name))) {
            label->setTextFormat(Qt::PlainText);
        }
    }
    if (auto* text = qobject_cast<QLabel*>(FindControl("MessageText"))) {
        text->setWordWrap(true);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        QWidget* parent = text->parentWidget();
        if (parent != nullptr && parent->layout() != nullptr) {
            auto* area = new TextScrollArea();
            if (QLayoutItem* old = parent->layout()->replaceWidget(text, area)) {
                delete old;
                area->setWidget(text);
                m_textArea = area;
            } else {
                delete area;
            }
        }
    }
    m_scale = m_pm.GetDPI();
    m_styledScale = m_scale;
    windows::ApplyWindowStyle(this, m_scale);
}

void CMsgWnd::SetLabelText(QWidget* label, const QString& text, int kind) {
    if (label == nullptr || text.isEmpty()) {
        return;
    }
    if (kind == 1) {
        ui::CResourceManager::GetInstance().SetControlText(label, text);
        return;
    }
    // A literal text: drop the layout's key so that a language switch does not bring it back.
    label->setProperty("dui_rawtext", QVariant());
    if (auto* l = qobject_cast<QLabel*>(label)) {
        l->setText(text);
    }
}

void CMsgWnd::SetTitle(const QString& title, int kind) {
    SetLabelText(FindControl("MessageTitle"), title, kind);
}

void CMsgWnd::SetText(const QString& text, int kind) {
    SetLabelText(FindControl("MessageText"), text, kind);
}

void CMsgWnd::SetScale(int dpi) {
    if (dpi <= 0) {
        return;
    }
    m_pm.SetDPI(dpi);
    OnScaleChanged();
}

void CMsgWnd::OnScaleChanged() {
    m_scale = m_pm.GetDPI();
    windows::ReleaseFixedSize(this);
    // Parsing the style sheet is the dearest step of opening a box: only when the scale changed.
    if (m_styledScale != m_scale) {
        m_styledScale = m_scale;
        windows::ApplyWindowStyle(this, m_scale);
    }
    // A box being set up is fitted once, when its texts and buttons are in place.
    if (isVisible()) {
        FitToText();
    }
}

void CMsgWnd::SetButtons(int buttons) {
    QWidget* confirm = FindControl("confirm_btn");
    QWidget* cancel = FindControl("cancel_btn");
    if (buttons == 0) {
        if (confirm)
            confirm->setVisible(true);
        if (cancel)
            cancel->setVisible(false);
    } else if (buttons == 1) {
        if (confirm)
            confirm->setVisible(true);
        if (cancel)
            cancel->setVisible(true);
    }
}

void CMsgWnd::FitToText() {
    const int baseWidth = m_pm.Scale(GetInitSize().width());
    const int baseHeight = m_pm.Scale(GetInitSize().height());
    if (baseWidth <= 0 || baseHeight <= 0 || layout() == nullptr) {
        return;
    }
    int maxWidth = qMax(baseWidth, m_pm.Scale(kMaxWidth));
    int maxHeight = qMax(baseHeight, m_pm.Scale(kMaxHeight));
    if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        maxWidth = qMax(baseWidth, qMin(maxWidth, area.width() * 9 / 10));
        maxHeight = qMax(baseHeight, qMin(maxHeight, area.height() * 8 / 10));
    }
    ensurePolished();
    layout()->invalidate();
    int width = baseWidth;
    int height = layout()->totalHeightForWidth(width);
    // Wider first: a short, wide box reads better than a tall, narrow one.
    while (height > maxHeight && width < maxWidth) {
        width = qMin(maxWidth, width + m_pm.Scale(kWidthStep));
        height = layout()->totalHeightForWidth(width);
    }
    resize(width, qBound(baseHeight, height, maxHeight));
    layout()->activate();
}

void CMsgWnd::EndWith(int result) {
    EndModal(result);
    Close();
}

void CMsgWnd::Notify(ui::TNotifyUI& msg) {
    if (msg.sType == ui::notify::kClick && msg.pSender != nullptr && !IsDestroyed()) {
        const QString name = msg.pSender->objectName();
        if (msg.pSender == m_closeBtn) {
            EndWith(0);
        } else if (name.compare("confirm_btn", Qt::CaseInsensitive) == 0) {
            EndWith(1);
        } else if (name.compare("cancel_btn", Qt::CaseInsensitive) == 0) {
            EndWith(0);
        }
    }
    ui::WindowImplBase::Notify(msg);
}

LRESULT CMsgWnd::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = false;
    if (msg == WM_DPICHANGED) {
        SetScale(static_cast<int>(wParam & 0xFFFF));
        if (const auto* suggested = reinterpret_cast<const QRect*>(lParam)) {
            setGeometry(*suggested);
        } else {
            FitToText();
        }
        if (layout() != nullptr) {
            layout()->activate();
        }
        update();
        handled = true;
    } else if (msg == windows::WM_KEYDOWN && !IsDestroyed()) {
        if (wParam == windows::VK_RETURN) {
            QWidget* confirm = FindControl("confirm_btn");
            if (confirm != nullptr && confirm->isVisibleTo(this)) {
                EndWith(1);
            }
            handled = true;
        } else if (wParam == windows::VK_ESCAPE) {
            EndWith(0);
            handled = true;
        }
    }
    return 0;
}

void CMsgWnd::keyPressEvent(QKeyEvent* event) {
    const WPARAM key = windows::VirtualKeyOf(event->key());
    if (key == 0) {
        ui::WindowImplBase::keyPressEvent(event);
        return;
    }
    event->accept();
    // Enter on a focused button presses that button, so that Enter on "cancel_btn" cancels.
    auto* focused = qobject_cast<QAbstractButton*>(focusWidget());
    if (key == windows::VK_RETURN && focused != nullptr && focused->isVisible() &&
        isAncestorOf(focused)) {
        focused->click();
        return;
    }
    SendMessageW(GetHWND(), windows::WM_KEYDOWN, key, 0);
}

void CMsgWnd::showEvent(QShowEvent* event) {
    ui::WindowImplBase::showEvent(event);
    // Enter answers with the focused button; the confirm button is where it starts.
    if (QWidget* confirm = FindControl("confirm_btn"); confirm && confirm->isVisibleTo(this)) {
        confirm->setFocus(Qt::OtherFocusReason);
    }
}

void CMsgWnd::OnFinalMessage() {
    if (!m_running) {
        deleteLater();
    }
}

}  // namespace q840
