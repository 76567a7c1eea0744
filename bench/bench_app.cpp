// Whole-program runs of Pelmora under an X server: start to first paint,
// resident memory, CPU of the whole process while connected to the counter
// simulator, and the receive path's cost per record, thread by thread. Uses
// $DISPLAY when set, else starts its own Xvfb.
// The program runs from a copy in a temporary folder so that its settings
// file and the build folder's stay apart.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include "display/Composer.h"
#include "display/FontLoader.h"
#include "link/receive/ReceiveThread.h"
#include "share/SharePlace.h"
#include "tools/simulator/CounterPty.h"
#include "tools/simulator/CounterSimulator.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

// A child process started with execv; killed with SIGTERM when dropped.
class Child {
public:
    Child() = default;
    explicit Child(const std::vector<std::string>& argv, const std::string& output = "/dev/null")
    {
        pid_ = fork();
        if (pid_ != 0)
            return;
        const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, STDOUT_FILENO);
        dup2(out, STDERR_FILENO);
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    Child(Child&& other) noexcept : pid_(std::exchange(other.pid_, -1)) {}
    Child& operator=(Child&& other) noexcept
    {
        Stop();
        pid_ = std::exchange(other.pid_, -1);
        return *this;
    }
    ~Child() { Stop(); }
    pid_t Pid() const { return pid_; }
    void Stop()
    {
        if (pid_ <= 0)
            return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
};

std::string ReadFile(const fs::path& path)
{
    std::ifstream file(path);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

fs::path ProcFolder(pid_t pid)
{
    return fs::path("/proc") / std::to_string(pid);
}

// utime + stime in clock ticks from a /proc stat file (of a process or a task).
long long CpuTicks(const fs::path& statFile)
{
    const std::string stat = ReadFile(statFile);
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string skip;
    for (int i = 0; i < 11; ++i)
        fields >> skip;
    long long user = 0, system = 0;
    fields >> user >> system;
    return user + system;
}

long long CpuTicks(pid_t pid)
{
    return CpuTicks(ProcFolder(pid) / "stat");
}

double ResidentMegabytes(pid_t pid)
{
    std::istringstream status(ReadFile("/proc/" + std::to_string(pid) + "/status"));
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atof(line.c_str() + 6) / 1024.0;
    return 0.0;
}

bool HoldsDevice(pid_t pid, const std::string& device)
{
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error))
        if (fs::read_symlink(entry.path(), error) == device)
            return true;
    return false;
}

template <class Predicate>
bool WaitUntil(Predicate predicate, std::chrono::milliseconds limit, std::chrono::milliseconds step)
{
    const auto deadline = Clock::now() + limit;
    while (!predicate()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(step);
    }
    return true;
}

// The build folder: the benchmark lives in its bench/ folder.
fs::path BuildDir()
{
    if (const char* dir = std::getenv("PELMORA_BUILD_DIR"))
        return dir;
    return fs::read_symlink("/proc/self/exe").parent_path().parent_path();
}

void Xdotool(const std::string& arguments)
{
    const std::string command = "timeout 10 xdotool " + arguments + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        std::this_thread::sleep_for(10ms);
}

// One installed copy of the program with its own settings file, and the
// screen it shows on.
class ProgramFolder {
public:
    ProgramFolder()
    {
        folder_ = fs::temp_directory_path() / ("pelmora-bench-" + std::to_string(getpid()));
        fs::create_directories(folder_);
        fs::copy_file(BuildDir() / "Pelmora", Program(), fs::copy_options::overwrite_existing);
        fs::remove(folder_ / "font");
        fs::create_directory_symlink(BuildDir() / "font", folder_ / "font");
    }
    ~ProgramFolder() { fs::remove_all(folder_); }

    fs::path Program() const { return folder_ / "Pelmora"; }
    fs::path Ini() const { return folder_ / "Pelmora.ini"; }
    void WriteIni(const std::string& content) const { std::ofstream(Ini()) << content; }

private:
    fs::path folder_;
};

QRgb ScreenCentrePixel()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    const QPoint centre = screen->geometry().center();
    return screen->grabWindow(0, centre.x(), centre.y(), 1, 1).toImage().pixel(0, 0);
}

