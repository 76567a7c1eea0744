#include "link/dialog/PortDlg.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "link/port/BaudRateTable.h"
#include "res/DialogUnits.h"
#include "res/MessageBox.h"

namespace {

// The template's combo box height is the dropped-down list's; the closed box
// keeps the height the font gives it and the list shows what fits below.
QComboBox* MakeList(QWidget* parent, const DialogBaseUnits& units, int x, int y, int width,
                    int droppedHeight)
{
    auto* list = new QComboBox(parent);
    const QRect dropped = DialogRect(units, x, y, width, droppedHeight);
    const int closedHeight = list->sizeHint().height();
    list->setGeometry(dropped.x(), dropped.y(), dropped.width(), closedHeight);
    const int rowHeight = std::max(1, list->fontMetrics().height());
    list->setMaxVisibleItems(std::max(1, (dropped.height() - closedHeight) / rowHeight));
    return list;
}

void SelectIndex(QComboBox& list, int index)
{
    list.setCurrentIndex(index >= 0 && index < list.count() ? index : -1);
}

}  // namespace

CPortDlg::CPortDlg(QWidget* owner, DevicePathFn devicePath)
    : QDialog(owner, kDialogFrame)
{
    setWindowTitle(tr("シリアルポートの条件"));
    CreateControls(devicePath);
}

void CPortDlg::CreateControls(const DevicePathFn& devicePath)
{
    const DialogTemplate layout(*this, 155, 50);
    const DialogBaseUnits& units = layout.Units();
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    layout.Place(m_ok, "IDOK", 98, 7, 50, 14);
    m_cancel = new QPushButton(tr("ｷｬﾝｾﾙ"), this);
    layout.Place(m_cancel, "IDCANCEL", 98, 29, 50, 14);
    m_portLabel = new QLabel(tr("ポート番号"), this);
    layout.Place(m_portLabel, "labelPort", 7, 10, 32, 8);
    m_baudLabel = new QLabel(tr("通信速度"), this);
    layout.Place(m_baudLabel, "labelSpeed", 7, 33, 28, 8);
    m_portList = MakeList(this, units, 43, 7, 48, 100);
    m_baudList = MakeList(this, units, 43, 31, 48, 100);
    for (int port = 1; port <= kPortListCount; ++port) {
        m_portList->addItem(QStringLiteral("COM%1").arg(port));
        if (devicePath)
            m_portList->setItemData(port - 1, QString::fromStdString(devicePath(port)),
                                   Qt::ToolTipRole);
    }
    for (const uint32_t rate : BaudRateTable::kRates)
        m_baudList->addItem(QString::number(rate));
    setTabOrder(m_ok, m_cancel);
    setTabOrder(m_cancel, m_portList);
    setTabOrder(m_portList, m_baudList);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CPortDlg::DoDataExchange(bool toLists)
{
    if (toLists) {
        SelectIndex(*m_baudList, m_nBaudIndex);
        SelectIndex(*m_portList, m_nPortIndex);
    } else {
        m_nBaudIndex = m_baudList->currentIndex();
        m_nPortIndex = m_portList->currentIndex();
    }
}

DialogResult CPortDlg::DoModal()
{
    DoDataExchange(true);
    m_ok->setFocus();
    if (exec() != QDialog::Accepted)
        return IDCANCEL;
    DoDataExchange(false);
    return IDOK;
}
