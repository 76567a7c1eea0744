#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <QApplication>
#include <QTimer>

class CCounterDisplayDlg;
class Readout;

using namespace std::chrono_literals;

// Generous: the machine is shared with other builds.
inline constexpr int kPatienceMs = 20000;
// A stop that takes this long is a failure even though it is within the
// thread's own 1000 ms limit.
inline constexpr auto kStopBound = 500ms;

inline constexpr int kPort = 4;
inline constexpr int kBaud115200 = 11;

// Entries of /proc/self/fd and /proc/self/task.
int OpenDescriptorCount();
int ThreadCount();
// CPU time of the whole process so far.
double ProcessCpuSeconds();

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, std::string_view bytes);

// A settings file that maps COM<port> to device and chooses it at 115200 baud.
std::string PortIni(const std::string& device);

std::string FrequencyLine(Readout& readout);
std::string FrequencyLine(CCounterDisplayDlg& window);

// Runs fn and returns how long it took.
std::chrono::duration<double, std::milli> TimeOf(const std::function<void()>& fn);

double Median(std::vector<double> values);

// Opens the port dialog through the connect command and presses its OK.
void ConnectThroughDialog(CCounterDisplayDlg& window);

// Runs act on the next modal dialog of type Dialog once it is open; act must end it.
template <class Dialog>
void OnModal(std::function<void(Dialog&)> act)
{
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        if (auto* dialog = dynamic_cast<Dialog*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(*dialog);
        }
    });
    poll->start();
}
