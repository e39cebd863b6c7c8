#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>
#include <array>

#include "controls/CMpDevicePowerUI.h"
#include "platform/ui/CDialogBuilder.h"
#include "platform/ui/ImageDesc.h"
#include "tests/power/PowerTestSupport.h"

using namespace q840::controls;
using namespace q840::controls::test;
using q840::ui::CResourceManager;

namespace {

// The panel as the main window builds it: from its own layout, with the window's paint manager.
class MpDevicePowerTest : public ::testing::Test {
protected:
    void Build(int dpi = 96) {
        UsePowerSkin(dpi);
        host = std::make_unique<QWidget>();
        host->setAttribute(Qt::WA_DontShowOnScreen);
        host->setStyleSheet("background-color: #1D2027;");
        new QVBoxLayout(host.get());
        host->layout()->setContentsMargins(0, 0, 0, 0);
        pm.SetDPI(dpi);
        q840::ui::CDialogBuilder builder;
        QWidget* built = builder.Create(CMpDevicePowerUI::kLayoutFile, nullptr, &pm, host.get());
        pm.AttachRoot(host.get());
        pm.AddNotifier(&recorder);
        power = qobject_cast<CMpDevicePowerUI*>(built);
        ASSERT_NE(power, nullptr) << "the layout's root is the panel itself";
        value = pm.FindControl<QLabel>("device_power_value");
        progress = pm.FindControl<QProgressBar>("device_Power_progress");
        status = pm.FindControl("device_power_status");
        wireless = pm.FindControl("device_wuxian_logo");
        phone = pm.FindControl<QLabel>("device_phone_type");
        panel = pm.FindControl("device_power_Layout");
        ASSERT_TRUE(value && progress && status && wireless && phone && panel);
    }
    void TearDown() override {
        pm.RemoveNotifier(&recorder);
        host.reset();
        q840::ui::CControlFactory::GetInstance().Clear();
    }
    void Feed(std::initializer_list<int> bytes) {
        std::vector<unsigned char> record(bytes.begin(), bytes.end());
        power->SetPowerInfo(record.data(), static_cast<int>(record.size()));
    }
    static QString Image(const QWidget* control) {
        return control->property("dui_bkimage").toString();
    }

