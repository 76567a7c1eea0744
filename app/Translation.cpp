#include "app/Translation.h"

#include <QCoreApplication>
#include <QTranslator>

#include "settings/AppSettings.h"

std::string ChosenLanguage(const std::string& commandLineLanguage, const std::string& iniPath)
{
    if (!commandLineLanguage.empty())
        return commandLineLanguage;
    const std::string stored = ReadLanguage(iniPath);
    return stored.empty() ? std::string("ja") : stored;
}

std::unique_ptr<QTranslator> InstallTranslation(std::string_view language)
{
    if (language.empty() || language == "ja")
        return nullptr;
    auto translator = std::make_unique<QTranslator>();
    const QString file = QStringLiteral(":/i18n/pelmora_%1.qm")
                             .arg(QString::fromUtf8(language.data(), qsizetype(language.size())));
    if (!translator->load(file) || !QCoreApplication::installTranslator(translator.get()))
        return nullptr;
    return translator;
}
