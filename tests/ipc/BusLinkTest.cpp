// Messages and copy data between programs, each CBusLink standing for one program on a private
// session bus of this test process.

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <limits>
#include <memory>

#include "ipc/BusTestSupport.h"
#include "platform/ipc/BusNames.h"
#include "platform/ipc/CBusLink.h"

namespace q840::ipc {
namespace {

using test::RunElsewhere;
using test::SpinUntil;

const QString kProductTitle = QStringLiteral("Halvorn Q840-VEX GAMING MOUSE");
const QString kWorkToolQuery = QStringLiteral("{4695579F-999A-41d4-9FAF-EFFCE93EBF18}");

struct Message {
    QString name;
    quint64 wParam;
    qint64 lParam;
    bool operator==(const Message&) const = default;
};

struct CopyData {
    quint64 dwData;
    QByteArray data;
};

// Everything one link received, in order.
struct Inbox {
    explicit Inbox(CBusLink& link) {
        QObject::connect(&link, &CBusLink::messageReceived,
                         [this](const QString& n, quint64 w, qint64 l) {
                             messages.push_back({n, w, l});
                         });
        QObject::connect(&link, &CBusLink::copyDataReceived,
                         [this](quint64 d, const QByteArray& bytes) {
                             copies.push_back({d, bytes});
                         });
    }
    int Count(const QString& name) const {
        int n = 0;
        for (const Message& m : messages) {
            n += m.name == name ? 1 : 0;
        }
        return n;
    }
    std::vector<Message> messages;
    std::vector<CopyData> copies;
};

TEST(BusLinkNames, WindowTitlesMapToBusNames) {
    EXPECT_EQ(WindowBusName("WorkTool"), "com.halvorn.Window.WorkTool");
    EXPECT_EQ(WindowBusName(kProductTitle + "AUDIORECORD"),
              "com.halvorn.Window.Halvorn_Q840_VEX_GAMING_MOUSEAUDIORECORD");
    // A bus name element may not start with a digit.
    EXPECT_EQ(WindowBusName("3D Tool"), "com.halvorn.Window._3D_Tool");
    // One '_' per character, also outside the basic plane.
    EXPECT_EQ(WindowBusName(QString::fromUtf8("Éq.\xF0\x9F\x98\x80")), "com.halvorn.Window._q__");
    EXPECT_TRUE(WindowBusName("").isEmpty());

    const int room = 255 - int(qstrlen(kWindowBusPrefix));
    EXPECT_EQ(WindowBusName(QString(room, 'a')).size(), 255);
    EXPECT_TRUE(WindowBusName(QString(room + 1, 'a')).isEmpty());
}

// Links that were never connected (or found no bus) do nothing and say so.
TEST(BusLinkNames, UnconnectedLinkIsANoOp) {
    test::EnsureApp();
    CBusLink link;
    EXPECT_FALSE(link.IsConnected());
    EXPECT_EQ(link.AcquireSingleInstance(), CBusLink::InstanceRole::NoBus);
    EXPECT_FALSE(link.ActivateFirstInstance(kProductTitle, 0, 1));
    link.Broadcast("Game_Start", 0, 1);
    EXPECT_FALSE(link.PostToWindow("WorkTool", kWorkToolQuery, 1, 0));
    EXPECT_FALSE(link.SendToWindow("WorkTool", kWorkToolQuery, 1, 0));
    EXPECT_FALSE(link.CopyDataToWindow("WorkTool", 5, QByteArray(1024, '\0')));
    EXPECT_FALSE(link.ClaimWindowTitle("WorkTool"));
}

class BusLinkMessages : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        bus = std::make_unique<test::PrivateSessionBus>();
        ASSERT_TRUE(bus->Start()) << "cannot start a private dbus-daemon";
    }
    static void TearDownTestSuite() { bus.reset(); }

    // A connected link standing for one program.
    static std::unique_ptr<CBusLink> Program() {
        auto link = std::make_unique<CBusLink>();
        EXPECT_TRUE(link->Connect());
        return link;
    }

