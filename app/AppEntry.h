#pragma once

#include <QString>
#include <optional>

namespace q840 {

// The program's only command-line options.
struct StartOptions {
    bool simulate = false;
    QString simulateStateFile;  // --simulate=STATE_FILE
    QString screenshotPath;     // --screenshot PATH
    bool showHelp = false;
    QString error;              // unknown option or missing value
};

StartOptions ParseStartOptions(const QStringList& arguments);
QString UsageText();

// Points the UI layer at the program's skin folder, reads the resource index and registers the
// custom controls.
void ResourceSetup();

// Start-up, message loop and shut-down; returns the process exit code.
int RunApplication(const StartOptions& options);

}  // namespace q840
