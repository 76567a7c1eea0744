#include "statistics/StatsWindow.h"

#include "res/Icon128.h"
#include "res/MessageBox.h"
#include "statistics/DeviationPlot.h"
#include "statistics/FiguresPanel.h"
#include "statistics/StatsText.h"
#include "statistics/TrendPlot.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kAverageLengths[] = {10, 100, 1000};
constexpr int kTrendSpans[] = {1, 10, 60, 0};  // minutes; 0: the whole run
constexpr QSize kDefaultSize(980, 700);
constexpr int kNarrowest = 700;
constexpr int kGap = 8;  // between the read-out and this window

bool IsOneOf(int value, std::initializer_list<int> allowed)
{
    return std::find(allowed.begin(), allowed.end(), value) != allowed.end();
}

// Values from a hand-edited file that the window cannot use give way to its defaults.
void Sanitise(StatsSettings& settings)
{
    const StatsSettings defaults;
    if (!IsOneOf(settings.Average, {10, 100, 1000}))
        settings.Average = defaults.Average;
    if (!IsOneOf(settings.TrendMinutes, {0, 1, 10, 60}))
        settings.TrendMinutes = defaults.TrendMinutes;
    if (!(settings.NominalHz >= kMinNominalHz && settings.NominalHz <= kMaxNominalHz))
        settings.NominalHz = defaults.NominalHz;
}

// Under Wayland a window can neither learn nor choose its place.
bool PlacesItself()
{
    return QGuiApplication::platformName() != QLatin1String("wayland");
}

}  // namespace

StatsWindow::StatsWindow(ReadingTap& tap, StatsSettings& settings)
    : QWidget(nullptr, Qt::Window), tap_(tap), settings_(settings)
{
    Sanitise(settings_);
    setWindowIcon(Icon128());
    setWindowTitle(tr("統計"));
    setAccessibleName(tr("統計"));
    BuildLayout();
    takeTimer_.setInterval(kTakeIntervalMs);
    connect(&takeTimer_, &QTimer::timeout, this, [this] { TakeReadings(); });
    auto* copy = new QAction(this);
    copy->setShortcut(QKeySequence::Copy);
    connect(copy, &QAction::triggered, this, [this] { Copy(); });
    addAction(copy);
}

StatsWindow::~StatsWindow()
{
    Stop();
}

void StatsWindow::BuildLayout()
{
    auto* column = new QWidget(this);
    auto* left = new QVBoxLayout(column);
    left->setContentsMargins(0, 0, 0, 0);
    left->addWidget(BuildControls());
    panel_ = new FiguresPanel(column);
    left->addWidget(panel_, 1);
    left->addWidget(BuildButtons());

    auto* right = new QVBoxLayout;
    trend_ = new TrendPlot(this);
    trend_->setAccessibleName(tr("トレンド"));
    deviations_ = new DeviationPlot(this);
    deviations_->setAccessibleName(tr("安定度 (ADEV、MDEV、HDEV)"));
    right->addWidget(trend_, 1);
    right->addWidget(deviations_, 1);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(column, 0);
    layout->addLayout(right, 1);
}

QWidget* StatsWindow::BuildControls()
{
    auto* box = new QWidget;
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);

    nominal_ = new QLineEdit(QString::fromStdString(NominalText(settings_.NominalHz)), box);
    auto* nominalLabel = new QLabel(tr("公称値(&N):"), box);
    nominalLabel->setBuddy(nominal_);
    connect(nominal_, &QLineEdit::editingFinished, this, [this] { EnterNominal(nominal_->text()); });
    nominal_->installEventFilter(this);
    fromMean_ = new QPushButton(tr("平均値を公称値に(&M)"), box);
    connect(fromMean_, &QPushButton::clicked, this, [this] { NominalFromMean(); });
    nominalMessage_ = new QLabel(box);
    nominalMessage_->setWordWrap(true);
    nominalMessage_->setStyleSheet(QStringLiteral("color: #b00000"));
    nominalMessage_->setAccessibleName(tr("公称値"));

    average_ = new QComboBox(box);
    for (int length : kAverageLengths)
        average_->addItem(tr("%1 件").arg(length), length);
    average_->setCurrentIndex(average_->findData(settings_.Average));
    auto* averageLabel = new QLabel(tr("移動平均(&A):"), box);
    averageLabel->setBuddy(average_);

    span_ = new QComboBox(box);
    for (int minutes : kTrendSpans)
        span_->addItem(minutes > 0 ? tr("最近 %1 分").arg(minutes) : tr("全体"), minutes);
    span_->setCurrentIndex(span_->findData(settings_.TrendMinutes));
    auto* spanLabel = new QLabel(tr("トレンドの範囲(&T):"), box);
    spanLabel->setBuddy(span_);
    const auto choose = [this] {
        settings_.Average = average_->currentData().toInt();
        settings_.TrendMinutes = span_->currentData().toInt();
        PresentAll();
    };
    connect(average_, &QComboBox::currentIndexChanged, this, choose);
    connect(span_, &QComboBox::currentIndexChanged, this, choose);

    grid->addWidget(nominalLabel, 0, 0);
    grid->addWidget(nominal_, 0, 1);
    grid->addWidget(fromMean_, 1, 1);
    grid->addWidget(nominalMessage_, 2, 0, 1, 2);
    grid->addWidget(averageLabel, 3, 0);
    grid->addWidget(average_, 3, 1);
    grid->addWidget(spanLabel, 4, 0);
    grid->addWidget(span_, 4, 1);
    nominalMessage_->hide();  // shown only with a message, so it takes no room otherwise
    return box;
}

