#include "platform/ui/CControlFactory.h"

namespace q840::ui {

CControlFactory& CControlFactory::GetInstance() {
    static CControlFactory instance;
    return instance;
}

void CControlFactory::RegistControl(const QString& className, Creator creator) {
    if (!m_creators.contains(className)) {
        m_order << className;
    }
    m_creators.insert(className, std::move(creator));
}

QWidget* CControlFactory::CreateControl(const QString& className) const {
    auto found = m_creators.constFind(className);
    return found == m_creators.constEnd() ? nullptr : (*found)();
}

void CControlFactory::Clear() {
    m_creators.clear();
    m_order.clear();
}

}  // namespace q840::ui
