#pragma once

#include <QByteArray>
#include <QHash>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <list>
#include <optional>

// Which version of a file a picture shows: its size and last change, as the file system tells them now; a file
// that cannot be looked at has neither.
struct FileStamp
{
    qint64 size = -1;
    qint64 changedNs = -1;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
[[nodiscard]] FileStamp fileStamp(const QByteArray& path);

// What the list shows for one file: its small picture, or why the reader refused it.
struct ListPicture
{
    QPixmap picture;
    QString refusal;
};

// The list's pictures for the session, by file (path, size and change time) and the device size they were made
// for; bounded by the bytes their pixels take: the one used longest ago goes first.
class ListPictureCache
{
public:
    explicit ListPictureCache(qint64 budgetBytes) : m_budget(budgetBytes) {}

    // The picture of this version of the file at this size, counted as used now; nothing when there is none.
    [[nodiscard]] const ListPicture* find(const QByteArray& path, const FileStamp& stamp, QSize deviceSize);
    // Whether the file has a picture of any version or size, without counting it as used.
    [[nodiscard]] bool contains(const QByteArray& path) const { return m_entries.contains(path); }
    void insert(const QByteArray& path, const FileStamp& stamp, QSize deviceSize, const ListPicture& picture);

    [[nodiscard]] qint64 bytes() const { return m_bytes; }
    [[nodiscard]] qint64 budget() const { return m_budget; }
    [[nodiscard]] qsizetype size() const { return m_entries.size(); }
    [[nodiscard]] static qint64 bytesOf(const ListPicture& picture);

private:
    struct Entry
    {
        FileStamp stamp;
        QSize deviceSize;
        ListPicture picture;
        std::list<QByteArray>::iterator use;
    };
    void remove(const QByteArray& path);

    qint64 m_budget;
    qint64 m_bytes = 0;
    QHash<QByteArray, Entry> m_entries;
    std::list<QByteArray> m_uses; // most recently used first
};
