#pragma once

#include "statistics/StatsView.h"

#include <QWidget>

#include <vector>

class QFormLayout;
class QLabel;

// The figures as text: the offset from the nominal in large type, then the counter's
// statistics and the L meter's, one labelled row each. Each value carries its row's
// name for screen readers.
class FiguresPanel : public QWidget {
    Q_OBJECT

public:
    explicit FiguresPanel(QWidget* parent = nullptr);

    void Show(const StatsView& view, double nominalHz);
    // The values can be selected with the mouse (while they are held).
    void SetSelectable(bool selectable);

private:
    QLabel* AddRow(QFormLayout& form, const QString& name);
    QLabel* NewValue(QWidget* parent, const QString& name);
    void ShowFrequency(const StatsView& view);
    void ShowInductance(const InductanceFigures& l);

    QLabel* offsetParts_;
    QLabel* offsetHz_;
    QLabel* count_;
    QLabel* last_;
    QLabel* mean_;
    QLabel* stddev_;
    QLabel* min_;
    QLabel* max_;
    QLabel* peakToPeak_;
    QLabel* average_;
    QLabel* driftHz_;
    QLabel* driftPpm_;
    QLabel* elapsed_;
    QLabel* gaps_;
    QLabel* lCount_;
    QLabel* lMean_;
    QLabel* lStddev_;
    QLabel* lMin_;
    QLabel* lMax_;
    std::vector<QLabel*> values_;  // every value label above
};
