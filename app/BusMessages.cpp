#include "app/BusMessages.h"

#include "app/CMainWnd.h"
#include "core/base/DebugLine.h"
#include "core/base/RegisteredMessage.h"
#include "platform/input/CDeviceHook.h"

namespace q840 {

UINT BusMessageId(const QString& name) {
    // Registering an unknown name would reach no handler, and a peer sending many names would
    // fill the table the program's own messages come from.
    const UINT id = FindWindowMessage(name.toStdString());
    if (id == 0 || input::CDeviceHook::IsHookMessage(id)) {
        return 0;
    }
    return id;
}

void DeliverBusMessage(CMainWnd& window, const QString& name, quint64 wParam, qint64 lParam) {
    const UINT id = BusMessageId(name);
    if (id == 0) {
        DebugLine("bus message dropped: %s", name.left(64).toUtf8().constData());
        return;
    }
    PostMessageW(window.GetHWND(), id, wParam, static_cast<LPARAM>(lParam));
}

void DeliverBusCopyData(CMainWnd& window, quint64 dwData, const QByteArray& data) {
    COPYDATASTRUCT copy{dwData, static_cast<uint32_t>(data.size()), data.constData()};
    SendMessageW(window.GetHWND(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy));
}

}  // namespace q840