// Starts the program and returns the time until its picture is on the screen.
std::chrono::duration<double> StartAndWaitForPaint(const ProgramFolder& program, Child& child,
                                                   const std::vector<std::string>& options = {})
{
    const QRgb desktop = ScreenCentrePixel();
    const auto start = Clock::now();
    std::vector<std::string> argv{program.Program().string()};
    argv.insert(argv.end(), options.begin(), options.end());
    child = Child(argv);
    WaitUntil([&] { return ScreenCentrePixel() != desktop; }, 10s, 1ms);
    return Clock::now() - start;
}

// Right button, "接続(&P)", OK in the port dialog; a few tries, since the
// window manager-less server may drop the first clicks while windows map.
bool ConnectThroughTheMenu(pid_t program, const std::string& device)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        Xdotool("search --sync --onlyvisible --name '^Pelmora$' mousemove --window %1 20 20 click 3");
        std::this_thread::sleep_for(500ms);
        Xdotool("key p");
        std::this_thread::sleep_for(500ms);
        Xdotool("search --onlyvisible --name 'シリアルポートの条件' key --window %1 Return");
        if (WaitUntil([&] { return HoldsDevice(program, device); }, 3s, 20ms))
            return true;
        Xdotool("key Escape");
    }
    return false;
}

// Connects, then leaves the pointer resting over the read-out.
bool ConnectAndSettle(pid_t program, const std::string& device)
{
    if (!ConnectThroughTheMenu(program, device))
        return false;
    // xdotool loses the Return's release when the dialog closes on its press;
    // the server would then repeat the key 25 times a second into the window.
    Xdotool("keyup Return");
    Xdotool("search --onlyvisible --name '^Pelmora$' mousemove --window %1 20 20");
    return true;
}

ProgramFolder& Folder()
{
    static ProgramFolder folder;
    return folder;
}

void BM_StartToFirstPaint(benchmark::State& state)
{
    Folder().WriteIni("");
    double rss = 0;
    for (auto _ : state) {
        Child program;
        const auto elapsed = StartAndWaitForPaint(Folder(), program);
        state.SetIterationTime(elapsed.count());
        std::this_thread::sleep_for(300ms);
        rss = ResidentMegabytes(program.Pid());
        program.Stop();
        std::this_thread::sleep_for(200ms);
    }
    state.counters["rss_MB"] = rss;
}
BENCHMARK(BM_StartToFirstPaint)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// Connected to the simulator: argument 0 is records per second (576 means as
// fast as 115200 baud allows, 0 a counter that stays silent), argument 1 the zoom.
void BM_ConnectedCpu(benchmark::State& state)
{
    const int rate = static_cast<int>(state.range(0));
    const int zoom = static_cast<int>(state.range(1));
    const fs::path simOut = fs::temp_directory_path() / "pelmora-bench-sim.out";
    Folder().WriteIni("[Port]\nPortNumber=1\nBaudRate=11\n");
    std::vector<std::string> simArgs = {(BuildDir() / "pelmora-counter-sim").string(), "--ini",
                                        Folder().Ini().string(), "--com", "1"};
    if (rate == 576)
        simArgs.insert(simArgs.end(), {"--baud", "115200"});
    else if (rate > 0)
        simArgs.insert(simArgs.end(), {"--rate", std::to_string(rate)});
    else
        simArgs.insert(simArgs.end(), {"--rate", "1", "--pause-every", "1", "--pause-seconds", "100000"});
    for (auto _ : state) {
        fs::remove(simOut);
        Child simulator(simArgs, simOut.string());
        const auto mapped = [&] {
            return ReadFile(simOut).find('\n') != std::string::npos &&
                   ReadFile(Folder().Ini()).find("COM1=") != std::string::npos;
        };
        WaitUntil(mapped, 5s, 10ms);
        std::string device = ReadFile(simOut);
        device = device.substr(0, device.find('\n'));
        Child program;
        StartAndWaitForPaint(Folder(), program);
        if (!ConnectAndSettle(program.Pid(), device)) {
            state.SkipWithError("the program did not connect");
            break;
        }
        for (int step = 1; step < zoom; ++step)
            Xdotool("click 4");
        std::this_thread::sleep_for(2s);
        const long long before = CpuTicks(program.Pid());
        const auto start = Clock::now();
        std::this_thread::sleep_for(10s);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const double cpuSeconds = double(CpuTicks(program.Pid()) - before) / sysconf(_SC_CLK_TCK);
        state.SetIterationTime(seconds);
        state.counters["cpu_pct"] = 100.0 * cpuSeconds / seconds;
        state.counters["rss_MB"] = ResidentMegabytes(program.Pid());
        program.Stop();
        simulator.Stop();
        Folder().WriteIni("[Port]\nPortNumber=1\nBaudRate=11\n");
    }
    fs::remove(simOut);
}
BENCHMARK(BM_ConnectedCpu)
    ->ArgNames({"records_per_s", "zoom"})
    ->Args({576, 1})->Args({576, 5})->Args({10, 1})->Args({10, 5})->Args({0, 1})->Args({0, 5})
    ->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

