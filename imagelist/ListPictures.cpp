#include "imagelist/ListPictures.h"

#include "imagelist/ImageListWidget.h"

#include <QAbstractItemModel>
#include <QEvent>
#include <QHash>
#include <QIcon>
#include <QPainter>
#include <QScrollBar>
#include <QSet>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTextDocument>
#include <QTransform>

namespace {

// Which kept picture an entry shows, and turned how far.
constexpr int kShownPictureRole = Qt::UserRole + 2;

// Every row keeps room for a picture, with or without one yet: rows keep their height and their text its place
// when pictures arrive.
class PictureRowDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->features |= QStyleOptionViewItem::HasDecoration;
        option->decorationSize = ListPictures::kPictureBox;
    }
};

// The picture centred in a box of the list's picture size, drawn for the screen's pixel ratio.
QPixmap boxedPicture(const QImage& image, QSize deviceSize, qreal ratio)
{
    QImage box(deviceSize, QImage::Format_ARGB32_Premultiplied);
    box.fill(Qt::transparent);
    const QSize fitted = image.size().scaled(deviceSize, Qt::KeepAspectRatio).boundedTo(image.size());
    QPainter painter(&box);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(
        QRect(QPoint((deviceSize.width() - fitted.width()) / 2, (deviceSize.height() - fitted.height()) / 2), fitted),
        image);
    painter.end();
    box.setDevicePixelRatio(ratio);
    return QPixmap::fromImage(box);
}

void setIfChanged(QListWidgetItem* item, int role, const QVariant& value)
{
    const QVariant now = item->data(role);
    if (now.isValid() != value.isValid() || (value.isValid() && now != value)) {
        item->setData(role, value);
    }
}

} // namespace

ListPictures::ListPictures(ImageListWidget* list) : QObject(list), m_list(list), m_viewport(list->viewport())
{
    m_list->setItemDelegate(new PictureRowDelegate(m_list));
    m_list->setIconSize(kPictureBox);
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(0);
    connect(&m_refresh, &QTimer::timeout, this, &ListPictures::refresh);
    connect(m_list->verticalScrollBar(), &QScrollBar::valueChanged, this, &ListPictures::refreshSoon);
    QAbstractItemModel* model = m_list->model();
    connect(model, &QAbstractItemModel::rowsInserted, this, &ListPictures::refreshSoon);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &ListPictures::refreshSoon);
    connect(model, &QAbstractItemModel::rowsMoved, this, &ListPictures::refreshSoon);
    connect(model, &QAbstractItemModel::modelReset, this, &ListPictures::refreshSoon);
    connect(model, &QAbstractItemModel::layoutChanged, this, &ListPictures::refreshSoon);
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                if (roles.contains(ImageListWidget::kQuarterTurnsRole)) {
                    refreshSoon();
                }
            });
    m_viewport->installEventFilter(this);
}

bool ListPictures::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_viewport && (event->type() == QEvent::Resize || event->type() == QEvent::Show)) {
        refreshSoon();
    }
    return QObject::eventFilter(watched, event);
}

QSize ListPictures::deviceSize() const
{
    const qreal ratio = m_list->devicePixelRatioF();
    return QSize(qRound(kPictureBox.width() * ratio), qRound(kPictureBox.height() * ratio));
}

void ListPictures::refreshSoon()
{
    if (!m_refresh.isActive()) {
        m_refresh.start();
    }
}

void ListPictures::take(const QByteArray& path, const QImage& image, const QString& reason)
{
    const QSize size = deviceSize();
    ListPicture made;
    if (image.isNull()) {
        made.refusal = reason;
    } else {
        made.picture = boxedPicture(image, size, m_list->devicePixelRatioF());
    }
    m_cache.insert(path, fileStamp(path), size, made);
    if (image.isNull()) {
        // The warning reaches every entry of the file, in sight or not, before a run meets it.
        for (int row = 0; row < m_list->count(); ++row) {
            if (m_list->nativePath(row) == path) {
                show(m_list->item(row), &made);
            }
        }
    }
    refreshSoon();
}

