#pragma once

#include <QPushButton>

#include "controls/ControlCommon.h"

namespace q840::controls {

// A picture button with a small delete mark in its lower right corner. The mark shows while the
// pointer is over the button and the delete switch is on; releasing on it sends
// "click_handdelete" instead of a click. Entering and leaving send "msenter" and "msleave".
class CHandImgButtonUI : public QPushButton, public ui::IUIAttributes, public IControlClass {
    Q_OBJECT
public:
    explicit CHandImgButtonUI(QWidget* parent = nullptr);
    static QWidget* Create() { return new CHandImgButtonUI(); }

    QString GetClass() const override { return QStringLiteral("HandImgButton"); }
    void SetAttribute(const QString& name, const QString& value) override;

    void SetHandImage(const QString& image);
    QString GetHandImage() const { return m_handImage; }
    void SetDeleteNormalImage(const QString& image);
    void SetDeleteHotImage(const QString& image);
    // The delete switch (off when the button is created).
    void SetDeleteSwitch(bool on);
    bool GetDeleteSwitch() const { return m_deleteSwitch; }

    // The delete mark in the button's own coordinates: 20 x 20, its left edge 30 and its top 29
    // pixels from the right and bottom edges, all four at the window's scale.
    QRect GetDeleteRect() const;
    bool IsHot() const { return m_hot; }
    bool IsDeleteHot() const { return m_deleteHot; }
    bool IsCaptured() const { return m_captured; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Press(QMouseEvent* event);

    QString m_handImage;
    QString m_deleteNormalImage;
    QString m_deleteHotImage;
    bool m_deleteSwitch = false;
    bool m_hot = false;
    bool m_deleteHot = false;
    bool m_captured = false;
};

}  // namespace q840::controls
