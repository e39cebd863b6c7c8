// The control interface of the running program on a private session bus: q840ctl going through
// the program while it runs (the mouse gets the window's sequence once), and a D-Bus client
// calling the interface with good and bad arguments, watching its properties and signals.

#include <gtest/gtest.h>

#include <json/json.h>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QVariantMap>
#include <optional>
#include <sstream>

#include "controls/CDeviceProfileUI.h"
#include "core/base/ControlInterface.h"
#include "core/base/InstanceLock.h"
#include "core/profile/CMouseProfiledata.h"
#include "core/profile/JsonFileStore.h"
#include "ctl/CtlCommands.h"
#include "ipc/BusTestSupport.h"
#include "platform/Paths.h"
#include "platform/ipc/CBusLink.h"
#include "platform/ipc/ControlEndpoint.h"
#include "tests/app/MouseWindowFixture.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitFor.h"

using namespace q840;
using q840::test::WaitFor;

// What a D-Bus client of the interface hears.
class SignalListener : public QObject {
    Q_OBJECT
public:
    QVariantMap changed;
    QStringList arrived, left;
public Q_SLOTS:
    void OnPropertiesChanged(const QString& /*interface*/, const QVariantMap& values,
                             const QStringList& /*invalidated*/) {
        for (auto it = values.begin(); it != values.end(); ++it) {
            changed.insert(it.key(), it.value());
        }
    }
    void OnArrived(const QString& kind, const QString& path) { arrived << kind + " " + path; }
    void OnLeft(const QString& kind, const QString& path) { left << kind + " " + path; }
};

namespace {

struct CtlRun {
    int code = -1;
    std::string out;
    std::string err;
};

class ScopedEnv {
public:
    ScopedEnv(const char* name, const QString& value) : m_name(name), m_old(qgetenv(name)) {
        m_had = qEnvironmentVariableIsSet(name);
        qputenv(name, value.toUtf8());
    }
    ~ScopedEnv() { m_had ? (void)qputenv(m_name, m_old) : (void)qunsetenv(m_name); }

private:
    const char* m_name;
    QByteArray m_old;
    bool m_had = false;
};

class ControlInterfaceTest : public test::MouseWindowTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_daemon.Start());
        test::MouseWindowTest::SetUp();
        ASSERT_TRUE(m_link.Connect());
        ASSERT_EQ(ipc::CBusLink::InstanceRole::First, m_link.AcquireSingleInstance());
        m_control = ipc::ControlEndpoint::Attach(m_link, &m_wnd->Control());
        ASSERT_NE(m_control, nullptr);
        // The program holds its instance lock while it runs; q840ctl finds the profiles and the
        // factory data where the program has them.
        m_lock.emplace((m_run.path() / "halvorn-q840vex.lock").string());
        ASSERT_TRUE(m_lock->TryAcquire());
    }
    void TearDown() override {
        if (m_control != nullptr) {
            m_control->DetachHandler();
        }
        test::MouseWindowTest::TearDown();
        m_link.Disconnect();
    }

    // q840ctl on a thread of its own, as another process: the window keeps serving the bus.
    CtlRun Ctl(std::vector<std::string> args) {
        return ipc::test::RunElsewhere([args] {
            std::ostringstream out, err;
            CtlRun r;
            r.code = ctl::RunCtl(args, out, err);
            r.out = out.str();
            r.err = err.str();
            return r;
        });
    }
    // A call of the interface from a client connection of its own.
    QDBusMessage Call(const char* member, const QVariantList& arguments,
                      const char* interface = control::kInterface) {
        const QString address = m_daemon.Address();
        return ipc::test::RunElsewhere([=] {
            QDBusConnection client = QDBusConnection::connectToBus(address, "control-client");
            QDBusMessage call = QDBusMessage::createMethodCall(
                control::kBusName, control::kObjectPath, interface, member);
            call.setArguments(arguments);
            QDBusMessage reply = client.call(call, QDBus::Block, 20000);
            QDBusConnection::disconnectFromBus("control-client");
            return reply;
        });
    }
    // The mouse's commands since the last Clear: their command codes, without the periodic
    // battery reads.
    std::vector<int> CommandCodes() {
        std::vector<int> codes;
        for (const auto& e : m_bus->GetTranscript()->Commands()) {
            if (e.bytes.size() > 3 && e.bytes[3] != 0x1A) {
                codes.push_back(e.bytes[3]);
            }
        }
        return codes;
    }
    controls::CDeviceProfileUI* Bar() { return Page()->GetProfileBar(); }
    // A second profile that differs from the first in stage 2's X index and the report rate.
    int AddSecondProfile() {
        m_wnd->Profiles().AddProfile();
        EXPECT_EQ(2, Bar()->GetProfileCount());
        const std::string file = Bar()->GetProfileFilePath(1).toStdString();
        profile::JsonFileStore store;
        Json::Value content = store.ReadJsonFile(file);
        Json::Value& stage = content["Device"][0]["DPIStages"]["StageDPIs"][2];
        const int x = (stage["StageDPIX"].asInt() + 7) % 100;
        stage["StageDPIX"] = x;
        stage["StageDPIY"] = x;
        content["Device"][0]["ReportStages"]["StageActive"] = 1;
        EXPECT_EQ(0, store.WriteJsonFile(file, content));
        return x;
    }

    ipc::test::PrivateSessionBus m_daemon;
    ipc::CBusLink m_link;
    ipc::ControlEndpoint* m_control = nullptr;
    q840::test::TempDir m_run{"q840-control"};
    ScopedEnv m_runtime{"XDG_RUNTIME_DIR", QString::fromStdString(m_run.path().string())};
    ScopedEnv m_userData{"Q840_USER_DATA_DIR", UserDataFolder()};
    ScopedEnv m_programDir{"Q840_PROGRAM_DIR", ProgramFolder()};
    std::optional<InstanceLock> m_lock;
};