// One line of /proc/<pid>/task/<tid>/io: rchar (bytes read) or syscr (read calls).
long long IoCounter(const fs::path& task, const std::string& name)
{
    std::istringstream io(ReadFile(task / "io"));
    for (std::string line; std::getline(io, line);)
        if (line.rfind(name + ":", 0) == 0)
            return std::atoll(line.c_str() + name.size() + 1);
    return -1;
}

// The /proc task folder of the program's thread with this name; empty when none.
fs::path TaskNamed(pid_t pid, const std::string& name)
{
    std::error_code error;
    for (const auto& task : fs::directory_iterator(ProcFolder(pid) / "task", error))
        if (ReadFile(task.path() / "comm") == name + "\n")
            return task.path();
    return {};
}

struct CallCounts {
    long long Polls = 0;
    long long Reads = 0;
};

// poll and read calls of one thread, counted by strace attached to that
// thread alone for a while. strace slows what it traces: CPU is not measured then.
CallCounts CountCalls(const fs::path& task, std::chrono::seconds span)
{
    const fs::path summary = fs::temp_directory_path() / "pelmora-bench-strace.out";
    Child strace({"/usr/bin/strace", "-c", "-e", "trace=poll,ppoll,read", "-o", summary.string(),
                  "-p", task.filename().string()});
    std::this_thread::sleep_for(span);
    strace.Stop();  // detaches and writes the summary
    CallCounts counts;
    std::istringstream lines(ReadFile(summary));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::vector<std::string> words{std::istream_iterator<std::string>(fields), {}};
        if (words.size() < 5)
            continue;
        const long long calls = std::atoll(words[3].c_str());
        if (words.back() == "poll" || words.back() == "ppoll")
            counts.Polls += calls;
        else if (words.back() == "read")
            counts.Reads += calls;
    }
    fs::remove(summary);
    return counts;
}

// The paints of one window as the X server sees them, counted on a connection of
// the benchmark's own: every drawing into the window raises a damage event, and the
// rectangles of one paint carry the same server time.
class PaintCounter {
public:
    explicit PaintCounter(uint32_t window) : connection_(xcb_connect(nullptr, nullptr))
    {
        const xcb_query_extension_reply_t* damage = xcb_get_extension_data(connection_, &xcb_damage_id);
        if (xcb_connection_has_error(connection_) || !damage || !damage->present)
            return;
        std::free(xcb_damage_query_version_reply(connection_, xcb_damage_query_version(connection_, 1, 1),
                                                 nullptr));
        firstEvent_ = damage->first_event;
        xcb_damage_create(connection_, xcb_generate_id(connection_), window,
                          XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
        xcb_flush(connection_);
        reader_ = std::thread([this] { Count(); });
    }
    ~PaintCounter()
    {
        stop_ = true;
        if (reader_.joinable())
            reader_.join();
        xcb_disconnect(connection_);
    }

    long long Paints() const { return paints_.load(); }
    long long Pixels() const { return pixels_.load(); }

private:
    void Count()
    {
        pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
        uint32_t lastTime = 0;
        while (!stop_) {
            ::poll(&fd, 1, 100);
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
                if ((event->response_type & 0x7f) == firstEvent_ + XCB_DAMAGE_NOTIFY) {
                    const auto* notify = reinterpret_cast<xcb_damage_notify_event_t*>(event);
                    paints_ += notify->timestamp != lastTime ? 1 : 0;
                    pixels_ += notify->area.width * notify->area.height;
                    lastTime = notify->timestamp;
                }
                std::free(event);
            }
        }
    }

