#pragma once

#include <memory>

#include <QDomElement>
#include <QHash>
#include <QColor>
#include <QString>

#include "platform/ui/UIDefs.h"

namespace q840::ui {

class CPaintManagerUI;

// Window-level attributes of a layout file's <Window> element ("size", "caption", "mininfo", ...).
using WindowAttributes = QHash<QString, QString>;

// Builds a control tree from a skin layout file (format: skin/README.md).
//
// For every tag the builder asks, in this order: the window's callback (CreateControl), the
// control factory (registered custom classes), then its own built-in tags. A tag none of them
// knows yields no control (a debug line names it) and its children are skipped.
class CDialogBuilder {
public:
    // fileOrKey: a resource key of res.xml ("XML_MAIN") or a file relative to the skin folder.
    // Returns the root control (parented to parent when given), or null when the file cannot be
    // read or yields no control.
    QWidget* Create(const QString& fileOrKey, IDialogBuilderCallback* callback,
                    CPaintManagerUI* manager, QWidget* parent = nullptr);
    // Same, from XML text (tests, generated layouts).
    QWidget* CreateFromText(const QString& xml, IDialogBuilderCallback* callback,
                            CPaintManagerUI* manager, QWidget* parent = nullptr);

    const WindowAttributes& GetWindowAttributes() const { return m_windowAttributes; }

    // Applies one layout attribute to a control (also used by code that creates controls itself).
    static void SetAttribute(QWidget* control, const QString& name, const QString& value,
                             CPaintManagerUI* manager);

    // Re-makes a control's own style sheet (bkcolor, borders, ...) with its lengths at the scale.
    static void ApplyStylePieces(QWidget* control, int dpi);
    // A colour the layout gave a control ("background-color" for bkcolor, "color" for
    // textcolor); invalid when it gave none.
    static QColor StylePieceColour(const QWidget* control, const QString& key);

private:
    QWidget* BuildRoot(const QDomElement& root, QWidget* parent);
    QWidget* BuildElement(const QDomElement& element, QWidget* parent);
    QWidget* CreateByTag(const QString& tag);
    void BuildChildren(const QDomElement& element, QWidget* control);
    void AddToParent(QWidget* control, QWidget* parent);
    void AddItem(QWidget* control, const QDomElement& item);

    IDialogBuilderCallback* m_callback = nullptr;
    CPaintManagerUI* m_manager = nullptr;
    WindowAttributes m_windowAttributes;
    QHash<QString, QDomElement> m_fonts;
    int m_depth = 0;
    // Layouts <Include> may still add in this build, shared with the nested builders.
    std::shared_ptr<int> m_includesLeft;
};

}  // namespace q840::ui
