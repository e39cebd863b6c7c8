#pragma once

#include <QColor>
#include <QRectF>
#include <QVector>
#include <QWidget>

#include "controls/ControlCommon.h"

namespace q840::controls {

// A chart of a list of named values, as a pie ("view" = "pie") or as bars ("view" = "histpgram",
// as layouts write it).
//
// Pie: a circle in the left part (a square of the control's height less an 8 px margin, with
// labels on never wider than 55 % of the width, so the legend keeps the rest), slices
// clockwise from 12 o'clock in item order, each the item's share of the total; with labels on,
// one legend line per item to the right. Bars: equal slots across the width, each bar centred in
// its slot, "pillarimagewidth" wide (60 % of the slot without it, never wider than the slot),
// its height the item's share of the largest value; labels sit under the bars and the
// "shadowimage" strip of "shadowimageheight" lies along the base line. Negative values count as 0.
// Lengths are at scale 96 and scaled with the window.
class CChartViewUI : public QWidget, public ui::IUIAttributes, public IControlClass {
    Q_OBJECT
public:
    enum class View { Pie, Histogram };

    struct Item {
        QString name;
        double value = 0;
        QColor colour;  // invalid: the chart's own colour for the item's position
    };

    struct Slice {
        QRectF circle;
        int startAngle = 0;  // 1/16 degree, counter-clockwise from 3 o'clock (QPainter's units)
        int spanAngle = 0;   // negative: clockwise
    };

    explicit CChartViewUI(QWidget* parent = nullptr);
    static QWidget* Create() { return new CChartViewUI(); }

    QString GetClass() const override { return QStringLiteral("ChartView"); }
    void SetAttribute(const QString& name, const QString& value) override;

    void SetView(View view);
    View GetView() const { return m_view; }
    void SetShowText(bool show);
    void SetShowHtml(bool html);
    void SetFontIndex(int index) { m_font = index; }
    int GetFontIndex() const { return m_font; }

    bool Add(const QString& name, double value, const QColor& colour = QColor());
    bool AddAt(int index, const QString& name, double value, const QColor& colour = QColor());
    bool Remove(int index);
    void RemoveAll();
    int GetCount() const { return m_items.size(); }
    const Item& GetItem(int index) const { return m_items.at(index); }

    // Geometry for a control of this size (in the control's coordinates).
    QVector<Slice> GetPieSlices(const QSize& size) const;
    QRectF GetLegendRect(const QSize& size, int index) const;
    QVector<QRectF> GetBars(const QSize& size) const;
    QRectF GetBarLabelRect(const QSize& size, int index) const;
    QRectF GetShadowRect(const QSize& size) const;
    QColor ColourOf(int index) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int S(int value) const { return ScaleForControl(this, value); }
    QRectF PlotArea(const QSize& size) const;
    qreal PieDiameter(const QSize& size) const;
    void DrawLabel(QPainter& painter, const QRectF& box, const QString& text, int flags) const;

    QVector<Item> m_items;
    View m_view = View::Pie;
    QString m_shadowImage;
    int m_shadowHeight = 0;
    QString m_pillarImage;
    int m_pillarWidth = 0;
    bool m_showHtml = false;
    bool m_showText = false;
    int m_font = -1;
};

}  // namespace q840::controls
