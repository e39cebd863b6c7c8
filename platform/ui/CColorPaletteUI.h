#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>

namespace q840::ui {

// The layouts' colour palette ("ColorPalette"): a field of every hue (left to right) and
// saturation (top to bottom) above a bar of brightness. A click or drag picks a colour and sends
// "colorchanged" (wParam: the colour as 0xAARRGGBB) through the window's paint manager; setting the
// colour from code sends nothing. The field is drawn in true colours, never tinted by the style.
class CColorPaletteUI : public QWidget {
    Q_OBJECT
public:
    static constexpr int kBarHeight = 12;  // brightness bar, at scale 96
    static constexpr int kGap = 6;

    explicit CColorPaletteUI(QWidget* parent = nullptr);

    // 0xFFRRGGBB; the alpha byte is always 0xFF.
    uint32_t GetSelectColor() const;
    void SetSelectColor(uint32_t argb);

    QSize sizeHint() const override { return {240, 120}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    enum class Part { None, Field, Bar };
    QRect FieldRect() const;
    QRect BarRect() const;
    void PickAt(const QPoint& point, Part part);

    int m_hue = 0;           // 0-359
    int m_saturation = 0;    // 0-255
    int m_value = 255;       // 0-255
    uint32_t m_colour = 0xFFFFFFFF;
    Part m_dragging = Part::None;
    QImage m_field;          // hue x saturation at full brightness, made again on resize
};

}  // namespace q840::ui
