#include "app/AppEntry.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/BusMessages.h"
#include "app/CMainWnd.h"
#include "app/ControlTables.h"
#include "app/DisplayEvents.h"
#include "app/FontFile.h"
#include "app/PowerEvents.h"
#include "app/QuitSignals.h"
#include "app/RegisteredMessages.h"
#include "controls/CDeviceProfileUI.h"
#include "core/base/DebugLine.h"
#include "core/base/InstanceLock.h"
#include "core/base/RegisteredMessage.h"
#include "core/hid/HidBackend.h"
#include "editors/CLightControlUI.h"
#include "editors/CMacroControlUI.h"
#include "pages/COrvenixUSBDevice.h"
#include "platform/Paths.h"
#include "platform/ipc/CBusLink.h"
#include "platform/ipc/ControlEndpoint.h"
#include "platform/ipc/DesktopNotifications.h"
#include "platform/ui/CPaintManagerUI.h"
#include "platform/ui/CResourceManager.h"
#include "platform/ui/StyleSheet.h"
#if Q840_HAVE_SIM
#include "core/sim/ScenarioPlayer.h"
#include "core/sim/SimulatorSetup.h"
#include "windows/CColorSelectWnd.h"
#endif
#include "app/UpdateStandIn.h"
#include "windows/CSetWnd.h"

namespace q840 {

const ScreenshotTab kScreenshotTabs[7] = {
    {"lighting", 1}, {"buttons", 2}, {"macros", 3}, {"shoot", 3, "mouse_shoot_panel_op"},
    {"system", 4},   {"dpi", 5},     {"power", 9},
};

namespace {

// "--name VALUE" or "--name=VALUE"; false when `arg` is another option.
bool TakeValue(const QStringList& arguments, int& i, const QString& name, QString* value,
               QString* error) {
    const QString& arg = arguments[i];
    if (arg.startsWith(name + '=')) {
        *value = arg.mid(name.size() + 1);
        return true;
    }
    if (arg != name) {
        return false;
    }
    if (i + 1 >= arguments.size()) {
        *error = name + " needs a value";
        return true;
    }
    *value = arguments[++i];
    return true;
}

}  // namespace

StartOptions ParseStartOptions(const QStringList& arguments) {
    StartOptions options;
    bool screenshotOnly = false;  // an option that only means something with --screenshot
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        QString value;
        if (TakeValue(arguments, i, "--tab", &value, &options.error)) {
            if (!options.error.isEmpty()) {
                return options;
            }
            QStringList names;
            for (const ScreenshotTab& tab : kScreenshotTabs) {
                names << QString::fromLatin1(tab.name);
                if (value == QLatin1String(tab.name)) {
                    options.screenshotTab = tab.tab;
                    options.screenshotPanel = QString::fromLatin1(tab.panelOption);
                }
            }
            if (options.screenshotTab == 0) {
                options.error = "unknown tab \"" + value + "\"; the tabs are: " + names.join(", ");
                return options;
            }
            screenshotOnly = true;
            continue;
        }
        if (TakeValue(arguments, i, "--lang", &value, &options.error)) {
            if (!options.error.isEmpty()) {
                return options;
            }
            if (value != "en" && value != "cn") {
                options.error = "unknown language \"" + value + "\"; the languages are: en, cn";
                return options;
            }
            options.screenshotLanguage = "lan_" + value + ".xml";
            screenshotOnly = true;
            continue;
        }
        if (TakeValue(arguments, i, "--macro", &value, &options.error)) {
            if (!options.error.isEmpty()) {
                return options;
            }
            bool number = false;
            options.screenshotMacro = value.toInt(&number);
            if (!number || options.screenshotMacro < 0) {
                options.error = "--macro takes the number of a macro (0 is the first)";
                return options;
            }
            screenshotOnly = true;
            continue;
        }
        if (TakeValue(arguments, i, "--key", &value, &options.error)) {
            if (!options.error.isEmpty()) {
                return options;
            }
            bool number = false;
            options.screenshotKey = value.toInt(&number);
            if (!number || options.screenshotKey < 0) {
                options.error = "--key takes the number of a key button (0 is the first)";
                return options;
            }
            screenshotOnly = true;
            continue;
        }
        if (TakeValue(arguments, i, "--scenario", &value, &options.error)) {
            if (!options.error.isEmpty()) {
                return options;
            }
            options.scenarioFile = value;
            continue;
        }
        if (arg == "--profile-menu") {
            options.screenshotProfileMenu = true;
            screenshotOnly = true;
            continue;
        }
        if (arg == "--picker") {
            options.screenshotPicker = true;
            screenshotOnly = true;
            continue;
        }
        if (arg == "--settings") {
            options.screenshotSettings = true;
            screenshotOnly = true;
            continue;
        }
        if (arg == "--skin") {
            options.screenshotSkin = true;
            screenshotOnly = true;
            continue;
        }
        if (arg == "--hidden") {
            options.startHidden = true;
            continue;
        }
        if (arg == "--simulate") {
            options.simulate = true;
        } else if (arg.startsWith("--simulate=")) {
            options.simulate = true;
            options.simulateStateFile = arg.mid(QString("--simulate=").size());
        } else if (arg == "--screenshot") {
            if (i + 1 >= arguments.size()) {
                options.error = "--screenshot needs a file name";
                return options;
            }
            options.screenshotPath = arguments[++i];
        } else if (arg.startsWith("--screenshot=")) {
            options.screenshotPath = arg.mid(QString("--screenshot=").size());
        } else if (arg == "--help" || arg == "-h") {
            options.showHelp = true;
        } else {
            options.error = "unknown option: " + arg;
            return options;
        }
    }
    if (!options.scenarioFile.isEmpty() && !options.simulate && !options.showHelp) {
        options.error = "--scenario goes with --simulate";
        return options;
    }
    if (screenshotOnly && options.screenshotPath.isEmpty() && !options.showHelp) {
        options.error =
            "--tab, --lang, --macro, --key, --profile-menu, --picker, --settings and --skin go "
            "with --screenshot";
    }
    return options;
}

