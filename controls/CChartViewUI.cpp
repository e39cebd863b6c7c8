#include "controls/CChartViewUI.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextDocument>
#include <cmath>

namespace q840::controls {

namespace {
constexpr int kMargin = 8;        // around the plot, scale 96
constexpr int kLabelHeight = 20;  // one label line, scale 96
constexpr int kSwatch = 10;       // legend colour square, scale 96

// Item colours: distinct, calm on the dark window; never the accent alone.
constexpr QRgb kPalette[] = {0xFF00B4FF, 0xFFFFB020, 0xFF5AD17A, 0xFFB37CFF,
                             0xFFFF6F91, 0xFF4DD0E1, 0xFFE6E8EB, 0xFF9AA3AE};

double Positive(double value) {
    return std::isfinite(value) && value > 0 ? value : 0;
}
}  // namespace

CChartViewUI::CChartViewUI(QWidget* parent) : QWidget(parent) {}

void CChartViewUI::SetAttribute(const QString& name, const QString& value) {
    if (name == "view") {
        SetView(value.compare("histpgram", Qt::CaseInsensitive) == 0 ? View::Histogram : View::Pie);
    } else if (name == "shadowimage") {
        m_shadowImage = value;
    } else if (name == "shadowimageheight") {
        m_shadowHeight = qMax(0, value.toInt());
    } else if (name == "pillarimage") {
        m_pillarImage = value;
    } else if (name == "pillarimagewidth") {
        m_pillarWidth = qMax(0, value.toInt());
    } else if (name == "showhtml") {
        SetShowHtml(IsTrueAttribute(value));
    } else if (name == "showtext") {
        SetShowText(IsTrueAttribute(value));
    } else if (name == "font") {
        m_font = value.toInt();
    } else {
        setProperty(("dui_" + name).toUtf8().constData(), value);
    }
    update();
}

void CChartViewUI::SetView(View view) {
    m_view = view;
    update();
}

void CChartViewUI::SetShowText(bool show) {
    m_showText = show;
    update();
}

void CChartViewUI::SetShowHtml(bool html) {
    m_showHtml = html;
    update();
}

bool CChartViewUI::Add(const QString& name, double value, const QColor& colour) {
    return AddAt(m_items.size(), name, value, colour);
}

bool CChartViewUI::AddAt(int index, const QString& name, double value, const QColor& colour) {
    if (index < 0 || index > m_items.size()) {
        return false;
    }
    m_items.insert(index, Item{name, value, colour});
    update();
    return true;
}

bool CChartViewUI::Remove(int index) {
    if (index < 0 || index >= m_items.size()) {
        return false;
    }
    m_items.removeAt(index);
    update();
    return true;
}

void CChartViewUI::RemoveAll() {
    m_items.clear();
    update();
}

QColor CChartViewUI::ColourOf(int index) const {
    if (index >= 0 && index < m_items.size() && m_items[index].colour.isValid()) {
        return m_items[index].colour;
    }
    constexpr int count = sizeof(kPalette) / sizeof(kPalette[0]);
    return QColor::fromRgba(kPalette[((index % count) + count) % count]);
}

QRectF CChartViewUI::PlotArea(const QSize& size) const {
    return QRectF(0, 0, size.width(), size.height())
        .adjusted(S(kMargin), S(kMargin), -S(kMargin), -S(kMargin));
}

qreal CChartViewUI::PieDiameter(const QSize& size) const {
    const QRectF area = PlotArea(size);
    // With labels the legend keeps at least 45 % of the width beside the circle.
    const qreal room = m_showText ? area.width() * 0.55 : area.width();
    return qMax<qreal>(0, qMin(room, area.height()));
}

QVector<CChartViewUI::Slice> CChartViewUI::GetPieSlices(const QSize& size) const {
    QVector<Slice> slices;
    const QRectF area = PlotArea(size);
    const qreal diameter = PieDiameter(size);
    if (diameter <= 0) {
        return slices;
    }
    double total = 0;
    for (const Item& item : m_items) {
        total += Positive(item.value);
    }
    if (total <= 0) {
        return slices;
    }
    const QRectF circle(area.left(), area.top() + (area.height() - diameter) / 2, diameter,
                        diameter);
    // Whole 1/16 degrees, with the rounding carried so the slices close the circle exactly.
    constexpr int kFull = 360 * 16;
    double sum = 0;
    int previousEdge = 0;
    for (const Item& item : m_items) {
        sum += Positive(item.value);
        const int edge = static_cast<int>(std::lround(sum / total * kFull));
        Slice slice;
        slice.circle = circle;
        slice.startAngle = 90 * 16 - previousEdge;
        slice.spanAngle = -(edge - previousEdge);
        slices.append(slice);
        previousEdge = edge;
    }
    return slices;
}

QRectF CChartViewUI::GetLegendRect(const QSize& size, int index) const {
    const QRectF area = PlotArea(size);
    const qreal diameter = PieDiameter(size);
    const qreal left = area.left() + diameter + S(kMargin) * 2;
    const qreal lineHeight = S(kLabelHeight);
    const qreal top = area.top() + (area.height() - lineHeight * m_items.size()) / 2;
    return QRectF(left, qMax(area.top(), top) + index * lineHeight,
                  qMax<qreal>(0, area.right() - left), lineHeight);
}

QVector<QRectF> CChartViewUI::GetBars(const QSize& size) const {
    QVector<QRectF> bars;
    if (m_items.isEmpty()) {
        return bars;
    }
    QRectF area = PlotArea(size);
    if (m_showText) {
        area.setBottom(area.bottom() - S(kLabelHeight));
    }
    if (area.width() <= 0 || area.height() <= 0) {
        return bars;
    }
    double largest = 0;
    for (const Item& item : m_items) {
        largest = qMax(largest, Positive(item.value));
    }
    const qreal slot = area.width() / m_items.size();
    const qreal barWidth = qMin(slot, m_pillarWidth > 0 ? qreal(S(m_pillarWidth)) : slot * 0.6);
    for (int i = 0; i < m_items.size(); ++i) {
        const qreal share = largest > 0 ? Positive(m_items[i].value) / largest : 0;
        const qreal height = area.height() * share;
        const qreal left = area.left() + slot * i + (slot - barWidth) / 2;
        bars.append(QRectF(left, area.bottom() - height, barWidth, height));
    }
    return bars;
}

QRectF CChartViewUI::GetBarLabelRect(const QSize& size, int index) const {
    const QRectF area = PlotArea(size);
    if (m_items.isEmpty() || index < 0 || index >= m_items.size()) {
        return {};
    }
    const qreal slot = area.width() / m_items.size();
    return QRectF(area.left() + slot * index, area.bottom() - S(kLabelHeight), slot,
                  S(kLabelHeight));
}

QRectF CChartViewUI::GetShadowRect(const QSize& size) const {
    QRectF area = PlotArea(size);
    if (m_showText) {
        area.setBottom(area.bottom() - S(kLabelHeight));
    }
    const qreal height = S(m_shadowHeight);
    return QRectF(area.left(), area.bottom(), area.width(), height);
}

void CChartViewUI::DrawLabel(QPainter& painter, const QRectF& box, const QString& text,
                             int flags) const {
    if (m_showHtml) {
        // Formatted labels: the text is rich text (<b>, <font color=...>), laid out in the box;
        // text without a colour of its own takes the pen's.
        QTextDocument doc;
        doc.setDefaultFont(painter.font());
        doc.setDocumentMargin(0);
        doc.setHtml(text);
        doc.setTextWidth(box.width());
        const qreal top = box.top() + (box.height() - doc.size().height()) / 2;
        const qreal left = (flags & Qt::AlignHCenter)
                               ? box.left() + (box.width() - doc.idealWidth()) / 2
                               : box.left();
        QAbstractTextDocumentLayout::PaintContext context;
        context.palette.setColor(QPalette::Text, painter.pen().color());
        context.clip = QRectF(box.left() - left, box.top() - top, box.width(), box.height());
        painter.save();
        painter.translate(left, top);
        painter.setClipRect(context.clip);
        doc.documentLayout()->draw(&painter, context);
        painter.restore();
    } else {
        painter.drawText(box, flags | Qt::AlignVCenter, text);
    }
}

void CChartViewUI::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setPen(palette().color(QPalette::WindowText));
    const QSize area = size();
    if (m_view == View::Pie) {
        const QVector<Slice> slices = GetPieSlices(area);
        for (int i = 0; i < slices.size(); ++i) {
            painter.setPen(QPen(palette().color(QPalette::Window), qMax(1, S(1))));
            painter.setBrush(ColourOf(i));
            painter.drawPie(slices[i].circle, slices[i].startAngle, slices[i].spanAngle);
        }
        if (m_showText) {
            painter.setPen(palette().color(QPalette::WindowText));
            for (int i = 0; i < m_items.size(); ++i) {
                const QRectF line = GetLegendRect(area, i);
                const qreal swatch = S(kSwatch);
                painter.fillRect(
                    QRectF(line.left(), line.center().y() - swatch / 2, swatch, swatch),
                    ColourOf(i));
                DrawLabel(painter, line.adjusted(swatch + S(6), 0, 0, 0), m_items[i].name,
                          Qt::AlignLeft);
            }
        }
        return;
    }
    DrawImage(painter, m_shadowImage, GetShadowRect(area));
    const QVector<QRectF> bars = GetBars(area);
    for (int i = 0; i < bars.size(); ++i) {
        if (bars[i].height() <= 0) {
            continue;
        }
        if (!DrawImage(painter, m_pillarImage, bars[i])) {
            const qreal radius = qMin(bars[i].width() / 2, qreal(S(2)));
            painter.setPen(Qt::NoPen);
            painter.setBrush(ColourOf(i));
            painter.drawRoundedRect(bars[i], radius, radius);
        }
    }
    if (m_showText) {
        painter.setPen(palette().color(QPalette::WindowText));
        for (int i = 0; i < m_items.size(); ++i) {
            DrawLabel(painter, GetBarLabelRect(area, i), m_items[i].name, Qt::AlignHCenter);
        }
    }
}

}  // namespace q840::controls
