#include "app/PdfDate.h"
#include "app/Translations.h"
#include "dialogs/CCommonDialogs.h"
#include "imagelist/ImageListWidget.h"
#include "imagelist/ToolBarCommands.h"
#include "imagereader/ListPictureQueue.h"
#include "platform/Skin.h"
#include "preview/ShowImage.h"
#include "support/WindowFixture.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QFile>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStyle>
#include <QTest>
#include <QTextDocument>

#include <sys/stat.h>

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startup_noSettingsFile_controlsShowInitialState();
    void startup_settingsFile_fillsFieldsAndQuality();
    void captions_followUserLanguage_data();
    void captions_followUserLanguage();
    void startup_skinCallsInOrder_detachOnClose();
    void startup_skinUnavailable_windowStillWorks();
    void tabOrder_startsWithTitleThenCreationDate();
    void window_opens_wholeOnScreenControlsApart();
    void window_rememberedPlace_usedWhereItFits_data();
    void window_rememberedPlace_usedWhereItFits();
    void quality_slider_labelsFollowStrictLimits_data();
    void quality_slider_labelsFollowStrictLimits();
    void now_button_takesDateFromClock();
    void openAFile_confirmed_replacesListAndTakesTitle();
    void openAFile_cancelledOrSpecialFile_keepsListAndTitle();
    void openAFile_notAnImage_stillJoinsList();
    void menuAdd_behavesLikeOpenAFile();
    void menuExit_closesWindow();
    void toolBarClick_hidesGettingStartedPanel();
    void closeAndClean_emptyList_onlyCloseBlanksPreview();
    void move_selected_data();
    void move_selected();
    void rotate_selected_turnTravelsWithEntryToItsPage();
    void pageChoices_keptBesideWindowState_settingsFileKeepsItsLines();
    void pageNumber_followsSelection();
    void about_showsNotice_thenFocusOnLastToolButton();
    void website_opensAddress();
    void browse_confirmedAndCancelled();
    void addFolder_appendsTreeInOrder_cancelAddsNothing();
    void drops_onPanelThenList_appendImagesInOrder_hidePanel();
    void dragEntry_movesItWithPageLabel_notDuringRun();
    void listPictures_rowInSight_pictureOrWarningWithoutWaiting_data();
    void listPictures_rowInSight_pictureOrWarningWithoutWaiting();
    void listPictures_fileChanged_pictureMadeAgain();
};

void TestMainWindow::startup_noSettingsFile_controlsShowInitialState()
{
    WindowFixture f;
    frmPrinting& w = f.open();
    QCOMPARE(w.windowTitle(), QStringLiteral("Free Pagewell"));
    QCOMPARE(f.text("txtTitle"), QStringLiteral("New PDF Document"));
    QCOMPARE(f.text("txtCreateFor"), QStringLiteral("Pagewell"));
    QCOMPARE(f.text("txtSubject"), QStringLiteral("New Subject"));
    QCOMPARE(f.text("txtKeywords"), QString());
    QCOMPARE(f.text("txtCreationDate"), pdfDateString(f.clock.now()));
    QVERIFY(f.text("txtCreationDate").startsWith(QStringLiteral("D:20261207093015")));
    QCOMPARE(f.text("lblQuality"), QStringLiteral("80%"));
    QCOMPARE(f.text("lblQtt"), QStringLiteral("Best"));
    QCOMPARE(f.text("lblPageNum"), QStringLiteral("Page Number Of Selected File: 0"));
    QCOMPARE(f.text("lblPB"), QStringLiteral("0%"));
    QCOMPARE(f.text("txtPath"), f.homeFolder + QStringLiteral("/output"));
    QCOMPARE(f.text("Command3"), QStringLiteral("Convert To PDF Now"));
    QCOMPARE(f.text("Command1"), QStringLiteral("Now"));
    QCOMPARE(f.text("cmdBrowse"), QStringLiteral("Browse"));
    QCOMPARE(f.text("Label2"), QStringLiteral("File List:"));
    QCOMPARE(f.text("Label3"), QStringLiteral("Output Path:"));
    QCOMPARE(f.text("lblJPG"), QStringLiteral("Compress Quality:"));
    QCOMPARE(f.find<QLineEdit>("txtPath")->toolTip(), QStringLiteral("Select a Folder to Output"));
    QCOMPARE(f.find<QPushButton>("cmdBrowse")->toolTip(), QStringLiteral("Select an Output Folder"));
    QCOMPARE(f.list()->count(), 0);
    QVERIFY(f.find<QWidget>("picDoor")->isVisible());
    QCOMPARE(f.find<QSlider>("Slider1")->value(), 80);

    const QStringList captions = {"Open a File", "Add Folder", "Close",       "Clean",       "Move Down",
                                  "Exit",        "Move Up",    "Rotate Left", "Rotate Right"};
    const QStringList tips = {"Open an Image File",
                              "Add Image Files from a Folder",
                              "Close This Image File",
                              "Remove all from File List",
                              "Move selected Down",
                              "Exit",
                              "Up",
                              "Turn the selected pages a quarter to the left (Ctrl+L)",
                              "Turn the selected pages a quarter to the right (Ctrl+R)"};
    for (int i = 0; i < captions.size(); ++i) {
        QCOMPARE(f.toolButton(i)->text(), captions.at(i));
        QCOMPARE(f.toolButton(i)->toolTip(), tips.at(i));
        QCOMPARE(f.toolButton(i)->iconSize(), QSize(32, 32));
    }
    QCOMPARE(f.find<QComboBox>("cboPageSize")->currentText(), QStringLiteral("As the image"));
    QCOMPARE(f.find<QComboBox>("cboOrientation")->currentText(), QStringLiteral("Automatic"));
    QVERIFY(!f.find<QComboBox>("cboOrientation")->isEnabled());
    QCOMPARE(f.find<QSpinBox>("spnMargin")->value(), 10);
    QVERIFY(!f.find<QSpinBox>("spnMargin")->isEnabled());
    QVERIFY(!QFile::exists(w.settingsPath())); // nothing is written at start-up
}

