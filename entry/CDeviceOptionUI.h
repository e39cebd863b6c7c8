#pragma once

#include <QAbstractButton>
#include <QHash>
#include <QLabel>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>

#include "controls/ControlCommon.h"
#include "pages/COrvenixUSBDevice.h"
#include "pages/IDeviceEntryHost.h"
#include "platform/ui/UIDefs.h"

class QTimer;

namespace q840::entry {

// Icons of one device type: normal, selected, synchronised normal, synchronised selected, and the
// language key of the device's name (the tooltip of the selection option).
struct DeviceIcons {
    const char* normal;
    const char* selected;
    const char* synchroNormal;
    const char* synchroSelected;
    const char* nameKey;
};

// The icons a device type and (for the mouse pad) its variant show; null for a mouse-pad variant
// the selector has no pictures for. Any type not known shows the "unknow" device.
const DeviceIcons* IconsForDeviceType(int type, int variant);

// One device in the main window's device strip: an option that shows the device's page, a second
// option that marks the device for synchronised lighting, and the device's name. The content comes
// from the entry's own layout ("device_select", "synchro_device_select", "device_select_name");
// the layout's root tag is this control.
//
// The entry also owns the timers that drive its page's periodic work: when one fires it is stopped
// and the page's OnEntryTimer runs; the page arms it again when it wants another tick. Timers run
// on the thread that owns the controls; an arm or kill asked from another thread is handed over.
class CDeviceOptionUI : public QWidget,
                        public ui::IUIAttributes,
                        public controls::IControlClass,
                        public pages::IDeviceEntryHost {
    Q_OBJECT
public:
    static const char* const kLayoutFile;
    static constexpr int kLinkCheckFirstMs = 500;
    static constexpr int kBatteryFirstMs = 50;

    explicit CDeviceOptionUI(QWidget* parent = nullptr);
    ~CDeviceOptionUI() override;
    static QWidget* Create() { return new CDeviceOptionUI(); }

    QString GetClass() const override { return QStringLiteral("DeviceOption"); }
    void SetAttribute(const QString& name, const QString& value) override;

    // --- appearance ----------------------------------------------------------------------------
    void SetEntryDeviceType(int type, int variant);
    int GetEntryDeviceType() const { return m_type; }
    int GetEntryDeviceVariant() const { return m_variant; }
    // Normal, selected, synchronised normal, synchronised selected.
    const std::array<QString, 4>& GetIcons() const { return m_icons; }
    void ShowSynchroOption(bool show);
    void SetSynchro(bool synchro);
    bool IsSynchro() const;
    void SetEntryName(const QString& textOrKey);
    void SetOptionGroup(const QString& group);

    // --- selection and the page's tab ----------------------------------------------------------
    void SelectEntry(bool selected);
    bool IsEntrySelected() const override;
    void BindTab(const QString& tabName, int index);
    int GetBoundTabIndex() const;
    QString GetBoundTabName() const;
    // Sends "selectchanged" from the entry itself; false when it is disabled.
    bool Activate();

    // --- links the main window keeps here ------------------------------------------------------
    void SetPowerControl(const QString& name, int batteryValue);
    QString GetPowerControlName() const { return m_powerControlName; }
    int GetBatteryValue() const { return m_batteryValue; }
    void SetPage(pages::COrvenixUSBDevice* page);
    pages::COrvenixUSBDevice* GetPage() const { return m_page; }
    // The control the preview timer repaints (a device picture the page draws its preview into);
    // none by default: LED buttons repaint themselves.
    void SetPreviewControl(QWidget* control) { m_previewControl = control; }

    // --- visibility ----------------------------------------------------------------------------
    void SetEntryVisible(bool visible) override;
    bool IsEntryVisible() const override { return m_visible; }

    // --- timers --------------------------------------------------------------------------------
    void ArmTimer(int id, int elapseMs) override;
    void KillTimer(int id) override;
    void RepaintPreview() override;
    bool IsTimerArmed(int id) const;
    // The period of an armed timer; -1 when it is not armed.
    int GetTimerPeriod(int id) const;
    // Link check and first read (1001 at 500 ms).
    void ArmLinkCheck();
    // Receiver reachability (kTimerReachability) with the given period, only while the page's protocol is open.
    bool ArmReachability(int periodMs);
    // First battery read (1005 at 50 ms), only when the page shows a battery and its protocol is
    // open.
    bool ArmBattery();

    // The parts of the entry's layout; null when the layout has no such control.
    QAbstractButton* GetSelectOption() const;
    QAbstractButton* GetSynchroOption() const;
    QLabel* GetNameLabel() const;

protected:
    void childEvent(QChildEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void FindParts() const;
    void ApplyIcons() const;
    void OnTimer(int id);
    void OnSelectToggled(bool checked);
    void SetCheckedQuietly(QAbstractButton* button, bool checked);

    // Looked up late (the builder adds the layout's children after it made the entry).
    mutable QPointer<QAbstractButton> m_select;
    mutable QPointer<QAbstractButton> m_synchro;
    mutable QPointer<QLabel> m_name;
    QPointer<pages::COrvenixUSBDevice> m_page;
    QPointer<QWidget> m_previewControl;
    QHash<int, QTimer*> m_timers;
    std::array<QString, 4> m_icons;
    QString m_nameKey;
    int m_type = 0;
    int m_variant = 0;
    QString m_powerControlName;
    int m_batteryValue = -1;
    bool m_visible = true;
};

}  // namespace q840::entry
