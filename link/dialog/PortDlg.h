#pragma once

#include <functional>
#include <string>

#include <QCoreApplication>
#include <QDialog>

#include "link/port/BaudRateTable.h"
#include "res/MessageBox.h"

class QComboBox;
class QLabel;
class QPushButton;

// The port dialog: port COM1-COM20 and one of the 12 line speeds. The fields
// hold list indexes; -1 means no selection either way.
class CPortDlg : public QDialog {
    Q_DECLARE_TR_FUNCTIONS(CPortDlg)

public:
    // The device a port number stands for, shown as the tooltip of its item.
    using DevicePathFn = std::function<std::string(int portNumber)>;

    explicit CPortDlg(QWidget* owner, DevicePathFn devicePath = {});

    // Runs the dialog modally; IDOK (the fields then hold the lists'
    // selections) or IDCANCEL.
    DialogResult DoModal();

    int m_nBaudIndex = -1;
    int m_nPortIndex = -1;

    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }
    QComboBox* PortList() const { return m_portList; }
    QComboBox* BaudList() const { return m_baudList; }
    QLabel* PortLabel() const { return m_portLabel; }
    QLabel* BaudLabel() const { return m_baudLabel; }

private:
    void CreateControls(const DevicePathFn& devicePath);
    // Fields into the lists (toLists) or the lists' selections into the fields.
    void DoDataExchange(bool toLists);

    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QLabel* m_portLabel = nullptr;
    QLabel* m_baudLabel = nullptr;
    QComboBox* m_portList = nullptr;
    QComboBox* m_baudList = nullptr;
};

// The dialog's lists as shown: "COM1" ... "COM20" and "110" ... "115200".
inline constexpr int kPortListCount = 20;
inline constexpr int kBaudListCount = BaudRateTable::kSize;