void TestMainWindow::startup_settingsFile_fillsFieldsAndQuality()
{
    WindowFixture f;
    QFile file(f.programFolder + QStringLiteral("/setting.dll"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\"My, Title\"\r\n\"Ann\"\r\n\"Sub\"\r\n\"k1 k2\"\r\n\"45\"\r\n");
    file.close();
    f.open();
    QCOMPARE(f.text("txtTitle"), QStringLiteral("My, Title"));
    QCOMPARE(f.text("txtCreateFor"), QStringLiteral("Ann"));
    QCOMPARE(f.text("txtSubject"), QStringLiteral("Sub"));
    QCOMPARE(f.text("txtKeywords"), QStringLiteral("k1 k2"));
    QCOMPARE(f.text("lblQuality"), QStringLiteral("45%"));
    QCOMPARE(f.text("lblQtt"), QStringLiteral("Medium"));
    // The creation date is never taken from the file.
    QCOMPARE(f.text("txtCreationDate"), pdfDateString(f.clock.now()));
}

namespace {

// Sets the locale variables for one test and puts back what was there.
class LocaleEnvironment
{
public:
    LocaleEnvironment(const QByteArray& lcAll, const QByteArray& lang, const QByteArray& language)
    {
        const std::pair<const char*, QByteArray> values[] = {
            {"LC_ALL", lcAll}, {"LC_MESSAGES", {}}, {"LANG", lang}, {"LANGUAGE", language}};
        for (const auto& [name, value] : values) {
            m_saved.append({name, qEnvironmentVariableIsSet(name), qgetenv(name)});
            value.isEmpty() ? qunsetenv(name) : qputenv(name, value);
        }
    }
    ~LocaleEnvironment()
    {
        for (const Saved& saved : std::as_const(m_saved)) {
            saved.set ? qputenv(saved.name, saved.value) : qunsetenv(saved.name);
        }
    }

private:
    struct Saved
    {
        const char* name;
        bool set;
        QByteArray value;
    };
    QList<Saved> m_saved;
};

} // namespace

void TestMainWindow::captions_followUserLanguage_data()
{
    QTest::addColumn<QByteArray>("lcAll");
    QTest::addColumn<QByteArray>("lang");
    QTest::addColumn<QByteArray>("language");
    // Window title, convert button, list caption, File menu, About menu, first tool button, quality word, the empty
    // list's message title and text, Qt's own Cancel.
    QTest::addColumn<QStringList>("texts");
    const QStringList english = {
        "Free Pagewell", "Convert To PDF Now", "File List:",        "&File", "&About", "Open a File",
        "Best",          "Add File",           "Please add a file", "Cancel"};
    // The window's title is the program's name: the same in every language.
    const QStringList german = {"Free Pagewell",
                                "Jetzt in PDF umwandeln",
                                "Dateiliste:",
                                "&Datei",
                                "&Info",
                                "Datei öffnen",
                                "Sehr gut",
                                "Datei hinzufügen",
                                "Bitte fügen Sie eine Datei hinzu",
                                "Abbrechen"};
    const QStringList french = {"Free Pagewell", "Convertir en PDF",   "Liste des fichiers\u00a0:",
                                "&Fichier",      "À &propos",          "Ouvrir un fichier",
                                "Excellente",    "Ajouter un fichier", "Veuillez ajouter un fichier",
                                "Annuler"};
    QTest::newRow("C.UTF-8, LANGUAGE ignored")
        << QByteArray("C.UTF-8") << QByteArray("de_DE.UTF-8") << QByteArray("de") << english;
    QTest::newRow("LANG=de_DE.UTF-8") << QByteArray() << QByteArray("de_DE.UTF-8") << QByteArray() << german;
    QTest::newRow("LC_ALL=fr_CA.UTF-8 over LANG")
        << QByteArray("fr_CA.UTF-8") << QByteArray("de_DE.UTF-8") << QByteArray() << french;
    QTest::newRow("English preferred to German")
        << QByteArray() << QByteArray("de_DE.UTF-8") << QByteArray("en_GB:de") << english;
    QTest::newRow("first language without a catalogue")
        << QByteArray() << QByteArray("pt_BR.UTF-8") << QByteArray("pt_BR:pt:fr") << french;
}

void TestMainWindow::captions_followUserLanguage()
{
    QFETCH(QByteArray, lcAll);
    QFETCH(QByteArray, lang);
    QFETCH(QByteArray, language);
    QFETCH(QStringList, texts);
    const LocaleEnvironment environment(lcAll, lang, language);
    const Translations translations(userLanguages());
    WindowFixture f;
    frmPrinting& w = f.open();
    f.click(QStringLiteral("Command3")); // with an empty list: a message
    QCOMPARE(f.messages.shown().size(), 1);
    const QList<QAction*> menus = w.menuBar()->actions();
    const QStringList shown = {w.windowTitle(),
                               f.text("Command3"),
                               f.text("Label2"),
                               menus.value(0)->text(),
                               menus.value(1)->text(),
                               f.toolButton(0)->text(),
                               f.text("lblQtt"),
                               f.messages.shown().first().title,
                               f.messages.shown().first().text,
                               QCoreApplication::translate("QPlatformTheme", "Cancel")};
    QCOMPARE(shown, texts);
    // What the PDF and the settings file carry stays as it is in every language.
    QCOMPARE(f.text("txtTitle"), QStringLiteral("New PDF Document"));
    QCOMPARE(f.text("txtSubject"), QStringLiteral("New Subject"));
    QCOMPARE(f.text("txtCreationDate"), pdfDateString(f.clock.now()));
}

void TestMainWindow::startup_skinCallsInOrder_detachOnClose()
{
    WindowFixture f;
    f.open();
    QCOMPARE(f.skin.calls, (QStringList{"Attach", "Aero:frmPrinting", "Adjust:220,0,0,0,0,0,0,0,0"}));
    f.window->close();
    QCOMPARE(f.skin.calls.last(), QStringLiteral("Detach"));
    QCOMPARE(f.skin.calls.count(QStringLiteral("Detach")), 1);
}

void TestMainWindow::startup_skinUnavailable_windowStillWorks()
{
    PagewellSkin missing(QStringLiteral(":/skin/not-there.qss"));
    PagewellSkin real;
    for (PagewellSkin* skin : {&missing, &real}) {
        WindowFixture f;
        f.open();
        // Swap in the real skin layer by opening a second window with it.
        AppServices services = f.services(f.makeStages);
        services.skin = skin;
        services.programFolder = f.programFolder;
        services.homeFolder = f.homeFolder;
        frmPrinting window(services);
        QCOMPARE(window.windowTitle(), QStringLiteral("Free Pagewell"));
        QCOMPARE(skin->isAttached(), skin == &real);
        QCOMPARE(window.styleSheet().isEmpty(), skin == &missing);
        window.runToolBarCommand(3);
        window.close();
        QVERIFY(window.styleSheet().isEmpty());
    }
}

void TestMainWindow::tabOrder_startsWithTitleThenCreationDate()
{
    WindowFixture f;
    frmPrinting& w = f.open();
    QCOMPARE(w.focusWidget(), f.find<QWidget>("txtTitle"));
    const QStringList expected = {"txtTitle",    "txtCreationDate", "txtCreateFor", "txtSubject",
                                  "txtKeywords", "Command1",        "Command3"};
    QWidget* at = f.find<QWidget>("txtTitle");
    for (int i = 1; i < expected.size(); ++i) {
        do {
            at = at->nextInFocusChain();
        } while (!(at->focusPolicy() & Qt::TabFocus));
        QCOMPARE(at->objectName(), expected.at(i));
    }
}

// Run at scale 1 on the offscreen 800 × 600 screen and again by CTest on small screens at 1.25, 1.5 and 2.
void TestMainWindow::window_opens_wholeOnScreenControlsApart()
{
    WindowFixture f;
    frmPrinting& w = f.open();
    const QRect area = w.screen()->availableGeometry();
    QVERIFY2(area.contains(w.frameGeometry()), qPrintable(QStringLiteral("window %1,%2 %3x%4 on an area of %5x%6")
                                                              .arg(w.frameGeometry().x())
                                                              .arg(w.frameGeometry().y())
                                                              .arg(w.frameGeometry().width())
                                                              .arg(w.frameGeometry().height())
                                                              .arg(area.width())
                                                              .arg(area.height())));
    // The smallest screen the window is made for, 800 × 600, takes its whole layout with a frame around it.
    QVERIFY2(
        w.minimumSizeHint().width() <= 800 - 16 && w.minimumSizeHint().height() <= 600 - 48,
        qPrintable(QStringLiteral("minimum %1x%2").arg(w.minimumSizeHint().width()).arg(w.minimumSizeHint().height())));

    QStringList names = {"picDoor",     "prewImage",    "Label2",         "lblPageNum",      "lblTitle",
                         "txtTitle",    "lblCreateFor", "txtCreateFor",   "lblCreationDate", "txtCreationDate",
                         "Command1",    "lblSubject",   "txtSubject",     "lblKeywords",     "txtKeywords",
                         "lblJPG",      "lblQuality",   "lblQtt",         "Slider1",         "chkKeepOriginal",
                         "lblPageSize", "cboPageSize",  "lblOrientation", "cboOrientation",  "lblMargin",
                         "spnMargin",   "Label3",       "txtPath",        "cmdBrowse",       "Command3",
                         "pb",          "lblPB"};
    for (int i = 0; i < 9; ++i) {
        names << QStringLiteral("CmdToolsBar_%1").arg(i);
    }
    QList<QRect> placed;
    for (const QString& name : std::as_const(names)) {
        auto* control = f.find<QWidget>(name);
        QVERIFY2(control && control->isVisible(), qPrintable(name));
        const QRect rect(control->mapTo(&w, QPoint(0, 0)), control->size());
        QVERIFY2(w.rect().contains(rect), qPrintable(name + QStringLiteral(" is cut off")));
        QVERIFY2(control->width() >= control->minimumSizeHint().width(),
                 qPrintable(name + QStringLiteral(" is squeezed")));
        for (int other = 0; other < placed.size(); ++other) {
            QVERIFY2(!rect.intersects(placed.at(other)),
                     qPrintable(name + QStringLiteral(" overlaps ") + names.at(other)));
        }
        placed.append(rect);
    }
    // The creation date is read whole, not scrolled.
    const auto* date = f.find<QLineEdit>("txtCreationDate");
    QVERIFY(date->width() >= date->fontMetrics().horizontalAdvance(date->text()) + 2 * 2 +
                                 2 * date->style()->pixelMetric(QStyle::PM_DefaultFrameWidth));
}

void TestMainWindow::window_rememberedPlace_usedWhereItFits_data()
{
    QTest::addColumn<QRect>("remembered");
    QTest::addColumn<bool>("maximized");
    QTest::addColumn<bool>("placeUsed");
    QTest::addColumn<bool>("sizeUsed");
    QTest::addColumn<qint64>("fileGrownTo"); // 0: as the window writes it
    QTest::newRow("nothing remembered") << QRect() << false << false << false << qint64(0);
    QTest::newRow("on the screen") << QRect(20, 50, 760, 600) << false << true << true << qint64(0);
    QTest::newRow("maximised") << QRect(30, 60, 750, 590) << true << true << true << qint64(0);
    QTest::newRow("on a screen that is gone") << QRect(2000, 1500, 760, 600) << false << false << true << qint64(0);
    QTest::newRow("partly off the screen") << QRect(300, 150, 760, 600) << false << false << true << qint64(0);
    QTest::newRow("larger than the screen") << QRect(0, 0, 2400, 1600) << false << false << false << qint64(0);
    QTest::newRow("in a file of many other keys")
        << QRect(20, 50, 760, 600) << false << false << false << qint64(16 * 1024);
    QTest::newRow("in a sparse 1 GiB file") << QRect(20, 50, 760, 600) << false << false << false << (qint64(1) << 30);
}

void TestMainWindow::window_rememberedPlace_usedWhereItFits()
{
    QFETCH(QRect, remembered);
    QFETCH(bool, maximized);
    QFETCH(bool, placeUsed);
    QFETCH(bool, sizeUsed);
    QFETCH(qint64, fileGrownTo);
    WindowFixture f;
    f.windowStateFile = f.folder.file(QStringLiteral("config/window.conf"));
    if (remembered.isValid()) {
        QSettings state(f.windowStateFile, QSettings::IniFormat);
        state.setValue(QStringLiteral("MainWindow/geometry"), remembered);
        state.setValue(QStringLiteral("MainWindow/maximized"), maximized);
    }
    if (fileGrownTo > 0) {
        // Keys after the good ones, then a hole that takes no disk.
        QFile state(f.windowStateFile);
        QByteArray others("[Other]\n");
        while (others.size() < std::min<qint64>(fileGrownTo, 16 * 1024)) {
            others += "key" + QByteArray::number(others.size()) + "=1\n";
        }
        QVERIFY(state.open(QIODevice::Append) && state.write(others) == others.size() && state.resize(fileGrownTo));
    }
    frmPrinting& w = f.open();
    QCOMPARE(w.isMaximized(), maximized);
    const QRect opened = w.normalGeometry();
    QCOMPARE(opened.topLeft() == remembered.topLeft(), placeUsed);
    QCOMPARE(opened.size() == remembered.size(), sizeUsed);
    QVERIFY(w.screen()->availableGeometry().contains(w.frameGeometry()));

    // Where the window was closed, it opens again next time; the settings file is not where that is kept.
    w.showNormal();
    w.setGeometry(QRect(QPoint(20, 40), w.minimumSizeHint()));
    w.close();
    QVERIFY(!QFile::exists(w.settingsPath()));
    f.window.reset();
    frmPrinting& again = f.open();
    QCOMPARE(again.normalGeometry(), QRect(QPoint(20, 40), again.minimumSizeHint()));
}

void TestMainWindow::quality_slider_labelsFollowStrictLimits_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("word");
    QTest::newRow("100") << 100 << "Best";
    QTest::newRow("80") << 80 << "Best";
    QTest::newRow("79") << 79 << "Good";
    QTest::newRow("60") << 60 << "Good";
    QTest::newRow("59") << 59 << "Medium";
    QTest::newRow("30") << 30 << "Medium";
    QTest::newRow("29") << 29 << "Low";
    QTest::newRow("1") << 1 << "Low";
}

