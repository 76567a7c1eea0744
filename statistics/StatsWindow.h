#pragma once

#include "link/sinks/ReadingTap.h"
#include "settings/StatsSettings.h"
#include "statistics/NominalFrequency.h"
#include "statistics/StatsFigures.h"
#include "statistics/StatsView.h"

#include <QTimer>
#include <QWidget>

#include <string>
#include <vector>

class DeviationPlot;
class FiguresPanel;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TrendPlot;

// The statistics window "統計": the offset from the nominal, the counter's and the L
// meter's statistics, the trend and the stability curve, live beside the read-out.
//
// Open, it opens the link's ReadingTap and takes the readings that wait there four
// times a second on the window thread, feeds them to its StatsFigures and repaints the
// quick figures; the whole summary and the plots follow at every fourth take, and at
// a copy, which always takes the figures as they are (unless held). Closed, the tap is closed and no
// timer runs: nothing is computed. Held, the figures go on counting but what is shown
// (and copied) stays as it was. Minimised, it goes on counting and draws nothing.
class StatsWindow : public QWidget {
    Q_OBJECT

public:
    // Twice a second: readable as they change, and half the drawing of four times.
    static constexpr int kTakeIntervalMs = 500;
    static constexpr int kTakesPerPlot = 2;

    // tap: the live connection's readings; settings: [Stats], which the window keeps
    // up to date (nominal, average, span at once; size, place and Open at KeepGeometry).
    StatsWindow(ReadingTap& tap, StatsSettings& settings);
    ~StatsWindow() override;

    // Shows the window at its kept size and place (without one, beside the read-out
    // at readout, in screen coordinates) and starts the statistics afresh.
    void Open(const QRect& readout = {});
    // Whether it is open, its size and its place into the settings.
    void KeepGeometry();

    // The buttons' commands.
    void Reset();
    void SetHeld(bool held);
    void Copy();
    // The plots as one PNG; false when it cannot be written.
    bool SavePlots(const QString& path) const;

    // The figures being shown (held or not) and the text Copy puts on the clipboard.
    const StatsView& Shown() const { return shown_; }
    // The readings counted since the last reset, held or not.
    uint64_t Counted() const { return figures_.Count(); }
    std::string CopiedFigures() const;
    double NominalHz() const { return settings_.NominalHz; }
    // What the nominal field says about the last entry; empty when it was taken.
    QString NominalMessage() const;
    // Takes the text as the nominal, as Enter in the field does.
    void EnterNominal(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildLayout();
    void NarrowToFitBeside(const QRect& readout);
    void PlaceBeside(const QRect& readout);
    QWidget* BuildControls();
    QWidget* BuildButtons();
    void TakeReadings();
    void Present();
    void PresentAll();
    void PresentPlots();
    void NominalFromMean();
    void AskAndSavePlots();
    void Stop();
    QString NominalErrorText(NominalError error) const;

    ReadingTap& tap_;
    StatsSettings& settings_;
    StatsFigures figures_;
    StatsView shown_;
    std::vector<TappedReading> taken_;  // reused for each take
    QTimer takeTimer_;
    int takesSincePlot_ = 0;
    bool changed_ = false;  // something to show since the last presentation
    bool held_ = false;

    FiguresPanel* panel_ = nullptr;
    TrendPlot* trend_ = nullptr;
    DeviationPlot* deviations_ = nullptr;
    QLineEdit* nominal_ = nullptr;
    QLabel* nominalMessage_ = nullptr;
    QPushButton* fromMean_ = nullptr;
    QComboBox* average_ = nullptr;
    QComboBox* span_ = nullptr;
    QPushButton* hold_ = nullptr;
};
