#include "platform/ui/CPaintManagerUI.h"

#include "platform/ui/CDialogBuilder.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QSlider>
#include <QTimer>
#include <QWidget>

namespace q840::ui {

namespace {
QString g_instancePath;
QString g_resourcePath;
const char* const kManagerProperty = "dui_paintmanager";

int IntProperty(const QWidget* control, const char* name, int fallback = -1) {
    const QVariant value = control->property(name);
    bool ok = false;
    const int result = value.toInt(&ok);
    return value.isValid() && ok ? result : fallback;
}

QVector<int> RectProperty(const QWidget* control, const char* name) {
    QVector<int> values;
    const QStringList parts = control->property(name).toString().split(',');
    if (parts.size() == 4) {
        for (const QString& p : parts) {
            values << p.trimmed().toInt();
        }
    }
    return values;
}
}  // namespace

CPaintManagerUI::CPaintManagerUI(QObject* parent) : QObject(parent) {}

CPaintManagerUI::~CPaintManagerUI() = default;

void CPaintManagerUI::SetInstancePath(const QString& path) { g_instancePath = path; }
QString CPaintManagerUI::GetInstancePath() { return g_instancePath; }
void CPaintManagerUI::SetResourcePath(const QString& path) { g_resourcePath = path; }
QString CPaintManagerUI::GetResourcePath() { return g_resourcePath; }

void CPaintManagerUI::AttachRoot(QWidget* root) {
    m_root = root;
    if (root != nullptr) {
        root->setProperty(kManagerProperty, QVariant::fromValue<QObject*>(this));
    }
}

QWidget* CPaintManagerUI::FindControl(const QString& name) const {
    if (!m_root || name.isEmpty()) {
        return nullptr;
    }
    if (m_root->objectName() == name) {
        return m_root;
    }
    return m_root->findChild<QWidget*>(name);
}

QVector<QWidget*> CPaintManagerUI::FindControlsByPrefix(const QString& prefix) const {
    QVector<QWidget*> result;
    if (!m_root) {
        return result;
    }
    if (m_root->objectName().startsWith(prefix)) {
        result << m_root;
    }
    for (QWidget* child : m_root->findChildren<QWidget*>()) {
        if (child->objectName().startsWith(prefix)) {
            result << child;
        }
    }
    return result;
}

void CPaintManagerUI::AddNotifier(INotifyUI* notifier) {
    if (notifier != nullptr && !m_notifiers.contains(notifier)) {
        m_notifiers << notifier;
    }
}

void CPaintManagerUI::RemoveNotifier(INotifyUI* notifier) { m_notifiers.removeAll(notifier); }

void CPaintManagerUI::SendNotify(QWidget* sender, const QString& type, quint64 wParam,
                                 qint64 lParam) {
    TNotifyUI msg;
    msg.sType = type;
    msg.pSender = sender;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotify(msg);
}

void CPaintManagerUI::SendNotify(TNotifyUI& msg) {
    // A notifier may remove itself (or close the window) while handling; iterate over a copy.
    const QVector<INotifyUI*> notifiers = m_notifiers;
    for (INotifyUI* notifier : notifiers) {
        if (m_notifiers.contains(notifier)) {
            notifier->Notify(msg);
        }
    }
}

CPaintManagerUI* CPaintManagerUI::FromControl(const QWidget* control) {
    for (const QWidget* w = control; w != nullptr; w = w->parentWidget()) {
        const QVariant value = w->property(kManagerProperty);
        if (value.isValid()) {
            return qobject_cast<CPaintManagerUI*>(value.value<QObject*>());
        }
    }
    return nullptr;
}

void CPaintManagerUI::AttachControl(QWidget* control) {
    control->setProperty(kManagerProperty, QVariant::fromValue<QObject*>(this));
    QPointer<QWidget> guard(control);

    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        connect(button, &QAbstractButton::pressed, this,
                [button] { button->setProperty("dui_waschecked", button->isChecked()); });
        connect(button, &QAbstractButton::clicked, this, [this, button](bool checked) {
            QPointer<QAbstractButton> alive(button);
            SendNotify(button, notify::kClick);
            if (alive && button->isCheckable() &&
                button->property("dui_waschecked").toBool() != checked) {
                SendNotify(button, notify::kSelectChanged, checked ? 1 : 0);
            }
        });
    } else if (auto* slider = qobject_cast<QSlider*>(control)) {
        // Only user actions (mouse, keyboard, wheel) trigger actions; setValue does not.
        connect(slider, &QSlider::actionTriggered, this,
                [slider](int) { slider->setProperty("dui_useraction", true); });
        connect(slider, &QSlider::valueChanged, this, [this, slider](int value) {
            if (!slider->property("dui_useraction").toBool()) {
                return;
            }
            slider->setProperty("dui_useraction", false);
            SendNotify(slider, slider->isSliderDown() ? notify::kMoveValueChanged
                                                      : notify::kValueChanged,
                       static_cast<quint64>(value));
        });
        connect(slider, &QSlider::sliderReleased, this, [this, slider] {
            SendNotify(slider, notify::kValueChanged, static_cast<quint64>(slider->value()));
        });
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        combo->setProperty("dui_previndex", combo->currentIndex());
        connect(combo, &QComboBox::currentIndexChanged, this,
                [combo](int) { combo->setProperty("dui_lastindex", combo->property("dui_previndex")); });
        connect(combo, &QComboBox::activated, this, [this, combo](int index) {
            const int previous = combo->property("dui_previndex").toInt();
            combo->setProperty("dui_previndex", index);
            SendNotify(combo, notify::kItemSelect, static_cast<quint64>(index), previous);
        });
        combo->installEventFilter(this);
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        connect(edit, &QLineEdit::textEdited, this,
                [this, edit] { SendNotify(edit, notify::kTextChanged); });
        connect(edit, &QLineEdit::returnPressed, this,
                [this, edit] { SendNotify(edit, notify::kReturn); });
        edit->installEventFilter(this);
    } else if (auto* list = qobject_cast<QListWidget*>(control)) {
        connect(list, &QListWidget::itemClicked, this, [this, list](QListWidgetItem* item) {
            const int row = list->row(item);
            SendNotify(list, notify::kItemSelect, static_cast<quint64>(row));
            SendNotify(list, notify::kItemClick, static_cast<quint64>(row));
        });
        connect(list, &QListWidget::itemActivated, this, [this, list](QListWidgetItem* item) {
            SendNotify(list, notify::kItemActivate, static_cast<quint64>(list->row(item)));
        });
    }
}