void TestMainWindow::quality_slider_labelsFollowStrictLimits()
{
    QFETCH(int, position);
    WindowFixture f;
    f.open();
    auto* slider = f.find<QSlider>("Slider1");
    slider->setValue(position == 80 ? 81 : 80);
    slider->setValue(position);
    QCOMPARE(f.text("lblQuality"), QString::number(position) + QLatin1Char('%'));
    QTEST(f.text("lblQtt"), "word");
}

void TestMainWindow::now_button_takesDateFromClock()
{
    WindowFixture f;
    f.open();
    f.find<QLineEdit>("txtCreationDate")->setText(QStringLiteral("typed by hand"));
    f.clock.set(QDateTime(QDate(2027, 1, 2), QTime(3, 4, 5)));
    f.click("Command1");
    QVERIFY(f.text("txtCreationDate").startsWith(QStringLiteral("D:20270102030405")));
    QCOMPARE(f.text("txtCreationDate").size(), 22);
}

void TestMainWindow::openAFile_confirmed_replacesListAndTakesTitle()
{
    WindowFixture f;
    f.open();
    const QString folder = f.folder.mkdir(QStringLiteral("a.b"));
    const QString image = folder + QStringLiteral("/photo.2010.jpg");
    QVERIFY(makeTestPicture(40, 30).save(image, "JPG"));
    f.addEntries({QStringLiteral("/old/one.png"), QStringLiteral("/old/two.png")});
    f.dialogs.openAnswers.push_back(image);

    QTest::mouseClick(f.toolButton(0), Qt::LeftButton);

    QCOMPARE(f.entries(), QStringList{image});
    QCOMPARE(f.list()->currentRow(), -1);
    QCOMPARE(f.text("txtTitle"), QStringLiteral("photo"));
    QCOMPARE(f.dialogs.openRequests.size(), 1);
    QCOMPARE(f.dialogs.openRequests.first().caption, QStringLiteral("Open Files"));
    const QStringList filters = f.dialogs.openRequests.first().filters;
    QCOMPARE(filters.size(), 12);
    QVERIFY2(filters.contains(QStringLiteral("HEIC Files (*.heic *.heif)")) &&
                 filters.contains(QStringLiteral("JPEG XL Files(*.jxl)")),
             qPrintable(filters.join(QLatin1Char('|'))));
    QCOMPARE(f.window->commonDialogs().Filename(), QString());
    QCOMPARE(f.window->focusWidget(), f.toolButton(8));
    QTRY_COMPARE_WITH_TIMEOUT(f.find<ShowImage>("prewImage")->Picture().size(), QSize(40, 30), 30000);
}

