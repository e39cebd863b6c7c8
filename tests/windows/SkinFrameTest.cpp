// The skin pop-up as the user meets it, with a receiver standing in for the main window: each
// choice reaches the receivers and "main.ini", a picture of the user's own is checked and kept,
// cancelling or clicking elsewhere changes nothing, and the choice comes back after a restart.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <vector>

#include "WindowsTestSupport.h"
#include "platform/Paths.h"
#include "platform/ui/CDialogBuilder.h"
#include "tests/support/WaitFor.h"
#include "windows/CSkinFrame.h"
#include "windows/SkinChoice.h"

using namespace q840;
using windows::SkinChangedParam;

namespace {

class RecordingReceiver : public windows::ReceiverImpl<int, SkinChangedParam> {
public:
    int Receive(SkinChangedParam choice) override {
        received.push_back(choice);
        return 1;
    }
    std::vector<SkinChangedParam> received;
};

class SkinFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        SetUserDataFolder(m_dir.filePath("user") + "/");
        windows::SkinObserver().AddReceiver(&m_receiver);
        m_owner.setGeometry(100, 100, 1000, 640);
        m_anchor = new QPushButton(&m_owner);
        m_anchor->setGeometry(860, 4, 32, 32);
        m_owner.show();
    }
    void TearDown() override {
        CSkinFrame::SetFileChooser(nullptr);
        ui::ModalSeam::SetAnswerer(nullptr);
        if (m_frame != nullptr) {
            m_frame->Close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SetUserDataFolder(QString());
    }
    CSkinFrame& Open() {
        m_frame = CSkinFrame::Open(&m_owner, m_anchor, 96);
        EXPECT_NE(m_frame, nullptr);
        return *m_frame;
    }
    // The n-th control named `name` in the pop-up (several share a name).
    QPushButton* Nth(const char* name, int n) {
        int seen = 0;
        for (QPushButton* button : m_frame->findChildren<QPushButton*>()) {
            if (button->objectName() == name && seen++ == n) {
                return button;
            }
        }
        ADD_FAILURE() << name << " " << n;
        return nullptr;
    }
    QString Ini(const char* key) {
        return QSettings(windows::MainIniPath(), QSettings::IniFormat)
            .value(QStringLiteral("SKINIMAGE/") + key)
            .toString();
    }
    QString WritePng(const QString& name, int width, int height) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(QColor("#203040"));
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(image.save(path, "PNG"));
        return path;
    }

    QTemporaryDir m_dir;
    RecordingReceiver m_receiver;
    QWidget m_owner;
    QPushButton* m_anchor = nullptr;
    QPointer<CSkinFrame> m_frame;
};

TEST_F(SkinFrameTest, PicturesColoursAndTheDefaultReachTheReceiversAndMainIni) {
    CSkinFrame& frame = Open();
    // Below its button, right-aligned with it.
    const QPoint corner = m_anchor->mapToGlobal(QPoint(m_anchor->width(), m_anchor->height()));
    EXPECT_EQ(frame.geometry().topRight(), QPoint(corner.x() - 1, corner.y()));

    QTest::mouseClick(Nth("skin_image_btn", 1), Qt::LeftButton);
    ASSERT_EQ(m_receiver.received.size(), 1u);
    EXPECT_EQ(m_receiver.received[0].isColour, 0);
    EXPECT_EQ(m_receiver.received[0].image, "skins/glow.svg");
    EXPECT_EQ(Ini("FLAGS"), "1");
    EXPECT_EQ(Ini("IMAGE"), "skins/glow.svg");

    QTest::mouseClick(qobject_cast<QPushButton*>(frame.FindControl("skin_color")), Qt::LeftButton);
    EXPECT_EQ(qobject_cast<QStackedWidget*>(frame.FindControl("skin_tab"))->currentIndex(), 1);
    QTest::mouseClick(Nth("skin_color_btn", 2), Qt::LeftButton);
    ASSERT_EQ(m_receiver.received.size(), 2u);
    EXPECT_EQ(m_receiver.received[1].isColour, 1);
    EXPECT_EQ(m_receiver.received[1].colour, 0xFF0F1A24u);
    EXPECT_EQ(Ini("FLAGS"), "2");
    EXPECT_EQ(Ini("COLOR"), "FF0F1A24");

    // A colour, then the default: the default picture with no colour of the window's own.
    QWidget root;
    windows::ApplySkin(&root, m_receiver.received[1], nullptr);
    EXPECT_EQ(ui::CDialogBuilder::StylePieceColour(&root, "background-color"), QColor("#0F1A24"));
    QTest::mouseClick(qobject_cast<QPushButton*>(frame.FindControl("skin_reset")), Qt::LeftButton);
    ASSERT_EQ(m_receiver.received.size(), 3u);
    EXPECT_EQ(m_receiver.received[2].image, "common/background.png");
    EXPECT_EQ(Ini("FLAGS"), "0");
    windows::ApplySkin(&root, m_receiver.received[2], nullptr);
    EXPECT_EQ(root.property("dui_bkimage").toString(), "common/background.png");
    EXPECT_EQ(ui::CDialogBuilder::StylePieceColour(&root, "background-color").alpha(), 0);
}

