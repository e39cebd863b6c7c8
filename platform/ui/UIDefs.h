#pragma once

// The vocabulary of the UI layer: notifications, the notification receiver, the builder callback
// and the attribute interface of custom controls. Controls are plain Qt widgets; a control's name
// is its objectName.

#include <QPoint>
#include <QString>
#include <QWidget>

namespace q840::ui {

using CControlUI = QWidget;

// One notification from a control to its window.
struct TNotifyUI {
    QString sType;           // "click", "selectchanged", "valuechanged", ...
    QString sVirtualWnd;     // unused here; kept for the dispatch's shape
    QWidget* pSender = nullptr;
    quint64 wParam = 0;
    qint64 lParam = 0;
    QPoint ptMouse;
};

class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};

// Asked first for every tag while a layout is built; returns null for tags it does not know.
class IDialogBuilderCallback {
public:
    virtual ~IDialogBuilderCallback() = default;
    virtual QWidget* CreateControl(const QString& tagName) = 0;
};

// Custom controls receive the layout attributes the builder does not handle itself.
class IUIAttributes {
public:
    virtual ~IUIAttributes() = default;
    virtual void SetAttribute(const QString& name, const QString& value) = 0;
};

// Notification types.
namespace notify {
inline const QString kClick = QStringLiteral("click");
inline const QString kSelectChanged = QStringLiteral("selectchanged");
inline const QString kValueChanged = QStringLiteral("valuechanged");
inline const QString kMoveValueChanged = QStringLiteral("movevaluechanged");
inline const QString kItemSelect = QStringLiteral("itemselect");
inline const QString kItemClick = QStringLiteral("itemclick");
inline const QString kKillFocus = QStringLiteral("killfocus");
inline const QString kSetFocus = QStringLiteral("setfocus");
inline const QString kTextChanged = QStringLiteral("textchanged");
inline const QString kReturn = QStringLiteral("return");
inline const QString kWindowInit = QStringLiteral("windowinit");
inline const QString kWindowSize = QStringLiteral("windowsize");
inline const QString kTimer = QStringLiteral("timer");
inline const QString kItemActivate = QStringLiteral("itemactivate");
inline const QString kColorChanged = QStringLiteral("colorchanged");
// The custom controls' own.
inline const QString kDbClick = QStringLiteral("dbclick");
inline const QString kClickSelectEnd = QStringLiteral("click_select_end");
inline const QString kMenu = QStringLiteral("menu");
}  // namespace notify

}  // namespace q840::ui
