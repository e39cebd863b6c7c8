#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace q840::ui {

// Layout tag name -> creator of a custom control class. Registration is explicit (a table in the
// application's start-up), never by static self-registering objects.
class CControlFactory {
public:
    using Creator = std::function<QWidget*()>;

    static CControlFactory& GetInstance();

    void RegistControl(const QString& className, Creator creator);
    // A new control for the class name (case-sensitive), or null when it is not registered.
    QWidget* CreateControl(const QString& className) const;
    // Registered names in registration order.
    QStringList RegisteredNames() const { return m_order; }
    void Clear();

private:
    QHash<QString, Creator> m_creators;
    QStringList m_order;
};

}  // namespace q840::ui