    q840::ui::CPaintManagerUI pm;
    PowerRecorder recorder;
    std::unique_ptr<QWidget> host;
    CMpDevicePowerUI* power = nullptr;
    QLabel* value = nullptr;
    QProgressBar* progress = nullptr;
    QWidget* status = nullptr;
    QWidget* wireless = nullptr;
    QLabel* phone = nullptr;
    QWidget* panel = nullptr;
};

TEST_F(MpDevicePowerTest, PercentageShowsAsTextAndAsTheRemainderOnTheBar) {
    Build();
    power->SetType(CMpDevicePowerUI::kTypeMouse, 7);
    EXPECT_EQ(power->GetTypeCode(), 2);
    EXPECT_EQ(power->GetSecondValue(), 7);
    EXPECT_EQ(power->GetClass(), "MpDevicePower");

    Feed({100, 0, 0, 0, 0, 0});
    EXPECT_EQ(value->text(), "100%");
    EXPECT_EQ(progress->value(), 0) << "a full battery leaves the bar empty";
    EXPECT_EQ(Image(status), "file='power/powered.png'");

    Feed({37, 2, 0, 0, 0, 0});
    EXPECT_EQ(value->text(), "37%");
    EXPECT_EQ(progress->value(), 63);

    // A device that reports more than 100 % reads as full, not as 255 % and a stale bar.
    Feed({255, 2, 0, 0, 0, 0});
    EXPECT_EQ(value->text(), "100%");
    EXPECT_EQ(progress->value(), 0);
}

TEST_F(MpDevicePowerTest, ShortEmptyOrOverlongRecordsCountMissingBytesAsZero) {
    Build();
    power->SetType(CMpDevicePowerUI::kTypeChargingPad, 0);
    Feed({50, 2, 0, 0, 0, 2});
    ASSERT_EQ(value->text(), "50%");

    power->SetPowerInfo(nullptr, 0);
    EXPECT_EQ(value->text(), "0%");
    EXPECT_EQ(progress->value(), 100);
    EXPECT_EQ(Image(status), "file='power/powered.png'") << "state byte 0: on power";
    EXPECT_EQ(CResourceManager::RawText(phone), "Phone_type_no_device");

    const unsigned char two[] = {80, 1};
    power->SetPowerInfo(two, 2);
    EXPECT_EQ(value->text(), "80%");
    EXPECT_EQ(Image(status), "file='power/powering.png'");
    EXPECT_EQ(CResourceManager::RawText(phone), "Phone_type_no_device");

    // A negative length or a null record with a length reads nothing outside the record.
    const unsigned char one[] = {90};
    power->SetPowerInfo(one, -5);
    EXPECT_EQ(value->text(), "0%");
    power->SetPowerInfo(nullptr, 6);
    EXPECT_EQ(value->text(), "0%");

    // Only the first 64 bytes count.
    std::array<unsigned char, 200> big{};
    big.fill(1);
    big[0] = 42;
    power->SetPowerInfo(big.data(), static_cast<int>(big.size()));
    EXPECT_EQ(value->text(), "42%");
    EXPECT_EQ(CResourceManager::RawText(phone), "Phone_type_iphone");
}

TEST_F(MpDevicePowerTest, ChargeStatePicksThePictureAndUnknownStatesChangeNothing) {
    Build();
    power->SetType(CMpDevicePowerUI::kTypeMouse, 0);
    Feed({60, 1, 0, 0, 0, 0});
    EXPECT_EQ(Image(status), "file='power/powering.png'");
    Feed({60, 2, 0, 0, 0, 0});
    EXPECT_EQ(Image(status), "file='power/power.png'");
    Feed({60, 0, 0, 0, 0, 0});
    EXPECT_EQ(Image(status), "file='power/powered.png'");

    progress->hide();
    Feed({60, 9, 0, 0, 0, 0});
    EXPECT_EQ(Image(status), "file='power/powered.png'");
    EXPECT_TRUE(progress->isHidden()) << "an unknown state leaves the bar as it was";
    EXPECT_EQ(progress->value(), 40) << "but the percentage is still shown";
    Feed({60, 2, 0, 0, 0, 0});
    EXPECT_FALSE(progress->isHidden());
}

TEST_F(MpDevicePowerTest, WirelessLogoFollowsTheLinkOnlyForTheMouse) {
    Build();
    power->SetType(CMpDevicePowerUI::kTypeMouse, 0);
    Feed({70, 2, 0, 1, 0, 0});
    EXPECT_FALSE(wireless->isHidden()) << "through the receiver";
    Feed({70, 2, 0, 0, 0, 0});
    EXPECT_TRUE(wireless->isHidden()) << "on the cable";
    Feed({70, 2, 0, 0x80, 0, 0});
    EXPECT_FALSE(wireless->isHidden());
    EXPECT_TRUE(phone->isHidden()) << "a mouse has no phone";

    power->SetType(CMpDevicePowerUI::kTypeChargingPad, 0);
    Feed({70, 2, 0, 0, 0, 0});
    EXPECT_FALSE(wireless->isHidden()) << "other types leave the logo alone";
}

TEST_F(MpDevicePowerTest, ChargingPadShowsThePhoneKindWithItsTextAndPicture) {
    Build();
    power->SetType(CMpDevicePowerUI::kTypeChargingPad, 0);
    struct Case {
        int kind;
        const char* key;
        const char* text;
    };
    for (const Case& c :
         {Case{1, "Phone_type_iphone", "iPhone"}, Case{2, "Phone_type_samsung", "Samsung"},
          Case{3, "Phone_type_other", "Phone"}, Case{7, "Phone_type_no_device", "No phone"},
          Case{0, "Phone_type_no_device", "No phone"}}) {
        Feed({100, 0, 0, 0, 0, c.kind});
        EXPECT_EQ(CResourceManager::RawText(phone), c.key) << c.kind;
        EXPECT_EQ(phone->text(), c.text) << c.kind;
        EXPECT_EQ(Image(phone), QString("file='power/%1.png'").arg(c.key)) << c.kind;
        EXPECT_FALSE(phone->isHidden());
    }
    // The texts are language keys: they follow a change of language.
    Feed({100, 0, 0, 0, 0, 2});
    ASSERT_TRUE(CResourceManager::GetInstance().LoadLanguage("lan_cn.xml"));
    CResourceManager::GetInstance().ReloadText();
    EXPECT_EQ(phone->text(), QString::fromUtf8("三星"));
    ASSERT_TRUE(CResourceManager::GetInstance().LoadLanguage("lan_en.xml"));
    CResourceManager::GetInstance().ReloadText();
    EXPECT_EQ(phone->text(), "Samsung");
    // Another device type never touches the phone.
    power->SetType(CMpDevicePowerUI::kTypeMouse, 0);
    Feed({100, 0, 0, 0, 0, 1});
    EXPECT_EQ(CResourceManager::RawText(phone), "Phone_type_samsung");
}

TEST_F(MpDevicePowerTest, LowBatteryOnBatteryTakesTheWarningColourAndGivesItBack) {
    Build();
    power->SetType(CMpDevicePowerUI::kTypeMouse, 0);
    auto colour = [this] { return value->property("dui_style").toMap().value("color").toString(); };
    const QString normal = colour();
    Feed({20, 2, 0, 1, 0, 0});
    EXPECT_TRUE(power->IsLow());
    EXPECT_EQ(colour(), "rgba(255,176,32,255)");
    EXPECT_TRUE(progress->property("low").toBool());
    EXPECT_TRUE(value->styleSheet().contains("rgba(255,176,32,255)"));
    EXPECT_TRUE(progress->styleSheet().contains("#FFB020")) << "the remaining charge too";

    Feed({20, 1, 0, 1, 0, 0});
    EXPECT_FALSE(power->IsLow()) << "charging is not a warning";
    EXPECT_EQ(colour(), normal);
    EXPECT_FALSE(value->styleSheet().contains("rgba(255,176,32,255)"));
    EXPECT_TRUE(progress->styleSheet().contains("#00B4FF"));

    Feed({5, 2, 0, 1, 0, 0});
    EXPECT_TRUE(power->IsLow());
    Feed({21, 2, 0, 1, 0, 0});
    EXPECT_FALSE(power->IsLow());
    EXPECT_EQ(colour(), normal);
}

TEST_F(MpDevicePowerTest, ShowPanelAndActivate) {
    Build();
    power->ShowPanel(false);
    EXPECT_TRUE(panel->isHidden());
    power->ShowPanel(true);
    EXPECT_FALSE(panel->isHidden());

    EXPECT_TRUE(power->Activate());
    ASSERT_EQ(recorder.notices.size(), 1u);
    EXPECT_EQ(recorder.notices[0].type, "selectchanged");
    EXPECT_EQ(recorder.notices[0].sender, power);
    power->setEnabled(false);
    EXPECT_FALSE(power->Activate());
    EXPECT_EQ(recorder.notices.size(), 1u);
}

TEST(MpDevicePowerStandaloneTest, APanelWithoutItsControlsIgnoresRecords) {
    CMpDevicePowerUI bare;
    bare.SetType(CMpDevicePowerUI::kTypeChargingPad, 0);
    const unsigned char record[] = {50, 1, 0, 1, 0, 1};
    bare.SetPowerInfo(record, 6);
    bare.ShowPanel(false);
    // Only the percentage label: the lookup fails and the label is left alone.
    auto* label = new QLabel("keep", &bare);
    label->setObjectName("device_power_value");
    bare.SetPowerInfo(record, 6);
    EXPECT_EQ(label->text(), "keep");
    EXPECT_FALSE(bare.IsLow());
}

TEST_F(MpDevicePowerTest, EveryPictureTheRecordsNameExistsInTheSkin) {
    Build();
    for (const char* file :
         {"power/powered.png", "power/powering.png", "power/power.png",
          "power/Phone_type_iphone.png", "power/Phone_type_samsung.png",
          "power/Phone_type_other.png", "power/Phone_type_no_device.png", "power/wireless.svg"}) {
        QImage image(PowerSourceSkin() + file);
        EXPECT_FALSE(image.isNull()) << file;
        // Drawn at twice their size so that they stay sharp at 150 %.
        if (QString(file).endsWith(".png")) {
            EXPECT_GE(image.height(), 48) << file;
        }
    }
}

class MpDevicePowerScaleTest : public MpDevicePowerTest,
                               public ::testing::WithParamInterface<int> {};

TEST_P(MpDevicePowerScaleTest, PaintsThePanelAtTheScale) {
    const int dpi = GetParam();
    Build(dpi);
    host->resize(240 * dpi / 96, 40 * dpi / 96);
    power->SetType(CMpDevicePowerUI::kTypeMouse, 0);
    Feed({15, 2, 0, 1, 0, 0});
    host->show();
    QApplication::processEvents();
    EXPECT_EQ(status->width(), 24 * dpi / 96);
    EXPECT_EQ(progress->width(), 56 * dpi / 96);
    const QImage mouse = host->grab().toImage();
    EXPECT_TRUE(SaveShot(mouse, QString("power-mouse-%1.png").arg(dpi)));
    // The charge picture is painted where its control is.
    const QRect pic(status->mapTo(host.get(), QPoint(0, 0)), status->size());
    int bright = 0;
    for (int y = pic.top(); y <= pic.bottom(); ++y) {
        for (int x = pic.left(); x <= pic.right(); ++x) {
            bright += mouse.pixelColor(x, y).lightness() > 150 ? 1 : 0;
        }
    }
    EXPECT_GT(bright, 10);

    power->SetType(CMpDevicePowerUI::kTypeChargingPad, 0);
    wireless->hide();
    Feed({100, 1, 0, 0, 0, 2});
    QApplication::processEvents();
    EXPECT_TRUE(SaveShot(host->grab().toImage(), QString("power-pad-%1.png").arg(dpi)));
}

INSTANTIATE_TEST_SUITE_P(Scales, MpDevicePowerScaleTest, ::testing::Values(96, 144));

}  // namespace
