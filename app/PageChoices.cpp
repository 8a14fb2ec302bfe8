#include "app/PageChoices.h"

#include "app/StateFile.h"

#include <QSettings>

namespace {

const auto kPaperKey = QStringLiteral("Page/size");
const auto kOrientationKey = QStringLiteral("Page/orientation");
const auto kMarginKey = QStringLiteral("Page/marginMm");
const auto kOriginalKey = QStringLiteral("Page/keepOriginal");

} // namespace

PageDescription readPageChoices(const QString& stateFile, PageDescription defaults)
{
    if (!stateFileReadable(stateFile)) {
        return defaults;
    }
    const QSettings state(stateFile, QSettings::IniFormat);
    if (state.status() != QSettings::NoError) {
        return defaults;
    }
    PageDescription read = defaults;
    read.paper = paperSizeFromWord(state.value(kPaperKey).toString()).value_or(defaults.paper);
    read.orientation = orientationFromWord(state.value(kOrientationKey).toString()).value_or(defaults.orientation);
    bool isNumber = false;
    const int margin = state.value(kMarginKey).toString().toInt(&isNumber);
    if (isNumber && margin >= 0 && margin <= kMaxMarginMm) {
        read.marginMm = margin;
    }
    const QString original = state.value(kOriginalKey).toString();
    if (original == QStringLiteral("true") || original == QStringLiteral("false")) {
        read.keepOriginal = original == QStringLiteral("true");
    }
    return read;
}

void writePageChoices(const QString& stateFile, const PageDescription& description)
{
    if (!stateFileWritable(stateFile)) {
        return;
    }
    QSettings state(stateFile, QSettings::IniFormat);
    state.setValue(kPaperKey, paperSizeWord(description.paper));
    state.setValue(kOrientationKey, orientationWord(description.orientation));
    state.setValue(kMarginKey, description.marginMm);
    state.setValue(kOriginalKey, description.keepOriginal);
}
