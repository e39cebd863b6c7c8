#include <QApplication>
#include <cstdio>

#include "app/AppEntry.h"
#include "platform/Paths.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(q840::kProductTitle));
    QApplication::setQuitOnLastWindowClosed(false);  // the program lives in the tray

    const q840::StartOptions options = q840::ParseStartOptions(QApplication::arguments());
    if (options.showHelp) {
        std::fputs(q840::UsageText().toUtf8().constData(), stdout);
        return 0;
    }
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "q840vex: %s\n%s", options.error.toUtf8().constData(),
                     q840::UsageText().toUtf8().constData());
        return 2;
    }
    return q840::RunApplication(options);
}
