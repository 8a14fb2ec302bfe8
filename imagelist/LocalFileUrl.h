#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// The path of a file on this machine that a file: URL names. Nothing when the URL names a file on another machine
// (file://server/share/a.jpg: its path alone would name a different file here) or is not a file: URL at all;
// "localhost" is this machine.
[[nodiscard]] std::optional<QString> localFilePath(const QUrl& url);
