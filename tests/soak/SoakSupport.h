#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/link/ProcessProbes.h"

class CCounterDisplayDlg;
class Readout;

using namespace std::chrono_literals;

// A stop that takes this long is a failure even though it is within the
// thread's own 1000 ms limit.
inline constexpr auto kStopBound = 500ms;

inline constexpr int kPort = 4;
inline constexpr int kBaud115200 = 11;

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

// Runs act, as an ordinary user when asOrdinaryUser (see UnprivilegedFiles);
// false, without running it, when no ordinary user is available.
bool RunAsUser(bool asOrdinaryUser, const std::function<void()>& act);

// Opens the port dialog through the connect command and presses its OK.
void ConnectThroughDialog(CCounterDisplayDlg& window);

