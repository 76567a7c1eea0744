#include "tests/soak/SoakSupport.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <time.h>

#include <QPushButton>

#include "app/CounterDisplayDlg.h"
#include "link/dialog/PortDlg.h"
#include "res/Menu131.h"
#include "tests/support/Modal.h"
#include "tests/support/TempDir.h"

double ProcessCpuSeconds()
{
    timespec used{};
    if (clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used) != 0)
        return -1;
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "<unreadable>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write test file " + path);
}

std::string PortIni(const std::string& device)
{
    const std::string n = std::to_string(kPort);
    return "[Port]\nCOM" + n + "=" + device + "\nPortNumber=" + n +
           "\nBaudRate=" + std::to_string(kBaud115200) + "\n";
}

std::string FrequencyLine(Readout& readout)
{
    return readout.With([](ReadoutState& state) { return std::string(state.Text.Frequency); });
}

std::string FrequencyLine(CCounterDisplayDlg& window)
{
    return FrequencyLine(window.ReadoutData());
}

std::chrono::duration<double, std::milli> TimeOf(const std::function<void()>& fn)
{
    const auto start = std::chrono::steady_clock::now();
    fn();
    return std::chrono::steady_clock::now() - start;
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

bool RunAsUser(bool asOrdinaryUser, const std::function<void()>& act)
{
    std::optional<UnprivilegedFiles> ordinaryUser;
    if (asOrdinaryUser && !ordinaryUser.emplace().Available())
        return false;
    act();
    return true;
}

void ConnectThroughDialog(CCounterDisplayDlg& window)
{
    WhenModal<CPortDlg>([](CPortDlg& dialog) { dialog.OkButton()->click(); });
    window.OnCommand(ID_CONNECT);
}
