#include "entry/CDeviceOptionUI.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QChildEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStackedWidget>
#include <QThread>
#include <QTimer>
#include <algorithm>

#include "pages/COrvenixUSBDevice.h"
#include "core/base/DebugLine.h"
#include "platform/ui/CDialogBuilder.h"
#include "platform/ui/CPaintManagerUI.h"
#include "platform/ui/CResourceManager.h"

namespace q840::entry {

namespace {

const QString kSelectName = QStringLiteral("device_select");
const QString kSynchroName = QStringLiteral("synchro_device_select");
const QString kNameLabel = QStringLiteral("device_select_name");

// The pictures live in the skin's "entry/" folder, drawn for this program as SVG.
#define Q840_ENTRY_ICONS(stem, key)                                               \
    {                                                                             \
        "entry/" stem "_device_normal.svg", "entry/" stem "_device_selected.svg", \
            "entry/" stem "_device_synchro_normal.svg",                           \
            "entry/" stem "_device_synchro_selected.svg", key                     \
    }

constexpr DeviceIcons kKeyboard = Q840_ENTRY_ICONS("kb", "kb_device_name_text");
constexpr DeviceIcons kMouse = Q840_ENTRY_ICONS("ms", "ms_device_name_text");
constexpr DeviceIcons kHardPad = Q840_ENTRY_ICONS("hard_mp", "hard_mp_device_name_text");
constexpr DeviceIcons kSoftPad = Q840_ENTRY_ICONS("soft_mp", "soft_mp_device_name_text");
constexpr DeviceIcons kHeadset = Q840_ENTRY_ICONS("hd", "hd_device_name_text");
constexpr DeviceIcons kHub = Q840_ENTRY_ICONS("hub", "hub_device_name_text");
constexpr DeviceIcons kUnknown = Q840_ENTRY_ICONS("unknow", "unknow_device_name_text");

#undef Q840_ENTRY_ICONS

constexpr QRgb kAccent = 0xFF00B4FF;
constexpr int kUnderlineHeight = 2;

}  // namespace

const DeviceIcons* IconsForDeviceType(int type, int variant) {
    switch (type) {
        case 1:
            return &kKeyboard;
        case 2:
            return &kMouse;
        case 3:
            if (variant == 0) {
                return &kHardPad;
            }
            return variant == 1 ? &kSoftPad : nullptr;
        case 4:
        case 7:
            return &kHeadset;
        case 5:
            return &kHub;
        default:
            return &kUnknown;
    }
}

const char* const CDeviceOptionUI::kLayoutFile = "XML/CustomControlXML/DeviceOption.xml";

CDeviceOptionUI::CDeviceOptionUI(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_icons = {QString::fromLatin1(kUnknown.normal), QString::fromLatin1(kUnknown.selected),
               QString::fromLatin1(kUnknown.synchroNormal),
               QString::fromLatin1(kUnknown.synchroSelected)};
    m_nameKey = QString::fromLatin1(kUnknown.nameKey);
}

CDeviceOptionUI::~CDeviceOptionUI() {
    for (QTimer* timer : m_timers) {
        timer->stop();
    }
    // The page outlives a removed entry only in odd set-ups; it must not call a dead entry.
    if (m_page && m_page->GetEntryHost() == this) {
        m_page->SetEntryHost(nullptr);
    }
}

void CDeviceOptionUI::SetAttribute(const QString& name, const QString& value) {
    setProperty(("dui_" + name).toUtf8().constData(), value);
}

void CDeviceOptionUI::FindParts() const {
    // The builder adds the layout's children after it made the entry, so look them up late.
    bool found = false;
    if (!m_select) {
        m_select = findChild<QAbstractButton*>(kSelectName);
        if (m_select) {
            found = true;
            connect(m_select, &QAbstractButton::toggled, this, &CDeviceOptionUI::OnSelectToggled);
        }
    }
    if (!m_synchro) {
        m_synchro = findChild<QAbstractButton*>(kSynchroName);
        if (m_synchro) {
            found = true;
            // A user's click on the badge changes the icons just as SetSynchro does.
            connect(m_synchro, &QAbstractButton::toggled, this, [this] { ApplyIcons(); });
        }
    }
    if (!m_name) {
        m_name = findChild<QLabel*>(kNameLabel);
    }
    if (found) {
        ApplyIcons();
    }
}

void CDeviceOptionUI::childEvent(QChildEvent* event) {
    QWidget::childEvent(event);
    if (event->type() == QEvent::ChildPolished) {
        FindParts();
    }
}

void CDeviceOptionUI::ApplyIcons() const {
    if (!m_select) {
        return;
    }
    const bool synchro = m_synchro && m_synchro->isChecked();
    const QString& normal = synchro ? m_icons[2] : m_icons[0];
    const QString& selected = synchro ? m_icons[3] : m_icons[1];
    ui::CPaintManagerUI* pm = ui::CPaintManagerUI::FromControl(this);
    ui::CDialogBuilder::SetAttribute(m_select, QStringLiteral("normalimage"), normal, pm);
    ui::CDialogBuilder::SetAttribute(m_select, QStringLiteral("hotimage"), normal, pm);
    ui::CDialogBuilder::SetAttribute(m_select, QStringLiteral("selectedimage"), selected, pm);
    ui::CDialogBuilder::SetAttribute(m_select, QStringLiteral("selectedhotimage"), selected, pm);
}

void CDeviceOptionUI::SetEntryDeviceType(int type, int variant) {
    const DeviceIcons* icons = IconsForDeviceType(type, variant);
    if (icons == nullptr) {
        return;  // a mouse pad we have no pictures for keeps what the entry shows
    }
    m_type = type;
    m_variant = variant;
    m_icons = {QString::fromLatin1(icons->normal), QString::fromLatin1(icons->selected),
               QString::fromLatin1(icons->synchroNormal),
               QString::fromLatin1(icons->synchroSelected)};
    m_nameKey = QString::fromLatin1(icons->nameKey);
    FindParts();
    if (m_select) {
        ui::CResourceManager::GetInstance().SetControlToolTip(m_select, m_nameKey);
    }
    ApplyIcons();
}

void CDeviceOptionUI::ShowSynchroOption(bool show) {
    FindParts();
    if (m_synchro) {
        m_synchro->setVisible(show);
    }
    ApplyIcons();
}

void CDeviceOptionUI::SetSynchro(bool synchro) {
    FindParts();
    if (m_synchro && m_synchro->isChecked() != synchro) {
        SetCheckedQuietly(m_synchro, synchro);
        controls::NotifyFrom(m_synchro, ui::notify::kSelectChanged);
    }
    ApplyIcons();
}

bool CDeviceOptionUI::IsSynchro() const {
    FindParts();
    return m_synchro && m_synchro->isChecked();
}

void CDeviceOptionUI::SetEntryName(const QString& textOrKey) {
    FindParts();
    if (m_name) {
        ui::CResourceManager::GetInstance().SetControlText(m_name, textOrKey);
    }
}

void CDeviceOptionUI::SetOptionGroup(const QString& group) {
    FindParts();
    if (!m_select) {
        return;
    }
    m_select->setProperty("dui_group", group);
    if (ui::CPaintManagerUI* pm = ui::CPaintManagerUI::FromControl(this)) {
        pm->AddOptionGroup(group, m_select);
    }
}

void CDeviceOptionUI::SetCheckedQuietly(QAbstractButton* button, bool checked) {
    // An exclusive group refuses to clear its checked option; the selector must be able to leave
    // no device selected (the last device went away).
    QButtonGroup* group = button->group();
    const bool exclusive = group != nullptr && group->exclusive();
    if (exclusive && !checked) {
        group->setExclusive(false);
    }
    button->setChecked(checked);
    if (exclusive && !checked) {
        group->setExclusive(true);
    }
}

void CDeviceOptionUI::SelectEntry(bool selected) {
    FindParts();
    if (!m_select || m_select->isChecked() == selected) {
        return;
    }
    SetCheckedQuietly(m_select, selected);
    controls::NotifyFrom(m_select, ui::notify::kSelectChanged);
}

bool CDeviceOptionUI::IsEntrySelected() const {
    FindParts();
    return m_select && m_select->isChecked();
}

void CDeviceOptionUI::OnSelectToggled(bool checked) {
    update();
    if (!checked) {
        return;
    }
    // Selecting the option shows the page it is bound to.
    const QString tabName = GetBoundTabName();
    const int index = GetBoundTabIndex();
    ui::CPaintManagerUI* pm = ui::CPaintManagerUI::FromControl(this);
    if (tabName.isEmpty() || index < 0 || pm == nullptr) {
        return;
    }
    if (auto* tab = pm->FindControl<QStackedWidget>(tabName)) {
        if (index < tab->count()) {
            tab->setCurrentIndex(index);
        }
    }
}

void CDeviceOptionUI::BindTab(const QString& tabName, int index) {
    FindParts();
    if (!m_select) {
        return;
    }
    m_select->setProperty("dui_bindtablayoutname", tabName);
    m_select->setProperty("dui_bindtabindex", index);
}

int CDeviceOptionUI::GetBoundTabIndex() const {
    FindParts();
    if (!m_select) {
        return -1;
    }
    const QVariant index = m_select->property("dui_bindtabindex");
    return index.isValid() ? index.toInt() : -1;
}

QString CDeviceOptionUI::GetBoundTabName() const {
    FindParts();
    return m_select ? m_select->property("dui_bindtablayoutname").toString() : QString();
}

bool CDeviceOptionUI::Activate() {
    if (!isEnabled()) {
        return false;
    }
    controls::NotifyFrom(this, ui::notify::kSelectChanged);
    return true;
}

void CDeviceOptionUI::SetPowerControl(const QString& name, int batteryValue) {
    if (!name.isEmpty()) {
        m_powerControlName = name;
    }
    if (batteryValue >= 0) {
        m_batteryValue = batteryValue;
    }
}

void CDeviceOptionUI::SetPage(pages::COrvenixUSBDevice* page) {
    if (m_page && m_page != page && m_page->GetEntryHost() == this) {
        m_page->SetEntryHost(nullptr);
    }
    m_page = page;
    if (page != nullptr) {
        page->SetEntryHost(this);
    }
}

QAbstractButton* CDeviceOptionUI::GetSelectOption() const {
    FindParts();
    return m_select;
}

QAbstractButton* CDeviceOptionUI::GetSynchroOption() const {
    FindParts();
    return m_synchro;
}

QLabel* CDeviceOptionUI::GetNameLabel() const {
    FindParts();
    return m_name;
}

void CDeviceOptionUI::SetEntryVisible(bool visible) {
    m_visible = visible;
    // An entry not yet placed in the strip must not turn into a window of its own.
    if (!visible) {
        hide();
    } else if (parentWidget() != nullptr) {
        show();
    } else {
        // Back to the state of a new control: shown with its parent once it is placed.
        setAttribute(Qt::WA_WState_ExplicitShowHide, false);
    }
}

void CDeviceOptionUI::ArmTimer(int id, int elapseMs) {
    if (QThread::currentThread() != thread()) {
        // A timer belongs to the controls' thread; a request from elsewhere is handed over.
        QMetaObject::invokeMethod(
            this, [this, id, elapseMs] { ArmTimer(id, elapseMs); }, Qt::QueuedConnection);
        return;
    }
    QTimer*& timer = m_timers[id];
    if (timer == nullptr) {
        timer = new QTimer(this);
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, [this, id] { OnTimer(id); });
    }
    timer->start(std::max(0, elapseMs));
}

