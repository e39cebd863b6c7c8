#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <atomic>
#include <thread>
#include <vector>

#include "platform/MessageTarget.h"
#include "core/base/RegisteredMessage.h"

using namespace q840;

namespace {

class RecordingTarget : public CMessageTarget {
public:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        threads.push_back(QThread::currentThread());
        received.push_back(static_cast<int>(wParam));
        return static_cast<LRESULT>(msg) + lParam;
    }
    std::vector<QThread*> threads;
    std::vector<int> received;
};

void PumpUntil(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

TEST(MessageTarget, MessagesFromAWorkerAreHandledOnTheUiThreadInOrder) {
    RecordingTarget target;
    std::atomic<LRESULT> sendResult{0};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i) {
            PostMessageW(&target, WM_USER + 1, static_cast<WPARAM>(i), 0);
        }
        // A send waits for the posted messages queued before it and for its own result.
        sendResult = SendMessageW(&target, WM_USER + 2, 100, 5);
        done = true;
    });
    PumpUntil([&] { return done.load(); });
    worker.join();
    ASSERT_EQ(target.received.size(), 101u);
    for (int i = 0; i <= 100; ++i) {
        EXPECT_EQ(target.received[static_cast<size_t>(i)], i);
    }
    for (QThread* t : target.threads) {
        EXPECT_EQ(t, QCoreApplication::instance()->thread());
    }
    EXPECT_EQ(sendResult.load(), static_cast<LRESULT>(WM_USER + 2 + 5));
    // On its own thread a send is a direct call.
    EXPECT_EQ(SendMessageW(&target, 7, 0, 1), 8);
}

TEST(MessageTarget, MessagesForADestroyedTargetAreDropped) {
    auto* target = new RecordingTarget();
    HWND stale = target;
    EXPECT_TRUE(IsWindow(stale));
    delete target;
    EXPECT_FALSE(IsWindow(stale));
    EXPECT_FALSE(PostMessageW(stale, WM_USER, 0, 0));
    EXPECT_EQ(SendMessageW(stale, WM_USER, 0, 0), 0);
    EXPECT_FALSE(PostMessageW(nullptr, WM_USER, 0, 0));

    // Posted, then destroyed before the queue ran: nothing runs on freed memory.
    auto* doomed = new RecordingTarget();
    PostMessageW(doomed, WM_USER, 1, 0);
    delete doomed;
    QCoreApplication::processEvents();
}

TEST(RegisteredMessage, SameNameSameIdInTheRegisteredRange) {
    const UINT a = RegisterWindowMessageW("Test_Message_A");
    const UINT b = RegisterWindowMessageW("Test_Message_B");
    EXPECT_GE(a, kFirstRegisteredMessage);
    EXPECT_LE(b, kLastRegisteredMessage);
    EXPECT_NE(a, b);
    EXPECT_EQ(RegisterWindowMessageW("Test_Message_A"), a);
    EXPECT_EQ(RegisteredMessageName(a), "Test_Message_A");
    EXPECT_EQ(RegisteredMessageName(1), "");
    EXPECT_EQ(RegisterWindowMessageW(""), 0u);

    // Registration from many threads at once still hands one id per name.
    std::vector<std::thread> threads;
    std::vector<UINT> ids(8);
    for (size_t i = 0; i < ids.size(); ++i) {
        threads.emplace_back([&ids, i] { ids[i] = RegisterWindowMessageW("Test_Concurrent"); });
    }
    for (auto& t : threads) {
        t.join();
    }
    for (UINT id : ids) {
        EXPECT_EQ(id, ids[0]);
    }
}

}  // namespace
