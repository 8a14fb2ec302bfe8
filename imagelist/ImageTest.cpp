#include "imagelist/ImageTest.h"

#include <array>

bool passesImageTest(const QString& name)
{
    static constexpr std::array<QStringView, 6> threeLetter{u"bmp", u"jpg", u"gif", u"png", u"tif", u"jxl"};
    static constexpr std::array<QStringView, 6> fourLetter{u"tiff", u"jpeg", u"heic", u"heif", u"avif", u"webp"};

    const QStringView view(name);
    if (view.size() >= 3) {
        const QStringView tail = view.right(3);
        for (QStringView extension : threeLetter) {
            if (tail.compare(extension, Qt::CaseInsensitive) == 0) {
                return true;
            }
        }
    }
    if (view.size() >= 4) {
        const QStringView tail = view.right(4);
        for (QStringView extension : fourLetter) {
            if (tail.compare(extension, Qt::CaseInsensitive) == 0) {
                return true;
            }
        }
    }
    return false;
}