QString UsageText() {
    return QStringLiteral(
        "Usage: q840vex [--simulate[=STATE_FILE] [--scenario FILE]] [--hidden]\n"
        "               [--screenshot PATH [--tab NAME] [--lang en|cn] [--profile-menu]\n"
        "                [--macro N] [--key N] [--picker] [--settings] [--skin]]\n"
        "\n"
        "The configuration utility of the Halvorn Q840-VEX gaming mouse. It lives in the tray;\n"
        "starting it again brings the running copy to the front.\n"
        "\n"
        "Options:\n"
        "  --simulate[=STATE_FILE]  use simulated devices instead of the HID bus; with a file,\n"
        "                           load their state from it and save it there on exit\n"
        "  --scenario FILE          with --simulate: play the timed events of FILE on the\n"
        "                           simulated devices (unplug, sleep, battery, faults)\n"
        "  --hidden                 start in the tray without showing the window (the desktop\n"
        "                           session starts it so when the settings window's \"Start\n"
        "                           with the desktop session\" is on)\n"
        "  --screenshot PATH        render the main window once start-up is complete, write\n"
        "                           it as PNG to PATH and exit\n"
        "  --tab NAME               with --screenshot: show that editor tab of the device page\n"
        "                           (lighting, buttons, macros, shoot, system, dpi, power)\n"
        "  --lang en|cn             with --screenshot: in that language (the stored choice stays)\n"
        "  --profile-menu           with --screenshot: with the profile menu open\n"
        "  --macro N                with --screenshot: with macro N (0 the first) selected\n"
        "  --key N                  with --screenshot: with key button N (0 the first) picked\n"
        "                           in the key assignment editor\n"
        "  --picker                 with --screenshot: with the colour picker of the lighting\n"
        "                           editor open over the window\n"
        "  --settings               with --screenshot: with the settings window open over it\n"
        "  --skin                   with --screenshot: with the skin pop-up open below its button\n"
        "  -h, --help               this text\n");
}

