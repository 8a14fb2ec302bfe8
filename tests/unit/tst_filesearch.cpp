#include "imagelist/DropIntake.h"
#include "imagelist/FileSearch.h"
#include "imagelist/ImageTest.h"
#include "imagelist/NaturalOrder.h"
#include "imagelist/TitleFromPath.h"
#include "support/TestFolder.h"

#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Scans and returns the appended paths relative to the scanned folder, for readable comparisons.
QStringList scan(const QString& folder, const KeepScanning& keepScanning = {}, FileSearchResult* result = nullptr)
{
    QStringList found;
    const FileSearchResult outcome = FileSearch(
        folder, [&](const QByteArray& path) { found.append(QFile::decodeName(path)); }, keepScanning);
    if (result != nullptr) {
        *result = outcome;
    }
    const QString prefix = folder.endsWith('/') ? folder : folder + '/';
    for (QString& path : found) {
        if (path.startsWith(prefix)) {
            path.remove(0, prefix.size());
        }
    }
    return found;
}

bool touchRaw(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    return fd >= 0 && ::close(fd) == 0;
}

} // namespace

class TestFileSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void passesImageTest_name_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("passes");
        QTest::newRow("jpg") << "a.jpg" << true;
        QTest::newRow("upper case") << "PHOTO.JPG" << true;
        QTest::newRow("mixed jpeg") << "photo.Jpeg" << true;
        QTest::newRow("bmp gif png tif") << "x.bmp" << true;
        QTest::newRow("gif") << "x.gif" << true;
        QTest::newRow("png") << "x.Png" << true;
        QTest::newRow("tiff") << "b.TIFF" << true;
        QTest::newRow("no dot") << "photojpg" << true;
        QTest::newRow("longer extension ending in tif") << "clip.xtif" << true;
        QTest::newRow("bare extension") << "jpg" << true;
        QTest::newRow("image inside the name") << "photo.jpg.txt" << false;
        QTest::newRow("heic heif avif webp jxl") << "IMG_0001.HEIC" << true;
        QTest::newRow("heif") << "a.heif" << true;
        QTest::newRow("avif") << "a.avif" << true;
        QTest::newRow("webp") << "photo.webp" << true;
        QTest::newRow("jxl") << "photo.jxl" << true;
        QTest::newRow("jxr") << "photo.jxr" << false;
        QTest::newRow("jpe") << "photo.jpe" << false;
        QTest::newRow("trailing slash") << "Holiday.jpg/" << false;
        QTest::newRow("short") << "pg" << false;
        QTest::newRow("empty") << "" << false;
    }
    void passesImageTest_name()
    {
        QFETCH(QString, name);
        QFETCH(bool, passes);
        QCOMPARE(passesImageTest(name), passes);
    }

    void titleFromPath_path_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("title");
        QTest::newRow("dotted folder") << "/d/a.b/photo.2010.jpg"
                                       << "photo";
        QTest::newRow("hidden file") << "/d/.hidden.jpg"
                                     << "";
        QTest::newRow("no folder") << "photo.jpg"
                                   << "photo";
        QTest::newRow("no dot") << "/pics/scan"
                                << "scan";
        QTest::newRow("spaces kept") << "/pics/ My Trip .jpg"
                                     << " My Trip ";
        QTest::newRow("trailing slash") << "/pics/"
                                        << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void titleFromPath_path()
    {
        QFETCH(QString, path);
        QFETCH(QString, title);
        QCOMPARE(titleFromPath(path), title);
    }

    void naturalCompare_names_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("order");
        QTest::newRow("numbers by value") << "IMG_2.jpg"
                                          << "IMG_10.jpg" << -1;
        QTest::newRow("case aside") << "img_10.jpg"
                                    << "IMG_9.JPG" << 1;
        QTest::newRow("equal but for case") << QString::fromUtf8("Été.jpg") << QString::fromUtf8("éTÉ.JPG") << 0;
        QTest::newRow("leading zeros") << "p007.jpg"
                                       << "p7.jpg" << 0;
        QTest::newRow("zeros only") << "p0.jpg"
                                    << "p000.jpg" << 0;
        QTest::newRow("zero-padded against longer") << "p09.jpg"
                                                    << "p10.jpg" << -1;
        QTest::newRow("beyond 64 bits") << "n99999999999999999999"
                                        << "n100000000000000000000" << -1;
        QTest::newRow("later run decides") << "x1y10"
                                           << "x1y2" << 1;
        QTest::newRow("shorter name first") << "scan"
                                            << "scan1" << -1;
        QTest::newRow("digit against letter") << "2b"
                                              << "b" << -1;
        QTest::newRow("punctuation by code") << "_first"
                                             << "A" << -1;
    }
    void naturalCompare_names()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, order);
        const auto sign = [](int value) { return (value > 0) - (value < 0); };
        QCOMPARE(sign(naturalCompare(a, b)), order);
        QCOMPARE(sign(naturalCompare(b, a)), -order);
    }

    void droppedImagePaths_fileList_keepsImagesInOrder()
    {
        TestFolder folder;
        const QString holidayJpg = folder.mkdir("Holiday.jpg");
        const QString holiday = folder.mkdir("Holiday");
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile("/x/a.jpg"), QUrl::fromLocalFile("/x/notes.txt"),
                      QUrl::fromLocalFile("/x/b.TIFF"), QUrl::fromLocalFile(holiday), QUrl::fromLocalFile(holidayJpg),
                      QUrl("https://example.org/remote.jpg"), QUrl("file://server/share/remote.jpg"),
                      QUrl::fromLocalFile("/x/photojpg"), QUrl("file://localhost/x/here.jpg"),
                      QUrl("file:///x/caf%E9.jpg"), QUrl::fromLocalFile("/x/a.jpg")});
        QCOMPARE(droppedImagePaths(&data),
                 QByteArrayList({"/x/a.jpg", "/x/b.TIFF", QFile::encodeName(holidayJpg), "/x/photojpg", "/x/here.jpg",
                                 "/x/caf\xe9.jpg", "/x/a.jpg"}));
    }

    void droppedImagePaths_noFileList_givesNothing()
    {
        QMimeData text;
        text.setText("/x/a.jpg");
        QCOMPARE(droppedImagePaths(&text), QByteArrayList());
        QMimeData picture;
        picture.setImageData(QImage(2, 2, QImage::Format_RGB32));
        QCOMPARE(droppedImagePaths(&picture), QByteArrayList());
        QCOMPARE(droppedImagePaths(nullptr), QByteArrayList());
    }

    void FileSearch_tree_ownFilesFirstThenEachSubtreeYieldingBetweenEntries()
    {
        TestFolder folder;
        for (const char* file : {"a.jpg", "B/b.jpg", "B/C/c.jpg", "d.png", "E/e.gif", "notes.txt", "B/readme"}) {
            folder.write(file);
        }
        QStringList events;
        QStringList found;
        const FileSearchResult result = FileSearch(
            folder.path(),
            [&](const QByteArray& path) {
                found.append(QFile::decodeName(path));
                events.append("append");
            },
            [&] {
                events.append("yield");
                return true;
            });
        const QString root = folder.path();
        QCOMPARE(found, QStringList({root + "/a.jpg", root + "/d.png", root + "/B/b.jpg", root + "/B/C/c.jpg",
                                     root + "/E/e.gif"}));
        QCOMPARE(result.appended, 5);
        QCOMPARE(result.unreadableFolders, 0);
        QVERIFY(!result.stopped);
        QVERIFY2(!events.join(' ').contains("append append"), qPrintable(events.join(' ')));
    }

    void FileSearch_names_takenInNaturalOrder()
    {
        TestFolder folder;
        for (const char* file :
             {"b.jpg", "a.jpg", "C.png", "A.jpg", "_first.gif", "IMG_10.jpg", "img_2.jpg", "IMG_02.jpg", "zeta/z.jpg",
              "Alpha/x.jpg", "beta/y.jpg", "Beta/w.jpg", "day10/p.jpg", "day9/p.jpg"}) {
            folder.write(file);
        }
        QCOMPARE(scan(folder.path()),
                 QStringList({"_first.gif", "A.jpg", "a.jpg", "b.jpg", "C.png", "IMG_02.jpg", "img_2.jpg", "IMG_10.jpg",
                              "Alpha/x.jpg", "Beta/w.jpg", "beta/y.jpg", "day9/p.jpg", "day10/p.jpg", "zeta/z.jpg"}));
    }

    void FileSearch_manySubfolders_allSearched()
    {
        TestFolder folder;
        QStringList expected;
        for (int i = 0; i < 250; ++i) {
            const QString file = QStringLiteral("sub%1/p.jpg").arg(i, 3, 10, QLatin1Char('0'));
            folder.write(file);
            expected.append(file);
        }
        QCOMPARE(scan(folder.path()), expected);
    }

    void FileSearch_linksHiddenAndSpecialEntries_onlyFilesTaken()
    {
        TestFolder folder;
        folder.write("real.jpg");
        folder.write("sub/inner.png");
        folder.write(".hidden/secret.jpg");
        folder.write(".dotfile.jpg");
        folder.mkdir(".hidden.jpg");
        folder.write("Holiday.jpg/inside.gif");
        QVERIFY(QFile::link(folder.file("real.jpg"), folder.file("link-to-file.jpg")));
        QVERIFY(QFile::link(folder.file("missing.jpg"), folder.file("dangling.jpg")));
        QVERIFY(QFile::link(folder.path(), folder.file("sub/loop")));
        QVERIFY(QFile::link("..", folder.file("sub/up.jpg")));
        QVERIFY(QFile::link(folder.file("sub"), folder.file("folder-link.png")));
        QCOMPARE(::mkfifo(QFile::encodeName(folder.file("pipe.jpg")).constData(), 0600), 0);

        QCOMPARE(scan(folder.path()), QStringList({".dotfile.jpg", "dangling.jpg", "link-to-file.jpg", "real.jpg",
                                                   "Holiday.jpg/inside.gif", "sub/inner.png"}));
    }

    void FileSearch_chosenFolderIsALink_isSearched()
    {
        TestFolder folder;
        folder.write("pictures/a.jpg");
        QVERIFY(QFile::link(folder.file("pictures"), folder.file("shortcut")));
        QCOMPARE(scan(folder.file("shortcut")), QStringList{"a.jpg"});
    }

    void FileSearch_oddNames_keptByteForByte()
    {
        TestFolder folder;
        const QString newline = QStringLiteral("new\nline.jpg");
        const QString quoted = QStringLiteral(" spaced \"quoted\" 'x'.jpg");
        const QString accented = QString::fromUtf8("Été à Zürich.png");
        for (const QString& name : {newline, quoted, accented}) {
            folder.write(name);
        }
        const QByteArray native = QFile::encodeName(folder.path());
        // Qt cannot remove what it cannot name, so these go by hand whatever happens.
        const struct RawNames
        {
            QByteArray folder;
            ~RawNames()
            {
                ::unlink((folder + "/caf\xe9.jpg").constData());
                ::unlink((folder + "/\xc0\xaf.jpg").constData());
                ::unlink((folder + "/bad\xff/inside.jpg").constData());
                ::rmdir((folder + "/bad\xff").constData());
            }
        } cleanUp{native};
        QVERIFY(touchRaw(native + "/caf\xe9.jpg"));  // Latin-1, not UTF-8
        QVERIFY(touchRaw(native + "/\xc0\xaf.jpg")); // overlong encoding of "/"
        QCOMPARE(::mkdir((native + "/bad\xff").constData(), 0755), 0);
        QVERIFY(touchRaw(native + "/bad\xff/inside.jpg"));

        QByteArrayList found;
        FileSearch(folder.path(), [&](const QByteArray& path) { found.append(path.mid(native.size() + 1)); }, {});
        QCOMPARE(found, QByteArrayList({QFile::encodeName(quoted), "caf\xe9.jpg", QFile::encodeName(newline),
                                        QFile::encodeName(accented), "\xc0\xaf.jpg", "bad\xff/inside.jpg"}));
    }

    void FileSearch_folderPathEndingInSlash_noDoubledSeparator()
    {
        TestFolder folder;
        folder.write("a.jpg");
        folder.write("B/b.jpg");
        QStringList found;
        FileSearch(folder.path() + '/', [&](const QByteArray& path) { found.append(QFile::decodeName(path)); }, {});
        QCOMPARE(found, QStringList({folder.path() + "/a.jpg", folder.path() + "/B/b.jpg"}));
    }

    void FileSearch_deepTree_searchedToTheBottom()
    {
        TestFolder folder;
        QString relative;
        for (int level = 0; level < 1000; ++level) {
            relative += QStringLiteral("d/");
        }
        folder.write(relative + "bottom.jpg");
        folder.write(relative.left(1000) + "middle.jpg");
        folder.write("z/after.png");
        QCOMPARE(scan(folder.path()),
                 QStringList({relative.left(1000) + "middle.jpg", relative + "bottom.jpg", "z/after.png"}));
    }

    void FileSearch_folderGoneOrUnreadable_givesNothingAndGoesOn()
    {
        TestFolder folder;
        folder.write("a.jpg");
        folder.write("B/b.jpg");
        folder.write("C/c.jpg");
        folder.write("D/d.jpg");

        // B vanishes after the top folder was listed: this works for any user, root included.
        bool removed = false;
        FileSearchResult result;
        const QStringList found = scan(
            folder.path(),
            [&] {
                if (!removed) {
                    removed = QDir(folder.file("B")).removeRecursively();
                }
                return true;
            },
            &result);
        QVERIFY(removed);
        QCOMPARE(found, QStringList({"a.jpg", "C/c.jpg", "D/d.jpg"}));
        QCOMPARE(result.unreadableFolders, 1);

        // Permissions stop everyone but root, who reads any folder; then only the vanished folder is checked.
        if (::geteuid() != 0) {
            QVERIFY(QFile::setPermissions(folder.file("C"), QFileDevice::Permissions()));
            const QStringList withoutC = scan(folder.path(), {}, &result);
            QFile::setPermissions(folder.file("C"),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            QCOMPARE(withoutC, QStringList({"a.jpg", "D/d.jpg"}));
            QCOMPARE(result.unreadableFolders, 1);
        }

        QCOMPARE(scan(folder.file("missing"), {}, &result), QStringList());
        QCOMPARE(result.unreadableFolders, 1);
    }

    void FileSearch_keepScanningFalse_stopsAtOnce()
    {
        TestFolder folder;
        for (const char* file : {"a.jpg", "b.jpg", "c.jpg", "S/d.jpg"}) {
            folder.write(file);
        }
        int calls = 0;
        FileSearchResult result;
        const QStringList found = scan(
            folder.path(), [&] { return ++calls < 2; }, &result);
        QCOMPARE(found, QStringList({"a.jpg", "b.jpg"}));
        QVERIFY(result.stopped);
        QCOMPARE(result.appended, 2);
    }
};

QTEST_GUILESS_MAIN(TestFileSearch)
#include "tst_filesearch.moc"