QWidget* StatsWindow::BuildButtons()
{
    auto* box = new QWidget;
    auto* row = new QGridLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    auto* reset = new QPushButton(tr("リセット(&R)"), box);
    hold_ = new QPushButton(tr("ホールド(&H)"), box);
    hold_->setCheckable(true);
    auto* copy = new QPushButton(tr("コピー(&C)"), box);
    auto* save = new QPushButton(tr("プロットを保存(&P)..."), box);
    connect(reset, &QPushButton::clicked, this, [this] { Reset(); });
    connect(hold_, &QPushButton::toggled, this, [this](bool held) { SetHeld(held); });
    connect(copy, &QPushButton::clicked, this, [this] { Copy(); });
    connect(save, &QPushButton::clicked, this, [this] { AskAndSavePlots(); });
    int place = 0;
    for (QPushButton* button : {reset, hold_, copy, save}) {
        button->setAutoDefault(false);
        row->addWidget(button, place / 2, place % 2);
        ++place;
    }
    return box;
}

void StatsWindow::Open(const QRect& readout)
{
    const bool sized = settings_.Width > 0 && settings_.Height > 0;
    resize(sized ? QSize(settings_.Width, settings_.Height) : kDefaultSize);
    if (settings_.X && settings_.Y && PlacesItself()) {
        move(*settings_.X, *settings_.Y);
    } else if (!readout.isEmpty() && PlacesItself()) {
        if (!sized)
            NarrowToFitBeside(readout);
        PlaceBeside(readout);
    }
    settings_.Open = 1;
    settings_.Used = true;
    tap_.Open();
    Reset();
    takeTimer_.start();
    show();
    raise();
}

// As narrow as the wider side of the read-out leaves room for, down to kNarrowest.
void StatsWindow::NarrowToFitBeside(const QRect& readout)
{
    const QScreen* screen = QGuiApplication::screenAt(readout.center());
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    constexpr int kFrame = 12;  // the window manager's borders, unknown before the first show
    const int room = std::max(area.right() - readout.right(), readout.left() - area.left()) - kGap - kFrame;
    if (room >= kNarrowest && room < width())
        resize(room, height());
}

// Right of, left of, below or above the read-out: the first that covers least of it
// once kept inside the screen.
void StatsWindow::PlaceBeside(const QRect& readout)
{
    const QScreen* screen = QGuiApplication::screenAt(readout.center());
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize size = frameGeometry().size().expandedTo(this->size());
    const QPoint candidates[] = {
        {readout.right() + kGap, readout.top()},
        {readout.left() - kGap - size.width(), readout.top()},
        {readout.left(), readout.bottom() + kGap},
        {readout.left(), readout.top() - kGap - size.height()},
    };
    QPoint best;
    long long leastCovered = -1;
    for (QPoint at : candidates) {
        at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - size.width())));
        at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - size.height())));
        const QRect covered = QRect(at, size).intersected(readout);
        const long long coveredArea = covered.isEmpty() ? 0LL : 1LL * covered.width() * covered.height();
        if (leastCovered < 0 || coveredArea < leastCovered) {
            leastCovered = coveredArea;
            best = at;
        }
    }
    move(best);
}

void StatsWindow::KeepGeometry()
{
    settings_.Open = isVisible() ? 1 : 0;
    settings_.Width = width();
    settings_.Height = height();
    if (PlacesItself()) {
        settings_.X = x();
        settings_.Y = y();
    }
}

void StatsWindow::closeEvent(QCloseEvent* event)
{
    KeepGeometry();
    settings_.Open = 0;
    Stop();
    event->accept();
}

// Minimised, the window draws nothing; restored, it shows everything as it is now.
void StatsWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange && !isMinimized())
        PresentAll();
    QWidget::changeEvent(event);
}

// The field has the focus when the window opens: Ctrl+C there copies the figures
// unless text of the field is selected.
bool StatsWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == nominal_ && event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy) && !nominal_->hasSelectedText())
        return true;
    return QWidget::eventFilter(watched, event);
}

void StatsWindow::Stop()
{
    takeTimer_.stop();
    tap_.Close();
    figures_.Reset();
    taken_ = {};
}

void StatsWindow::Reset()
{
    if (held_)
        hold_->setChecked(false);  // a fresh start is shown at once
    tap_.Take(taken_);  // readings from before the reset
    figures_.Reset();
    PresentAll();
}

void StatsWindow::SetHeld(bool held)
{
    held_ = held;
    if (hold_->isChecked() != held)
        hold_->setChecked(held);
    if (!held)
        PresentAll();
}