void ListPictures::show(QListWidgetItem* item, const ListPicture* shown)
{
    if (shown == nullptr) {
        setIfChanged(item, Qt::DecorationRole, {});
        setIfChanged(item, Qt::ToolTipRole, {});
        setIfChanged(item, Qt::AccessibleDescriptionRole, {});
        return;
    }
    if (!shown->refusal.isEmpty() || shown->picture.isNull()) {
        setIfChanged(item, Qt::DecorationRole, m_list->style()->standardIcon(QStyle::SP_MessageBoxWarning));
        // Tool tips take text that looks like markup as markup: a file named "<b>x</b>.jpg" is to read as named.
        setIfChanged(item, Qt::ToolTipRole, Qt::convertFromPlainText(shown->refusal, Qt::WhiteSpaceNormal));
        setIfChanged(item, Qt::AccessibleDescriptionRole, shown->refusal);
        return;
    }
    // The picture as the entry's page will stand: the kept picture turned, made again only when either changed.
    const int turns = item->data(ImageListWidget::kQuarterTurnsRole).toInt();
    const qint64 shownKey = shown->picture.cacheKey() * 4 + turns;
    const QVariant now = item->data(Qt::DecorationRole);
    if (now.typeId() != QMetaType::QPixmap || item->data(kShownPictureRole).toLongLong() != shownKey) {
        item->setData(kShownPictureRole, shownKey);
        item->setData(Qt::DecorationRole,
                      turns == 0 ? shown->picture : shown->picture.transformed(QTransform().rotate(90.0 * turns)));
    }
    setIfChanged(item, Qt::ToolTipRole, {});
    setIfChanged(item, Qt::AccessibleDescriptionRole, {});
}

void ListPictures::refresh()
{
    const int count = m_list->count();
    const QSize size = deviceSize();
    if (count == 0 || !m_list->isVisible()) {
        Q_EMIT wanted({}, size);
        return;
    }
    const QRect sight = m_list->viewport()->rect();
    const QModelIndex top = m_list->indexAt(QPoint(1, 1));
    const QModelIndex bottom = m_list->indexAt(QPoint(1, sight.height() - 2));
    const int first = top.isValid() ? top.row() : 0;
    const int last = bottom.isValid() ? bottom.row() : count - 1;
    const int margin = last - first + 1;
    const int nearFirst = std::max(0, first - margin);
    const int nearLast = std::min(count - 1, last + margin);

    QList<QByteArray> paths;
    QSet<QByteArray> asked;
    const auto ask = [&](const QByteArray& path) {
        if (!asked.contains(path)) {
            asked.insert(path);
            paths.append(path);
        }
    };
    // The rows in sight and near it: pictures of the file as it is now, or asked for.
    QList<QByteArray> near;
    QHash<QByteArray, FileStamp> stamps;
    for (int row = nearFirst; row <= nearLast; ++row) {
        const QByteArray path = m_list->nativePath(row);
        auto stamp = stamps.find(path);
        if (stamp == stamps.end()) {
            stamp = stamps.insert(path, fileStamp(path));
        }
        const ListPicture* shown = m_cache.find(path, *stamp, size);
        show(m_list->item(row), shown);
        if (shown == nullptr) {
            if (row >= first && row <= last) {
                ask(path);
            } else {
                near.append(path);
            }
        }
    }
    for (const QByteArray& path : std::as_const(near)) {
        ask(path);
    }
    // Rows far out of sight give their pictures back (a warning stays: it is small).
    for (int row = 0; row < count; ++row) {
        if (row == nearFirst) {
            row = nearLast;
            continue;
        }
        QListWidgetItem* item = m_list->item(row);
        if (item->data(Qt::DecorationRole).typeId() == QMetaType::QPixmap) {
            item->setData(Qt::DecorationRole, QVariant());
        }
    }
    // Then the rest, below and then above, while what is kept has room for them.
    const qint64 each = qint64(size.width()) * size.height() * 4;
    const auto hasRoom = [&] { return m_cache.bytes() + each * (paths.size() + 1) <= m_cache.budget(); };
    for (int row = nearLast + 1; row < count && hasRoom(); ++row) {
        const QByteArray path = m_list->nativePath(row);
        if (!m_cache.contains(path)) {
            ask(path);
        }
    }
    for (int row = nearFirst - 1; row >= 0 && hasRoom(); --row) {
        const QByteArray path = m_list->nativePath(row);
        if (!m_cache.contains(path)) {
            ask(path);
        }
    }
    Q_EMIT wanted(paths, size);
}
