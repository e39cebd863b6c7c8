#pragma once

#include <QPushButton>

#include "controls/ControlCommon.h"

namespace q840::controls {

// A button of the macro editor that keeps a "redioimage" for its owner; otherwise a plain button.
class CRedioMacroButtonUI : public QPushButton, public ui::IUIAttributes, public IControlClass {
    Q_OBJECT
public:
    explicit CRedioMacroButtonUI(QWidget* parent = nullptr) : QPushButton(parent) {}
    static QWidget* Create() { return new CRedioMacroButtonUI(); }

    QString GetClass() const override { return QStringLiteral("RedioMacroButton"); }
    void SetAttribute(const QString& name, const QString& value) override;

    void SetRedioImage(const QString& image) { m_redioImage = image; }
    QString GetRedioImage() const { return m_redioImage; }

private:
    QString m_redioImage;
};

}  // namespace q840::controls
