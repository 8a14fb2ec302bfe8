#include "dialogs/CCommonDialogs.h"
#include "doubles/ScriptedSystemDialogs.h"
#include "support/TestFolder.h"

#include <QDir>
#include <QTest>
#include <QWidget>

#include <functional>
#include <map>

namespace {

// Passes every call on to the scripted dialogs and notes the owner each one was shown for.
class OwnerRecordingDialogs final : public SystemDialogs
{
public:
    explicit OwnerRecordingDialogs(ScriptedSystemDialogs& inner) : m_inner(inner) {}
    QList<QWidget*> owners;

    std::optional<QString> openFile(QWidget* owner, const FileDialogRequest& request) override
    {
        owners.append(owner);
        return m_inner.openFile(owner, request);
    }
    std::optional<QString> saveFile(QWidget* owner, const FileDialogRequest& request) override
    {
        owners.append(owner);
        return m_inner.saveFile(owner, request);
    }
    std::optional<QString> folder(QWidget* owner, const QString& caption) override
    {
        owners.append(owner);
        return m_inner.folder(owner, caption);
    }
    std::optional<QColor> color(QWidget* owner, const QColor& initial, bool fullOpen) override
    {
        owners.append(owner);
        return m_inner.color(owner, initial, fullOpen);
    }
    std::optional<FontChoice> font(QWidget* owner, const FontRequest& request) override
    {
        owners.append(owner);
        return m_inner.font(owner, request);
    }
    bool printer(QWidget* owner) override
    {
        owners.append(owner);
        return m_inner.printer(owner);
    }
    bool printerProperties(QWidget* owner) override
    {
        owners.append(owner);
        return m_inner.printerProperties(owner);
    }
    int screenDpiY() const override { return m_inner.screenDpiY(); }

private:
    ScriptedSystemDialogs& m_inner;
};

const QString kImageFilter =
    QStringLiteral("JPG Files(*.jpg)|*.jpg|JPEG Files(*.jpeg)|*.jpeg|TIF Files(*.tif)|*.tif|TIFF Files(*.tiff)|*.tiff|"
                   "BMP Files(*.BMP)|*.bmp|GIF Files(*.gif)|*.gif|PNG Files(*.png)|*.png|All Files(*.*)|*.*");

// Every field as its read accessor shows it, to see at a glance that a call changed nothing.
QStringList fields(const CCommonDialogs& dialogs)
{
    return {dialogs.FileTitle(),
            dialogs.Path(),
            dialogs.Filter(),
            dialogs.Filename(),
            QString::number(dialogs.Color(), 16),
            dialogs.Title(),
            dialogs.DefExt(),
            dialogs.FontName(),
            QString::number(dialogs.FontSize()),
            QString::number(dialogs.FontBold()),
            QString::number(dialogs.FontItalic()),
            QString::number(dialogs.FontUnderline())};
}

void fillFields(CCommonDialogs& dialogs)
{
    dialogs.setFileTitle(QStringLiteral("old.jpg"));
    dialogs.setPath(QStringLiteral("/old"));
    dialogs.setFilter(QStringLiteral("PDF Files(*.pdf)|*.pdf"));
    dialogs.setFilename(QStringLiteral("/old/old.jpg"));
    dialogs.setColor(0x00123456);
    dialogs.setTitle(QStringLiteral("Pick"));
    dialogs.setDefExt(QStringLiteral("jpg"));
    dialogs.setFontName(QStringLiteral("Serif"));
    dialogs.setFontSize(14);
    dialogs.setFontBold(true);
    dialogs.setFontItalic(true);
    dialogs.setFontUnderline(true);
}

struct Property
{
    std::function<void(CCommonDialogs&, const QString&)> write;
    std::function<QString(const CCommonDialogs&)> read;
};

const std::map<QString, Property>& textProperties()
{
    static const std::map<QString, Property> properties = {
        {"Title", {&CCommonDialogs::setTitle, &CCommonDialogs::Title}},
        {"Path", {&CCommonDialogs::setPath, &CCommonDialogs::Path}},
        {"FileTitle", {&CCommonDialogs::setFileTitle, &CCommonDialogs::FileTitle}},
        {"Filename", {&CCommonDialogs::setFilename, &CCommonDialogs::Filename}},
        {"Filter", {&CCommonDialogs::setFilter, &CCommonDialogs::Filter}},
        {"DefExt", {&CCommonDialogs::setDefExt, &CCommonDialogs::DefExt}},
        {"FontName", {&CCommonDialogs::setFontName, &CCommonDialogs::FontName}},
    };
    return properties;
}

} // namespace

class TestCommonDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_scripted = std::make_unique<ScriptedSystemDialogs>();
        m_recorder = std::make_unique<OwnerRecordingDialogs>(*m_scripted);
        m_appFolder = std::make_unique<TestFolder>();
        QVERIFY(m_appFolder->isValid());
        m_dialogs = std::make_unique<CCommonDialogs>(*m_recorder, m_appFolder->path());
    }

    void freshObject_everyFieldEmpty()
    {
        QCOMPARE(fields(*m_dialogs), QStringList({"", "", "", "", "0", "", "", "", "0", "0", "0", "0"}));
    }

    void textProperty_readsBack_data()
    {
        QTest::addColumn<QString>("property");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("expected");
        const QString withNul = QStringLiteral("a/b.jpg") + QChar(0) + QStringLiteral("junk");
        for (const auto& [name, property] : textProperties()) {
            const bool cutsAtNul = name == "Title" || name == "Path" || name == "FileTitle" || name == "Filename";
            QTest::addRow("%s: NUL", qPrintable(name)) << name << withNul << (cutsAtNul ? "a/b.jpg" : withNul);
            QTest::addRow("%s: blanks", qPrintable(name)) << name << "  a b  "
                                                          << "  a b  ";
        }
    }
    void textProperty_readsBack()
    {
        QFETCH(QString, property);
        QFETCH(QString, written);
        QFETCH(QString, expected);
        const Property& accessors = textProperties().at(property);
        accessors.write(*m_dialogs, written);
        QCOMPARE(accessors.read(*m_dialogs), expected);
    }

    void everyShow_passesCurrentOwner()
    {
        auto showAll = [this] {
            m_recorder->owners.clear();
            (void)m_dialogs->ShowOpen();
            (void)m_dialogs->ShowSave();
            (void)m_dialogs->ShowFolder();
            (void)m_dialogs->ShowColor(false);
            (void)m_dialogs->ShowFont();
            (void)m_dialogs->ShowPrinter();
            (void)m_dialogs->ShowPrinterProperties();
            QCOMPARE(m_recorder->owners.size(), 7);
        };
        showAll();
        QCOMPARE(m_recorder->owners, QList<QWidget*>(7, nullptr));

        auto first = std::make_unique<QWidget>();
        QWidget second;
        m_dialogs->Init(first.get());
        m_dialogs->Init(&second);
        showAll();
        QCOMPARE(m_recorder->owners, QList<QWidget*>(7, &second));

        m_dialogs->Init(first.get());
        first.reset();
        showAll();
        QCOMPARE(m_recorder->owners, QList<QWidget*>(7, nullptr));
    }

    void showOpen_filtersForDialog_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("image filter") << kImageFilter
                                      << QStringList{"JPG Files(*.jpg) (*.jpg)", "JPEG Files(*.jpeg) (*.jpeg)",
                                                     "TIF Files(*.tif) (*.tif)", "TIFF Files(*.tiff) (*.tiff)",
                                                     "BMP Files(*.BMP) (*.bmp)", "GIF Files(*.gif) (*.gif)",
                                                     "PNG Files(*.png) (*.png)", "All Files(*.*) (*)"};
        QTest::newRow("pdf") << "PDF Files(*.pdf)|*.pdf" << QStringList{"PDF Files(*.pdf) (*.pdf)"};
        QTest::newRow("empty") << "" << QStringList{};
        QTest::newRow("several patterns")
            << "Pictures|*.jpg;*.png; *.gif" << QStringList{"Pictures (*.jpg *.png *.gif)"};
        QTest::newRow("trailing bar") << "PDF|*.pdf|" << QStringList{"PDF (*.pdf)"};
        QTest::newRow("description without pattern") << "PDF|*.pdf|Text" << QStringList{"PDF (*.pdf)"};
    }
    void showOpen_filtersForDialog()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        m_dialogs->setFilter(filter);
        QVERIFY(!m_dialogs->ShowOpen());
        QCOMPARE(m_scripted->openRequests.size(), 1);
        const FileDialogRequest& request = m_scripted->openRequests.constFirst();
        QCOMPARE(request.filters, expected);
        QCOMPARE(request.selectedFilter, expected.isEmpty() ? -1 : 0);
    }

    void showOpen_request_takesTitleNameAndDefExt()
    {
        m_dialogs->setTitle(QStringLiteral("Open Files") + QChar(0) + QStringLiteral("x"));
        m_dialogs->setFilename(QStringLiteral("start.jpg"));
        m_dialogs->setDefExt(QStringLiteral("jpg"));
        QVERIFY(!m_dialogs->ShowOpen());
        const FileDialogRequest& request = m_scripted->openRequests.constFirst();
        QCOMPARE(request.caption, QStringLiteral("Open Files"));
        QCOMPARE(request.startName, QStringLiteral("start.jpg"));
        QCOMPARE(request.startFolder, QDir::currentPath());
        QCOMPARE(request.defaultSuffix, QStringLiteral("jpg"));
    }

    void showOpen_confirmed_setsFileFields_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("fileTitle");
        QTest::newRow("folder") << "/out/book.pdf"
                                << "/out"
                                << "book.pdf";
        QTest::newRow("root") << "/book.pdf"
                              << "/"
                              << "book.pdf";
        QTest::newRow("blanks and dots") << "/my pics/a b/x.y.jpg"
                                         << "/my pics/a b"
                                         << "x.y.jpg";
    }
    void showOpen_confirmed_setsFileFields()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, path);
        QFETCH(QString, fileTitle);
        m_scripted->openAnswers.push_back(chosen);
        QVERIFY(m_dialogs->ShowOpen());
        QCOMPARE(m_dialogs->Filename(), chosen);
        QCOMPARE(m_dialogs->Path(), path);
        QCOMPARE(m_dialogs->FileTitle(), fileTitle);
    }

    void showOpen_cancelled_changesNothing()
    {
        fillFields(*m_dialogs);
        const QStringList before = fields(*m_dialogs);
        QVERIFY(!m_dialogs->ShowOpen());
        QCOMPARE(m_scripted->openRequests.size(), 1);
        QCOMPARE(fields(*m_dialogs), before);
    }

    void showOpen_startNameLength_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("shown");
        QTest::newRow("260") << 260 << true;
        QTest::newRow("261") << 261 << false;
    }
    void showOpen_startNameLength()
    {
        QFETCH(int, length);
        QFETCH(bool, shown);
        fillFields(*m_dialogs);
        m_dialogs->setFilename(QString(length, QLatin1Char('n')));
        const QStringList before = fields(*m_dialogs);
        m_scripted->openAnswers.push_back(QStringLiteral("/out/x.jpg"));
        QCOMPARE(m_dialogs->ShowOpen(), shown);
        QCOMPARE(m_scripted->openRequests.size(), shown ? 1 : 0);
        if (!shown) {
            QCOMPARE(fields(*m_dialogs), before);
        }
    }

    void showOpen_afterConfirmedChoice_startsInItsFolder_currentDirectoryKept()
    {
        const QString currentDirectory = QDir::currentPath();
        m_scripted->openAnswers.push_back(QStringLiteral("/pictures/a.jpg"));
        QVERIFY(m_dialogs->ShowOpen());
        QVERIFY(!m_dialogs->ShowOpen());
        m_scripted->saveAnswers.push_back(QStringLiteral("/out/book.pdf"));
        QVERIFY(m_dialogs->ShowSave());
        QVERIFY(!m_dialogs->ShowOpen());

        QCOMPARE(m_scripted->openRequests.size(), 3);
        QCOMPARE(m_scripted->openRequests.at(0).startFolder, currentDirectory);
        QCOMPARE(m_scripted->openRequests.at(1).startFolder, QStringLiteral("/pictures"));
        QCOMPARE(m_scripted->openRequests.at(2).startFolder, QStringLiteral("/out"));
        QCOMPARE(QDir::currentPath(), currentDirectory);
    }

    void showSave_startFolder_keptInPathEvenWhenCancelled_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected"); // "<app>" for the application folder, "<dir>" for the test's folder
        QTest::newRow("empty") << ""
                               << "<app>";
        QTest::newRow("blanks") << "   "
                                << "<app>";
        QTest::newRow("folder without slash") << "<dir>"
                                              << "<dir>/";
        QTest::newRow("folder with slash") << "<dir>/"
                                           << "<dir>/";
        QTest::newRow("root") << "/"
                              << "/";
        QTest::newRow("missing folder") << "<dir>/missing"
                                        << "<app>";
        QTest::newRow("a file") << "<dir>/file.txt"
                                << "<app>";
    }
    void showSave_startFolder_keptInPathEvenWhenCancelled()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        TestFolder folder;
        folder.write(QStringLiteral("file.txt"), "x");
        auto resolve = [&](QString text) {
            return text.replace("<app>", m_appFolder->path()).replace("<dir>", folder.path());
        };
        m_dialogs->setPath(resolve(path));
        QVERIFY(!m_dialogs->ShowSave());
        QCOMPARE(m_dialogs->Path(), resolve(expected));
        QCOMPARE(m_scripted->saveRequests.constFirst().startFolder, resolve(expected));
    }

    void showSave_request_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("filters");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("empty") << "" << QStringList{"*.* (*)"} << "";
        QTest::newRow("blanks") << "  " << QStringList{"*.* (*)"} << "";
        QTest::newRow("pdf") << "PDF Files(*.pdf)|*.pdf" << QStringList{"PDF Files(*.pdf) (*.pdf)"} << "pdf";
        QTest::newRow("two types") << "Text|*.txt|All|*.*" << QStringList{"Text (*.txt)", "All (*)"} << "txt";
        QTest::newRow("wildcard extension") << "Pictures|*.jp?" << QStringList{"Pictures (*.jp?)"} << "";
    }
    void showSave_request()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, filters);
        QFETCH(QString, suffix);
        m_dialogs->setFilter(filter);
        m_dialogs->setTitle(QStringLiteral("Not this"));
        m_dialogs->setDefExt(QStringLiteral("nope"));
        m_dialogs->setFilename(QStringLiteral("/old/name.pdf"));
        QVERIFY(!m_dialogs->ShowSave());
        const FileDialogRequest& request = m_scripted->saveRequests.constFirst();
        QCOMPARE(request.caption, QStringLiteral("Save"));
        QCOMPARE(request.filters, filters);
        QCOMPARE(request.selectedFilter, 0);
        QCOMPARE(request.defaultSuffix, suffix);
        QCOMPARE(request.startName, QString());
    }

    void showSave_chosenPathLength_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("254") << 254 << true;
        QTest::newRow("255") << 255 << false;
    }
    void showSave_chosenPathLength()
    {
        QFETCH(int, length);
        QFETCH(bool, accepted);
        fillFields(*m_dialogs);
        m_dialogs->setPath(m_appFolder->path());
        const QString folder = QStringLiteral("/out/");
        const QString chosen = folder + QString(length - folder.size() - 4, QLatin1Char('n')) + QStringLiteral(".pdf");
        QCOMPARE(chosen.size(), length);
        m_scripted->saveAnswers.push_back(chosen);

        QCOMPARE(m_dialogs->ShowSave(), accepted);
        QCOMPARE(m_dialogs->Filename(), accepted ? chosen : QStringLiteral("/old/old.jpg"));
        QCOMPARE(m_dialogs->FileTitle(), accepted ? chosen.mid(folder.size()) : QStringLiteral("old.jpg"));
        QCOMPARE(m_dialogs->Path(), accepted ? QStringLiteral("/out") : m_appFolder->path() + "/");
    }

    void showSave_confirmed_setsFileFields()
    {
        m_scripted->saveAnswers = {QStringLiteral("/out/book.pdf"), QStringLiteral("/book.pdf")};
        QVERIFY(m_dialogs->ShowSave());
        QCOMPARE(QStringList({m_dialogs->Filename(), m_dialogs->Path(), m_dialogs->FileTitle()}),
                 QStringList({"/out/book.pdf", "/out", "book.pdf"}));
        QVERIFY(m_dialogs->ShowSave());
        QCOMPARE(QStringList({m_dialogs->Filename(), m_dialogs->Path(), m_dialogs->FileTitle()}),
                 QStringList({"/book.pdf", "/", "book.pdf"}));
        // The root stays the next save's start, as the folder of the last saved file.
        QVERIFY(!m_dialogs->ShowSave());
        QCOMPARE(m_scripted->saveRequests.at(2).startFolder, QStringLiteral("/"));
    }

    void showFolder_confirmedAndCancelled()
    {
        fillFields(*m_dialogs);
        m_dialogs->setTitle(QStringLiteral("Choose a folder") + QChar(0) + QStringLiteral("rest"));
        const QStringList before = fields(*m_dialogs);
        QVERIFY(!m_dialogs->ShowFolder());
        QCOMPARE(fields(*m_dialogs), before);

        m_scripted->folderAnswers.push_back(QStringLiteral("/data"));
        QVERIFY(m_dialogs->ShowFolder());
        QCOMPARE(m_scripted->folderCaptions, QStringList({"Choose a folder", "Choose a folder"}));
        QStringList expected = before;
        expected[0] = "";      // FileTitle
        expected[1] = "/data"; // Path
        expected[3] = "";      // Filename
        QCOMPARE(fields(*m_dialogs), expected);
    }

    void showColor_confirmedAndCancelled()
    {
        fillFields(*m_dialogs);
        m_dialogs->setColor(0x00336699);
        const QStringList before = fields(*m_dialogs);
        QVERIFY(!m_dialogs->ShowColor(false));
        QCOMPARE(fields(*m_dialogs), before);

        m_scripted->colorAnswers.push_back(QColor(0x01, 0x02, 0x03));
        QVERIFY(m_dialogs->ShowColor(true));
        QCOMPARE(m_scripted->colorRequests.size(), 2);
        QCOMPARE(m_scripted->colorRequests.at(0), std::make_pair(QColor(0x99, 0x66, 0x33), false));
        QCOMPARE(m_scripted->colorRequests.at(1), std::make_pair(QColor(0x99, 0x66, 0x33), true));
        QCOMPARE(m_dialogs->Color(), 0x00030201u);
        QStringList expected = before;
        expected[4] = "30201";
        QCOMPARE(fields(*m_dialogs), expected);
    }

    void showFont_request_data()
    {
        QTest::addColumn<QString>("fontName");
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("pixelHeight");
        QTest::newRow("12 pt at 96 dpi") << "Tahoma" << 12 << 96 << "Tahoma" << -16;
        QTest::newRow("10 pt rounds down") << "Tahoma" << 10 << 96 << "Tahoma" << -13;
        QTest::newRow("11 pt rounds up") << "Tahoma" << 11 << 96 << "Tahoma" << -15;
        QTest::newRow("half rounds away from zero") << "Tahoma" << 3 << 84 << "Tahoma" << -4;
        QTest::newRow("negative size") << "Tahoma" << -12 << 96 << "Tahoma" << 16;
        QTest::newRow("12 pt at 120 dpi") << "Tahoma" << 12 << 120 << "Tahoma" << -20;
        QTest::newRow("32 characters cut to 31") << QString(32, 'x') << 9 << 96 << QString(31, 'x') << -12;
        QTest::newRow("NUL ends the name") << QString("Sans") + QChar(0) + "Serif" << 9 << 96 << "Sans" << -12;
        QTest::newRow("not Latin-1 kept")
            << QString::fromUtf8("Noto Sans 日本") << 9 << 96 << QString::fromUtf8("Noto Sans 日本") << -12;
        QTest::newRow("pair not split") << QString(30, 'x') + QString::fromUtf8("😀") << 9 << 96 << QString(30, 'x')
                                        << -12;
    }
    void showFont_request()
    {
        QFETCH(QString, fontName);
        QFETCH(int, points);
        QFETCH(int, dpi);
        QFETCH(QString, family);
        QFETCH(int, pixelHeight);
        m_scripted->dpiY = dpi;
        m_dialogs->setFontName(fontName);
        m_dialogs->setFontSize(points);
        m_dialogs->setFontBold(true);
        m_dialogs->setFontUnderline(true);
        m_dialogs->setColor(0x000000FF);
        QVERIFY(!m_dialogs->ShowFont());
        const FontRequest& request = m_scripted->fontRequests.constFirst();
        QCOMPARE(request.family, family);
        QCOMPARE(request.pixelHeight, pixelHeight);
        QCOMPARE(request.bold, true);
        QCOMPARE(request.italic, false);
        QCOMPARE(request.underline, true);
        QCOMPARE(request.color, QColor(Qt::red));
        QCOMPARE(m_dialogs->FontName(), fontName);
    }

    void showFont_confirmed_data()
    {
        QTest::addColumn<int>("tenths");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("italic");
        QTest::addColumn<int>("size");
        QTest::newRow("105 tenths, regular") << 105 << false << false << 10;
        QTest::newRow("119 tenths, bold italic") << 119 << true << true << 11;
        QTest::newRow("120 tenths, italic") << 120 << false << true << 12;
    }
    void showFont_confirmed()
    {
        QFETCH(int, tenths);
        QFETCH(bool, bold);
        QFETCH(bool, italic);
        QFETCH(int, size);
        fillFields(*m_dialogs);
        m_dialogs->setFontItalic(!italic);
        QStringList expected = fields(*m_dialogs);
        m_scripted->fontAnswers.push_back(FontChoice{QStringLiteral("DejaVu Sans Mono"), tenths, bold, italic});
        QVERIFY(m_dialogs->ShowFont());
        expected[7] = "DejaVu Sans Mono";
        expected[8] = QString::number(size);
        expected[9] = QString::number(bold);
        expected[10] = QString::number(italic);
        // Underline and colour are never taken back from the font dialog.
        QCOMPARE(fields(*m_dialogs), expected);
    }

    void showFont_cancelled_changesNothing()
    {
        fillFields(*m_dialogs);
        const QStringList before = fields(*m_dialogs);
        QVERIFY(!m_dialogs->ShowFont());
        QCOMPARE(m_scripted->fontRequests.size(), 1);
        QCOMPARE(fields(*m_dialogs), before);
    }

    void showPrinters_returnAnswer_changeNothing()
    {
        fillFields(*m_dialogs);
        const QStringList before = fields(*m_dialogs);
        m_scripted->printerAnswers = {true, false};
        m_scripted->printerPropertiesAnswers = {true, false};
        QVERIFY(m_dialogs->ShowPrinter());
        QVERIFY(!m_dialogs->ShowPrinter());
        QVERIFY(m_dialogs->ShowPrinterProperties());
        QVERIFY(!m_dialogs->ShowPrinterProperties());
        QCOMPARE(m_scripted->printerCalls, 2);
        QCOMPARE(m_scripted->printerPropertiesCalls, 2);
        QCOMPARE(fields(*m_dialogs), before);
    }

private:
    std::unique_ptr<ScriptedSystemDialogs> m_scripted;
    std::unique_ptr<OwnerRecordingDialogs> m_recorder;
    std::unique_ptr<TestFolder> m_appFolder;
    std::unique_ptr<CCommonDialogs> m_dialogs;
};

QTEST_MAIN(TestCommonDialogs)
#include "tst_commondialogs.moc"