    xcb_connection_t* connection_;
    uint8_t firstEvent_ = 0;
    std::thread reader_;
    std::atomic<bool> stop_{false};
    std::atomic<long long> paints_{0};  // written by the reader, read by the benchmark
    std::atomic<long long> pixels_{0};
};

// Nanoseconds a task has run, as the scheduler counts them: exact, where utime
// and stime charge whole clock ticks to whichever thread runs at the tick, which
// overcharges a thread whose timer wakes it together with the tick.
long long RunNanoseconds(const fs::path& task)
{
    long long nanoseconds = 0;
    std::istringstream(ReadFile(task / "schedstat")) >> nanoseconds;
    return nanoseconds;
}

long long ProcessRunNanoseconds(pid_t pid)
{
    long long sum = 0;
    std::error_code error;
    for (const auto& task : fs::directory_iterator(ProcFolder(pid) / "task", error))
        sum += RunNanoseconds(task.path());
    return sum;
}

// A thread's sleeps that ended in a wake-up: its voluntary context switches.
long long WakeUps(const fs::path& task)
{
    std::istringstream status(ReadFile(task / "status"));
    for (std::string line; std::getline(status, line);)
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0)
            return std::atoll(line.c_str() + 24);
    return -1;
}

// CPU ticks, wake-ups and bytes read, sampled at the two ends of a window.
struct ReceiveSample {
    Clock::time_point Time;
    long long ProcessTicks = 0;
    long long WindowTicks = 0;
    long long ReceiveTicks = 0;
    long long ReceivedBytes = 0;
    long long ReadCalls = 0;
    long long ReceiveWakeUps = 0;
    long long WindowWakeUps = 0;
    long long Paints = 0;
    long long PaintedPixels = 0;
    long long ProcessRunNs = 0;
    long long WindowRunNs = 0;
    long long ReceiveRunNs = 0;
};

ReceiveSample SampleReceivePath(pid_t pid, const fs::path& receiveTask, const PaintCounter& paints)
{
    const fs::path windowTask = ProcFolder(pid) / "task" / std::to_string(pid);
    return {Clock::now(),
            CpuTicks(pid),
            CpuTicks(windowTask / "stat"),
            CpuTicks(receiveTask / "stat"),
            IoCounter(receiveTask, "rchar"),
            IoCounter(receiveTask, "syscr"),
            WakeUps(receiveTask),
            WakeUps(windowTask),
            paints.Paints(),
            paints.Pixels(),
            ProcessRunNanoseconds(pid),
            RunNanoseconds(windowTask),
            RunNanoseconds(receiveTask)};
}

void ReportCpuWindow(benchmark::State& state, const ReceiveSample& from, const ReceiveSample& to)
{
    const double seconds = std::chrono::duration<double>(to.Time - from.Time).count();
    const auto percent = [&](long long ticks) {
        return 100.0 * double(ticks) / double(sysconf(_SC_CLK_TCK)) / seconds;
    };
    const double records = double(to.ReceivedBytes - from.ReceivedBytes) / kRecordWireSize;
    state.SetIterationTime(seconds);
    state.counters["process_cpu_pct"] = percent(to.ProcessTicks - from.ProcessTicks);
    state.counters["window_cpu_pct"] = percent(to.WindowTicks - from.WindowTicks);
    state.counters["receive_cpu_pct"] = percent(to.ReceiveTicks - from.ReceiveTicks);
    state.counters["received_per_s"] = records / seconds;
    state.counters["reads_per_record"] = double(to.ReadCalls - from.ReadCalls) / records;
    state.counters["reads_per_s"] = double(to.ReadCalls - from.ReadCalls) / seconds;
    state.counters["receive_wakeups_per_s"] = double(to.ReceiveWakeUps - from.ReceiveWakeUps) / seconds;
    state.counters["window_wakeups_per_s"] = double(to.WindowWakeUps - from.WindowWakeUps) / seconds;
    const double paints = double(to.Paints - from.Paints);
    state.counters["paints_per_s"] = paints / seconds;
    const double pixels = double(to.PaintedPixels - from.PaintedPixels);
    state.counters["painted_pixels_per_paint"] = paints > 0 ? pixels / paints : 0;
    const auto runPercent = [&](long long nanoseconds) { return 1e-7 * double(nanoseconds) / seconds; };
    state.counters["process_run_pct"] = runPercent(to.ProcessRunNs - from.ProcessRunNs);
    state.counters["window_run_pct"] = runPercent(to.WindowRunNs - from.WindowRunNs);
    state.counters["receive_run_pct"] = runPercent(to.ReceiveRunNs - from.ReceiveRunNs);
    state.counters["window_us_per_paint"] = paints > 0 ? 1e-3 * double(to.WindowRunNs - from.WindowRunNs) / paints : 0;
}