TEST_F(SkinFrameTest, AClickElsewhereOrACancelledPictureChangesNothing) {
    CSkinFrame& frame = Open();
    QTest::mouseClick(&frame, Qt::LeftButton, {}, QPoint(-20, -20));
    EXPECT_TRUE(test::WaitFor([&] { return m_frame == nullptr || m_frame->IsDestroyed(); }));
    CSkinFrame::SetFileChooser([] { return QString(); });
    Open();
    QTest::mouseClick(qobject_cast<QPushButton*>(m_frame->FindControl("skin_Custom")),
                      Qt::LeftButton);
    EXPECT_TRUE(m_frame == nullptr || m_frame->IsDestroyed());
    EXPECT_TRUE(m_receiver.received.empty());
    EXPECT_FALSE(QFile::exists(windows::MainIniPath()));
}

TEST_F(SkinFrameTest, APictureOfOnesOwnIsCheckedKeptAndRestoredAfterARestart) {
    // Not a PNG (whatever its name says), and a PNG too large: refused with a message.
    const QString fake = m_dir.filePath("fake.png");
    QFile file(fake);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("GIF89a not a png at all");
    file.close();
    const QString huge = WritePng("huge.png", windows::kMaxCustomSide + 1, 2);
    for (const QString& refused : {fake, huge}) {
        CSkinFrame::SetFileChooser([&] { return refused; });
        QString told;
        ui::ModalSeam::SetAnswerer([&](ui::WindowImplBase& box) {
            told = test::Text(box, "MessageText");
            return 1;
        });
        Open();
        QTest::mouseClick(qobject_cast<QPushButton*>(m_frame->FindControl("skin_Custom")),
                          Qt::LeftButton);
        EXPECT_FALSE(told.isEmpty()) << refused.toStdString();
        EXPECT_TRUE(m_receiver.received.empty());
    }
    ui::ModalSeam::SetAnswerer(nullptr);

    // A sound picture: a copy in the per-user folder is what the window shows and keeps.
    const QString own = WritePng("holiday.png", 64, 40);
    CSkinFrame::SetFileChooser([&] { return own; });
    Open();
    QTest::mouseClick(qobject_cast<QPushButton*>(m_frame->FindControl("skin_Custom")),
                      Qt::LeftButton);
    ASSERT_EQ(m_receiver.received.size(), 1u);
    const QString kept = m_receiver.received[0].image;
    EXPECT_TRUE(kept.startsWith(UserDataFolder())) << kept.toStdString();
    EXPECT_EQ(Ini("IMAGE"), kept);
    ASSERT_TRUE(QFile::remove(own));  // moving the original does not matter
    ASSERT_TRUE(QFile::exists(kept));

    // The next start finds it again; a stored picture that has gone, or a broken file, is the
    // layout's own background.
    std::optional<SkinChangedParam> restored = windows::ReadSkinChoice();
    ASSERT_TRUE(restored.has_value());
    EXPECT_EQ(restored->image, kept);
    QFile::remove(kept);
    EXPECT_FALSE(windows::ReadSkinChoice().has_value());
    QFile ini(windows::MainIniPath());
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write("[SKINIMAGE]\nFLAGS=2\nCOLOR=not a colour\n");
    ini.close();
    EXPECT_FALSE(windows::ReadSkinChoice().has_value());
    // The next choice repairs it.
    windows::SkinChangedParam preset;
    preset.image = "skins/grid.svg";
    ASSERT_TRUE(windows::WriteSkinChoice(preset, false));
    ASSERT_TRUE(windows::ReadSkinChoice().has_value());
    EXPECT_EQ(windows::ReadSkinChoice()->image, "skins/grid.svg");
}

}  // namespace
