#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// The phone sets: makePhotos' JPEGs as HEIC and as AVIF, made with the Debian encoders (heif-enc, avifenc), and
// libheif's own decode of them for the floor.

// Encodes every JPEG of jpegDir into dir as HEIC (suffix "heic") or AVIF ("avif", speed 10): the
// encoders' speed is not measured. False (error says why) on failure.
[[nodiscard]] bool makeHeifPhotos(const QString& jpegDir, const QString& dir, const QString& suffix, QString* error);

// Whether the file name is one libheif decodes for the floor.
[[nodiscard]] bool isHeifFile(const QString& path);

// The primary picture of a HEIF file as interleaved RGB rows, decoded by libheif with its default threads.
[[nodiscard]] bool decodeHeif(const QByteArray& file, std::vector<unsigned char>* rgb, int* width, int* height);
