#include "tools/logger/LoggerOptions.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>

#include "link/port/BaudRateTable.h"
#include "settings/AppSettings.h"
#include "settings/ExePath.h"
#include "settings/ProgramFolders.h"

namespace {

bool ParsePositive(const std::string& text, double& value)
{
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && std::isfinite(value) && value > 0.0;
}

bool ParseBaud(const std::string& text, uint32_t& baud)
{
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, baud);
    if (error != std::errc() || stop != end)
        return false;
    for (const uint32_t rate : BaudRateTable::kRates)
        if (rate == baud)
            return true;
    return false;
}

using ValueSetter = std::function<bool(LoggerOptions&, const std::string&)>;

// Longer than the steady clock can count from now (a second to spare for rounding):
// the end would overflow.
bool BeyondTheClock(double seconds)
{
    using Clock = std::chrono::steady_clock;
    return seconds + 1.0 >= std::chrono::duration<double>(Clock::time_point::max() - Clock::now()).count();
}

bool SetNumber(std::optional<double>& field, const std::string& text)
{
    double value = 0.0;
    if (!ParsePositive(text, value))
        return false;
    field = value;
    return true;
}

const std::map<std::string, ValueSetter>& OptionsWithValue()
{
    static const std::map<std::string, ValueSetter> options{
        {"--baud", [](LoggerOptions& o, const std::string& v) {
             uint32_t baud = 0;
             return ParseBaud(v, baud) ? (o.baud = baud, true) : false;
         }},
        {"--csv", [](LoggerOptions& o, const std::string& v) { return !v.empty() ? (o.csv = v, true) : false; }},
        {"--c1", [](LoggerOptions& o, const std::string& v) { return SetNumber(o.c1, v); }},
        {"--c2", [](LoggerOptions& o, const std::string& v) { return SetNumber(o.c2, v); }},
        {"--duration", [](LoggerOptions& o, const std::string& v) {
             return SetNumber(o.durationS, v) && !BeyondTheClock(*o.durationS);
         }},
        {"--attach", [](LoggerOptions& o, const std::string& v) {
             if (o.attach || !o.port.empty() || v.empty())
                 return false;
             o.attach = true;
             o.port = v;
             return true;
         }},
        {"--serve-tcp", [](LoggerOptions& o, const std::string& v) {
             int port = 0;
             const auto [stop, error] = std::from_chars(v.data(), v.data() + v.size(), port);
             if (error != std::errc() || stop != v.data() + v.size() || port < 1 || port > 65535)
                 return false;
             o.serveTcp = port;
             return true;
         }},
        {"--analyse", [](LoggerOptions& o, const std::string& v) {
             o.analyse = true;
             o.analysePath = v;
             return !v.empty();
         }},
        {"--plot", [](LoggerOptions& o, const std::string& v) { return !v.empty() ? (o.plotPath = v, true) : false; }},
        {"--confidence", [](LoggerOptions& o, const std::string& v) {
             std::optional<double> p;
             return SetNumber(p, v) && *p > 0.0 && *p < 1.0 ? (o.confidence = *p, true) : false;
         }},
    };
    return options;
}

bool ReadArguments(const std::vector<std::string>& arguments, LoggerOptions& options,
                   std::vector<std::string>& seen, std::string& error)
{
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        seen.push_back(argument);
        if (argument == "--json" || argument == "--remove-drift" || argument == "--exit-on-hangup") {
            (argument == "--json" ? options.json
             : argument == "--remove-drift" ? options.removeDrift
                                            : options.exitOnHangup) = true;
            continue;
        }
        const auto option = OptionsWithValue().find(argument);
        if (option == OptionsWithValue().end()) {
            if (argument.starts_with("--") || !options.port.empty() || options.attach)
                return error = "unexpected argument: " + argument, false;
            options.port = argument;
            continue;
        }
        if (i + 1 == arguments.size() || !option->second(options, arguments[i + 1]))
            return error = "bad or missing value for " + argument, false;
        ++i;
    }
    return true;
}

bool Given(const std::vector<std::string>& seen, const char* option)
{
    for (const std::string& argument : seen)
        if (argument == option)
            return true;
    return false;
}