void TestMainWindow::openAFile_cancelledOrSpecialFile_keepsListAndTitle()
{
    WindowFixture f;
    f.open();
    f.addEntries({QStringLiteral("/kept/one.png")});
    f.find<QLineEdit>("txtTitle")->setText(QStringLiteral("Mine"));
    QTest::mouseClick(f.toolButton(0), Qt::LeftButton); // no answer queued: cancelled
    QCOMPARE(f.entries(), QStringList{QStringLiteral("/kept/one.png")});
    QCOMPARE(f.text("txtTitle"), QStringLiteral("Mine"));

    // A FIFO named like an image would hang whatever opened it, the preview first.
    const QString fifo = f.folder.file(QStringLiteral("pipe.jpg"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    f.dialogs.openAnswers.push_back(fifo);
    QTest::mouseClick(f.toolButton(0), Qt::LeftButton);
    QCOMPARE(f.entries(), QStringList{QStringLiteral("/kept/one.png")});
    QCOMPARE(f.text("txtTitle"), QStringLiteral("Mine"));
}

void TestMainWindow::openAFile_notAnImage_stillJoinsList()
{
    WindowFixture f;
    f.open();
    auto* preview = f.find<ShowImage>("prewImage");
    preview->setPicture(makeTestPicture(10, 10));
    const QString fake = f.folder.write(QStringLiteral("Zeugnis größer.jpg"), "not really a jpeg");
    f.dialogs.openAnswers.push_back(fake);
    QSignalSpy read(preview, &ShowImage::loadFinished);
    f.window->runToolBarCommand(0);
    QCOMPARE(f.entries(), QStringList{fake});
    QCOMPARE(f.text("txtTitle"), QStringLiteral("Zeugnis größer"));
    QVERIFY(read.wait(30000));
    QVERIFY(!read.first().at(1).toString().isEmpty());
    QCOMPARE(preview->Picture().size(), QSize(10, 10));
}

void TestMainWindow::menuAdd_behavesLikeOpenAFile()
{
    WindowFixture f;
    f.open();
    f.dialogs.openAnswers.push_back(QStringLiteral("/pictures/cat.png"));
    f.find<QAction>("menuAdd")->trigger();
    QCOMPARE(f.entries(), QStringList{QStringLiteral("/pictures/cat.png")});
    QCOMPARE(f.text("txtTitle"), QStringLiteral("cat"));
    QVERIFY(!f.find<QWidget>("picDoor")->isVisible());
}

void TestMainWindow::menuExit_closesWindow()
{
    WindowFixture f;
    f.open();
    QVERIFY(f.window->isVisible());
    f.find<QAction>("menuExit")->trigger();
    QVERIFY(!f.window->isVisible());
    QVERIFY(!QFile::exists(f.window->settingsPath())); // nothing saved at shut-down
}

void TestMainWindow::toolBarClick_hidesGettingStartedPanel()
{
    WindowFixture f;
    f.open();
    QVERIFY(f.find<QWidget>("picDoor")->isVisible());
    QTest::mouseClick(f.toolButton(3), Qt::LeftButton);
    QVERIFY(!f.find<QWidget>("picDoor")->isVisible());
    QVERIFY(f.list()->isVisible());
}

void TestMainWindow::closeAndClean_emptyList_onlyCloseBlanksPreview()
{
    WindowFixture f;
    f.open();
    auto* preview = f.find<ShowImage>("prewImage");
    preview->setBackColor(0x00FFFFFF);
    QImage blue(10, 10, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    preview->setPicture(blue);
    const QPoint middle(preview->width() / 2, preview->height() / 2);

    f.addEntries({"/a.jpg", "/b.jpg"});
    f.window->runToolBarCommand(3); // Clean
    QCOMPARE(f.list()->count(), 0);
    QCOMPARE(preview->surfaceImage().pixelColor(middle), QColor(Qt::blue));

    f.addEntries({"/a.jpg"});
    f.window->runToolBarCommand(2); // Close
    QCOMPARE(f.list()->count(), 0);
    QCOMPARE(preview->surfaceImage().pixelColor(middle), QColor(Qt::white));

    f.window->runToolBarCommand(7); // no such button: nothing happens
    f.window->runToolBarCommand(-1);
    QVERIFY(f.window->isVisible());
}

void TestMainWindow::move_selected_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("selected");
    QTest::addColumn<bool>("focusOnly"); // the entry is current, as tabbing into the list makes it, not selected
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("selectedAfter");
    QTest::newRow("down from the third of five") << 4 << 2 << false << "a b d c e" << 3;
    QTest::newRow("up from the third of five") << 6 << 2 << false << "a c b d e" << 1;
    QTest::newRow("down from the last") << 4 << 4 << false << "a b c d e" << 4;
    QTest::newRow("up from the first") << 6 << 0 << false << "a b c d e" << 0;
    QTest::newRow("down with nothing selected") << 4 << -1 << false << "a b c d e" << -1;
    QTest::newRow("up with nothing selected") << 6 << -1 << false << "a b c d e" << -1;
    QTest::newRow("down with the first only current") << 4 << 0 << true << "a b c d e" << -1;
    QTest::newRow("up with the third only current") << 6 << 2 << true << "a b c d e" << -1;
}

void TestMainWindow::move_selected()
{
    QFETCH(int, button);
    QFETCH(int, selected);
    QFETCH(bool, focusOnly);
    QFETCH(QString, expected);
    QFETCH(int, selectedAfter);
    WindowFixture f;
    f.open();
    f.addEntries({"a", "b", "c", "d", "e"});
    QListWidget* list = f.list();
    if (focusOnly) {
        list->selectionModel()->setCurrentIndex(list->model()->index(selected, 0), QItemSelectionModel::NoUpdate);
    } else {
        list->setCurrentRow(selected);
    }
    QTest::mouseClick(f.toolButton(button), Qt::LeftButton);
    QCOMPARE(f.entries().join(QLatin1Char(' ')), expected);
    const QList<QListWidgetItem*> selectedItems = list->selectedItems();
    QCOMPARE(selectedItems.isEmpty() ? -1 : list->row(selectedItems.constFirst()), selectedAfter);
    QVERIFY2(f.text("lblPageNum").endsWith(QStringLiteral(": %1").arg(selectedAfter + 1)),
             qPrintable(f.text("lblPageNum")));
}

void TestMainWindow::rotate_selected_turnTravelsWithEntryToItsPage()
{
    WindowFixture f;
    frmPrinting& w = f.open();
    f.addEntries({"a", "b", "c"});
    const auto turns = [&] {
        QList<int> all;
        for (int row = 0; row < f.list()->count(); ++row) {
            all << f.list()->item(row)->data(ImageListWidget::kQuarterTurnsRole).toInt();
        }
        return all;
    };
    f.list()->setCurrentRow(1);
    QTest::mouseClick(f.toolButton(RotateRight), Qt::LeftButton);
    QTest::mouseClick(f.toolButton(RotateRight), Qt::LeftButton);
    f.list()->setCurrentRow(2);
    QTest::keyClick(&w, Qt::Key_L, Qt::ControlModifier);
    QCOMPARE(turns(), (QList<int>{0, 2, 3}));
    QTest::keyClick(&w, Qt::Key_R, Qt::ControlModifier); // four quarters are none
    f.list()->setCurrentRow(1);
    QTest::mouseClick(f.toolButton(MoveDown), Qt::LeftButton);
    QCOMPARE(f.entries(), (QStringList{"a", "c", "b"}));
    QCOMPARE(turns(), (QList<int>{0, 0, 2}));

    f.dialogs.saveAnswers.push_back(f.folder.file(QStringLiteral("turned.pdf")));
    f.click(QStringLiteral("Command3"));
    QCOMPARE(f.stagesLog->turns, (QList<int>{0, 0, 2}));
    // The run emptied the list; an entry added again starts upright.
    f.addEntries({"b"});
    QCOMPARE(turns(), QList<int>{0});
}

void TestMainWindow::pageChoices_keptBesideWindowState_settingsFileKeepsItsLines()
{
    WindowFixture f;
    f.windowStateFile = f.folder.file(QStringLiteral("config/window.conf"));
    const QByteArray settings("\"T\"\r\n\"A\"\r\n\"S\"\r\n\"K\"\r\n\"45\"\r\n");
    QFile file(f.programFolder + QStringLiteral("/setting.dll"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(settings) == settings.size());
    file.close();
    frmPrinting& w = f.open();
    auto* paper = f.find<QComboBox>("cboPageSize");
    auto* orientation = f.find<QComboBox>("cboOrientation");
    auto* margin = f.find<QSpinBox>("spnMargin");
    paper->setCurrentIndex(paper->findText(QStringLiteral("A5")));
    QVERIFY(orientation->isEnabled() && margin->isEnabled());
    orientation->setCurrentIndex(orientation->findText(QStringLiteral("Landscape")));
    margin->setValue(25);
    f.find<QCheckBox>("chkKeepOriginal")->setChecked(true);
    QVERIFY(!f.find<QSlider>("Slider1")->isEnabled()); // a kept original is not compressed again
    w.close();
    f.window.reset();
    QVERIFY(QFile::exists(f.folder.file(QStringLiteral("config/pages.conf"))));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), settings);
    file.close();

    f.open();
    QCOMPARE(f.find<QComboBox>("cboPageSize")->currentText(), QStringLiteral("A5"));
    QCOMPARE(f.find<QComboBox>("cboOrientation")->currentText(), QStringLiteral("Landscape"));
    QCOMPARE(f.find<QSpinBox>("spnMargin")->value(), 25);
    QVERIFY(f.find<QCheckBox>("chkKeepOriginal")->isChecked());
    QVERIFY(!f.find<QSlider>("Slider1")->isEnabled());
    QCOMPARE(f.text("lblQuality"), QStringLiteral("45%"));
}

void TestMainWindow::pageNumber_followsSelection()
{
    WindowFixture f;
    f.open();
    f.addEntries({"a", "b", "c"});
    QCOMPARE(f.text("lblPageNum"), QStringLiteral("Page Number Of Selected File: 0")); // adding selects nothing
    f.list()->setCurrentRow(2);
    QCOMPARE(f.text("lblPageNum"), QStringLiteral("Page Number of Selected File: 3"));
    f.list()->setCurrentRow(0);
    QCOMPARE(f.text("lblPageNum"), QStringLiteral("Page Number of Selected File: 1"));
    f.list()->clearSelection(); // the entry stays current
    QCOMPARE(f.text("lblPageNum"), QStringLiteral("Page Number of Selected File: 0"));
}

void TestMainWindow::about_showsNotice_thenFocusOnLastToolButton()
{
    WindowFixture f;
    f.open();
    f.find<QAction>("menuAbout")->trigger();
    QCOMPARE(f.messages.shown().size(), 1);
    QCOMPARE(f.messages.shown().first().title, QStringLiteral("about"));
    QCOMPARE(f.messages.shown().first().icon, MessageIcon::None);
    QVERIFY(f.messages.shown().first().text.contains(QStringLiteral("Pagewell")));
    QCOMPARE(f.window->focusWidget(), f.toolButton(8));
}

void TestMainWindow::website_opensAddress()
{
    WindowFixture f;
    f.open();
    f.find<QAction>("menuWeb")->trigger();
    QCOMPARE(f.opener.opened(), QList<QUrl>{QUrl(QString::fromLatin1(frmPrinting::kWebsiteAddress))});
}

void TestMainWindow::browse_confirmedAndCancelled()
{
    WindowFixture f;
    f.open();
    f.dialogs.folderAnswers.push_back(QStringLiteral("/data"));
    f.click("cmdBrowse");
    QCOMPARE(f.text("txtPath"), QStringLiteral("/data"));
    QCOMPARE(f.dialogs.folderCaptions.last(), QStringLiteral("Please select a folder:"));
    QCOMPARE(f.window->focusWidget(), f.toolButton(8));

    f.find<QLineEdit>("txtPath")->setText(QStringLiteral("/typed/by/user"));
    f.click("cmdBrowse"); // cancelled
    QCOMPARE(f.text("txtPath"), f.programFolder + QStringLiteral("/output"));
}

void TestMainWindow::addFolder_appendsTreeInOrder_cancelAddsNothing()
{
    WindowFixture f;
    f.open();
    const QString root = f.folder.mkdir(QStringLiteral("tree"));
    f.folder.write(QStringLiteral("tree/a.jpg"));
    f.folder.write(QStringLiteral("tree/B/b.jpg"));
    f.folder.write(QStringLiteral("tree/B/C/c.jpg"));
    f.folder.write(QStringLiteral("tree/d.png"));
    f.folder.write(QStringLiteral("tree/E/e.gif"));
    f.folder.write(QStringLiteral("tree/notes.txt"));
    f.addEntries({"/first.jpg"});

    f.dialogs.folderAnswers.push_back(root);
    f.window->runToolBarCommand(1);
    f.waitUntilIdle();
    QCOMPARE(f.entries(), (QStringList{"/first.jpg", root + "/a.jpg", root + "/d.png", root + "/B/b.jpg",
                                       root + "/B/C/c.jpg", root + "/E/e.gif"}));
    QCOMPARE(f.dialogs.folderCaptions.last(), QStringLiteral("Please select a folder:"));

    f.window->runToolBarCommand(1); // cancelled
    QCOMPARE(f.list()->count(), 6);
}

namespace {

// Delivers the events with which a real drag ends over target (at its middle unless told), as from a file manager,
// and returns the action the drop accepted.
Qt::DropAction dropOn(QWidget* target, const QMimeData& data, std::optional<QPoint> point = {})
{
    const QPoint at = point.value_or(target->rect().center());
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &move);
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

QMimeData* filesData(const QStringList& paths)
{
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& path : paths) {
        urls << QUrl::fromLocalFile(path);
    }
    data->setUrls(urls);
    return data;
}

} // namespace

