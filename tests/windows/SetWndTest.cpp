// The settings window as a user and the update process meet it: the language combo and what it
// tells the main window, the rows through their states, the closing rules, placement, the
// autostart entry and the date file.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <vector>

#include "WindowsTestSupport.h"
#include "platform/Autostart.h"
#include "platform/Paths.h"
#include "windows/CSetWnd.h"

using namespace q840;
using windows::CUpdateInfoListItemUI;
using windows::UpdateEntry;

namespace {

constexpr UINT kProgress = 0xC123;  // the registered id of the progress message, as it may be

// The main window as the settings window sees it: what it is sent.
class MainStandIn : public CMessageTarget {
public:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM) override {
        messages.emplace_back(msg, wParam);
        return 0;
    }
    int Count(UINT msg) const {
        int n = 0;
        for (const auto& [m, w] : messages) {
            n += m == msg;
        }
        return n;
    }
    std::vector<std::pair<UINT, WPARAM>> messages;
};

UpdateEntry Device(const char* name, uint32_t version, int state, const char* newVersion = "") {
    UpdateEntry entry;
    entry.flag = 1;
    entry.shortName = entry.displayName = name;
    entry.versionNumber = version;
    entry.state = state;
    entry.newVersionText = newVersion;
    return entry;
}

class SetWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        SetUserDataFolder(m_dir.filePath("user"));
        qputenv("XDG_CONFIG_HOME", m_dir.filePath("config").toUtf8());
        m_options.mainHandle = &m_main;
        m_options.languageTexts = {"English", "简体中文"};
        m_options.languageIndex = 1;
        m_options.progressMessage = kProgress;
        m_options.autostartProgram = m_dir.filePath("bin/q840vex");
        UpdateEntry program;
        program.modelCode = "ALL";
        program.displayName = "AP";
        program.versionText = "V0100";
        program.versionNumber = 100;
        m_options.entries = {Device("MS", 0x0102, 1, "V0103"), Device("R40", 0x0200, 2, "V0201"),
                             Device("KB", 0x0300, 0), program};
    }
    void TearDown() override {
        if (m_wnd != nullptr) {
            m_wnd->Close();
            delete m_wnd;
        }
        qunsetenv("XDG_CONFIG_HOME");
        SetUserDataFolder(QString());
    }
    CSetWnd& Open() {
        m_wnd = CSetWnd::Open(nullptr, m_options);
        EXPECT_NE(m_wnd, nullptr);
        m_wnd->show();
        return *m_wnd;
    }
    void Tick(int row) { QTest::mouseClick(m_wnd->Row(row)->Option(), Qt::LeftButton); }
    void Click(const char* name) {
        QTest::mouseClick(test::Find<QPushButton>(*m_wnd, name), Qt::LeftButton);
    }
    void Progress(WPARAM wParam, LPARAM lParam) {
        SendMessageW(m_wnd->GetHWND(), kProgress, wParam, lParam);
    }
    QString Shown(CUpdateInfoListItemUI* row, const char* part) {
        auto* label = row->findChild<QLabel*>(part);
        return label != nullptr && label->isVisibleTo(row) ? label->text() : QString();
    }

    QTemporaryDir m_dir;
    MainStandIn m_main;
    CSetWnd::Options m_options;
    QPointer<CSetWnd> m_wnd;  // goes with its owner in the placement test
};

TEST_F(SetWndTest, OpensWithTheLanguagesTheRowsAndTheirStates) {
    CSetWnd& wnd = Open();
    EXPECT_EQ(wnd.size(), QSize(630, 500));
    auto* combo = test::Find<QComboBox>(wnd, "Language_combox_info");
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_TRUE(m_main.messages.empty()) << "selecting the current language told the main window";

    ASSERT_EQ(wnd.RowCount(), 4);
    CUpdateInfoListItemUI* mouse = wnd.Row(0);
    EXPECT_EQ(mouse->Option()->text(), "Mouse");
    EXPECT_EQ(mouse->GetOldVersion(), "V0102");  // "V%04x" of the device's number
    EXPECT_EQ(mouse->GetNewVersion(), "V0103");
    EXPECT_EQ(Shown(mouse, "update_status_text"), "Update available");
    EXPECT_TRUE(mouse->IsOptionEnabled());
    EXPECT_TRUE(mouse->Option()->styleSheet().contains("#0099ff"));
    CUpdateInfoListItemUI* keyboard = wnd.Row(2);
    EXPECT_EQ(Shown(keyboard, "update_status_text"), "Latest version");
    EXPECT_FALSE(keyboard->IsOptionEnabled());
    EXPECT_TRUE(keyboard->Option()->styleSheet().contains("#666666"));
    CUpdateInfoListItemUI* program = wnd.Row(3);
    EXPECT_EQ(program->GetName(), "AP");
    EXPECT_EQ(program->GetOldVersion(), "V0100");  // the table's own text
    EXPECT_EQ(wnd.GetStatus(), CSetWnd::kHaveUpdate);
    // Nothing ticked: the update button is away.
    EXPECT_FALSE(test::Shown(wnd, "update_fw_and_ap"));
}