bool CPaintManagerUI::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        if (auto* control = qobject_cast<QWidget*>(watched)) {
            SendNotify(control,
                       event->type() == QEvent::FocusIn ? notify::kSetFocus : notify::kKillFocus);
        }
    }
    return false;
}

bool CPaintManagerUI::SetTimer(QWidget* control, int id, int elapseMs) {
    if (control == nullptr || elapseMs < 0) {
        return false;
    }
    const auto key = qMakePair(control, id);
    QTimer* timer = m_timers.value(key, nullptr);
    if (timer == nullptr) {
        timer = new QTimer(this);
        m_timers.insert(key, timer);
        QPointer<QWidget> guard(control);
        connect(timer, &QTimer::timeout, this, [this, guard, id] {
            if (guard) {
                SendNotify(guard, notify::kTimer, static_cast<quint64>(id));
            }
        });
        connect(control, &QObject::destroyed, this, [this, control] { KillTimers(control); });
    }
    timer->start(elapseMs);
    return true;
}

bool CPaintManagerUI::KillTimer(QWidget* control, int id) {
    QTimer* timer = m_timers.take(qMakePair(control, id));
    if (timer == nullptr) {
        return false;
    }
    timer->stop();
    timer->deleteLater();
    return true;
}

void CPaintManagerUI::KillTimers(QWidget* control) {
    for (auto it = m_timers.begin(); it != m_timers.end();) {
        if (it.key().first == control) {
            it.value()->stop();
            it.value()->deleteLater();
            it = m_timers.erase(it);
        } else {
            ++it;
        }
    }
}

