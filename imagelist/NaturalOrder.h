#pragma once

#include <QStringView>

// Compares two names the way people read them: a run of digits counts as the number it spells, so "IMG_2.jpg"
// comes before "IMG_10.jpg", and letters compare without regard to case. Returns a negative number, zero or a
// positive number. Zero means the names are equal by that rule ("a01" and "A1"); callers that need one fixed order
// break such ties themselves.
[[nodiscard]] int naturalCompare(QStringView a, QStringView b);
