#pragma once

#include <QPointer>
#include <QWidget>

#include "controls/ControlCommon.h"

namespace q840::controls {

// A vertical layout over the device picture that selects its key buttons with a rubber band:
// press, drag, release; every "DeviceKeyButton" below it becomes selected exactly when it
// intersects the band, then the panel sends "click_select_end".
class CSelectPanelUI : public QWidget, public ui::IUIAttributes, public IControlClass {
    Q_OBJECT
public:
    explicit CSelectPanelUI(QWidget* parent = nullptr);
    static QWidget* Create() { return new CSelectPanelUI(); }

    QString GetClass() const override { return QStringLiteral("SelectPanel"); }
    void SetAttribute(const QString& name, const QString& value) override;

    bool IsDragging() const { return m_dragging; }
    // The band in the panel's coordinates (normalised; empty while no button is held).
    QRect GetSelectRect() const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void UpdateBand();
    void ApplySelection();

    QPoint m_start;
    QPoint m_current;
    bool m_pressed = false;
    bool m_dragging = false;
    QPointer<QWidget> m_band;  // drawn above the buttons while dragging
};

}  // namespace q840::controls
