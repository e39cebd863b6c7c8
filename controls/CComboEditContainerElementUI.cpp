#include "controls/CComboEditContainerElementUI.h"

#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

#include "core/base/DebugLine.h"
#include "platform/ui/CDialogBuilder.h"
#include "platform/ui/CPaintManagerUI.h"

namespace q840::controls {

const char* const CComboEditContainerElementUI::kLayoutFile =
    "XML/CustomControlXML/ComboEditElementItem.xml";

CComboEditContainerElementUI::CComboEditContainerElementUI(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::StrongFocus);
}

void CComboEditContainerElementUI::SetAttribute(const QString& name, const QString& value) {
    // "normalimage", "hotimage" and "selectedimage" arrive as the skin's image properties.
    setProperty(("dui_" + name).toUtf8().constData(), value);
    update();
}

bool CComboEditContainerElementUI::DoInit() {
    if (m_initialised || m_initialising) {
        return m_content != nullptr;
    }
    m_initialising = true;
    ui::CPaintManagerUI* manager = ui::CPaintManagerUI::FromControl(this);
    ui::CDialogBuilder builder;
    QWidget* content = builder.Create(QString::fromLatin1(kLayoutFile), nullptr, manager, nullptr);
    m_initialising = false;
    m_initialised = true;
    if (content == nullptr) {
        // The row stays usable without its texts; callers find no "text1", "text2", "delay_edit".
        DebugLine("combo edit element: no layout %s", kLayoutFile);
        return false;
    }
    m_content = content;
    m_contentManager = manager;
    layout()->addWidget(content);
    m_text1 = content->findChild<QLabel*>(QStringLiteral("text1"));
    m_text2 = content->findChild<QLabel*>(QStringLiteral("text2"));
    m_delayEdit = content->findChild<QLineEdit*>(QStringLiteral("delay_edit"));
    if (content->objectName() == QLatin1String("delay_edit")) {
        m_delayEdit = qobject_cast<QLineEdit*>(content);
    }
    if (m_delayEdit) {
        connect(m_delayEdit, &QLineEdit::returnPressed, this, [this] { m_editNote = true; });
        connect(m_delayEdit, &QLineEdit::selectionChanged, this, [this] { m_editNote = true; });
    }
    return true;
}

QLabel* CComboEditContainerElementUI::GetText1() {
    DoInit();
    return m_text1;
}

QLabel* CComboEditContainerElementUI::GetText2() {
    DoInit();
    return m_text2;
}

QLineEdit* CComboEditContainerElementUI::GetDelayEdit() {
    DoInit();
    return m_delayEdit;
}

bool CComboEditContainerElementUI::TakeEditNote() {
    const bool note = m_editNote;
    m_editNote = false;
    return note;
}

void CComboEditContainerElementUI::Select(bool selected) {
    if (m_selected != selected) {
        m_selected = selected;
        update();
    }
}

void CComboEditContainerElementUI::AttachContentLate() {
    // Content built before the row belonged to a window: wire its controls to the window now.
    if (!m_content || m_contentManager) {
        return;
    }
    ui::CPaintManagerUI* manager = ui::CPaintManagerUI::FromControl(this);
    if (manager == nullptr) {
        return;
    }
    m_contentManager = manager;
    manager->AttachControl(m_content);
    for (QWidget* child : m_content->findChildren<QWidget*>()) {
        manager->AttachControl(child);
    }
}

bool CComboEditContainerElementUI::event(QEvent* event) {
    // The builder attaches the window's paint manager right after creating the row: build the
    // content then, so that its controls notify through the same window.
    if (event->type() == QEvent::DynamicPropertyChange &&
        static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName() == "dui_paintmanager") {
        DoInit();
        AttachContentLate();
    } else if (event->type() == QEvent::Polish || event->type() == QEvent::Show ||
               event->type() == QEvent::ParentChange) {
        if (event->type() != QEvent::ParentChange) {
            DoInit();
        }
        AttachContentLate();
    }
    return QWidget::event(event);
}

void CComboEditContainerElementUI::paintEvent(QPaintEvent*) {
    // The skin's image painter draws "normalimage"/"hotimage" under this; the selected look goes
    // on top, with the accent colour when the layout gives no picture for it.
    QPainter painter(this);
    if (m_selected && !DrawImage(painter, property("dui_selectedimage").toString(), rect())) {
        painter.fillRect(rect(), QColor(0xFF272B34));
        painter.fillRect(QRect(0, 0, ScaleForControl(this, 3), height()), QColor(0xFF00B4FF));
    } else if (m_hot && property("dui_hotimage").toString().isEmpty()) {
        painter.fillRect(rect(), QColor(0xFF272B34));
    }
}

void CComboEditContainerElementUI::keyPressEvent(QKeyEvent* event) {
    // Only the row's own Enter: an Enter its edit did not take comes up here too.
    const QWidget* focus = window()->focusWidget();
    const bool fromChild = focus != nullptr && focus != this && isAncestorOf(focus);
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && isEnabled() &&
        !fromChild) {
        event->accept();
        NotifyFrom(this, ui::notify::kReturn);
        return;
    }
    QWidget::keyPressEvent(event);
}

void CComboEditContainerElementUI::mousePressEvent(QMouseEvent* event) {
    if (!isEnabled()) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    m_pressed = true;
    if (event->modifiers() & Qt::ControlModifier) {
        Select(!m_selected);
        return;
    }
    // A plain press makes this the only selected row among its siblings.
    if (QWidget* parent = parentWidget()) {
        const auto rows =
            parent->findChildren<CComboEditContainerElementUI*>(Qt::FindDirectChildrenOnly);
        for (CComboEditContainerElementUI* row : rows) {
            if (row != this) {
                row->Select(false);
            }
        }
    }
    Select(true);
}

void CComboEditContainerElementUI::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_pressed) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_pressed = false;
    event->accept();
    NotifyFrom(this, ui::notify::kItemClick);
}

void CComboEditContainerElementUI::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    if (isEnabled()) {
        m_hot = true;
        update();
    }
}

void CComboEditContainerElementUI::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    m_hot = false;
    update();
}

void CComboEditContainerElementUI::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    ui::CPaintManagerUI* pm = ui::CPaintManagerUI::FromControl(this);
    if (pm == nullptr) {
        return;
    }
    ui::TNotifyUI msg;
    msg.sType = ui::notify::kMenu;
    msg.pSender = this;
    msg.ptMouse = event->pos();
    pm->SendNotify(msg);
}

}  // namespace q840::controls
