#include "display/SelectBitmap.h"

#include <algorithm>
#include <cstdlib>

#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QSignalBlocker>

#include "display/BmpFile.h"
#include "display/FontList.h"
#include "res/DialogUnits.h"
#include "settings/ExePath.h"  // FileNameOf

namespace {

constexpr int kLineStep = 1;
constexpr int kPageStep = 10;

ScrollCode CodeForAction(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        return SB_LINEUP;
    case QAbstractSlider::SliderSingleStepAdd:
        return SB_LINEDOWN;
    case QAbstractSlider::SliderPageStepSub:
        return SB_PAGEUP;
    case QAbstractSlider::SliderPageStepAdd:
        return SB_PAGEDOWN;
    case QAbstractSlider::SliderMove:
        return SB_THUMBTRACK;
    case QAbstractSlider::SliderToMinimum:
        return SB_TOP;
    case QAbstractSlider::SliderToMaximum:
        return SB_BOTTOM;
    default:
        return SB_ENDSCROLL;
    }
}

}  // namespace

int ScrollPosition(int code, int position, int minimum, int maximum, int thumbPosition)
{
    switch (code) {
    case SB_LINEUP:
        return std::max(position - kLineStep, minimum);
    case SB_LINEDOWN:
        return std::min(position + kLineStep, maximum);
    case SB_PAGEUP:
        return std::max(position - kPageStep, minimum);
    case SB_PAGEDOWN:
        return std::min(position + kPageStep, maximum);
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        return std::clamp(thumbPosition, minimum, std::max(minimum, maximum));
    default:
        return position;
    }
}

CSelectBitmap::CSelectBitmap(std::string fontPattern, QWidget* owner)
    : CSelectBitmap(std::vector<std::string>{std::move(fontPattern)}, owner)
{
}

CSelectBitmap::CSelectBitmap(std::vector<std::string> fontPatterns, QWidget* owner)
    : QDialog(owner, kDialogFrame),
      m_fontPatterns(std::move(fontPatterns))
{
    setWindowTitle(tr("フォントの選択"));
    CreateControls();
}

void CSelectBitmap::CreateControls()
{
    const DialogTemplate layout(*this, 213, 262);
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    layout.Place(m_ok, "IDOK", 90, 241, 50, 14);
    auto* cancel = new QPushButton(tr("ｷｬﾝｾﾙ"), this);
    layout.Place(cancel, "IDCANCEL", 156, 241, 50, 14);
    layout.Place(new QLabel(tr("フォントの種類:"), this), "labelKind", 7, 7, 44, 8);
    layout.Place(new QLabel(tr("フォントのサンプル"), this), "labelSample", 96, 7, 55, 8);
    m_list = new QListWidget(this);
    layout.Place(m_list, "list1008", 7, 19, 80, 211);
    m_box = new QFrame(this);
    layout.Place(m_box, "box1009", 96, 19, 100, 200);
    m_box->setFrameStyle(QFrame::Box | QFrame::Plain);
    QPalette grey = m_box->palette();
    grey.setColor(QPalette::WindowText, grey.color(QPalette::Dark));
    m_box->setPalette(grey);
    m_vBar = new QScrollBar(Qt::Vertical, this);
    layout.Place(m_vBar, "scroll1012", 196, 19, 10, 200);
    m_hBar = new QScrollBar(Qt::Horizontal, this);
    layout.Place(m_hBar, "scroll1013", 96, 219, 100, 11);
    for (QScrollBar* bar : {m_vBar, m_hBar}) {
        bar->setSingleStep(kLineStep);
        bar->setPageStep(kPageStep);
        connect(bar, &QAbstractSlider::actionTriggered, this,
                [this, bar](int action) { FollowBarAction(bar, action); });
    }
    // The selection, not the current row: focus alone makes a row current without selecting it.
    connect(m_list, &QListWidget::itemSelectionChanged, this, &CSelectBitmap::OnSelchangeFontList);
    connect(m_ok, &QPushButton::clicked, this, &CSelectBitmap::accept);
    connect(cancel, &QPushButton::clicked, this, &CSelectBitmap::reject);
}

void CSelectBitmap::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        OnInitDialog();
    QDialog::showEvent(event);
}

void CSelectBitmap::OnInitDialog()
{
    m_strFontPath.clear();
    m_preview = QImage();
    m_ok->setEnabled(false);
    ResetScrollBar(m_hBar, 0);
    ResetScrollBar(m_vBar, 0);
    {
        const QSignalBlocker quiet(m_list);
        m_list->clear();
    }
    m_fontPaths.clear();
    FillFontList(m_fontPatterns);
}