    static inline std::unique_ptr<test::PrivateSessionBus> bus;
};

// Bus addresses may list several places to try; the first that answers is used.
TEST_F(BusLinkMessages, AddressListFallsBackToTheBusThatAnswers) {
    CBusLink link;
    ASSERT_TRUE(link.ConnectTo("unix:path=/nonexistent/q840/bus;" + bus->Address()));
    EXPECT_EQ(link.AcquireSingleInstance(), CBusLink::InstanceRole::First);
}

// Values at the ends of their ranges, and names the program does not know (passed on as they
// are: the main window filters), arrive unchanged.
TEST_F(BusLinkMessages, PostedMessageReachesTheWindowIntact) {
    auto workTool = Program();
    ASSERT_TRUE(workTool->ClaimWindowTitle("WorkTool"));
    Inbox inbox(*workTool);
    auto us = Program();

    const quint64 maxW = std::numeric_limits<quint64>::max();
    const qint64 minL = std::numeric_limits<qint64>::min();
    const std::vector<Message> sent = {
        {kWorkToolQuery, maxW, minL},          {kWorkToolQuery, 0, -1},    {"", 7, 8},
        {QString::fromUtf8("软件标示"), 1, 1}, {QString(5000, 'x'), 0, 0}, {"Game_Start\n", 0, 0},
    };
    for (const Message& m : sent) {
        EXPECT_TRUE(us->PostToWindow("WorkTool", m.name, m.wParam, m.lParam));
    }
    ASSERT_TRUE(SpinUntil([&] { return inbox.messages.size() == sent.size(); }));
    EXPECT_EQ(inbox.messages, sent);
}

TEST_F(BusLinkMessages, SentMessageWaitsUntilTaken) {
    const QString recorderTitle = kProductTitle + "AUDIORECORD";
    const QString audioCmd = QStringLiteral("{4695579F-999A-41d4-9FAF-EFFCE93EBE19}");
    auto recorder = Program();
    ASSERT_TRUE(recorder->ClaimWindowTitle(recorderTitle));
    Inbox inbox(*recorder);

    // The commands go out one after another, each taken before the next is sent.
    const bool sent = RunElsewhere([&] {
        CBusLink us;
        return us.Connect() && us.SendToWindow(recorderTitle, audioCmd, 0, 0x1234) &&
               us.SendToWindow(recorderTitle, audioCmd, 3, 0) &&
               us.SendToWindow(recorderTitle, audioCmd, 1, 0);
    });
    EXPECT_TRUE(sent);
    ASSERT_EQ(inbox.messages.size(), 3u);  // all taken before the sender returned
    EXPECT_EQ(inbox.messages[0], (Message{audioCmd, 0, 0x1234}));
    EXPECT_EQ(inbox.messages[1], (Message{audioCmd, 3, 0}));
    EXPECT_EQ(inbox.messages[2], (Message{audioCmd, 1, 0}));
}

TEST_F(BusLinkMessages, MissingWindowIsReportedNotAwaited) {
    auto us = Program();
    EXPECT_FALSE(us->PostToWindow("WorkTool", kWorkToolQuery, 1, 0));
    EXPECT_FALSE(us->SendToWindow("WorkTool", kWorkToolQuery, 1, 0));
    EXPECT_FALSE(us->CopyDataToWindow("WorkTool", 5, QByteArray(1024, '\x01')));
    EXPECT_FALSE(us->PostToWindow("", kWorkToolQuery, 1, 0));
}

TEST_F(BusLinkMessages, BroadcastReachesEveryProgramOnce) {
    auto a = Program();
    auto b = Program();
    auto sender = Program();
    Inbox inA(*a), inB(*b), inSender(*sender);

    sender->Broadcast("Game_Kill", 2, 17);
    // A second broadcast from the same sender arrives after the first everywhere, so once it is
    // in, any duplicate of the first would have been too.
    sender->Broadcast("marker", 0, 0);
    ASSERT_TRUE(SpinUntil(
        [&] { return inA.Count("marker") && inB.Count("marker") && inSender.Count("marker"); }));
    for (const Inbox* inbox : {&inA, &inB, &inSender}) {
        ASSERT_EQ(inbox->messages.size(), 2u);
        EXPECT_EQ(inbox->messages[0], (Message{"Game_Kill", 2, 17}));
    }
}

