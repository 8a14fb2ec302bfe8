#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// Called with the full path of each image file found, as the file system's bytes, as soon as it is found.
using AppendImagePath = std::function<void(const QByteArray& path)>;
// Called between directory entries so the caller can let the window process its events; returning false stops
// the scan at once (for instance when the window is closing). May be empty.
using KeepScanning = std::function<bool()>;

struct FileSearchResult
{
    int appended = 0;          // paths handed to append
    int unreadableFolders = 0; // folders that could not be opened or read; they gave nothing, the scan went on
    bool stopped = false;      // keepScanning returned false
};

// Appends every image file (by the image test) in folder and in all folders below it, depth first: a folder's
// own image files first, then each subfolder's whole subtree. A folder's entries are taken in natural order (see
// naturalCompare: IMG_2 before IMG_10, case aside); names equal that way are ordered exactly, so the order never
// depends on the disk.
//
// - Each path is the folder path, a "/" unless the folder path already ends with one, and the entry's name: "/"
//   gives "/photo.jpg", "/pics" gives "/pics/photo.jpg".
// - Subfolders whose names start with "." and symbolic links to folders are neither searched nor appended, so a
//   link cannot make the scan loop; a folder met twice (a bind mount inside itself) is searched once. The folder
//   passed in is searched even if it is hidden or a link: the user chose it.
// - A symbolic link to a file, or one that points nowhere, counts as a file and is appended when its name passes;
//   so is a hidden file. FIFOs, sockets and devices are never appended: reading one could hang the conversion.
// - A real folder whose name passes the image test ("Holiday.jpg") is searched, not appended.
// - Names are kept as the file system's bytes, also those that are not UTF-8; spaces, quotes and line breaks too.
// - A folder that cannot be read, vanished, or whose path is longer than the system allows gives nothing; the rest
//   of the tree is still searched. Deep trees are walked without recursion.
// - Only one directory is open at a time: each folder is read whole and closed before anything is appended.
FileSearchResult FileSearch(const QString& folder, const AppendImagePath& append, const KeepScanning& keepScanning);
