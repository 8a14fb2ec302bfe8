#pragma once

#include <QString>

// Opens one image through "Open a File" in the real window, repeats times, and prints how long each took from the
// click to the picture painted in the preview (the first includes starting the reader), the window's longest
// stall meanwhile, the peak memory of the window process and of the reader, and the processor time of each.
int measurePreview(const QString& image, const QString& scratch, int repeats);
