#include "imagelist/ListPictureCache.h"

#include <sys/stat.h>

FileStamp fileStamp(const QByteArray& path)
{
    struct stat info = {};
    if (::stat(path.constData(), &info) != 0) {
        return {};
    }
    return {qint64(info.st_size), qint64(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

qint64 ListPictureCache::bytesOf(const ListPicture& picture)
{
    const QPixmap& pixels = picture.picture;
    return qint64(pixels.width()) * pixels.height() * ((pixels.depth() + 7) / 8) +
           picture.refusal.size() * qint64(sizeof(QChar));
}

const ListPicture* ListPictureCache::find(const QByteArray& path, const FileStamp& stamp, QSize deviceSize)
{
    const auto found = m_entries.find(path);
    if (found == m_entries.end() || found->stamp != stamp || found->deviceSize != deviceSize) {
        return nullptr;
    }
    m_uses.splice(m_uses.begin(), m_uses, found->use);
    return &found->picture;
}

void ListPictureCache::insert(const QByteArray& path, const FileStamp& stamp, QSize deviceSize,
                              const ListPicture& picture)
{
    remove(path);
    const qint64 cost = bytesOf(picture);
    if (cost > m_budget) {
        return;
    }
    while (m_bytes + cost > m_budget && !m_uses.empty()) {
        const QByteArray oldest = m_uses.back();
        remove(oldest);
    }
    m_uses.push_front(path);
    m_entries.insert(path, Entry{stamp, deviceSize, picture, m_uses.begin()});
    m_bytes += cost;
}

void ListPictureCache::remove(const QByteArray& path)
{
    const auto found = m_entries.find(path);
    if (found == m_entries.end()) {
        return;
    }
    m_bytes -= bytesOf(found->picture);
    m_uses.erase(found->use);
    m_entries.erase(found);
}
