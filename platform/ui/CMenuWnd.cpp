#include "platform/ui/CMenuWnd.h"

#include <QDomDocument>
#include <QFile>

#include "platform/ui/CResourceManager.h"

namespace q840::ui {

CMenuWnd::CMenuWnd(HWND owner, UINT message) : m_owner(owner), m_message(message) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName("menu");
}

bool CMenuWnd::LoadFromFile(const QString& xmlFile) {
    QFile file(CResourceManager::GetInstance().GetResourcePath() + xmlFile);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    return LoadFromText(QString::fromUtf8(file.readAll()));
}

bool CMenuWnd::LoadFromText(const QString& xml) {
    QDomDocument doc;
    if (!doc.setContent(xml)) {
        return false;
    }
    CResourceManager& resources = CResourceManager::GetInstance();
    for (QDomElement e = doc.documentElement().firstChildElement(); !e.isNull();
         e = e.nextSiblingElement()) {
        if (e.tagName() == "Separator") {
            addSeparator();
            continue;
        }
        if (e.tagName() != "MenuElement") {
            continue;
        }
        const QString raw = e.attribute("text");
        QAction* action = addAction(resources.Resolve(raw));
        action->setObjectName(e.attribute("name"));
        if (e.hasAttribute("checked")) {
            action->setCheckable(true);
            action->setChecked(e.attribute("checked") == "true");
        }
        MenuCmd cmd{e.attribute("name"), e.attribute("userdata"), raw, action->isChecked()};
        connect(action, &QAction::triggered, this, [this, cmd, action] {
            auto* record = new MenuCmd(cmd);
            record->checked = action->isChecked();
            if (!PostMessageW(m_owner, m_message, reinterpret_cast<WPARAM>(record), 0)) {
                delete record;
            }
        });
    }
    return !actions().isEmpty();
}

QPoint CMenuWnd::PlaceAt(QPoint anchor, int alignment, QSize size) {
    QPoint topLeft = anchor;
    if (alignment & eMenuAlignment_Right) {
        topLeft.rx() = anchor.x() - size.width();
    }
    if (alignment & eMenuAlignment_Bottom) {
        topLeft.ry() = anchor.y() - size.height();
    }
    return topLeft;
}

void CMenuWnd::ShowAt(QPoint anchor, int alignment) {
    popup(PlaceAt(anchor, alignment, sizeHint()));
}

}  // namespace q840::ui
