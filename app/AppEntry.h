#pragma once

#include <QString>
#include <optional>

namespace q840 {

// The program's only command-line options.
struct StartOptions {
    bool simulate = false;
    QString simulateStateFile;   // --simulate=STATE_FILE
    QString scenarioFile;        // --scenario FILE: timed events played on the simulated devices
    QString screenshotPath;      // --screenshot PATH
    int screenshotTab = 0;       // --tab NAME: the editor tab shown (1..9), 0 the page's own
    QString screenshotLanguage;  // --lang en|cn: the language file shown, not stored
    bool screenshotProfileMenu = false;  // --profile-menu: the profile menu shown open
    int screenshotMacro = -1;            // --macro N: macro N selected in the macro editor
    int screenshotKey = -1;              // --key N: key button N picked in the key editor
    QString screenshotPanel;             // --tab: the option that shows a panel of the tab
    bool screenshotPicker = false;       // --picker: the colour picker open over the window
    bool screenshotSettings = false;     // --settings: the settings window open over it
    bool screenshotSkin = false;         // --skin: the skin pop-up open below its button
    bool startHidden = false;            // --hidden: start in the tray (the autostart entry)
    bool showHelp = false;
    QString error;  // unknown option or missing value
};

StartOptions ParseStartOptions(const QStringList& arguments);
// The editor tab names --tab takes, with their tab numbers.
struct ScreenshotTab {
    const char* name;
    int tab;
    // A panel of that tab shown through its option (the tab's bar), or null.
    const char* panelOption = nullptr;
};
extern const ScreenshotTab kScreenshotTabs[7];
QString UsageText();

// Points the UI layer at the program's skin folder, reads the resource index and registers the
// custom controls.
void ResourceSetup();

// Start-up, message loop and shut-down; returns the process exit code.
int RunApplication(const StartOptions& options);

}  // namespace q840