namespace {

// The main window's link to other programs, over the session bus.
class BusProgramLink : public IProgramLink {
public:
    explicit BusProgramLink(ipc::CBusLink& bus) : m_bus(bus) {}
    void Broadcast(const QString& name, quint64 wParam, qint64 lParam) override {
        m_bus.Broadcast(name, wParam, lParam);
    }
    bool SendToWindow(const QString& title, const QString& name, quint64 wParam,
                      qint64 lParam) override {
        return m_bus.SendToWindow(title, name, wParam, lParam);
    }
    bool CopyDataToWindow(const QString& title, quint64 dwData, const QByteArray& data) override {
        return m_bus.CopyDataToWindow(title, dwData, data);
    }

private:
    ipc::CBusLink& m_bus;
};

// Loads the private fonts in table order; a font that fails is skipped.
std::vector<std::unique_ptr<FontFile>> LoadFonts() {
    std::vector<std::unique_ptr<FontFile>> fonts;
    for (const char* path : kFontFiles) {
        auto font = std::make_unique<FontFile>(QString::fromLatin1(path));
        if (!font->Load()) {
            DebugLine("font not loaded: %s", font->Path().toUtf8().constData());
        }
        fonts.push_back(std::move(font));
    }
    return fonts;
}

void UnloadFonts(std::vector<std::unique_ptr<FontFile>>& fonts) {
    for (auto it = fonts.rbegin(); it != fonts.rend(); ++it) {
        (*it)->Unload();
    }
    fonts.clear();
}

}  // namespace

void ResourceSetup() {
    const QString skin = ProgramFolder() + "skin/";
    ui::CPaintManagerUI::SetInstancePath(ProgramFolder());
    ui::CPaintManagerUI::SetResourcePath(skin);
    ui::CResourceManager::GetInstance().SetResourcePath(skin);
    ui::CResourceManager::GetInstance().LoadResource("res.xml");
    RegisterCustomControls();
}

namespace {

constexpr int kScreenshotReadWaitMs = 5000;
constexpr int kScreenshotSettleMs = 700;
constexpr int kInstanceLockTries = 10;
constexpr int kInstanceLockPauseMs = 100;

bool WriteScreenshot(QWidget& window, const QString& path, QWidget* over = nullptr) {
    const QFileInfo info(path);
    QDir().mkpath(info.absolutePath());
    QPixmap picture = window.grab();
    if (over != nullptr) {
        // A window of its own: drawn where it stands over the main window, which is dimmed as
        // behind a modal window.
        QPainter painter(&picture);
        painter.fillRect(picture.rect(), QColor(0, 0, 0, 110));
        const QPoint at = window.mapFromGlobal(over->geometry().topLeft());
        painter.drawPixmap(at, over->grab());
    }
    return picture.save(path, "PNG");
}

}  // namespace

