// The live voice window against the private sound server.

#include "audio/VirtualMicrophone.h"
#include "gui/LiveVoiceForm.h"
#include "gui/UserDialogs.h"
#include "support/PulseServer.h"
#include "support/WaitFor.h"

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

class LiveVoiceFormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!TPulseServer::Installed())
            GTEST_SKIP() << "pulseaudio is not installed";
        ASSERT_TRUE(FServer.IsRunning()) << FServer.Error().toStdString();
        TUserDialogs::SetMessageAnswer([this](const QString &AText, const QString &, int) { FMessages << AText; });
    }

    void TearDown() override { TUserDialogs::SetMessageAnswer(nullptr); }

    bool MicrophoneExists() const
    {
        QByteArray out;
        FServer.Pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sources")}, &out);
        return out.contains(TVirtualMicrophone::SourceName);
    }

    template <typename T> static T *Child(QWidget &AForm, const char *AName)
    {
        return AForm.findChild<T *>(QLatin1String(AName));
    }

    TPulseServer FServer;
    QStringList FMessages;
};

TEST_F(LiveVoiceFormTest, StartsToTheVirtualMicrophoneShowsLevelsAndLatencyAndStops)
{
    TLiveVoiceForm form(nullptr);
    form.setAttribute(Qt::WA_DeleteOnClose, false);
    form.show();
    auto *effects = Child<QComboBox>(form, "ComboBoxEffect");
    QStringList items;
    for (int i = 0; i < effects->count(); ++i)
        items << effects->itemText(i);
    EXPECT_FALSE(items.contains(QStringLiteral("Reverse")));
    EXPECT_TRUE(items.contains(QStringLiteral("Robot")));
    ASSERT_TRUE(items.contains(QStringLiteral("Custom")));
    EXPECT_GT(Child<QComboBox>(form, "ComboBoxInput")->count(), 0);

    // The sliders are the Custom effect's only.
    effects->setCurrentText(QStringLiteral("Robot"));
    EXPECT_FALSE(Child<QSlider>(form, "TrackBarRate")->isEnabled());
    effects->setCurrentText(QStringLiteral("Custom"));
    EXPECT_TRUE(Child<QSlider>(form, "TrackBarRate")->isEnabled());

    Child<QComboBox>(form, "ComboBoxOutput")->setCurrentText(QStringLiteral("Tonara Microphone"));
    auto *button = Child<QPushButton>(form, "ButtonStart");
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_TRUE(form.IsLive()) << FMessages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(button->text(), QStringLiteral("Stop"));
    EXPECT_TRUE(MicrophoneExists());

    // A switch while live keeps it live.
    Child<QSlider>(form, "TrackBarRate")->setValue(15);
    effects->setCurrentText(QStringLiteral("Child"));
    std::vector<int16_t> tone(TPulseServer::Rate);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = int16_t(12000 * std::sin(2 * std::numbers::pi * 300 * double(i) / TPulseServer::Rate));
    // Fed again whenever it has been delivered: the meters are read while the tone sounds.
    const auto keepFeeding = [&] {
        if (!FServer.MicrophoneBusy())
            FServer.FeedMicrophone(tone);
    };
    keepFeeding();
    auto *latency = Child<QLabel>(form, "LabelLatency");
    const QRegularExpression measured(QStringLiteral("^Latency: \\d+ ms$"));
    EXPECT_TRUE(WaitUntil([&] { return measured.match(latency->text()).hasMatch(); }, 10000)) << latency->text().toStdString();
    auto *input = Child<QProgressBar>(form, "ProgressBarInput");
    auto *output = Child<QProgressBar>(form, "ProgressBarOutput");
    EXPECT_TRUE(WaitUntil(
        [&] {
            keepFeeding();
            return input->value() >= 25 && output->value() > 0;
        },
        20000))
        << input->value() << " " << output->value();
    EXPECT_TRUE(form.IsLive());

    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(form.IsLive());
    EXPECT_EQ(button->text(), QStringLiteral("Start"));
    EXPECT_FALSE(MicrophoneExists());
    EXPECT_TRUE(FMessages.isEmpty()) << FMessages.join(QLatin1Char('\n')).toStdString();
}

TEST_F(LiveVoiceFormTest, ClosingTheWindowEndsLiveVoice)
{
    TLiveVoiceForm form(nullptr);
    form.setAttribute(Qt::WA_DeleteOnClose, false);
    form.show();
    Child<QComboBox>(form, "ComboBoxOutput")->setCurrentText(QStringLiteral("Tonara Microphone"));
    QTest::mouseClick(Child<QPushButton>(form, "ButtonStart"), Qt::LeftButton);
    ASSERT_TRUE(MicrophoneExists());
    form.close();
    EXPECT_FALSE(form.IsLive());
    EXPECT_FALSE(MicrophoneExists());
}
