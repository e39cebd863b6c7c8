#pragma once

#include <QPushButton>

#include "controls/ControlCommon.h"

namespace q840::controls {

// A button that shows part of a picture larger than itself; holding the button and moving the
// pointer drags the picture inside it. The visible part never leaves the picture.
//
// The picture is shown at the window's scale: at scale 144 one picture pixel covers 1.5 screen
// pixels, so the visible part (and a drag) is the button's size in picture pixels.
class CHandImgSelectButtonUI : public QPushButton, public ui::IUIAttributes, public IControlClass {
    Q_OBJECT
public:
    explicit CHandImgSelectButtonUI(QWidget* parent = nullptr);
    static QWidget* Create() { return new CHandImgSelectButtonUI(); }

    QString GetClass() const override { return QStringLiteral("HandImgSelectButton"); }
    void SetAttribute(const QString& name, const QString& value) override;

    // Loads the picture (a file below the skin folder) and notes its size.
    void SetHandImage(const QString& file);
    QString GetHandImage() const { return m_file; }
    QSize GetImageSize() const { return m_imageSize; }
    // One of "arrow", "ibeam", "wait", "cross", "uparrow", "size", "icon", "sizenwse",
    // "sizenesw", "sizewe", "sizens", "sizeall", "hand"; false (cursor unchanged) for others.
    bool SetCursorName(const QString& name);

    // The part of the picture shown, in picture pixels (null while the whole picture is shown).
    QRect GetSourceRect() const;
    // The image description drawn: "file='x' source='l,t,r,b'", or the bare file when the whole
    // picture fills the button.
    QString GetDrawImage() const { return m_drawImage; }
    bool IsCaptured() const { return m_captured; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Press(QMouseEvent* event);
    // The button's size in picture pixels.
    QSize ViewSize() const;
    bool Cropped() const;
    void ClampSource();
    void RebuildDrawImage();

    QString m_file;
    QSize m_imageSize;
    QPoint m_source;  // top left of the visible part, picture pixels
    QPoint m_lastPos;
    QPointF m_carry;  // movement below one picture pixel, kept for the next move
    QString m_drawImage;
    bool m_captured = false;
};

}  // namespace q840::controls
