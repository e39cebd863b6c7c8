#pragma once

#include <QPointer>
#include <QWidget>

#include "controls/ControlCommon.h"
#include "platform/ui/CPaintManagerUI.h"

class QLabel;
class QLineEdit;

namespace q840::controls {

// A row of a list that holds two texts and a delay edit, built from its own sub-layout
// ("XML/CustomControlXML/ComboEditElementItem.xml" with "text1", "text2" and "delay_edit").
//
// Notifications: Enter sends "return"; a press selects the row (Ctrl toggles it) and a release
// sends "itemclick"; the context menu sends "menu" (ptMouse = the position in the row). Control
// timers reach the window as the paint manager's "timer" notifications from this row.
class CComboEditContainerElementUI : public QWidget,
                                     public ui::IUIAttributes,
                                     public IControlClass {
    Q_OBJECT
public:
    static const char* const kLayoutFile;

    explicit CComboEditContainerElementUI(QWidget* parent = nullptr);
    static QWidget* Create() { return new CComboEditContainerElementUI(); }

    QString GetClass() const override { return QStringLiteral("ComboEditContainerElement"); }
    void SetAttribute(const QString& name, const QString& value) override;

    // Builds the row's content from its sub-layout once (later calls do nothing). Runs by itself
    // when the row joins a window or is first shown; true when the content exists.
    bool DoInit();
    bool IsInitialised() const { return m_initialised; }
    QLabel* GetText1();
    QLabel* GetText2();
    QLineEdit* GetDelayEdit();

    void Select(bool selected);
    bool IsSelected() const { return m_selected; }
    bool IsHot() const { return m_hot; }
    // Set when the delay edit reported a selection change or Enter since the last take.
    bool TakeEditNote();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void AttachContentLate();

    QPointer<QWidget> m_content;
    QPointer<ui::CPaintManagerUI> m_contentManager;  // the window its content notifies
    QPointer<QLabel> m_text1;
    QPointer<QLabel> m_text2;
    QPointer<QLineEdit> m_delayEdit;
    bool m_initialised = false;
    bool m_initialising = false;
    bool m_selected = false;
    bool m_hot = false;
    bool m_pressed = false;
    bool m_editNote = false;
};

}  // namespace q840::controls
