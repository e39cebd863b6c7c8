#include "app/WriteNotice.h"

#include "core/base/DebugLine.h"

namespace q840 {

void WriteNotice::Raise() {
    if (m_shown) {
        return;
    }
    m_shown = true;
    ++m_episodes;
    DebugLine("a change did not reach its device: kept in the profile, written on its return");
    if (m_label) {
        m_label->show();
    }
}

void WriteNotice::Settle(bool anyPending) {
    if (!m_shown || anyPending) {
        return;
    }
    m_shown = false;
    DebugLine("every change kept for a device has reached it");
    if (m_label) {
        m_label->hide();
    }
}

}  // namespace q840