void TestMainWindow::drops_onPanelThenList_appendImagesInOrder_hidePanel()
{
    WindowFixture f;
    f.open();
    auto* panel = f.find<QWidget>("picDoor");
    const QString holiday = f.folder.mkdir(QStringLiteral("Holiday.jpg"));
    const QString plain = f.folder.mkdir(QStringLiteral("Holiday"));
    std::unique_ptr<QMimeData> first(filesData({"/p/a.jpg", "/p/notes.txt", "/p/b.TIFF"}));
    QCOMPARE(dropOn(panel, *first), Qt::CopyAction);
    QVERIFY(panel->isHidden());
    QCOMPARE(f.entries(), (QStringList{"/p/a.jpg", "/p/b.TIFF"}));

    // Drops on a list land on its viewport, as they do from a file manager.
    QWidget* list = f.list()->viewport();
    QVERIFY(list->isVisible());
    // A device (here through a link named like an image) would never end reading.
    QVERIFY(QFile::link(QStringLiteral("/dev/null"), f.folder.file(QStringLiteral("null.jpg"))));
    std::unique_ptr<QMimeData> second(
        filesData({holiday, plain, f.folder.file(QStringLiteral("null.jpg")), "/p/photojpg", "/p/a.jpg"}));
    QCOMPARE(dropOn(list, *second), Qt::CopyAction);
    QCOMPARE(f.entries(), (QStringList{"/p/a.jpg", "/p/b.TIFF", holiday, "/p/photojpg", "/p/a.jpg"}));

    QMimeData text;
    text.setText(QStringLiteral("/p/c.jpg"));
    QCOMPARE(dropOn(list, text), Qt::CopyAction); // accepted, but nothing joins
    QCOMPARE(f.list()->count(), 5);
    QCOMPARE(f.list()->currentRow(), -1); // drops select nothing
}

