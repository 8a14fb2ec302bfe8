#pragma once

#include <QString>

// The benchmark's own pictures, made in-process so that the script needs nothing but this program.
// Photos are smooth gradients under grain (noise-rich, so JPEG sizes are like a camera's); screenshots are flat
// panels, lines of text and a gradient, saved as PNG.

// Writes count JPEG photos of width x height (quality 92, 4:2:0) as dir/photo-NNN.jpg. Returns false on failure.
[[nodiscard]] bool makePhotos(const QString& dir, int count, int width, int height, QString* error);

// Writes photo number 0 of makePhotos as an uncompressed 24-bit TIFF, as scanners and cameras write them.
[[nodiscard]] bool makeTiff(const QString& path, int width, int height, QString* error);

// Writes count PNG screenshots of width x height as dir/screen-NNN.png.
[[nodiscard]] bool makeScreenshots(const QString& dir, int count, int width, int height, QString* error);

// A tree of fileCount empty files for the folder scan: ten folders of ten subfolders each, three in four files
// with an image extension (the scan goes by name only).
[[nodiscard]] bool makeScanTree(const QString& dir, int fileCount, QString* error);