void ReportCallsPerRecord(benchmark::State& state, const fs::path& receiveTask)
{
    const long long bytesBefore = IoCounter(receiveTask, "rchar");
    const CallCounts calls = CountCalls(receiveTask, 20s);
    const double records = double(IoCounter(receiveTask, "rchar") - bytesBefore) / kRecordWireSize;
    state.counters["traced_polls_per_record"] = double(calls.Polls) / records;
    state.counters["traced_reads_per_record"] = double(calls.Reads) / records;
    state.counters["traced_polls_per_s"] = double(calls.Polls) / 20.0;
    state.counters["traced_reads_per_s"] = double(calls.Reads) / 20.0;
}

// The large digits as the program draws them at zoom 1, to read the frequency
// off the screen: one image per character a frequency line holds there.
class DigitReader {
public:
    DigitReader()
    {
        std::string fontPath = (BuildDir() / "font" / "font.bmp").string();
        loaded_ = LoadFont(readout_, fontPath, fontPath).Loaded;
        readout_.With([this](ReadoutState& state) {
            metrics_ = state.Metrics;
            for (const char c : std::string_view(kCharacters)) {
                DrawGlyph(state, c, 0, 0, 2);
                glyphs_.push_back(Cell(state.Images.BackBitmap, 0));
            }
        });
    }

    bool Loaded() const { return loaded_; }
    // The picture's size holding the eleven large digits.
    QSize Area() const { return {22 * metrics_.CellWidth, 2 * metrics_.CellHeight}; }

    // The frequency the picture shows; -1 when a cell matches no character.
    long long Read(const QImage& picture) const
    {
        long long value = 0;
        for (int position = 0; position < 11; ++position) {
            const QImage cell = Cell(picture, position);
            const auto glyph = std::find(glyphs_.begin(), glyphs_.end(), cell);
            if (glyph == glyphs_.end())
                return -1;
            const char c = kCharacters[glyph - glyphs_.begin()];
            if (c >= '0' && c <= '9')
                value = value * 10 + (c - '0');
        }
        return value;
    }

private:
    static constexpr const char* kCharacters = "0123456789, ";

    QImage Cell(const QImage& picture, int position) const
    {
        const int width = 2 * metrics_.CellWidth;
        return picture.copy(position * width, 0, width, 2 * metrics_.CellHeight)
            .convertToFormat(QImage::Format_RGB32);
    }

    Readout readout_;
    GlyphMetrics metrics_;
    std::vector<QImage> glyphs_;
    bool loaded_ = false;
};

WId WindowNamed(const std::string& name)
{
    const std::string command = "timeout 10 xdotool search --onlyvisible --name '" + name + "'";
    FILE* output = popen(command.c_str(), "r");
    if (!output)
        return 0;
    unsigned long id = 0;
    if (std::fscanf(output, "%lu", &id) != 1)
        id = 0;
    pclose(output);
    return static_cast<WId>(id);
}

double Percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * double(values.size() - 1))];
}

