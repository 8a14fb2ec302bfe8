#pragma once

#include <QByteArray>
#include <QUrl>

#include <optional>

// The path of a file on this machine that a file: URL names, as the file system's bytes (the URL's percent-encoding
// carries any bytes, also names that are not UTF-8). Nothing when the URL names a file on another machine
// (file://server/share/a.jpg: its path alone would name a different file here) or is not a file: URL at all;
// "localhost" is this machine.
[[nodiscard]] std::optional<QByteArray> localFilePath(const QUrl& url);
