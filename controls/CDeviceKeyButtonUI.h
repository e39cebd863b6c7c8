#pragma once

#include <QPushButton>

#include "controls/ControlCommon.h"

namespace q840::controls {

// A key or LED button placed on the device picture. The key and lighting editors set the lit and
// key-set flags; the selection panel sets the selected flag. A double click sends "dbclick".
class CDeviceKeyButtonUI : public QPushButton, public ui::IUIAttributes, public IControlClass {
    Q_OBJECT
public:
    explicit CDeviceKeyButtonUI(QWidget* parent = nullptr);
    static QWidget* Create() { return new CDeviceKeyButtonUI(); }

    QString GetClass() const override { return QStringLiteral("DeviceKeyButton"); }
    void SetAttribute(const QString& name, const QString& value) override;

    void SetLight(bool lit);
    bool IsLight() const { return m_light; }
    // The key-set flag starts set; while it is cleared the "keysetimage" is drawn.
    void SetKeySet(bool set);
    bool IsKeySet() const { return m_keySet; }
    void SetSelected(bool selected);
    bool IsSelected() const { return m_selected; }

    // The LED colour of a light preview (ARGB), drawn over the whole button before the light and
    // key-set images; alpha 0 (the start) draws nothing. Much cheaper than a style sheet colour
    // for a preview that changes many times a second.
    void SetBkColor(QRgb argb);
    QRgb GetBkColor() const { return m_bkColor; }

    void SetLightImage(const QString& image);
    QString GetLightImage() const { return m_lightImage; }
    void SetKeySetImage(const QString& image);
    QString GetKeySetImage() const { return m_keySetImage; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QString m_lightImage;
    QString m_keySetImage;
    QRgb m_bkColor = 0;
    bool m_light = false;
    bool m_keySet = true;
    bool m_selected = false;
};

}  // namespace q840::controls
