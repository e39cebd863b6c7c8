#pragma once

// The quiet notice that a change has not reached its device yet: one line in the title bar
// ("write_pending_notice", hidden until needed), never a message box. It comes up at the first
// write that fails and leaves its change pending, and goes once no page holds a pending change
// any more (the device came back and took it). Failed writes in between, such as every step of a
// slider dragged while the mouse is gone, add nothing: one notice per episode.

#include <QPointer>
#include <QWidget>

namespace q840 {

class WriteNotice {
public:
    void SetLabel(QWidget* label) { m_label = label; }
    // A write failed and left its change pending.
    void Raise();
    // Whether any page still holds a pending change; the notice goes when none does.
    void Settle(bool anyPending);
    bool IsShown() const { return m_shown; }
    // Notices shown so far, one per episode.
    int Episodes() const { return m_episodes; }

private:
    QPointer<QWidget> m_label;
    bool m_shown = false;
    int m_episodes = 0;
};

}  // namespace q840
