#include "controls/CAudioRecordUI.h"

#include <QPainter>
#include <algorithm>

namespace q840::controls {

CAudioRecordUI::CAudioRecordUI(QWidget* parent) : QLabel(parent) {
    for (int i = 0; i < kValueCount; ++i) {
        m_values[i] = i;
    }
}

void CAudioRecordUI::SetAttribute(const QString& name, const QString& value) {
    setProperty(("dui_" + name).toUtf8().constData(), value);
}

void CAudioRecordUI::SetValues(const int* values, int count) {
    if (values == nullptr || count <= 0) {
        return;
    }
    std::copy_n(values, std::min(count, kValueCount), m_values.begin());
    update();
}

int CAudioRecordUI::GetValue(int index) const {
    return index >= 0 && index < kValueCount ? m_values[index] : 0;
}

QVector<QLine> CAudioRecordUI::GetLines(const QSize& size) const {
    QVector<QLine> lines;
    const int width = size.width();
    const int height = size.height();
    if (width <= 0 || height <= 0) {
        return lines;
    }
    const int bottom = height - 1;
    for (int i = 0; i < kValueCount && 2 * i < width; ++i) {
        // 64-bit product: the recorder's values are any 32-bit numbers.
        const qint64 drop = static_cast<qint64>(m_values[i]) * height / kFullScale;
        const int top = static_cast<int>(std::clamp<qint64>(height - drop, 0, bottom));
        lines.append(QLine(2 * i, top, 2 * i, bottom));
    }
    return lines;
}

void CAudioRecordUI::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(QColor(0, 0, 0, 255), 1));
    painter.drawLines(GetLines(size()));
}

}  // namespace q840::controls
