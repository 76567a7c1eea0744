#include <cmath>
#include <map>
#include <sstream>

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "link/window/CounterLink.h"
#include "res/Menu131.h"
#include "stability/StabilityAnalysis.h"
#include "statistics/StatsWindow.h"
#include "tests/app/AppTestSupport.h"

namespace {

// The statistics item through the menu's keys: 設定 (S), then 統計 (I).
void ChooseStatsFromMenu(CCounterDisplayDlg& window)
{
    OnNextPopup([](QMenu& menu) {
        OnNextPopup([](QMenu& settings) { QTest::keyClick(&settings, Qt::Key_I); });
        QTest::keyClick(&menu, Qt::Key_S);
    });
    RightPress(window);
}

TappedReading Reading(double tS, double hz)
{
    return {{tS, hz, 100}, std::nullopt, {0.1, 0.1}};
}

// The figure a screen reader calls name.
const QLabel* Figure(QWidget& window, const QString& name)
{
    for (const QLabel* label : window.findChildren<QLabel*>())
        if (label->accessibleName() == name)
            return label;
    return nullptr;
}

// What a screen reader hears for the figure called name.
QString Spoken(QWidget& window, const QString& name)
{
    const QLabel* label = Figure(window, name);
    return label ? label->text() : QString();
}

bool Selectable(QWidget& window, const QString& name)
{
    return Figure(window, name)->textInteractionFlags().testFlag(Qt::TextSelectableByMouse);
}

std::map<std::string, std::string> CopiedValues(const std::string& text, std::vector<double>& adev)
{
    std::map<std::string, std::string> values;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string key, value, deviation;
        std::getline(fields, key, '\t');
        std::getline(fields, value, '\t');
        if (key == "adev" && std::getline(fields, deviation, '\t'))
            adev.push_back(std::stod(deviation));
        else
            values[key] = value;
    }
    return values;
}

TEST(StatsWindow, OpensAndClosesThroughTheMenu)
{
    WindowUnderTest window;
    ASSERT_TRUE(window.Start());
    EXPECT_FALSE(window->IsStatsOpen());
    EXPECT_FALSE(window->Link().Readings().IsOpen());
    ChooseStatsFromMenu(window.Window());
    ASSERT_TRUE(WaitUntil([&] { return window->IsStatsOpen(); }));
    EXPECT_EQ(window->Stats()->windowTitle(), QStringLiteral("統計"));
    EXPECT_TRUE(window->Link().Readings().IsOpen());
    ChooseStatsFromMenu(window.Window());
    ASSERT_TRUE(WaitUntil([&] { return !window->IsStatsOpen(); }));
    EXPECT_FALSE(window->Link().Readings().IsOpen()) << "closed, nothing is taken";
    EXPECT_TRUE(window->isVisible());
}

TEST(StatsWindow, StatsOptionOpensItWithTheReadout)
{
    WindowUnderTest window;
    window->OpenStatsAtStart();
    ASSERT_TRUE(window.Start());
    EXPECT_TRUE(window->IsStatsOpen());
}

TEST(StatsWindow, HoldFreezesWhatIsShownAndCopiedWhileCountingGoesOn)
{
    WindowUnderTest window;
    ASSERT_TRUE(window.Start());
    window->OpenStats();
    StatsWindow& stats = *window->Stats();
    ReadingTap& tap = window->Link().Readings();
    tap.Push(Reading(0.0, 10'000'010.0));
    ASSERT_TRUE(WaitUntil([&] { return stats.Shown().summary.count == 1; }));
    EXPECT_EQ(Spoken(stats, QStringLiteral("公称値からの偏差")), QStringLiteral("+1.000 ppm"));
    EXPECT_FALSE(Selectable(stats, QStringLiteral("平均")));
    stats.SetHeld(true);
    EXPECT_TRUE(Selectable(stats, QStringLiteral("平均"))) << "held values can be selected";
    const std::string held = stats.CopiedFigures();
    for (int i = 1; i <= 3; ++i)
        tap.Push(Reading(0.1 * i, 10'000'030.0));
    ASSERT_TRUE(WaitUntil([&] { return stats.Counted() == 4; }));
    EXPECT_EQ(stats.Shown().summary.count, 1u);
    EXPECT_EQ(stats.CopiedFigures(), held);
    EXPECT_EQ(Spoken(stats, QStringLiteral("公称値からの偏差")), QStringLiteral("+1.000 ppm"));
    stats.SetHeld(false);
    EXPECT_FALSE(Selectable(stats, QStringLiteral("平均")));
    EXPECT_EQ(stats.Shown().summary.count, 4u);
    EXPECT_EQ(Spoken(stats, QStringLiteral("公称値からの偏差")), QStringLiteral("+2.500 ppm"));
    stats.Reset();
    EXPECT_EQ(stats.Shown().summary.count, 0u);
    tap.Push(Reading(0.5, 10'000'000.0));
    ASSERT_TRUE(WaitUntil([&] { return stats.Shown().summary.count == 1; }));
    EXPECT_EQ(stats.Shown().summary.meanHz, 10'000'000.0);
}

TEST(StatsWindow, BadNominalIsExplainedAndTheOldOneKept)
{
    WindowUnderTest window;
    ASSERT_TRUE(window.Start());
    window->OpenStats();
    StatsWindow& stats = *window->Stats();
    stats.EnterNominal(QStringLiteral("10,5 MHz"));
    EXPECT_EQ(stats.NominalHz(), 10e6);
    EXPECT_TRUE(stats.NominalMessage().contains(QStringLiteral("32.768 kHz")));
    EXPECT_TRUE(stats.NominalMessage().endsWith(QStringLiteral("公称値は 10000000 Hz のままです。")));
    stats.EnterNominal(QStringLiteral("32.768 kHz"));
    EXPECT_EQ(stats.NominalHz(), 32768.0);
    EXPECT_TRUE(stats.NominalMessage().isEmpty());
}