void CPaintManagerUI::AddOptionGroup(const QString& group, QAbstractButton* option) {
    QButtonGroup*& buttons = m_groups[group];
    if (buttons == nullptr) {
        buttons = new QButtonGroup(this);
        buttons->setExclusive(true);
    }
    option->setCheckable(true);
    buttons->addButton(option);
}

QVector<QAbstractButton*> CPaintManagerUI::GetOptionGroup(const QString& group) const {
    QVector<QAbstractButton*> result;
    if (QButtonGroup* buttons = m_groups.value(group, nullptr)) {
        for (QAbstractButton* b : buttons->buttons()) {
            result << b;
        }
    }
    return result;
}

void CPaintManagerUI::SetDPI(int dpi) {
    if (dpi <= 0 || dpi == m_dpi) {
        return;
    }
    m_dpi = dpi;
    if (m_root) {
        ApplyScale(m_root);
        // Let every layout take in the new sizes now, so that the window's minimum size is the
        // new one before anybody resizes it.
        // A layout that takes in its children's sizes asks its parent next: one round per level.
        for (int round = 0; round < 32; ++round) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        }
        if (QWidget* window = m_root->window(); window && window->layout()) {
            window->layout()->activate();
        }
    }
    emit dpiChanged(dpi);
}

void CPaintManagerUI::ApplyScale(QWidget* control) {
    const int width = IntProperty(control, "dui_width");
    const int height = IntProperty(control, "dui_height");
    if (width > 0) {
        control->setFixedWidth(Scale(width));
    }
    if (height > 0) {
        control->setFixedHeight(Scale(height));
    }
    if (const int v = IntProperty(control, "dui_minwidth"); v > 0) {
        control->setMinimumWidth(Scale(v));
    }
    if (const int v = IntProperty(control, "dui_minheight"); v > 0) {
        control->setMinimumHeight(Scale(v));
    }
    if (const int v = IntProperty(control, "dui_maxwidth"); v > 0) {
        control->setMaximumWidth(Scale(v));
    }
    if (const int v = IntProperty(control, "dui_maxheight"); v > 0) {
        control->setMaximumHeight(Scale(v));
    }
    if (control->property("dui_float").toBool()) {
        const QVector<int> pos = RectProperty(control, "dui_pos");
        if (pos.size() == 4) {
            control->setGeometry(Scale(pos[0]), Scale(pos[1]), Scale(pos[2] - pos[0]),
                                 Scale(pos[3] - pos[1]));
        }
    }
    if (QLayout* layout = control->layout()) {
        const QVector<int> inset = RectProperty(control, "dui_inset");
        if (inset.size() == 4) {
            layout->setContentsMargins(Scale(inset[0]), Scale(inset[1]), Scale(inset[2]),
                                       Scale(inset[3]));
        }
        if (const int spacing = IntProperty(control, "dui_childpadding"); spacing >= 0) {
            layout->setSpacing(Scale(spacing));
        }
    }
    if (control->property("dui_style").isValid()) {
        CDialogBuilder::ApplyStylePieces(control, m_dpi);
    }
    if (const int size = IntProperty(control, "dui_fontsize"); size > 0) {
        QFont font = control->font();
        font.setPixelSize(Scale(size));
        control->setFont(font);
    }
    for (QObject* child : control->children()) {
        if (auto* widget = qobject_cast<QWidget*>(child); widget && !widget->isWindow()) {
            ApplyScale(widget);
        }
    }
}

}  // namespace q840::ui