TEST_F(BusLinkMessages, CopyDataOfAnyLengthArrivesIntact) {
    auto workTool = Program();
    ASSERT_TRUE(workTool->ClaimWindowTitle("WorkTool"));
    Inbox inbox(*workTool);

    std::vector<QByteArray> payloads;
    for (int size : {0, 24, 2000, 70000}) {
        QByteArray bytes(size, '\0');
        for (int i = 0; i < size; ++i) {
            bytes[i] = char((i * 7 + size) & 0xFF);  // every byte value, zeros included
        }
        payloads.push_back(bytes);
    }
    const bool sent = RunElsewhere([&] {
        CBusLink us;
        bool all = us.Connect();
        quint64 dwData = 1;
        for (const QByteArray& bytes : payloads) {
            all = us.CopyDataToWindow("WorkTool", dwData++, bytes) && all;
        }
        return all;
    });
    EXPECT_TRUE(sent);
    ASSERT_EQ(inbox.copies.size(), payloads.size());
    for (size_t i = 0; i < payloads.size(); ++i) {
        EXPECT_EQ(inbox.copies[i].dwData, i + 1);
        EXPECT_EQ(inbox.copies[i].data, payloads[i]) << "payload " << payloads[i].size();
    }
}

// Outside programs (the recorder's level frames, WorkTool's commands) call the program's own
// bus name with plain D-Bus, not with a CBusLink.
TEST_F(BusLinkMessages, CopyDataToTheProgramFromAPlainClient) {
    auto program = Program();
    ASSERT_EQ(program->AcquireSingleInstance(), CBusLink::InstanceRole::First);
    Inbox inbox(*program);

    QDBusConnection plain = QDBusConnection::connectToBus(bus->Address(), "plain-client");
    ASSERT_TRUE(plain.isConnected());
    QDBusMessage call =
        QDBusMessage::createMethodCall(kBusName, kObjectPath, kInterface, kCopyDataMember);
    const QByteArray frame(2000, '\x7F');
    call << qulonglong(1) << frame;
    plain.call(call, QDBus::NoBlock);
    QDBusMessage post =
        QDBusMessage::createMethodCall(kBusName, kObjectPath, kInterface, kPostMessageMember);
    post << QString("Game_Death") << qulonglong(1) << qlonglong(4);
    plain.call(post, QDBus::NoBlock);

    ASSERT_TRUE(SpinUntil([&] { return inbox.copies.size() == 1 && inbox.messages.size() == 1; }));
    EXPECT_EQ(inbox.copies[0].dwData, 1u);
    EXPECT_EQ(inbox.copies[0].data, frame);
    EXPECT_EQ(inbox.messages[0], (Message{"Game_Death", 1, 4}));
    QDBusConnection::disconnectFromBus("plain-client");
}

