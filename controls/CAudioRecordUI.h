#pragma once

#include <QLabel>
#include <QLine>
#include <QVector>
#include <array>

#include "controls/ControlCommon.h"

namespace q840::controls {

// A level display: 500 values drawn as black vertical lines on white, one line 1 pixel wide every
// 2 pixels from the left edge; a value of 8192 fills the height.
class CAudioRecordUI : public QLabel, public ui::IUIAttributes, public IControlClass {
    Q_OBJECT
public:
    static constexpr int kValueCount = 500;
    static constexpr int kFullScale = 8192;

    explicit CAudioRecordUI(QWidget* parent = nullptr);
    static QWidget* Create() { return new CAudioRecordUI(); }

    QString GetClass() const override { return QStringLiteral("AudioRecord"); }
    void SetAttribute(const QString& name, const QString& value) override;

    // Takes up to 500 values from the front; the rest keep theirs. Repaints.
    void SetValues(const int* values, int count);
    int GetValue(int index) const;

    // The lines drawn in a control of this size, in the control's coordinates: line i at x = 2i
    // from y = height - value[i] * height / 8192 down to y = height - 1, kept inside the control.
    QVector<QLine> GetLines(const QSize& size) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<int, kValueCount> m_values{};
};

}  // namespace q840::controls
