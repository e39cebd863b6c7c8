// A stand-in for the program's start-up, used by the single-instance tests: it takes the
// program's bus name the way the entry function does and reports what happened on stdout.
//   role=First              then one line "received <name> <wParam> <lParam>" per message;
//                           ends with 0 once the activation arrives (3 after --wait-ms)
//   role=Second delivered=1 after handing the activation over (always exit code 0)
//   role=NoBus              no session bus (exit code 0)

#include <QCoreApplication>
#include <QTextStream>
#include <QTimer>
#include <cstdio>

#include "platform/ipc/CBusLink.h"

using q840::ipc::CBusLink;

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QString title = QStringLiteral("Halvorn Q840-VEX GAMING MOUSE");
    int waitMs = 20000;
    const QStringList args = app.arguments();
    const qsizetype waitAt = args.indexOf(QStringLiteral("--wait-ms"));
    if (waitAt >= 0 && waitAt + 1 < args.size()) {
        waitMs = args.at(waitAt + 1).toInt();
    }

    QTextStream out(stdout);
    CBusLink link;
    link.Connect();
    switch (link.AcquireSingleInstance()) {
        case CBusLink::InstanceRole::NoBus:
            out << "role=NoBus" << Qt::endl;
            return 0;
        case CBusLink::InstanceRole::Second: {
            const bool delivered = link.ActivateFirstInstance(title, 0, 1);
            out << "role=Second delivered=" << (delivered ? 1 : 0) << Qt::endl;
            return 0;
        }
        case CBusLink::InstanceRole::First:
            break;
    }
    QObject::connect(&link, &CBusLink::messageReceived,
                     [&](const QString& name, quint64 wParam, qint64 lParam) {
                         out << "received " << name << ' ' << wParam << ' ' << lParam << Qt::endl;
                         if (name == title) {
                             app.exit(0);
                         }
                     });
    QTimer::singleShot(waitMs, &app, [&] {
        out << "timeout" << Qt::endl;
        app.exit(3);
    });
    out << "role=First" << Qt::endl;
    return app.exec();
}