// From a record's last byte to the first picture that shows it (or a later
// record): the benchmark writes rate records a second for span, each with its
// own frequency, and reads the window's digits back as fast as the X server
// gives them. A picture counts at the start of the grab that saw it, so the
// figures are short by up to one grab (grab_ms).
void MeasurePaintLatency(benchmark::State& state, CounterPty& pty, int rate, std::chrono::seconds span)
{
    static const DigitReader reader;
    const WId window = WindowNamed("^Pelmora$");
    if (!reader.Loaded() || window == 0)
        return;
    constexpr uint32_t kFirst = 100'000'000;
    const auto count = static_cast<std::size_t>(rate * span.count());
    std::vector<Clock::time_point> written(count);
    std::atomic<std::size_t> sent{0};
    std::thread writer([&] {
        const auto start = Clock::now();
        for (std::size_t k = 0; k < count; ++k) {
            std::this_thread::sleep_until(start + std::chrono::microseconds(1'000'000 * k / rate));
            if (!pty.Write(FormatRecord(1, 10, kFirst + static_cast<uint32_t>(k))))
                break;
            written[k] = Clock::now();
            sent.store(k + 1, std::memory_order_release);
        }
    });
    QScreen* screen = QGuiApplication::primaryScreen();
    std::vector<double> latencies;
    double grabSeconds = 0;
    long long grabs = 0;
    std::size_t shown = 0;
    const auto end = Clock::now() + span + 1s;
    while (Clock::now() < end && shown < count) {
        const auto grabbed = Clock::now();
        const QSize area = reader.Area();
        const QImage picture = screen->grabWindow(window, 0, 0, area.width(), area.height()).toImage();
        grabSeconds += std::chrono::duration<double>(Clock::now() - grabbed).count();
        ++grabs;
        const long long value = reader.Read(picture) - kFirst;
        const std::size_t known = sent.load(std::memory_order_acquire);
        if (value < 0 || static_cast<std::size_t>(value) >= known)
            continue;
        for (; shown <= static_cast<std::size_t>(value); ++shown)
            latencies.push_back(std::chrono::duration<double, std::milli>(grabbed - written[shown]).count());
    }
    writer.join();
    state.counters["latency_median_ms"] = Percentile(latencies, 0.5);
    state.counters["latency_max_ms"] = Percentile(latencies, 1.0);
    state.counters["latency_records"] = double(latencies.size());
    state.counters["grab_ms"] = grabs > 0 ? 1e3 * grabSeconds / double(grabs) : -1;
}

// Waits for the receive thread to have read every byte sent; the records it
// never read are the ones lost.
double RecordsLost(const fs::path& receiveTask, uint64_t sent)
{
    const auto bytes = static_cast<long long>(sent * kRecordWireSize);
    WaitUntil([&] { return IoCounter(receiveTask, "rchar") >= bytes; }, 10s, 50ms);
    return double(sent) - double(IoCounter(receiveTask, "rchar")) / kRecordWireSize;
}

// The receive path's cost: a pseudo-terminal fed one record per write at
// argument 0 records a second (576: as fast as 115200 baud allows). Over a
// window of argument 1 seconds: CPU of the whole program, its window thread
// and its receive thread (utime + stime from /proc: *_cpu_pct; the scheduler's
// run time, exact: *_run_pct), their wake-ups (voluntary
// context switches), read calls (the thread's syscr) and the window's paints
// (PaintCounter) with the window thread's CPU per paint. Then, over 20 s with strace attached to the receive
// thread only, poll and read calls per record. Then the records sent that
// the thread never read; a reader too slow for the rate would instead hold the
// writer back on a full pty and show as a received_per_s below the rate.
// Finally, over 10 s at the same rate, the latency from a record's last byte
// to the picture that shows it (MeasurePaintLatency).
// Argument 2 set: the program logs every record (--log) into a file. Argument
// 3 set: the statistics window is open (--stats). Argument 4 set: the frequency
// wanders, so most records change the digits (else every record is the same).
// Raw readers of the program's shared stream, each on a thread of its own that
// reads as fast as lines come, as a script following the counter would.
class StreamReaders {
public:
    StreamReaders(const std::string& socketPath, int count)
    {
        for (int i = 0; i < count; ++i) {
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
                ::close(fd);
                continue;
            }
            fds_.push_back(fd);
            threads_.emplace_back([this, fd] {
                char chunk[65536];
                for (ssize_t got; (got = ::read(fd, chunk, sizeof chunk)) > 0;)
                    bytes_ += static_cast<uint64_t>(got);
            });
        }
    }
    ~StreamReaders()
    {
        for (const int fd : fds_)
            ::shutdown(fd, SHUT_RDWR);
        for (std::thread& thread : threads_)
            thread.join();
        for (const int fd : fds_)
            ::close(fd);
    }
    size_t Connected() const { return fds_.size(); }
    uint64_t Bytes() const { return bytes_; }

