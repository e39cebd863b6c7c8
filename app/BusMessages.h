#pragma once

// What other programs send over the session bus, handed to the main window: registered messages
// by name with their two numbers, and copy data. Anyone on the desktop can send these, so only
// what a message's handler can take from outside gets through.

#include <QByteArray>
#include <QString>

#include "core/base/Win32Types.h"

namespace q840 {

class CMainWnd;

// The identifier a message from the bus is posted under; 0 (dropped) for a name no handler of
// this process registered, and for messages whose lParam points into this process (the input
// hook's records).
UINT BusMessageId(const QString& name);

// Posts the message to the window (PostMessageW) when BusMessageId lets it through.
void DeliverBusMessage(CMainWnd& window, const QString& name, quint64 wParam, qint64 lParam);
// Hands copy data to the window as WM_COPYDATA, synchronously.
void DeliverBusCopyData(CMainWnd& window, quint64 dwData, const QByteArray& data);

}  // namespace q840
