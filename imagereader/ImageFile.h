#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <utility>

// A user's image file: its path as the file system holds it, which is what opens it, and as the window shows it,
// which is what messages name. The two differ only for names that are not UTF-8: text cannot hold those unchanged.
struct ImageFile
{
    // A path that came as text names its file by the text's bytes.
    ImageFile(const QString& path)
        : shown(path), native(QFile::encodeName(path)) {} // NOLINT(google-explicit-constructor)
    ImageFile(QString shownPath, QByteArray nativePath) : shown(std::move(shownPath)), native(std::move(nativePath)) {}

    QString shown;
    QByteArray native;
    // Quarter turns clockwise the user gave the entry, 0 to 3: its page is made turned so much, after the turn its
    // file's orientation asks for.
    int quarterTurns = 0;
};

// Opens a user's image for the helper without ever blocking: a FIFO, socket or device is refused, not opened.
// `native` is its name as the file system holds it, `shown` as messages name it. Returns the descriptor
// (close-on-exec), or -1 with a sentence that names the file in *error.
[[nodiscard]] int openImageFile(const QString& shown, const QByteArray& native, QString* error);

// FreeImage's format code (a FREE_IMAGE_FORMAT value) that the extension of the file name stands for: the text
// after the last "." of the name, lower-cased. -1 (FIF_UNKNOWN) when the name has no extension in the table.
[[nodiscard]] int formatForExtension(const QString& imagePath);