// Stage 2's X index and the report rate in profile 0's block (sensor 0x3104).
constexpr size_t kStage2X = 14 + 18 + 2;
constexpr size_t kReportRate = 11;

TEST_F(ControlInterfaceTest, Q840ctlGoesThroughTheRunningProgramAndTheWindowFollows) {
    const int x = AddSecondProfile();
    // The window's first switch after an arrival also sends the shoot patterns, which are the
    // same for every profile; later switches leave them on the mouse. One switch there and back
    // first, so the sequence taken below is the one every later switch sends.
    m_wnd->Profiles().SwitchPageProfile(*Page(), 1);
    m_wnd->Profiles().SwitchPageProfile(*Page(), 0);
    // The window's own switch, for the sequence the mouse gets from it.
    m_bus->GetTranscript()->Clear();
    m_wnd->Profiles().SwitchPageProfile(*Page(), 1);
    const std::vector<int> window = CommandCodes();
    ASSERT_FALSE(window.empty());
    m_wnd->Profiles().SwitchPageProfile(*Page(), 0);
    ASSERT_NE(x, MouseSettings()[kStage2X]);

    m_bus->GetTranscript()->Clear();
    CtlRun r = Ctl({"profile", "switch", "profile2"});
    ASSERT_EQ(ctl::kExitOk, r.code) << r.err;
    EXPECT_EQ("profile: profile2\n", r.out);
    EXPECT_EQ(window, CommandCodes()) << "one switch, as from the window";
    EXPECT_EQ(x, MouseSettings()[kStage2X]);
    EXPECT_EQ(1, MouseSettings()[kReportRate]);
    EXPECT_EQ(1, Bar()->GetSelectedIndex());
    EXPECT_EQ(Bar()->GetCurrentProfileId(), Page()->GetProfileFileName());

    // A setting: into the page's profile (the window shows it) and the mouse, read back.
    r = Ctl({"set", "report-rate", "500"});
    ASSERT_EQ(ctl::kExitOk, r.code) << r.err;
    EXPECT_EQ("report rate: 500 Hz\nprofile: profile2\n", r.out);
    EXPECT_EQ(2, MouseSettings()[kReportRate]);
    EXPECT_EQ(2, Page()->MouseProfile()->GetSystemSettings().reportRate);

    r = Ctl({"--json", "settings"});
    ASSERT_EQ(ctl::kExitOk, r.code) << r.err;
    Json::Value root;
    std::istringstream in(r.out);
    ASSERT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), in, &root, nullptr)) << r.out;
    EXPECT_EQ(500, root["reportRate"]["hz"].asInt());
    EXPECT_EQ("mouse", root["device"]["kind"].asString());
    r = Ctl({"settings"});
    ASSERT_EQ(ctl::kExitOk, r.code) << r.err;
    EXPECT_NE(std::string::npos, r.out.find("report rate: 500 Hz")) << r.out;

    // Refusals keep their exit codes and words; nothing reaches the mouse.
    m_bus->GetTranscript()->Clear();
    r = Ctl({"set", "report-rate", "300"});
    EXPECT_EQ(ctl::kExitUsage, r.code);
    EXPECT_NE(std::string::npos, r.err.find("300 Hz is not one of the choices")) << r.err;
    r = Ctl({"raw", "3"});
    EXPECT_EQ(ctl::kExitDeviceError, r.code);
    EXPECT_NE(std::string::npos, r.err.find("raw commands")) << r.err;
    r = Ctl({"profile", "switch", "9"});
    EXPECT_EQ(ctl::kExitUsage, r.code);
    EXPECT_TRUE(CommandCodes().empty());

    // Without the program (its lock let go) q840ctl talks to the mouse itself: after reading the
    // mouse's identity and key table, the mouse gets what the window's switch sends it.
    m_lock.reset();
    m_bus->GetTranscript()->Clear();
    r = Ctl({"profile", "switch", "1"});
    ASSERT_EQ(ctl::kExitOk, r.code) << r.err;
    const std::vector<int> direct = CommandCodes();
    ASSERT_GT(direct.size(), window.size());
    EXPECT_TRUE(std::equal(window.begin(), window.end(), direct.end() - long(window.size())))
        << ::testing::PrintToString(window) << " / " << ::testing::PrintToString(direct);
    EXPECT_NE(x, MouseSettings()[kStage2X]);
}