void StatsWindow::TakeReadings()
{
    figures_.NoteDropped(tap_.Take(taken_));
    for (const TappedReading& reading : taken_)
        figures_.Add(reading);
    changed_ = changed_ || !taken_.empty();
    ++takesSincePlot_;
    Present();
}

void StatsWindow::Present()
{
    if (held_ || !changed_ || isMinimized())
        return;
    // The whole summary costs a fraction of a millisecond: once with the plots, the
    // quick figures in between.
    const bool plots = takesSincePlot_ >= kTakesPerPlot;
    if (plots)
        shown_ = figures_.View(static_cast<uint32_t>(settings_.Average), settings_.TrendMinutes);
    else
        figures_.Refresh(shown_);
    panel_->Show(shown_, settings_.NominalHz);
    fromMean_->setEnabled(std::isfinite(shown_.summary.meanHz));
    if (plots) {
        PresentPlots();
        takesSincePlot_ = 0;
        changed_ = false;
    }
}

// The whole of the figures and the plots at once, not waiting for the next take.
void StatsWindow::PresentAll()
{
    changed_ = true;
    takesSincePlot_ = kTakesPerPlot;
    Present();
}

void StatsWindow::PresentPlots()
{
    const StabilitySummary& s = shown_.summary;
    trend_->SetData({shown_.trend, shown_.trendMinutes, settings_.NominalHz, s.meanHz, s.stddevHz});
    deviations_->SetData(s);
    QString points;
    for (const DeviationPoint& point : s.adev)
        points += tr("τ %1 s: %2; ")
                      .arg(QString::fromStdString(PlainNumber(point.tauS)))
                      .arg(QString::fromStdString(PlainNumber(point.fractional)));
    deviations_->setAccessibleDescription(points);
    trend_->setAccessibleDescription(tr("平均 %1、標準偏差 %2 Hz")
                                         .arg(QString::fromStdString(PartsText(
                                             OffsetFromNominal(s.meanHz, settings_.NominalHz).ppm)))
                                         .arg(QString::fromStdString(FixedText(s.stddevHz, 3))));
}

std::string StatsWindow::CopiedFigures() const
{
    return CopiedText(shown_, settings_.NominalHz);
}

void StatsWindow::Copy()
{
    if (!held_)  // the figures copied are the whole of them, as they are now
        PresentAll();
    QGuiApplication::clipboard()->setText(QString::fromStdString(CopiedFigures()));
}

void StatsWindow::EnterNominal(const QString& text)
{
    const NominalParse parsed = ParseNominal(text.toStdString());
    if (parsed.error != NominalError::None) {
        nominalMessage_->setText(NominalErrorText(parsed.error));
        nominalMessage_->show();
        return;
    }
    nominalMessage_->clear();
    nominalMessage_->hide();
    if (parsed.hz == settings_.NominalHz)
        return;
    settings_.NominalHz = parsed.hz;
    if (held_) {  // the figures stay; the offsets follow the new nominal
        panel_->Show(shown_, settings_.NominalHz);
        PresentPlots();
    }
    PresentAll();
}

QString StatsWindow::NominalMessage() const
{
    return nominalMessage_->text();
}

void StatsWindow::NominalFromMean()
{
    const double mean = shown_.summary.meanHz;
    if (!(mean >= kMinNominalHz && mean <= kMaxNominalHz))
        return;
    nominal_->setText(QString::fromStdString(NominalText(mean)));
    EnterNominal(nominal_->text());
}

QString StatsWindow::NominalErrorText(NominalError error) const
{
    QString why;
    switch (error) {
    case NominalError::Empty:
        why = tr("公称値を入力してください。");
        break;
    case NominalError::NotANumber:
        why = tr("公称値は 10M、10.000 MHz、32768、32.768 kHz のように、小数点に . を使って入力してください。");
        break;
    case NominalError::UnknownUnit:
        why = tr("数値のあとには k、M、G と Hz だけを書けます。");
        break;
    case NominalError::OutOfRange:
    case NominalError::None:
        why = tr("公称値は 1 Hz から 10 GHz までです。");
        break;
    }
    return why + QLatin1Char(' ') +
           tr("公称値は %1 Hz のままです。").arg(QString::fromStdString(NominalText(settings_.NominalHz)));
}

bool StatsWindow::SavePlots(const QString& path) const
{
    const QSize top = trend_->size();
    const QSize bottom = deviations_->size();
    QImage image(std::max(top.width(), bottom.width()), top.height() + bottom.height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font());
    trend_->Render(painter, QRectF(QPointF(0, 0), top));
    deviations_->Render(painter, QRectF(QPointF(0, top.height()), bottom));
    painter.end();
    return image.save(path, "PNG");
}

void StatsWindow::AskAndSavePlots()
{
    const QString path = QFileDialog::getSaveFileName(this, tr("プロットを保存"), QStringLiteral("pelmora-stats.png"),
                                                      tr("PNG 画像 (*.png)"));
    if (path.isEmpty() || SavePlots(path))
        return;
    AfxMessageBox(tr("%1 に書き込めませんでした。").arg(path), MB_OK | MB_ICONEXCLAMATION);
}
