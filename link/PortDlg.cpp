#include "link/PortDlg.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "link/BaudRateTable.h"
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
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setDefault(true);
    layout.Place(ok_, "IDOK", 98, 7, 50, 14);
    cancel_ = new QPushButton(tr("ｷｬﾝｾﾙ"), this);
    layout.Place(cancel_, "IDCANCEL", 98, 29, 50, 14);
    portLabel_ = new QLabel(tr("ポート番号"), this);
    layout.Place(portLabel_, "labelPort", 7, 10, 32, 8);
    baudLabel_ = new QLabel(tr("通信速度"), this);
    layout.Place(baudLabel_, "labelSpeed", 7, 33, 28, 8);
    portList_ = MakeList(this, units, 43, 7, 48, 100);
    baudList_ = MakeList(this, units, 43, 31, 48, 100);
    for (int port = 1; port <= kPortListCount; ++port) {
        portList_->addItem(QStringLiteral("COM%1").arg(port));
        if (devicePath)
            portList_->setItemData(port - 1, QString::fromStdString(devicePath(port)),
                                   Qt::ToolTipRole);
    }
    for (const uint32_t rate : BaudRateTable::kRates)
        baudList_->addItem(QString::number(rate));
    setTabOrder(ok_, cancel_);
    setTabOrder(cancel_, portList_);
    setTabOrder(portList_, baudList_);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void CPortDlg::DoDataExchange(bool toLists)
{
    if (toLists) {
        SelectIndex(*baudList_, m_nBaudIndex);
        SelectIndex(*portList_, m_nPortIndex);
    } else {
        m_nBaudIndex = baudList_->currentIndex();
        m_nPortIndex = portList_->currentIndex();
    }
}

DialogResult CPortDlg::DoModal()
{
    DoDataExchange(true);
    ok_->setFocus();
    if (exec() != QDialog::Accepted)
        return IDCANCEL;
    DoDataExchange(false);
    return IDOK;
}