// Calls with the wrong argument types (a careless tool) are refused by the bus layer with an
// error for the caller; the program sees nothing and carries on.
TEST_F(BusLinkMessages, MalformedCallsAreRefusedAndTheLinkCarriesOn) {
    auto program = Program();
    ASSERT_EQ(program->AcquireSingleInstance(), CBusLink::InstanceRole::First);
    Inbox inbox(*program);

    QDBusConnection plain = QDBusConnection::connectToBus(bus->Address(), "careless-client");
    ASSERT_TRUE(plain.isConnected());
    QDBusMessage wrongTypes =
        QDBusMessage::createMethodCall(kBusName, kObjectPath, kInterface, kPostMessageMember);
    wrongTypes << QString("Game_Start") << int(1) << int(2);
    QDBusMessage missingData =
        QDBusMessage::createMethodCall(kBusName, kObjectPath, kInterface, kCopyDataMember);
    missingData << qulonglong(1);
    QDBusMessage good =
        QDBusMessage::createMethodCall(kBusName, kObjectPath, kInterface, kPostMessageMember);
    good << QString("Game_Start") << qulonglong(1) << qlonglong(2);

    const auto answers = RunElsewhere([&] {
        return std::vector<QDBusMessage>{plain.call(wrongTypes, QDBus::Block, 5000),
                                         plain.call(missingData, QDBus::Block, 5000),
                                         plain.call(good, QDBus::Block, 5000)};
    });
    EXPECT_EQ(answers[0].type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(answers[1].type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(answers[2].type(), QDBusMessage::ReplyMessage);
    ASSERT_EQ(inbox.messages.size(), 1u);
    EXPECT_EQ(inbox.messages[0], (Message{"Game_Start", 1, 2}));
    EXPECT_TRUE(inbox.copies.empty());
    QDBusConnection::disconnectFromBus("careless-client");
}

// A second start both hands the activation to the owner and broadcasts it: the owner acts on it
// once, other listeners see the broadcast.
TEST_F(BusLinkMessages, ActivationReachesTheOwnerOnceAndOthersByBroadcast) {
    auto first = Program();
    ASSERT_EQ(first->AcquireSingleInstance(), CBusLink::InstanceRole::First);
    auto listener = Program();
    Inbox inFirst(*first), inListener(*listener);

    const bool delivered = RunElsewhere([&] {
        CBusLink second;
        if (!second.Connect() || second.AcquireSingleInstance() != CBusLink::InstanceRole::Second) {
            return false;
        }
        const bool ok = second.ActivateFirstInstance(kProductTitle, 0, 1);
        second.Broadcast("marker", 0, 0);
        return ok;
    });
    EXPECT_TRUE(delivered);
    ASSERT_TRUE(SpinUntil([&] { return inFirst.Count("marker") && inListener.Count("marker"); }));
    EXPECT_EQ(inFirst.Count(kProductTitle), 1);
    EXPECT_EQ(inListener.Count(kProductTitle), 1);
    EXPECT_EQ(inFirst.messages.front(), (Message{kProductTitle, 0, 1}));
}

// The main window lives on the UI thread; whatever thread QtDBus reads on, the link's signals
// come from the thread that owns the link.
TEST_F(BusLinkMessages, SignalsComeFromTheLinksThread) {
    QThread owner;
    owner.start();
    auto link = Program();
    ASSERT_TRUE(link->ClaimWindowTitle("Threaded"));
    link->moveToThread(&owner);

    std::atomic<QThread*> seenOn{nullptr};
    std::atomic<int> copies{0};
    QObject::connect(
        link.get(), &CBusLink::messageReceived, link.get(),
        [&](const QString&, quint64, qint64) { seenOn = QThread::currentThread(); },
        Qt::DirectConnection);
    QObject::connect(
        link.get(), &CBusLink::copyDataReceived, link.get(),
        [&](quint64, const QByteArray&) { ++copies; }, Qt::DirectConnection);

    auto us = Program();
    EXPECT_TRUE(us->PostToWindow("Threaded", "Game_End", 0, 0));
    // A blocking call from this thread is fine: the receiver's thread serves it.
    EXPECT_TRUE(us->CopyDataToWindow("Threaded", 2, QByteArray(6, '\x01')));
    ASSERT_TRUE(SpinUntil([&] { return seenOn.load() != nullptr; }));
    EXPECT_EQ(seenOn.load(), &owner);
    EXPECT_EQ(copies.load(), 1);

    // Links are destroyed on their own thread.
    QObject context;
    context.moveToThread(&owner);
    QMetaObject::invokeMethod(
        &context, [&] { link.reset(); }, Qt::BlockingQueuedConnection);
    owner.quit();
    owner.wait();
}

// The calls that docs/dbus.md shows for other programs and for people at a shell.
TEST_F(BusLinkMessages, DocumentedCommandLinesReachTheProgram) {
    const QString gdbus = QStandardPaths::findExecutable("gdbus");
    const QString busctl = QStandardPaths::findExecutable("busctl");
    if (gdbus.isEmpty() || busctl.isEmpty()) {
        GTEST_SKIP() << "gdbus or busctl not installed";
    }
    auto program = Program();
    ASSERT_EQ(program->AcquireSingleInstance(), CBusLink::InstanceRole::First);
    Inbox inbox(*program);

    const QString path = "/com/halvorn/Q840Vex";
    const QString iface = "com.halvorn.Q840Vex.Messages";
    const QStringList gdbusPost = {
        gdbus, "call",     "--session",           "--dest", "com.halvorn.Q840Vex", "--object-path",
        path,  "--method", iface + ".PostMessage"};
    const QStringList gdbusCopy = {
        gdbus,           "call", "--session", "--dest",           "com.halvorn.Q840Vex",
        "--object-path", path,   "--method",  iface + ".CopyData"};
    const QStringList busctlCall = {busctl, "--user", "call", "com.halvorn.Q840Vex", path, iface};
    const QString lightRequest = "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}";
    const QList<QStringList> commands = {
        gdbusPost + QStringList{lightRequest, "1", "0"},
        busctlCall + QStringList{"PostMessage", "stx", "Game_Start", "0", "3"},
        {busctl, "--user", "call", "--expect-reply=no", "com.halvorn.Q840Vex", path, iface,
         "PostMessage", "stx", "Game_End", "1", "2"},
        {busctl, "--user", "emit", path, iface, "Broadcast", "stx", "Game_Kill", "2", "5"},
        {gdbus, "emit", "--session", "--object-path", path, "--signal", iface + ".Broadcast",
         "'Game_Death'", "uint64 0", "int64 4"},
        busctlCall + QStringList{"CopyData", "tay", "2", "6", "255", "0", "0", "0", "0", "255"},
        gdbusCopy + QStringList{"2", "[byte 0xff, 0, 0, 0, 0, 0xff]"},
        {"sh", "-c",
         busctlCall.join(' ') +
             " CopyData tay 1 2000 $(for i in $(seq 500); do printf '100 0 0 0 '; done)"},
    };
    for (const QStringList& command : commands) {
        QProcess tool;
        tool.start(command.front(), command.mid(1));
        // The program must keep serving its bus while the tool waits for the answer.
        ASSERT_TRUE(SpinUntil([&] { return tool.state() == QProcess::NotRunning; }, 20000))
            << command.join(' ').toStdString();
        EXPECT_EQ(tool.exitCode(), 0) << command.join(' ').toStdString() << "\n"
                                      << tool.readAllStandardError().toStdString();
    }
    const std::vector<Message> expected = {
        {lightRequest, 1, 0}, {"Game_Start", 0, 3}, {"Game_End", 1, 2},
        {"Game_Kill", 2, 5},  {"Game_Death", 0, 4},
    };
    ASSERT_TRUE(SpinUntil(
        [&] { return inbox.messages.size() == expected.size() && inbox.copies.size() == 3; }));
    // Separate tools on separate connections: the bus does not order them against each other.
    EXPECT_TRUE(std::is_permutation(inbox.messages.begin(), inbox.messages.end(), expected.begin(),
                                    expected.end()));
    const QByteArray colour("\xff\x00\x00\x00\x00\xff", 6);
    EXPECT_EQ(inbox.copies[0].dwData, 2u);
    EXPECT_EQ(inbox.copies[0].data, colour);
    EXPECT_EQ(inbox.copies[1].dwData, 2u);
    EXPECT_EQ(inbox.copies[1].data, colour);
    QByteArray level;
    for (int i = 0; i < 500; ++i) {
        level.append("\x64\x00\x00\x00", 4);
    }
    EXPECT_EQ(inbox.copies[2].dwData, 1u);
    EXPECT_EQ(inbox.copies[2].data, level);
}

}  // namespace
}  // namespace q840::ipc