bool CheckCombination(const LoggerOptions& options, const std::vector<std::string>& seen,
                      std::string& error)
{
    if (options.analyse) {
        for (const char* option : {"--baud", "--csv", "--c1", "--c2", "--duration", "--exit-on-hangup",
                                   "--attach", "--serve-tcp"})
            if (Given(seen, option))
                return error = std::string(option) + " does not go with --analyse", false;
        if (!options.port.empty())
            return error = "no PORT with --analyse", false;
        return true;
    }
    if (options.json || !options.plotPath.empty() || options.removeDrift)
        return error = "--json, --plot and --remove-drift need --analyse", false;
    if (options.port.empty())
        return error = "PORT is missing", false;
    if (options.attach && (Given(seen, "--c1") || Given(seen, "--c2")))
        return error = "--c1 and --c2 do not go with --attach: the inductance comes from the stream", false;
    if (options.attach)
        for (const char* option : {"--baud", "--exit-on-hangup", "--serve-tcp"})
            if (Given(seen, option))
                return error = std::string(option) + " does not go with --attach", false;
    if (options.c1.has_value() != options.c2.has_value())
        return error = "--c1 and --c2 go together", false;
    return true;
}

}  // namespace

bool ParseLoggerOptions(const std::vector<std::string>& arguments, LoggerOptions& options,
                        std::string& error)
{
    options = LoggerOptions();
    std::vector<std::string> seen;
    return ReadArguments(arguments, options, seen, error) && CheckCombination(options, seen, error);
}

std::string LoggerUsage()
{
    return "usage: pelmora-log PORT [--baud N] [--csv FILE|-] [--c1 UF --c2 UF] [--duration S]\n"
           "                   [--exit-on-hangup] [--serve-tcp N]\n"
           "       pelmora-log --attach PORT [--csv FILE|-] [--duration S]\n"
           "       pelmora-log --analyse FILE.csv [--json] [--plot FILE.png]\n"
           "                   [--confidence P] [--remove-drift]\n"
           "--exit-on-hangup: end when the adapter is pulled instead of waiting for it to come back.\n"
           "--serve-tcp N: serve the readings on 127.0.0.1:N too (any local user can read them;\n"
           "at most 64 clients; kept while the adapter is away; a client's end of file closes it).\n"
           "--attach PORT: read the readings of the Pelmora window or pelmora-log that holds PORT\n"
           "instead of the port; their inductance comes with them. Only a stream of this user, in a\n"
           "folder no other user can change, is read.\n"
           "--confidence P: the intervals' probability, 0 < P < 1 (default 0.6827, one sigma).\n"
           "--remove-drift: take each run's linear drift out of the readings before the deviations.\n"
           "PORT is COM<n> (as the Pelmora window maps it) or a device path.\n";
}

std::string LoggerHelp()
{
    return LoggerUsage() +
           "Ctrl+C, SIGTERM or SIGHUP end the run in order; a SIGHUP ignored at start (nohup)\n"
           "stays ignored.\n"
           "Exit status: 0 done (with --attach, also when the serving program let go of the\n"
           "port), 1 log not readable or plot not written, 2 bad usage, 3 the port does not open\n"
           "(also when a returned adapter never opens; with --attach, no program serves it, or\n"
           "not one of this user's),\n"
           "4 the log could not be written (also readings not written to a standard output\n"
           "that took nothing at the end), 5 the port went away (with --exit-on-hangup, or a\n"
           "device that cannot be waited for, such as a bare pseudo-terminal; with --attach,\n"
           "the stream broke off without the serving program's end).\n";
}

std::string WindowSettingsFile()
{
    const std::filesystem::path folder = std::filesystem::path(GetExePath("pelmora-log")).parent_path();
    const std::string installedWindow = (folder.parent_path() / "lib/pelmora/Pelmora").string();
    if (folder.filename() == "bin") {
        const ProgramFolders installed = FoldersFor(installedWindow, CurrentUserEnvironment());
        if (installed.Installed)
            return installed.SettingsFile;
    }
    return (folder / "Pelmora.ini").string();
}

PortChoice PortOf(const std::string& port)
{
    int32_t number = 0;
    const char* end = port.data() + port.size();
    if (port.starts_with("COM") && port.size() > 3) {
        const auto [stop, error] = std::from_chars(port.data() + 3, end, number);
        if (error == std::errc() && stop == end && number > 0)
            return {number, {}};
    }
    return {0, port};
}

uint32_t WindowBaudRate(const std::string& iniPath)
{
    AppSettings settings;
    LoadSettings(settings, iniPath, "");
    return BaudRateTable::At(settings.BaudIndex).value_or(*BaudRateTable::At(AppSettings().BaudIndex));
}
