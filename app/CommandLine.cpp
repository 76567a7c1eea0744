#include "app/CommandLine.h"

#include <algorithm>
#include <iterator>

#include <QCommandLineParser>

namespace {

const QString kProgram = QStringLiteral("Pelmora");

bool IsLanguage(const QString& code)
{
    return std::any_of(std::begin(kLanguages), std::end(kLanguages),
                       [&](const char* known) { return code == QLatin1String(known); });
}

CommandLine Ending(int exitCode, const QString& output, const QString& error)
{
    CommandLine result;
    result.Run = false;
    result.ExitCode = exitCode;
    result.Output = output.toStdString();
    if (!error.isEmpty())
        result.Error = (kProgram + QStringLiteral(": ") + error + QLatin1Char('\n')).toStdString();
    return result;
}

// The usage line names the program, never the argument it was started by.
QString HelpText(const QCommandLineParser& parser)
{
    QString text = parser.helpText();
    const qsizetype lineEnd = text.indexOf(QLatin1Char('\n'));
    return QStringLiteral("Usage: pelmora [options]") + text.mid(lineEnd);
}

CommandLine Checked(const QCommandLineParser& parser, const QCommandLineOption& lang,
                    const QCommandLineOption& log, const QCommandLineOption& stats,
                    const QCommandLineOption& serveTcp)
{
    if (!parser.positionalArguments().isEmpty())
        return Ending(2, {}, QStringLiteral("unexpected argument '%1'")
                                 .arg(parser.positionalArguments().constFirst()));
    const QString language = parser.value(lang);
    if (parser.isSet(lang) && !IsLanguage(language))
        return Ending(2, {}, QStringLiteral("unsupported language '%1' (ja, en)").arg(language));
    bool isNumber = false;
    const int port = parser.value(serveTcp).toInt(&isNumber);
    if (parser.isSet(serveTcp) && (!isNumber || port < 1 || port > 65535))
        return Ending(2, {}, QStringLiteral("bad TCP port '%1' (1 to 65535)").arg(parser.value(serveTcp)));
    CommandLine result;
    result.Options.ServeTcp = parser.isSet(serveTcp) ? port : 0;
    result.Options.Language = language.toStdString();
    result.Options.LogPath = parser.value(log).toStdString();
    result.Options.Stats = parser.isSet(stats);
    return result;
}

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Read-out for a bench frequency counter on a serial port."));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption lang(QStringLiteral("lang"),
                                  QStringLiteral("Language of menus and dialogs: ja (default) or en."),
                                  QStringLiteral("code"));
    const QCommandLineOption log(QStringLiteral("log"),
                                 QStringLiteral("Record the readings to a CSV file."),
                                 QStringLiteral("file.csv"));
    const QCommandLineOption stats(QStringLiteral("stats"),
                                   QStringLiteral("Open the statistics window with the read-out."));
    const QCommandLineOption serveTcp(
        QStringLiteral("serve-tcp"),
        QStringLiteral("Also serve the readings on 127.0.0.1 at this TCP port (any local user can read them; "
                       "at most 64 clients; kept while the adapter is away; a client's end of file closes it)."),
        QStringLiteral("port"));
    parser.addOptions({help, version, lang, log, stats, serveTcp});
    if (!parser.parse(arguments))
        return Ending(2, {}, parser.errorText());
    if (parser.isSet(help))
        return Ending(0, HelpText(parser), {});
    if (parser.isSet(version))
        return Ending(0, kProgram + QStringLiteral(" " PELMORA_VERSION "\n"), {});
    return Checked(parser, lang, log, stats, serveTcp);
}