void CDeviceOptionUI::KillTimer(int id) {
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this, id] { KillTimer(id); }, Qt::QueuedConnection);
        return;
    }
    if (QTimer* timer = m_timers.value(id, nullptr)) {
        timer->stop();
    }
}

bool CDeviceOptionUI::IsTimerArmed(int id) const {
    const QTimer* timer = m_timers.value(id, nullptr);
    return timer != nullptr && timer->isActive();
}

int CDeviceOptionUI::GetTimerPeriod(int id) const {
    const QTimer* timer = m_timers.value(id, nullptr);
    return timer != nullptr && timer->isActive() ? timer->interval() : -1;
}

void CDeviceOptionUI::OnTimer(int id) {
    KillTimer(id);
    if (m_page) {
        m_page->OnEntryTimer(id);
    }
}

void CDeviceOptionUI::RepaintPreview() {
    // Only a page that draws its preview into a picture needs it repainted on every tick; LED
    // buttons repaint themselves when their colour changes, and repainting the whole page 200
    // times a second would cost a good part of a core.
    if (m_previewControl) {
        m_previewControl->update();
    }
}

void CDeviceOptionUI::ArmLinkCheck() {
    ArmTimer(pages::kTimerLinkCheck, kLinkCheckFirstMs);
}

bool CDeviceOptionUI::ArmReachability(int periodMs) {
    if (!m_page || !m_page->CommandProtocol().IsOpen()) {
        return false;
    }
    ArmTimer(pages::kTimerReachability, periodMs);
    return true;
}

bool CDeviceOptionUI::ArmBattery() {
    if (!m_page || m_page->GetPowerDisplayMode() == 0 || !m_page->CommandProtocol().IsOpen()) {
        return false;
    }
    ArmTimer(pages::kTimerBattery, kBatteryFirstMs);
    return true;
}

void CDeviceOptionUI::paintEvent(QPaintEvent*) {
    // The selected device is underlined in the accent colour across the entry's width.
    if (!IsEntrySelected()) {
        return;
    }
    QPainter painter(this);
    const int line = controls::ScaleForControl(this, kUnderlineHeight);
    painter.fillRect(QRect(0, height() - line, width(), line), QColor::fromRgba(kAccent));
}

}  // namespace q840::entry