void TestMainWindow::dragEntry_movesItWithPageLabel_notDuringRun()
{
    WindowFixture f;
    f.open();
    f.addEntries({"a", "b", "c", "d"});
    QListWidget* list = f.list();
    // What the list itself hands a drag of the entry at row, dropped over the upper or lower half of another.
    const auto dragRow = [&](int row, int overRow, bool lowerHalf) {
        std::unique_ptr<QMimeData> data(list->model()->mimeData({list->model()->index(row, 0)}));
        const QRect over = list->visualItemRect(list->item(overRow));
        const QPoint at(over.right() - 2, lowerHalf ? over.bottom() - 1 : over.top() + 1);
        return dropOn(list->viewport(), *data, at);
    };

    list->setCurrentRow(0);
    QCOMPARE(dragRow(0, 2, true), Qt::MoveAction);
    QCOMPARE(f.entries().join(' '), QStringLiteral("b c a d"));
    QCOMPARE(list->selectedItems(), QList<QListWidgetItem*>{list->item(2)});
    QCOMPARE(f.text("lblPageNum"), QStringLiteral("Page Number of Selected File: 3"));
    QCOMPARE(dragRow(3, 0, false), Qt::MoveAction);
    QCOMPARE(f.entries().join(' '), QStringLiteral("d b c a"));
    QCOMPARE(f.text("lblPageNum"), QStringLiteral("Page Number of Selected File: 1"));
    QCOMPARE(f.list()->count(), 4);

    // A run reads the list it started with: no entry moves until it ends. The list's pictures wait meanwhile.
    Qt::DropAction duringRun = Qt::CopyAction;
    bool picturesPaused = false;
    f.stagesLog->onCall = [&](const QString& call) {
        if (call.startsWith(QStringLiteral("makePage"))) {
            duringRun = dragRow(0, 3, true);
            picturesPaused = f.window->findChild<ListPictureQueue*>()->isPaused();
        }
    };
    f.click(QStringLiteral("Command3"));
    QCOMPARE(duringRun, Qt::IgnoreAction);
    QVERIFY(picturesPaused);
    QVERIFY(!f.window->findChild<ListPictureQueue*>()->isPaused());
    QVERIFY(f.stagesLog->calls.join(QLatin1Char(' '))
                .contains(QStringLiteral("makePage:0=d makePage:1=b makePage:2=c makePage:3=a")));
}