int RunApplication(const StartOptions& options) {
    QElapsedTimer startClock;
    startClock.start();

#if Q840_HAVE_SIM
    // A scenario that cannot be read ends the start before anything else happens.
    sim::Scenario scenario;
    if (!options.scenarioFile.isEmpty()) {
        std::string error;
        if (!sim::LoadScenario(options.scenarioFile.toStdString(), scenario, error)) {
            fprintf(stderr, "q840vex: %s\n", error.c_str());
            return 2;
        }
    }
#endif

    // 1. Private fonts, in table order.
    std::vector<std::unique_ptr<FontFile>> fonts = LoadFonts();

    // 2. Registered messages: the static table first, then the activation message.
    RegisterStaticMessages();
    if (!RegisterActivateMessage()) {
        UnloadFonts(fonts);
        return 0;
    }
    DebugLine("软件标示：%u", Messages().UWM_APP_ACTIVATE_MSG);

    // 3. Single instance: the first owner of the bus name runs; a second start hands over.
    //    A copy that runs holds the instance lock too, so that two starts without a session
    //    bus (or on different buses) do not both talk to the mouse. A screenshot run is a
    //    headless render and never takes part.
    ipc::CBusLink bus;
    InstanceLock instanceLock(InstanceLockFile().toStdString());
    if (options.screenshotPath.isEmpty()) {
        bool handedOver = false;
        if (bus.Connect() && bus.AcquireSingleInstance() == ipc::CBusLink::InstanceRole::Second) {
            // When the running instance does not take the hand-over (it may be ending right
            // now), try once more to become the first rather than leave nothing running.
            handedOver = bus.ActivateFirstInstance(QString::fromLatin1(kProductTitle), 0, 1) ||
                         bus.AcquireSingleInstance() == ipc::CBusLink::InstanceRole::Second;
        }
        if (handedOver) {
            UnloadFonts(fonts);
            return 0;
        }
        // A copy that is ending lets go of the lock within moments.
        bool locked = instanceLock.TryAcquire();
        for (int i = 0; i < kInstanceLockTries && !locked && instanceLock.Error().empty(); ++i) {
            QThread::msleep(kInstanceLockPauseMs);
            locked = instanceLock.TryAcquire();
        }
        if (!locked && instanceLock.Error().empty()) {
            std::fprintf(stderr,
                         "%s is already running (process %ld) and cannot be reached over a "
                         "session bus, so this start ends.\n",
                         kProductTitle, instanceLock.HolderPid());
            UnloadFonts(fonts);
            return 1;
        }
        if (!locked) {
            // No place for the lock file: starting is better than not starting.
            DebugLine("instance lock not taken: %s", instanceLock.Error().c_str());
        }
    }

    // 4. Skin, resource index and custom controls; then the messages for other programs.
    ResourceSetup();
    RegisterGuidMessages();
    ui::ApplyGlobalStyleSheet("style.qss", 96);

#if Q840_HAVE_SIM
    std::shared_ptr<sim::VirtualBus> simulation;
    std::unique_ptr<sim::ScenarioRunner> scenarioRunner;
    if (options.simulate) {
        simulation = sim::StartSimulation(options.simulateStateFile.toStdString());
        if (!options.scenarioFile.isEmpty()) {
            // The scenario's clock starts with the simulated devices.
            scenarioRunner = std::make_unique<sim::ScenarioRunner>(
                std::make_shared<sim::ScenarioPlayer>(simulation, std::move(scenario)));
            scenarioRunner->Start();
        }
    }
#endif

    // 5. The main window.
    BusProgramLink programLink(bus);
    auto mainWnd = std::make_unique<CMainWnd>();
    mainWnd->SetProgramLink(&programLink);
    mainWnd->SetLanguageOverride(options.screenshotLanguage);
    mainWnd->SetStartHidden(options.startHidden && options.screenshotPath.isEmpty());
    // With the simulated devices a stand-in plays the outside update process.
    std::unique_ptr<UpdateStandIn> updateStandIn;
    // Notices (a battery running low) through the desktop's notification service, if any.
    ipc::DesktopNotifications notifications(QDBusConnection(bus.ConnectionName()));
    mainWnd->SetDesktopNotifier([&notifications](const QString& summary, const QString& body) {
        notifications.Notify(summary, body);
    });
    QObject::connect(&bus, &ipc::CBusLink::messageReceived, mainWnd.get(),
                     [&mainWnd](const QString& name, quint64 w, qint64 l) {
                         DeliverBusMessage(*mainWnd, name, w, l);
                     });
    QObject::connect(&bus, &ipc::CBusLink::copyDataReceived, mainWnd.get(),
                     [&mainWnd](quint64 dwData, const QByteArray& data) {
                         DeliverBusCopyData(*mainWnd, dwData, data);
                     });
    if (!mainWnd->Create(nullptr, QString::fromLatin1(kProductTitle))) {
        DebugLine("main layout not loaded");
    }
    // Other programs and q840ctl read and change the devices through the running program.
    ipc::ControlEndpoint* control = ipc::ControlEndpoint::Attach(bus, &mainWnd->Control());
    if (options.simulate) {
        updateStandIn =
            std::make_unique<UpdateStandIn>(mainWnd->GetHWND(), Messages().UWM_UPDATE_PROGRESS_MSG);
        mainWnd->SetUpdateStandIn(updateStandIn.get());
    }

    int exitCode = 0;
    QObject::connect(mainWnd.get(), &CMainWnd::activated, mainWnd.get(), [&startClock] {
        static bool first = true;
        if (first) {
            first = false;
            DebugLine("start-up to the shown window: %lld ms",
                      static_cast<long long>(startClock.elapsed()));
        }
    });
    if (!options.screenshotPath.isEmpty()) {
        // The picture is taken once the devices that are there have been read (at most
        // kScreenshotReadWaitMs after the first activation), so it shows their settings.
        auto* poll = new QTimer(mainWnd.get());
        poll->setInterval(20);
        auto waited = std::make_shared<QElapsedTimer>();
        QObject::connect(mainWnd.get(), &CMainWnd::activated, poll, [poll, waited] {
            if (!waited->isValid()) {
                waited->start();
                poll->start();
            }
        });
        QObject::connect(poll, &QTimer::timeout, mainWnd.get(), [&, poll, waited] {
            if (!mainWnd->FirstReadsDone() && waited->elapsed() < kScreenshotReadWaitMs) {
                return;
            }
            poll->stop();
            if (pages::COrvenixUSBDevice* page = mainWnd->CurrentPage()) {
                if (options.screenshotTab != 0) {
                    page->ShowFunctionPanel(options.screenshotTab);
                }
                if (auto* panel = page->findChild<QAbstractButton*>(options.screenshotPanel);
                    panel != nullptr && !options.screenshotPanel.isEmpty()) {
                    panel->click();
                }
                if (controls::CDeviceProfileUI* bar = page->GetProfileBar()) {
                    bar->ShowProfileMenu(options.screenshotProfileMenu);
                }
                if (editors::CMacroControlUI* macros = page->GetMacroEditor();
                    macros != nullptr && options.screenshotMacro >= 0) {
                    macros->SelectMacro(options.screenshotMacro);
                }
                if (options.screenshotKey >= 0) {
                    page->SelectKey(options.screenshotKey);
                }
            }
            // The picker as the lighting editor's colour button opens it (not modally here, so
            // that the picture can be taken).
            QPointer<CColorSelectWnd> picker;
            if (options.screenshotPicker) {
                pages::COrvenixUSBDevice* page = mainWnd->CurrentPage();
                editors::CLightControlUI* editor =
                    page != nullptr ? page->GetLightEditor() : nullptr;
                picker = CColorSelectWnd::Open(
                    mainWnd.get(), mainWnd->UIScale(),
                    editor != nullptr ? editor->GetPaletteColour() : 0xFFFF0000u, true);
                if (picker != nullptr) {
                    picker->show();
                }
            }
            // The settings window as "setbtn" opens it (not modally, for the picture).
            QPointer<ui::WindowImplBase> settings;
            if (options.screenshotSettings) {
                settings = CSetWnd::Open(mainWnd.get(), mainWnd->SettingsOptions(true));
                if (settings != nullptr) {
                    settings->show();
                }
            } else if (options.screenshotSkin) {
                mainWnd->OpenSkinFrame();
                settings = mainWnd->SkinFrame();
            }
            // A few preview frames and one more turn of the loop, so the layout has settled.
            QTimer::singleShot(kScreenshotSettleMs, mainWnd.get(), [&, picker, settings] {
                QWidget* over = picker != nullptr ? static_cast<QWidget*>(picker.data())
                                                  : static_cast<QWidget*>(settings.data());
                const bool ok = WriteScreenshot(*mainWnd, options.screenshotPath, over);
                if (picker != nullptr) {
                    picker->Close();
                    picker->deleteLater();
                }
                if (settings != nullptr) {
                    settings->Close();
                    settings->deleteLater();
                }
                DebugLine("start-up to screenshot: %lld ms",
                          static_cast<long long>(startClock.elapsed()));
                if (!ok) {
                    fprintf(stderr, "q840vex: cannot write %s\n",
                            options.screenshotPath.toUtf8().constData());
                    exitCode = 1;
                }
                mainWnd->Close();
            });
        });
    }

    // Resolution, screen and DPI changes rescale the window.
    DisplayEvents display(mainWnd->GetHWND(), mainWnd.get());

    // Suspend and resume, from logind on the system bus when there is one.
    PowerEvents power(mainWnd->GetHWND());
    if (options.screenshotPath.isEmpty()) {
        power.Listen(QDBusConnection::systemBus());
    }

    // Log-out, shut-down and Ctrl+C end the program as its own "Exit" does.
    QuitSignals quitSignals([&mainWnd] {
        if (!mainWnd->IsDestroyed()) {
            mainWnd->Close();
        }
    });

    mainWnd->CenterWindow();
    mainWnd->show();
    const int loopResult = QApplication::exec();
    if (exitCode == 0) {
        exitCode = loopResult;
    }

    // Shut-down, in reverse.
    if (control != nullptr) {
        control->DetachHandler();
    }
#if Q840_HAVE_SIM
    scenarioRunner.reset();  // nothing changes under the pages while they go
#endif
    mainWnd.reset();
    updateStandIn.reset();
#if Q840_HAVE_SIM
    if (simulation) {
        // What the program wrote to the simulated devices stays in the state file.
        if (!simulation->StateFile().empty() && !simulation->Save()) {
            fprintf(stderr, "q840vex: cannot save %s\n", simulation->StateFile().c_str());
        }
        hid::SetHidBackend(nullptr);
        simulation.reset();
    }
#endif
    ui::CResourceManager::GetInstance().Release();
    bus.Disconnect();
    UnloadFonts(fonts);
    return exitCode;
}

}  // namespace q840
