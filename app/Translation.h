#pragma once

#include <memory>
#include <string>
#include <string_view>

class QTranslator;

// The language a run speaks: the command line's when given, else Language=
// in [Window] of the settings file, else Japanese.
std::string ChosenLanguage(const std::string& commandLineLanguage, const std::string& iniPath);

// Installs the program's translation for language into the application; it
// stays installed while the result lives. Japanese, the language the texts
// are written in, needs none: null then, and for a language without one.
std::unique_ptr<QTranslator> InstallTranslation(std::string_view language);
