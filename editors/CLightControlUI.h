#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "core/profile/LightSetting.h"
#include "core/profile/ProfileRecords.h"
#include "platform/ui/UIDefs.h"

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QSlider;

namespace q840::ui {
class CColorPaletteUI;
}

namespace q840::editors {

// The lighting editor: which effect runs, its brightness, speed and direction, and its colour
// (one colour or the colour cycle), with the keyboard's audio-reactive colour controls. It shows
// a page's LightSetting and turns each notification of its controls into a change of one field
// (ApplyNotification); the main window then has the page store the record and send it to the
// device. The window builds it from kLayoutFile, whose root element is this control. Controls the
// layout lacks make their operations do nothing (getters answer 0, -1 or "").
class CLightControlUI : public QWidget, public ui::IUIAttributes {
    Q_OBJECT
public:
    static const char* const kLayoutFile;  // "XML/CustomControlXML/LightControl.xml"
    static constexpr int kItemHeight = 30;
    static constexpr int kColourSlots = 8;  // "color_option_0" .. "color_option_7"

    struct EffectEntry {
        QString nameKey;  // a language key ("LightName")
        bool visible = true;
    };

    explicit CLightControlUI(QWidget* parent = nullptr);
    static QWidget* Create() { return new CLightControlUI(); }
    QString GetClass() const { return QStringLiteral("LightControl"); }
    void SetAttribute(const QString& name, const QString& value) override;

    // Device type code (1 keyboard, 2 mouse, 3 mouse pad, 4/7 headset, 6 mouse through the
    // receiver, 9 keyboard through the receiver): chooses the layout map.
    void SetLightDeviceType(int type) { m_deviceType = type; }
    int GetLightDeviceType() const { return m_deviceType; }
    // One item per entry, in list order; a hidden entry keeps its place (and so every later
    // effect its index) but is not shown.
    void SetEffectList(const std::vector<EffectEntry>& effects, int brightnessMax, int speedMax);
    // Fills every control from the record and applies the layout map.
    void ShowLightSetting(const profile::LightSetting& setting);

    void SelectEffect(int index);
    int GetSelectedEffect() const;
    void SetBrightness(int value);
    int GetBrightness() const;
    void SetSpeed(int value);
    int GetSpeed() const;
    // component: 'R', 'G' or 'B'.
    void SetColourText(char component, const QString& text);
    QString GetColourText(char component) const;
    // 0xFFRRGGBB: the palette and the swatch "deng_colordp_btn".
    void SetPaletteColour(uint32_t argb);
    uint32_t GetPaletteColour() const;
    // The background colour of "color_option_" + n; 0 when there is no such button.
    uint32_t GetPresetColour(int n) const;
    void SetMultiColour(bool on);
    bool GetMultiColour() const;
    void SetDirection(int direction);
    void SetSameModeAllowed(bool allowed);
    bool IsSameModeAllowed() const { return m_sameModeAllowed; }
    void UpdateLayout(int deviceType, int effect);

    // The keyboard's audio-reactive colour. False when a control it needs is missing.
    bool ShowAudioLightSetting(const profile::AudioLightSetting& setting);
    bool GetAudioLightSetting(profile::AudioLightSetting* setting) const;

    // Applies a notification of one of the editor's controls to the record: true when it was
    // one (the record holds the change; the caller stores and sends it), false otherwise.
    bool ApplyNotification(const ui::TNotifyUI& msg, profile::LightSetting& record);

private:
    QWidget* Find(const QString& name) const;
    template <typename T>
    T* FindAs(const QString& name) const {
        return qobject_cast<T*>(Find(name));
    }
    QLineEdit* ColourEdit(char component) const;
    // Shows the record's colour in the edits, the palette and the swatch.
    void ShowColour(uint8_t red, uint8_t green, uint8_t blue);
    // A colour edit after the user left it: its number, empty as 0 and above 255 as 255 (the
    // edit shows what is kept).
    static uint8_t TakeColourEdit(QLineEdit* edit);
    void SetEnabled(const char* name, bool enabled);
    void SetShown(const char* name, bool shown);

    int m_deviceType = 0;
    bool m_sameModeAllowed = false;
};

}  // namespace q840::editors