int CSelectBitmap::FillFontList(const std::string& pattern)
{
    return FillFontList(std::vector<std::string>{pattern});
}

int CSelectBitmap::FillFontList(const std::vector<std::string>& patterns)
{
    const std::vector<FontEntry> entries = ListFonts(patterns);
    if (entries.empty())
        return 0;
    int row = -1;
    {
        const QSignalBlocker quiet(m_list);
        for (const FontEntry& entry : entries) {
            m_list->addItem(entry.Name);
            m_fontPaths.push_back(entry.Path);
        }
        row = FindString(QFile::decodeName(m_strCurrentName.c_str()));
        m_list->setCurrentRow(row);
    }
    if (row >= 0)
        OnSelchangeFontList();
    return 1;
}

int CSelectBitmap::FindString(const QString& prefix) const
{
    if (prefix.isEmpty())
        return -1;  // an empty name would match every entry; it names no font
    for (int row = 0; row < m_list->count(); ++row)
        if (m_list->item(row)->text().startsWith(prefix, Qt::CaseInsensitive))
            return row;
    return -1;
}

void CSelectBitmap::OnSelchangeFontList()
{
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return;
    m_ok->setEnabled(true);
    m_strFontPath = m_fontPaths.at(static_cast<std::size_t>(m_list->row(selected.front())));
    m_preview = ReadBmp(m_strFontPath);
    ProbeBitmapSize(m_strFontPath, m_nBmpWidth, m_nBmpHeight);
    // The loaded image decides what there is to scroll; for every bottom-up
    // bitmap it has the header's size, and a top-down one (negative height) scrolls too.
    const QSize shown = m_preview.isNull() ? QSize(0, 0) : m_preview.size();
    const QRect box = m_box->geometry();
    ResetScrollBar(m_hBar, std::max(0, shown.width() - box.width()));
    ResetScrollBar(m_vBar, std::max(0, shown.height() - box.height()));
    update();
}

void CSelectBitmap::ResetScrollBar(QScrollBar* bar, int maximum)
{
    bar->setRange(0, maximum);
    bar->setValue(0);
}

void CSelectBitmap::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    DrawPreview(painter);
}

void CSelectBitmap::DrawPreview(QPainter& painter)
{
    // Nothing selected, or the file is no readable bitmap: the box stays in
    // the dialog's own colour inside its frame.
    if (m_preview.isNull())
        return;
    const QRect box = m_box->geometry();
    const int visibleWidth = std::min(m_preview.width(), box.width());
    const int visibleHeight = std::min(m_preview.height(), box.height());
    painter.fillRect(box, m_preview.pixelColor(0, 0));
    painter.drawImage(box.topLeft(), m_preview,
                      QRect(m_hBar->value(), m_vBar->value(), visibleWidth, visibleHeight));
}

void CSelectBitmap::OnHScroll(int code, int thumbPosition)
{
    ScrollBy(m_hBar, code, thumbPosition);
}

void CSelectBitmap::OnVScroll(int code, int thumbPosition)
{
    ScrollBy(m_vBar, code, thumbPosition);
}

void CSelectBitmap::ScrollBy(QScrollBar* bar, int code, int thumbPosition)
{
    bar->setValue(ScrollPosition(code, bar->value(), bar->minimum(), bar->maximum(), thumbPosition));
    update();
}

// Runs before the bar applies the action itself; the position set here is
// the one it keeps.
void CSelectBitmap::FollowBarAction(QScrollBar* bar, int action)
{
    const int code = CodeForAction(action);
    if (bar == m_hBar)
        OnHScroll(code, bar->sliderPosition());
    else
        OnVScroll(code, bar->sliderPosition());
}

void CSelectBitmap::accept()
{
    m_preview = QImage();
    QDialog::accept();
}

void CSelectBitmap::reject()
{
    m_preview = QImage();
    QDialog::reject();
}

bool RunFontSelection(QWidget* owner, std::string& fontPath, const std::vector<std::string>& fontPatterns)
{
    CSelectBitmap dialog(fontPatterns, owner);
    dialog.m_strCurrentName = FileNameOf(fontPath);
    if (dialog.exec() != QDialog::Accepted || dialog.m_strFontPath.empty())
        return false;
    fontPath = dialog.m_strFontPath;
    return true;
}
