#include "app/ReadingText.h"

#include <algorithm>

namespace {

// Position 14 of the frequency line flips with every record; read aloud it is noise.
constexpr std::size_t kIndicatorPosition = 14;

bool IsTrimmed(char c)
{
    return static_cast<unsigned char>(c) <= ' ' || c == '\x7f';
}

std::string Trimmed(std::string text)
{
    while (!text.empty() && IsTrimmed(text.back()))
        text.pop_back();
    return text;
}

}  // namespace

std::string ReadableLine(const char (&line)[64])
{
    std::string text = Trimmed(std::string(line, std::find(line, line + sizeof line, '\0')));
    text.erase(0, text.find_first_not_of(' '));
    return text;
}

std::string ReadingText(const ReadoutText& text, bool inductanceShown)
{
    char frequency[64] = {};
    std::copy_n(text.Frequency, kIndicatorPosition, frequency);
    std::string reading = ReadableLine(frequency);
    if (inductanceShown)
        reading += "\n" + ReadableLine(text.Inductance);
    return reading;
}