TEST(StatsWindow, CopyTakesTheShownFiguresAndThePlotsSaveAsPng)
{
    WindowUnderTest window;
    ASSERT_TRUE(window.Start());
    window->OpenStats();
    StatsWindow& stats = *window->Stats();
    for (int i = 0; i < 50; ++i)
        window->Link().Readings().Push(Reading(0.1 * i, 10'000'000.0 + i % 3));
    ASSERT_TRUE(WaitUntil([&] { return stats.Shown().summary.count == 50; }));
    QGuiApplication::clipboard()->clear();
    stats.activateWindow();
    if (QTest::qWaitForWindowActive(&stats)) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), stats.CopiedFigures())
            << "Ctrl+C in the nominal field without a selection";
    }
    stats.Copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), stats.CopiedFigures());
    EXPECT_EQ(stats.CopiedFigures().rfind("count\t50\n", 0), 0u);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("plots.png"));
    ASSERT_TRUE(stats.SavePlots(path));
    EXPECT_GE(QImage(path).height(), 2 * 180);
    EXPECT_FALSE(stats.SavePlots(folder.filePath(QStringLiteral("none/plots.png"))));
}

TEST(StatsWindow, SectionComesBackWithItsForeignLinesAtTheExit)
{
    MessageBoxRecorder boxes;
    boxes.Answer({IDYES});
    WindowUnderTest window("[Stats]\nOpen=1\nWidth=1000\nHeight=720\nNominal=32768\nAverage=1000\n"
                           "TrendMinutes=60\nNote=mine\n[Other]\nKeep=this\n");
    ASSERT_TRUE(window.Start());
    ASSERT_TRUE(window->IsStatsOpen());
    StatsWindow& stats = *window->Stats();
    EXPECT_EQ(stats.size(), QSize(1000, 720));
    EXPECT_EQ(stats.NominalHz(), 32768.0);
    EXPECT_EQ(stats.Shown().averageN, 1000u);
    EXPECT_EQ(stats.Shown().trendMinutes, 60);
    stats.EnterNominal(QStringLiteral("10M"));
    window->OnCommand(ID_EXIT);
    const std::string saved = window.ReadIni();
    const std::string expected = "[Stats]\nOpen=1\nWidth=1000\nHeight=720\nNominal=10000000\nAverage=1000\n"
                                 "TrendMinutes=60\nNote=mine\nX=" + std::to_string(stats.x()) +
                                 "\nY=" + std::to_string(stats.y()) + "\n[Other]\nKeep=this\n[Window]\n";
    EXPECT_EQ(saved.substr(0, expected.size()), expected);
}

std::string Record(uint32_t hz)
{
    std::string digits = std::to_string(hz);
    return "001 010 " + std::string(10 - digits.size(), '0') + digits + "\r\n";
}

// With --log and --stats from the start the window shows what the log's analysis finds.
TEST(StatsWindow, FiguresOfALoggedRunEqualTheAnalysisOfItsLog)
{
    MessageBoxRecorder boxes;
    CounterPty tty;
    QTemporaryDir folder;
    const std::string log = folder.filePath(QStringLiteral("run.csv")).toStdString();
    WindowUnderTest window(IniMapping(tty, 12));
    window->StartLogging(log);
    window->OpenStatsAtStart();
    ASSERT_TRUE(window.Start());
    ConnectWithDialogDefaults(window.Window());
    ASSERT_TRUE(window->Link().IsOpen());
    StatsWindow& stats = *window->Stats();
    uint64_t sent = 0;
    for (int batch = 0; batch < 12; ++batch) {
        std::string bytes;
        for (int i = 0; i < 40; ++i, ++sent)
            bytes += Record(10'000'000 + static_cast<uint32_t>((sent * 7 + sent / 13) % 11));
        ASSERT_TRUE(tty.Write(bytes));
        ASSERT_TRUE(WaitUntil([&] { return stats.Counted() == sent; }));
    }
    ASSERT_TRUE(WaitUntil([&] { return stats.Shown().summary.count == sent; }));
    LogSamples loaded;
    ASSERT_TRUE(WaitUntil([&] { return LoadLogSamples(log, loaded) && loaded.samples.size() == sent; }));
    const StabilitySummary analysed = AnalyseLog(loaded);
    std::vector<double> adev;
    stats.Copy();
    const auto copied = CopiedValues(QGuiApplication::clipboard()->text().toStdString(), adev);
    EXPECT_EQ(copied.at("count"), std::to_string(sent));
    EXPECT_NEAR(std::stod(copied.at("mean_hz")), analysed.meanHz, 1e-9);
    EXPECT_NEAR(std::stod(copied.at("stddev_hz")), analysed.stddevHz, 1e-9);
    EXPECT_NEAR(std::stod(copied.at("drift_hz_per_s")), analysed.driftHzPerS, 1e-9);
    ASSERT_EQ(adev.size(), analysed.adev.size());
    ASSERT_FALSE(adev.empty());
    for (size_t k = 0; k < adev.size(); ++k)
        EXPECT_NEAR(adev[k], analysed.adev[k].fractional, analysed.adev[k].fractional * 1e-9) << k;
}

}  // namespace
