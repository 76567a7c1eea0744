#pragma once

#include "stability/FrequencySample.h"
#include "stability/StabilitySummary.h"

#include <QImage>
#include <QSize>
#include <span>
#include <string>

// The picture of one analysed log, drawn offscreen with QPainter on a QImage (Qt Gui
// only; a QGuiApplication must exist, QT_QPA_PLATFORM=offscreen is enough).
//
// Top: the frequency against time as an offset from the mean, in Hz, or in ppm when
// the readings stray by a part per million or more. Each gap-free segment is its own
// line, so gaps show as breaks; runs appended to one file are placed end to end with
// a dashed line where each new run starts. A million readings are drawn as the
// minimum-maximum band of each pixel column.
// Bottom (DeviationPanel): the overlapping Allan (ADEV), modified Allan (MDEV) and
// overlapping Hadamard (HDEV) deviations against tau on log-log axes, each point with
// its interval as an error bar; with several gate times ADEV and MDEV of each gate.
// The title says when the drift was removed before the deviations, and by how much.
class StabilityPlot {
public:
    explicit StabilityPlot(QSize size = QSize(1200, 900));

    // samples and summary must belong together (summary from AnalyseSamples(samples)).
    QImage Render(std::span<const FrequencySample> samples, const StabilitySummary& summary) const;
    // Render and write a PNG; false with error set when the file cannot be written.
    bool SavePng(const std::string& path, std::span<const FrequencySample> samples,
                 const StabilitySummary& summary, std::string& error) const;

private:
    QSize size_;
};