namespace {

bool saveFilledJpeg(const QString& path, Qt::GlobalColor colour)
{
    QImage image(300, 200, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(path, "JPG");
}

// The colour in the middle of a row's picture; invalid while it has none.
QColor pictureMiddle(const QListWidgetItem* item)
{
    if (item->data(Qt::DecorationRole).typeId() != QMetaType::QPixmap) {
        return {};
    }
    const QImage picture = item->data(Qt::DecorationRole).value<QPixmap>().toImage();
    return picture.pixelColor(picture.width() / 2, picture.height() / 2);
}

} // namespace

void TestMainWindow::listPictures_rowInSight_pictureOrWarningWithoutWaiting_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("readable");
    QTest::newRow("a photo") << QStringLiteral("Urlaub größer.jpg") << true;
    QTest::newRow("a refused file named like markup") << QStringLiteral("<b>Zeugnis</b> &amp;.jpg") << false;
}

void TestMainWindow::listPictures_rowInSight_pictureOrWarningWithoutWaiting()
{
    QFETCH(QString, name);
    QFETCH(bool, readable);
    WindowFixture f;
    f.open();
    const QString path = f.folder.file(name);
    if (readable) {
        QVERIFY(saveFilledJpeg(path, Qt::red));
    } else {
        f.folder.write(name, "not really a jpeg");
    }
    f.addEntries({QStringLiteral("/first.jpg"), path});
    QListWidgetItem* item = f.list()->item(1);
    QVERIFY(!item->data(Qt::DecorationRole).isValid()); // the list did not wait for it

    if (readable) {
        QTRY_VERIFY_WITH_TIMEOUT(item->data(Qt::DecorationRole).typeId() == QMetaType::QPixmap, 30000);
        const QImage picture = item->data(Qt::DecorationRole).value<QPixmap>().toImage();
        const qreal ratio = f.list()->devicePixelRatioF();
        QCOMPARE(picture.devicePixelRatio(), ratio);
        QCOMPARE(picture.size(), QSize(qRound(72 * ratio), qRound(48 * ratio))); // 48 high, sharp when scaled
        const QColor middle = pictureMiddle(item);
        QVERIFY2(middle.red() > 200 && middle.green() < 60 && middle.blue() < 60, qPrintable(middle.name()));
        QVERIFY(!item->data(Qt::ToolTipRole).isValid());
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(item->data(Qt::AccessibleDescriptionRole).isValid(), 30000);
        const QString reason = item->data(Qt::AccessibleDescriptionRole).toString();
        QVERIFY2(reason.contains(QStringLiteral("\"%1\" is not an image").arg(path)), qPrintable(reason));
        QCOMPARE(item->data(Qt::DecorationRole).typeId(), QMetaType::QIcon);
        // The tool tip reads as the reason does, the name as written, whatever it looks like.
        const QString tip = item->data(Qt::ToolTipRole).toString();
        QTextDocument shown;
        shown.setHtml(tip);
        QVERIFY(Qt::mightBeRichText(tip));
        QCOMPARE(shown.toPlainText().simplified(), reason.simplified());
    }
    // The refused /first.jpg shows its warning too; the entries read and are named as ever.
    QTRY_VERIFY_WITH_TIMEOUT(f.list()->item(0)->data(Qt::AccessibleDescriptionRole).isValid(), 30000);
    QCOMPARE(f.entries(), (QStringList{QStringLiteral("/first.jpg"), path}));
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(f.list());
    QVERIFY(list != nullptr && list->childCount() >= 2);
    QCOMPARE(list->child(1)->text(QAccessible::Name), path);
    QCOMPARE(list->child(1)->text(QAccessible::Description), item->data(Qt::AccessibleDescriptionRole).toString());
}

void TestMainWindow::listPictures_fileChanged_pictureMadeAgain()
{
    WindowFixture f;
    f.open();
    const QString path = f.folder.file(QStringLiteral("photo.jpg"));
    QVERIFY(saveFilledJpeg(path, Qt::red));
    // Its next version differs in time whatever the file system's clock resolution.
    QFile older(path);
    QVERIFY(older.open(QIODevice::ReadOnly) &&
            older.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    older.close();
    f.addEntries({path});
    QListWidgetItem* item = f.list()->item(0);
    QTRY_VERIFY_WITH_TIMEOUT(pictureMiddle(item).red() > 200, 30000);

    QVERIFY(saveFilledJpeg(path, Qt::blue));
    f.addEntries({QStringLiteral("/another.jpg")}); // the list looks at its pictures again
    QTRY_VERIFY_WITH_TIMEOUT(pictureMiddle(item).blue() > 200, 30000);
    QVERIFY2(pictureMiddle(item).red() < 60, qPrintable(pictureMiddle(item).name()));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