TEST_F(ControlInterfaceTest, AClientGetsAnswersErrorsPropertiesAndSignals) {
    AddSecondProfile();
    SignalListener listener;
    QDBusConnection watcher = QDBusConnection::connectToBus(m_daemon.Address(), "watcher");
    ASSERT_TRUE(watcher.connect(control::kBusName, control::kObjectPath,
                                "org.freedesktop.DBus.Properties", "PropertiesChanged", &listener,
                                SLOT(OnPropertiesChanged(QString, QVariantMap, QStringList))));
    ASSERT_TRUE(watcher.connect(control::kBusName, control::kObjectPath, control::kInterface,
                                "DeviceArrived", &listener, SLOT(OnArrived(QString, QString))));
    ASSERT_TRUE(watcher.connect(control::kBusName, control::kObjectPath, control::kInterface,
                                "DeviceLeft", &listener, SLOT(OnLeft(QString, QString))));

    // Both interfaces at the one object, with the members and properties.
    QDBusMessage reply = Call("Introspect", {}, "org.freedesktop.DBus.Introspectable");
    ASSERT_EQ(QDBusMessage::ReplyMessage, reply.type()) << reply.errorMessage().toStdString();
    const QString xml = reply.arguments().value(0).toString();
    for (const char* part : {"com.halvorn.Q840Vex.Messages", "com.halvorn.Q840Vex.Control",
                             "SetSettings", "SwitchProfile", "ListProfiles", "ReadSettings",
                             "ActiveProfile", "BatteryLevel", "DeviceArrived", "DeviceLeft"}) {
        EXPECT_TRUE(xml.contains(QLatin1String(part))) << part;
    }

    reply = Call("ListProfiles", {});
    ASSERT_EQ(QDBusMessage::ReplyMessage, reply.type()) << reply.errorMessage().toStdString();
    EXPECT_EQ((QStringList{"Profile1", "profile2"}), reply.arguments().value(0).toStringList());
    EXPECT_EQ(0, reply.arguments().value(1).toInt());

    // Wrong types, unknown names, values out of range and too much: errors, nothing written.
    const std::vector<uint8_t> before = MouseSettings();
    m_bus->GetTranscript()->Clear();
    struct Bad {
        const char* member;
        QVariantList arguments;
        const char* error;
    };
    QStringList many;
    for (int i = 0; i < control::kMaxSetWords + 1; ++i) {
        many << "ripple";
    }
    const std::vector<Bad> bad = {
        {"SwitchProfile", {QString("profile2")}, "org.freedesktop.DBus.Error.UnknownMethod"},
        {"SwitchProfile", {uint(2)}, control::kErrorUsage},
        {"SetSettings", {uint(1)}, "org.freedesktop.DBus.Error.UnknownMethod"},
        {"SetSettings", {QStringList{"dpi", "2", "99999"}}, control::kErrorUsage},
        {"SetSettings", {QStringList{"no-such-setting", "1"}}, control::kErrorUsage},
        {"SetSettings", {QStringList{"ripple"}}, control::kErrorUsage},
        {"SetSettings", {QStringList{}}, control::kErrorUsage},
        {"SetSettings", {many}, control::kErrorUsage},
        {"SetSettings", {QStringList{"light-effect", QString(200, 'x')}}, control::kErrorUsage},
        {"NoSuchMethod", {}, "org.freedesktop.DBus.Error.UnknownMethod"},
    };
    for (const Bad& b : bad) {
        reply = Call(b.member, b.arguments);
        EXPECT_EQ(QDBusMessage::ErrorMessage, reply.type()) << b.member;
        EXPECT_EQ(QString::fromLatin1(b.error), reply.errorName())
            << b.member << ": " << reply.errorMessage().toStdString();
    }
    EXPECT_TRUE(CommandCodes().empty());
    EXPECT_EQ(before, MouseSettings());

    // A switch through the interface shows in the properties and their signal.
    reply = Call("SwitchProfile", {uint(1)});
    ASSERT_EQ(QDBusMessage::ReplyMessage, reply.type()) << reply.errorMessage().toStdString();
    EXPECT_EQ("profile2", reply.arguments().value(0).toString());
    EXPECT_TRUE(WaitFor([&] { return listener.changed.contains("ActiveProfile"); }));
    EXPECT_EQ(1, listener.changed.value("ActiveProfile").toInt());
    EXPECT_EQ("profile2", listener.changed.value("ActiveProfileName").toString());
    reply = Call("Get", {QString(control::kInterface), QString("ActiveProfile")},
                 "org.freedesktop.DBus.Properties");
    EXPECT_EQ(1, reply.arguments().value(0).value<QDBusVariant>().variant().toInt());

    reply = Call("ReadBattery", {});
    ASSERT_EQ(QDBusMessage::ReplyMessage, reply.type()) << reply.errorMessage().toStdString();
    EXPECT_TRUE(reply.arguments().value(0).toString().contains("\"percent\""));
    reply = Call("GetDevices", {});
    EXPECT_TRUE(reply.arguments().value(0).toString().contains("\"kind\":\"mouse\""));

    // The mouse pulled out: the device signal, then "no device" answers.
    m_bus->Unplug(m_bus->Find(sim::kCableChannel));
    EXPECT_TRUE(WaitFor([&] { return !listener.left.isEmpty(); }));
    EXPECT_TRUE(listener.left.value(0).startsWith("mouse "))
        << listener.left.join(",").toStdString();
    EXPECT_TRUE(WaitFor([&] { return listener.changed.value("ActiveProfile").toInt() == -1; }));
    reply = Call("ReadSettings", {});
    EXPECT_EQ(QString::fromLatin1(control::kErrorNoDevice), reply.errorName());
    QDBusConnection::disconnectFromBus("watcher");
}

}  // namespace

#include "ControlInterfaceTest.moc"
