#pragma once

#include <QString>

// The slider's range; the settings file's quality is accepted only inside it.
inline constexpr int kMinimumQuality = 1;
inline constexpr int kMaximumQuality = 100;
// Where the slider starts; the page library has a default of its own that the run always overrides.
inline constexpr int kSliderDefaultQuality = 80;

// "80%": the position in decimal followed by a percent sign.
QString qualityPercentText(int position);

// "Best" above 79, "Good" above 59, "Medium" above 29, otherwise "Low", in the user's language.
QString qualityWord(int position);
