#pragma once

#include <QByteArray>
#include <QString>

namespace q840 {

// What the main window needs to reach other programs (broadcasts, the WorkTool, the audio
// recorder). The program uses the session bus; tests use a recorder.
class IProgramLink {
public:
    virtual ~IProgramLink() = default;
    virtual void Broadcast(const QString& name, quint64 wParam, qint64 lParam) = 0;
    virtual bool SendToWindow(const QString& windowTitle, const QString& name, quint64 wParam,
                              qint64 lParam) = 0;
    virtual bool CopyDataToWindow(const QString& windowTitle, quint64 dwData,
                                  const QByteArray& data) = 0;
};

}  // namespace q840
