#include "tools/logger/LoggerOptions.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <map>

#include "link/BaudRateTable.h"

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
        {"--duration", [](LoggerOptions& o, const std::string& v) { return SetNumber(o.durationS, v); }},
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
        if (argument == "--json" || argument == "--remove-drift") {
            (argument == "--json" ? options.json : options.removeDrift) = true;
            continue;
        }
        const auto option = OptionsWithValue().find(argument);
        if (option == OptionsWithValue().end()) {
            if (argument.starts_with("--") || !options.port.empty())
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
        for (const char* option : {"--baud", "--csv", "--c1", "--c2", "--duration"})
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
           "       pelmora-log --analyse FILE.csv [--json] [--plot FILE.png] [--remove-drift]\n"
           "--confidence P (0 < P < 1, default 0.6827) sets the deviations' intervals.\n"
           "PORT is COM<n> (as the Pelmora window maps it) or a device path.\n";
}