TEST_F(SetWndTest, ChoosingALanguageTellsTheMainWindowWhichAndTheAnswerRebuildsTheDate) {
    m_options.entries.clear();
    m_options.entries.push_back(Device("KB", 0x0300, 0));
    CSetWnd& wnd = Open();
    EXPECT_EQ(wnd.GetStatus(), CSetWnd::kLatest);
    // Up to date: the main window clears the badge of "setbtn".
    EXPECT_EQ(m_main.Count(CSetWnd::kMsgClearUpdateBadge), 1);
    const QString date = wnd.LastUpdateDate();
    EXPECT_EQ(test::Text(wnd, "Update_Status_text"), "Up to date. Last update: " + date);

    auto* combo = test::Find<QComboBox>(wnd, "Language_combox_info");
    // The user picks English (as the combo's list reports a choice).
    combo->setCurrentIndex(0);
    emit combo->activated(0);
    ASSERT_EQ(m_main.Count(windows::kMsgLanguageChanged), 1);
    EXPECT_EQ(m_main.messages.back().second, 0u);

    // The main window applies it and answers with 3089: the status text comes in the language.
    test::SwitchLanguage("lan_cn.xml");
    SendMessageW(wnd.GetHWND(), windows::kMsgLanguageChanged, 0, 0);
    EXPECT_EQ(test::Text(wnd, "Update_Status_text"), "已是最新。上次升级：" + date);
    test::SwitchLanguage("lan_en.xml");
}

