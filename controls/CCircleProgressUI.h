#pragma once

#include <QColor>
#include <QProgressBar>
#include <QRectF>

#include "controls/ControlCommon.h"

namespace q840::controls {

// A progress value drawn as a ring instead of a bar: a filled circle in the background colour,
// a pie of the same circle in the foreground colour that starts at the bottom and runs clockwise
// over value / (maximum - minimum) of the full turn (whole degrees), and a white disc inset by
// 10 px (at scale 96) on top, which leaves the ring.
//
// Layout attributes: "min", "max", "value" (the progress bar's own), "bkcolor" (the circle),
// "forecolor" (the pie; also "fgcolor").
class CCircleProgressUI : public QProgressBar, public ui::IUIAttributes, public IControlClass {
    Q_OBJECT
public:
    explicit CCircleProgressUI(QWidget* parent = nullptr);
    static QWidget* Create() { return new CCircleProgressUI(); }

    QString GetClass() const override { return QStringLiteral("CircleProgress"); }
    void SetAttribute(const QString& name, const QString& value) override;

    void SetBkColor(const QColor& colour);
    void SetForeColor(const QColor& colour);
    // The circle's colour: set by code, else the layout's "bkcolor", else the panel colour.
    QColor GetBkColor() const;
    QColor GetForeColor() const { return m_foreColour; }

    // The pie's sweep in whole degrees (0..360) for the current value and range.
    int GetSweepDegrees() const;
    // The pie in QPainter's units (1/16 degree, counter-clockwise from 3 o'clock): starts at the
    // bottom (-90 degrees) and runs clockwise (a negative span).
    int GetStartAngle() const { return -90 * 16; }
    int GetSpanAngle() const { return -GetSweepDegrees() * 16; }
    // The white disc that hollows the pie out, for a control of this size.
    QRectF GetInnerRect(const QSizeF& size) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_bkColour;
    QColor m_foreColour;
};

}  // namespace q840::controls
