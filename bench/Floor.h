#pragma once

#include <QStringList>

// The least work any re-encoding converter must do: every image read, decoded and encoded again at the quality,
// in memory, with TurboJPEG alone (FreeImage decodes what TurboJPEG cannot: PNG; libheif HEIC and AVIF). Chroma as the
// page library chooses it: grey stays grey, 4:2:0 below quality 90, 4:4:4 from 90 up.
struct FloorResult
{
    bool ok = false;
    QString error;
    double seconds = 0;
    qint64 bytes = 0;             // the encoded images together
    double largestDecodedMiB = 0; // the largest image as 24-bit pixels
};

[[nodiscard]] FloorResult encodeFloor(const QStringList& images, int quality);