TEST_F(SetWndTest, AnUpdateWalksTheTickedRowsThroughTheirStatesAndStrayProgressChangesNothing) {
    CSetWnd& wnd = Open();
    CUpdateInfoListItemUI* mouse = wnd.Row(0);
    CUpdateInfoListItemUI* receiver = wnd.Row(1);
    int requested = 0;
    QObject::connect(&wnd, &CSetWnd::updateRequested, [&] { ++requested; });

    // Progress before anything is queued has no row to go to.
    Progress(4, 50);
    Progress(1, 0);
    EXPECT_EQ(mouse->GetState(), 1);

    Tick(0);
    ASSERT_TRUE(test::Shown(wnd, "update_fw_and_ap"));
    Click("update_fw_and_ap");
    auto* tabs = test::Find<QStackedWidget>(wnd, "get_update_tab_layout");
    EXPECT_EQ(tabs->currentIndex(), 1);
    Click("update_OK_btn");
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(requested, 1);
    EXPECT_TRUE(wnd.IsUpdateRequested());
    EXPECT_EQ(wnd.GetStatus(), CSetWnd::kUpdating);
    EXPECT_EQ(mouse->GetState(), 3);
    EXPECT_FALSE(receiver->IsOptionEnabled()) << "an unticked row stays out of this update";
    EXPECT_EQ(wnd.CurrentRow(), mouse);

    // Download: 57 % shows on the current row; out-of-range values change nothing.
    Progress(4, 57);
    EXPECT_EQ(mouse->GetState(), 4);
    EXPECT_EQ(Shown(mouse, "update_progress_value"), "57%");
    Progress(4, 101);
    Progress(4, -1);
    EXPECT_EQ(mouse->GetProgress(), 57);
    Progress(4, 100);
    EXPECT_EQ(mouse->GetState(), 5);
    EXPECT_FALSE(mouse->findChild<QWidget*>("update_status_ok")->isHidden());
    // While a row works the window does not close: neither its buttons nor Escape nor Alt+F4.
    Click("closebtn");
    QTest::keyClick(&wnd, Qt::Key_Escape);
    SendMessageW(wnd.GetHWND(), WM_SYSCOMMAND, windows::SC_CLOSE, 0);
    SendMessageW(wnd.GetHWND(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(wnd.IsDestroyed());
    // Installation, then done: the new version becomes the row's version.
    Progress(4, 30);
    EXPECT_EQ(mouse->GetState(), 6);
    EXPECT_EQ(Shown(mouse, "update_progress_value"), "30%");
    Progress(1, 0);
    EXPECT_EQ(mouse->GetState(), 7);
    EXPECT_EQ(mouse->GetOldVersion(), "V0103");
    EXPECT_EQ(mouse->GetNewVersion(), "");
    EXPECT_FALSE(mouse->IsTicked());
    EXPECT_EQ(Shown(mouse, "update_status_text"), "Updated");
    // The receiver still needs its update: it can be ticked again, and the status says so.
    EXPECT_TRUE(receiver->IsOptionEnabled());
    EXPECT_EQ(wnd.GetStatus(), CSetWnd::kHaveUpdate);
    EXPECT_FALSE(wnd.IsUpdateRequested());

    // The receiver's update fails: the run ends, the row can be tried again, the window closes.
    Tick(1);
    Click("update_fw_and_ap");
    Click("update_OK_btn");
    Progress(4, 10);
    Progress(2, 0);
    EXPECT_EQ(receiver->GetState(), 8);
    EXPECT_EQ(Shown(receiver, "update_status_text"), "Update failed");
    EXPECT_TRUE(receiver->IsOptionEnabled());
    EXPECT_EQ(wnd.GetStatus(), CSetWnd::kHaveUpdate);
    Click("closebtn");
    EXPECT_TRUE(wnd.IsDestroyed());
}

TEST_F(SetWndTest, PlacedBesideTheMainWindowFromItsButtonCentredOtherwiseAndAtItsScale) {
    QWidget owner;
    owner.setGeometry(100, 50, 1000, 640);
    m_options.besideOwner = true;
    m_options.scale = 144;
    m_wnd = CSetWnd::Open(&owner, m_options);
    ASSERT_NE(m_wnd, nullptr);
    EXPECT_EQ(m_wnd->size(), QSize(945, 750));
    // Right edge - width - 30 and top + 60, both scaled with the main window's 144.
    EXPECT_EQ(m_wnd->pos(), QPoint(100 + 1000 - 945 - 45, 50 + 90));
    delete m_wnd;

    test::DebugLines lines;
    m_options.besideOwner = false;
    m_options.scale = 100;
    m_wnd = CSetWnd::Open(&owner, m_options);
    EXPECT_TRUE(lines.Contains("SET_WND DPI SET ERROR"));
    EXPECT_EQ(m_wnd->size(), QSize(630, 500));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_NEAR(m_wnd->geometry().center().x(), screen.center().x(), 1);
}

TEST_F(SetWndTest, StartWithTheSessionWritesAndRemovesTheAutostartEntry) {
    CSetWnd& wnd = Open();
    auto* check = test::Find<QAbstractButton>(wnd, "autostart_check");
    EXPECT_FALSE(check->isChecked());
    const QString entry = m_dir.filePath("config/autostart/com.halvorn.Q840Vex.desktop");
    EXPECT_EQ(Autostart::EntryPath(), entry);

    QTest::mouseClick(check, Qt::LeftButton);
    ASSERT_TRUE(QFile::exists(entry));
    EXPECT_TRUE(check->isChecked());
    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains("Exec=\"" + m_options.autostartProgram + "\" --hidden"))
        << text.toStdString();
    if (!QStandardPaths::findExecutable("desktop-file-validate").isEmpty()) {
        QProcess validate;
        validate.start("desktop-file-validate", {entry});
        ASSERT_TRUE(validate.waitForFinished(10000));
        EXPECT_EQ(validate.exitCode(), 0) << validate.readAllStandardOutput().toStdString();
    }
    // A second window shows it on; turning it off removes the entry.
    wnd.Close();
    delete m_wnd;
    CSetWnd& again = Open();
    check = test::Find<QAbstractButton>(again, "autostart_check");
    EXPECT_TRUE(check->isChecked());
    QTest::mouseClick(check, Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_FALSE(check->isChecked());

    // An entry the desktop switched off counts as off.
    ASSERT_TRUE(Autostart::SetEnabled(true, m_options.autostartProgram));
    QFile edit(entry);
    ASSERT_TRUE(edit.open(QIODevice::Append));
    edit.write("Hidden=true\n");
    edit.close();
    EXPECT_FALSE(Autostart::IsEnabled());
}

TEST_F(SetWndTest, TheDateFileIsRepairedWhenMissingOrBrokenAndKeptWhenSound) {
    const QString path = windows::UpdateTimeFilePath();
    const QDate today(2026, 3, 7);
    EXPECT_EQ(windows::LastUpdateDateOrToday(path, today), "2026-3-7");
    EXPECT_EQ(windows::ReadLastUpdateDate(path), "2026-3-7");
    for (const char* broken : {"not json", "[1,2]", "{\"updatelasttime\": 5}",
                               "{\"updatelasttime\": {\"value\": 20260307}}"}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(broken);
        file.close();
        EXPECT_EQ(windows::LastUpdateDateOrToday(path, QDate(2027, 1, 2)), "2027-1-2") << broken;
        EXPECT_EQ(windows::ReadLastUpdateDate(path), "2027-1-2") << broken;
    }
    EXPECT_EQ(windows::LastUpdateDateOrToday(path, QDate(2030, 1, 1)), "2027-1-2");
    EXPECT_EQ(windows::VersionNumberFromText("2.3.0.2"), 2302u);
    EXPECT_EQ(windows::VersionNumberFromText("1.0.2"), 102u);
    EXPECT_EQ(windows::VersionNumberFromText("1.x"), 0u);
}

}  // namespace