private:
    std::vector<int> fds_;
    std::vector<std::thread> threads_;
    std::atomic<uint64_t> bytes_{0};
};

void BM_ReceivePathCpu(benchmark::State& state)
{
    const int rate = static_cast<int>(state.range(0));
    const fs::path log = fs::temp_directory_path() / "pelmora-bench-log.csv";
    for (auto _ : state) {
        CounterPty pty;
        Folder().WriteIni("[Port]\nPortNumber=1\nBaudRate=11\nCOM1=" + pty.SlavePath() + "\n");
        fs::remove(log);
        Child program;
        std::vector<std::string> arguments;
        if (state.range(2))
            arguments = {"--log", log.string()};
        if (state.range(3))
            arguments.push_back("--stats");
        StartAndWaitForPaint(Folder(), program, arguments);
        const bool connected = ConnectAndSettle(program.Pid(), pty.SlavePath());
        const fs::path receiveTask =
            connected ? TaskNamed(program.Pid(), ReceiveThread::kThreadName) : fs::path();
        if (receiveTask.empty()) {
            state.SkipWithError("the program did not connect");
            break;
        }
        const int clients = static_cast<int>(state.range(5));
        StreamReaders readers(SocketPathFor(ShareFolder(), pty.SlavePath()), clients);
        if (readers.Connected() != static_cast<size_t>(clients)) {
            state.SkipWithError("the stream's clients did not connect");
            break;
        }
        SimulatorOptions options;
        options.Baud = 115200;
        options.RecordsPerSecond = rate == 576 ? 0 : rate;
        if (state.range(4))
            options.Generator.FrequencyMode = GeneratorOptions::Mode::Wander;
        std::atomic<bool> stop{false};
        uint64_t sent = 0;
        std::thread counter([&] { sent = RunSimulator(pty, options, stop); });
        const PaintCounter paints(static_cast<uint32_t>(WindowNamed("^Pelmora$")));
        std::this_thread::sleep_for(2s);
        const ReceiveSample from = SampleReceivePath(program.Pid(), receiveTask, paints);
        std::this_thread::sleep_for(std::chrono::seconds(state.range(1)));
        ReportCpuWindow(state, from, SampleReceivePath(program.Pid(), receiveTask, paints));
        ReportCallsPerRecord(state, receiveTask);
        stop = true;
        counter.join();
        state.counters["records_sent"] = double(sent);
        state.counters["stream_bytes_per_client"] = clients != 0 ? double(readers.Bytes()) / clients : 0.0;
        state.counters["records_lost"] = RecordsLost(receiveTask, sent);
        MeasurePaintLatency(state, pty, rate, 10s);
    }
    fs::remove(log);
}
BENCHMARK(BM_ReceivePathCpu)
    ->ArgNames({"records_per_s", "seconds", "log", "stats", "wander", "clients"})
    ->Args({576, 60, 0, 0, 0, 0})->Args({10, 60, 0, 0, 0, 0})->Args({576, 60, 1, 0, 0, 0})
    ->Args({576, 60, 0, 1, 0, 0})->Args({576, 60, 0, 0, 1, 0})->Args({576, 60, 0, 1, 1, 0})
    ->Args({576, 60, 0, 0, 0, 8})
    ->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

// The benchmark's own X server when none is given.
Child StartXvfbWhenNeeded()
{
    if (std::getenv("DISPLAY"))
        return {};
    int display = 90;
    while (fs::exists("/tmp/.X11-unix/X" + std::to_string(display)))
        ++display;
    const std::string name = ":" + std::to_string(display);
    Child server({"/usr/bin/Xvfb", name, "-screen", "0", "3400x1000x24", "-nolisten", "tcp"});
    WaitUntil([&] { return fs::exists("/tmp/.X11-unix/X" + std::to_string(display)); }, 10s, 20ms);
    setenv("DISPLAY", name.c_str(), 1);
    return server;
}

}  // namespace

int main(int argc, char** argv)
{
    Child server = StartXvfbWhenNeeded();
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
