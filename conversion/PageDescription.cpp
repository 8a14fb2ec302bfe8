#include "conversion/PageDescription.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<PaperSize, const char*>, 7> kPaperWords = {{
    {PaperSize::AsImage, "as-image"},
    {PaperSize::AsScanned, "as-scanned"},
    {PaperSize::A4, "a4"},
    {PaperSize::A5, "a5"},
    {PaperSize::A3, "a3"},
    {PaperSize::Letter, "letter"},
    {PaperSize::Legal, "legal"},
}};

constexpr std::array<std::pair<PaperOrientation, const char*>, 3> kOrientationWords = {{
    {PaperOrientation::Automatic, "auto"},
    {PaperOrientation::Portrait, "portrait"},
    {PaperOrientation::Landscape, "landscape"},
}};

template <typename Value, std::size_t N>
QString wordOf(const std::array<std::pair<Value, const char*>, N>& words, Value value)
{
    for (const auto& [known, word] : words) {
        if (known == value) {
            return QString::fromLatin1(word);
        }
    }
    return {};
}

template <typename Value, std::size_t N>
std::optional<Value> valueOf(const std::array<std::pair<Value, const char*>, N>& words, const QString& word)
{
    for (const auto& [value, known] : words) {
        if (word.compare(QLatin1String(known), Qt::CaseInsensitive) == 0) {
            return value;
        }
    }
    return std::nullopt;
}

} // namespace

QString paperSizeWord(PaperSize paper)
{
    return wordOf(kPaperWords, paper);
}

std::optional<PaperSize> paperSizeFromWord(const QString& word)
{
    return valueOf(kPaperWords, word);
}

QString orientationWord(PaperOrientation orientation)
{
    return wordOf(kOrientationWords, orientation);
}

std::optional<PaperOrientation> orientationFromWord(const QString& word)
{
    return valueOf(kOrientationWords, word);
}
