// The accessibility recorder below registers as a plugin built into this program.
#define QT_STATICPLUGIN

#include "app/CommandLine.h"
#include "app/GettingStartedPicture.h"
#include "app/ProgramArt.h"
#include "platform/Skin.h"
#include "support/PdfProbe.h"
#include "support/ProcessProbe.h"
#include "support/TestFolder.h"
#include "support/WindowFixture.h"

#include <QAccessible>
#include <QAccessibleBridge>
#include <QAccessibleBridgePlugin>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QSlider>
#include <QTest>
#include <QtPlugin>

#include <csignal>

#include <sys/stat.h>

// The window as a desktop program: files from the command line, keyboard use, the settings file's place, and the
// program's own art.
class TestDesktop : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commandLineFiles_givesFullPaths_data();
    void commandLineFiles_givesFullPaths();
    void program_optionsOrNoDisplay_answeredWithoutWindow_data();
    void program_optionsOrNoDisplay_answeredWithoutWindow();
    void terminalRun_imagesAndFolder_documentOrNothingLeft_data();
    void terminalRun_imagesAndFolder_documentOrNothingLeft();
    void addDroppedPaths_imagesJoinInOrder_panelHides();
    void addDroppedPaths_noImagesOrRunUnderWay_nothingChanges();
    void deleteKey_removesSelected_labelFollows_data();
    void deleteKey_removesSelected_labelFollows();
    void deleteKey_inTextField_editsTextOnly();
    void shortcuts_openExitMoveConvert();
    void keyPressedWhileACommandWaits_runsAfterIt();
    void tab_reachesEveryControl_withVisibleFocus();
    void screenReader_namesValuesAndChangesHeard();
    void settingsAndFirstSave_useTheRightFolder_data();
    void settingsAndFirstSave_useTheRightFolder();
    void art_iconsAndPicture_sharpAtDoubleScale();
};

namespace {

// Stands where the desktop's accessibility bridge stands and keeps what a screen reader would be told.
QList<std::pair<QObject*, QAccessible::Event>> heardEvents;

class RecordingBridge final : public QAccessibleBridge
{
public:
    void setRootObject(QAccessibleInterface*) override {}
    void notifyAccessibilityUpdate(QAccessibleEvent* event) override
    {
        heardEvents.append({event->object(), event->type()});
    }
};

class RecordingBridgePlugin final : public QAccessibleBridgePlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QAccessibleBridgeFactoryInterface_iid FILE "recording-bridge.json")
public:
    // Qt keeps the bridge until the program ends and never deletes it.
    QAccessibleBridge* create(const QString&) override
    {
        static RecordingBridge bridge;
        return &bridge;
    }
};

bool heard(QObject* object, QAccessible::Event type)
{
    return heardEvents.contains(std::pair<QObject*, QAccessible::Event>(object, type));
}

// A second start of the program over the fixture's folders, with the settings place chosen by the test.
std::unique_ptr<frmPrinting> openWindow(WindowFixture& f, Skin& skin, const QString& programFolder,
                                        const QString& configFolder, bool installed)
{
    AppServices services = f.services(f.makeStages);
    services.skin = &skin;
    services.programFolder = programFolder;
    services.homeFolder = f.homeFolder;
    services.configFolder = configFolder;
    services.installedProgram = installed;
    auto window = std::make_unique<frmPrinting>(services);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get())) {
        qWarning("the window was not exposed");
    }
    return window;
}

// The built program's environment on a terminal without any display (ssh, a console, a packaging script, cron):
// QT_QPA_PLATFORM unset and DISPLAY empty.
QProcessEnvironment withoutDisplay()
{
    QProcessEnvironment environment;
    const QProcessEnvironment ours = QProcessEnvironment::systemEnvironment();
    for (const QString kept : {"HOME", "PATH", "XDG_CACHE_HOME", "ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"}) {
        if (ours.contains(kept)) {
            environment.insert(kept, ours.value(kept));
        }
    }
    environment.insert(QStringLiteral("DISPLAY"), QString());
    return environment;
}

// The processes whose parent is pid.
QList<qint64> childrenOf(qint64 pid)
{
    QList<qint64> children;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (entry.toLongLong() <= 0 || !stat.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields.at(1).toLongLong() == pid) {
            children.append(entry.toLongLong());
        }
    }
    return children;
}

} // namespace

void TestDesktop::commandLineFiles_givesFullPaths_data()
{
    // The arguments after the program's name, as the program gets them.
    QTest::addColumn<QByteArrayList>("arguments");
    QTest::addColumn<QByteArrayList>("expected");
    QTest::newRow("absolute kept") << QByteArrayList{"/pics/a.jpg", "/pics/b.png"}
                                   << QByteArrayList{"/pics/a.jpg", "/pics/b.png"};
    QTest::newRow("relative from the working folder")
        << QByteArrayList{"a.jpg", "sub/../b.tif", "./c d.gif"}
        << QByteArrayList{"/home/ann/a.jpg", "/home/ann/b.tif", "/home/ann/c d.gif"};
    QTest::newRow("file URLs decoded") << QByteArrayList{"file:///pics/gr%C3%BCn%20x.jpg", "FILE://localhost/l.png"}
                                       << QByteArrayList{"/pics/gr\xc3\xbcn x.jpg", "/l.png"};
    QTest::newRow("names that are not UTF-8 kept byte for byte")
        << QByteArrayList{"caf\xe9.jpg", "/x/\xff\xfe/../\xc0\xaf.png", "file:///x/caf%E9.jpg"}
        << QByteArrayList{"/home/ann/caf\xe9.jpg", "/x/\xc0\xaf.png", "/x/caf\xe9.jpg"};
    QTest::newRow("remote URL, empty argument and end of options left out")
        << QByteArrayList{"", "file://server/share/a.jpg", "--", "/pics/z.bmp", "--"}
        << QByteArrayList{"/pics/z.bmp", "/home/ann/--"};
}

void TestDesktop::commandLineFiles_givesFullPaths()
{
    QFETCH(QByteArrayList, arguments);
    QFETCH(QByteArrayList, expected);
    std::vector<char*> argv{const_cast<char*>("pagewell")};
    for (QByteArray& argument : arguments) {
        argv.push_back(argument.data());
    }
    QCOMPARE(commandLineFiles(fileArguments(int(argv.size()), argv.data()), "/home/ann"), expected);
}

void TestDesktop::program_optionsOrNoDisplay_answeredWithoutWindow_data()
{
    // The built program on a terminal without any display (ssh, a console, a packaging script).
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("qpaPlatform");
    QTest::addColumn<int>("exitStatus");
    QTest::addColumn<QByteArray>("output"); // what standard output starts with
    QTest::addColumn<QByteArray>("error");  // the one line on standard error, in part; empty: nothing there
    const QByteArray usage = "Usage: pagewell [OPTION]... [--] [IMAGE]...\n";
    const QByteArray noSession = "pagewell: no graphical session";
    QTest::newRow("help") << QStringList{"--help"} << QString() << 0 << usage << QByteArray();
    QTest::newRow("short help after Qt's own option")
        << QStringList{"-style", "fusion", "-h", "a.jpg"} << QString() << 0 << usage << QByteArray();
    QTest::newRow("version") << QStringList{"--version"} << QString() << 0
                             << QByteArray("Pagewell " PAGEWELL_VERSION "\n") << QByteArray();
    QTest::newRow("unknown option, even before help")
        << QStringList{"--bogus", "--help"} << QString() << 2 << QByteArray() << QByteArray("'--bogus'");
    QTest::newRow("unknown option with offscreen Qt")
        << QStringList{"-x"} << QStringLiteral("offscreen") << 2 << QByteArray() << QByteArray("'-x'");
    QTest::newRow("no options") << QStringList{} << QString() << 1 << QByteArray() << noSession;
    QTest::newRow("images, help after the end of options")
        << QStringList{"a.jpg", "--", "--help"} << QString() << 1 << QByteArray() << noSession;
    QTest::newRow("a platform that needs a display")
        << QStringList{"a.jpg"} << QStringLiteral("wayland;xcb") << 1 << QByteArray() << noSession;
    QTest::newRow("help, even with -o") << QStringList{"-o", "out.pdf", "a.jpg", "--help"} << QString() << 0 << usage
                                        << QByteArray();
    QTest::newRow("an option of the terminal's conversion without -o")
        << QStringList{"--title", "-o", "a.jpg"} << QString() << 2 << QByteArray() << QByteArray("'--title'");
    QTest::newRow("-o without images") << QStringList{"-o", "out.pdf", "--quiet"} << QString() << 2 << QByteArray()
                                       << QByteArray("no image");
    QTest::newRow("-o with an unknown option")
        << QStringList{"-o", "out.pdf", "a.jpg", "--bogus"} << QString() << 2 << QByteArray() << QByteArray("--bogus");
    QTest::newRow("-o with a quality out of range") << QStringList{"--quality=0", "-o", "out.pdf", "a.jpg"} << QString()
                                                    << 2 << QByteArray() << QByteArray("--quality");
    QTest::newRow("-o with a paper nobody knows") << QStringList{"-o", "out.pdf", "--page-size", "b5", "a.jpg"}
                                                  << QString() << 2 << QByteArray() << QByteArray("--page-size");
    QTest::newRow("-o with an orientation nobody knows")
        << QStringList{"-o", "out.pdf", "--orientation", "upside-down", "a.jpg"} << QString() << 2 << QByteArray()
        << QByteArray("--orientation");
    QTest::newRow("-o with too wide a margin") << QStringList{"-o", "out.pdf", "--margin", "51", "a.jpg"} << QString()
                                               << 2 << QByteArray() << QByteArray("--margin");
    QTest::newRow("-o with a day that does not exist")
        << QStringList{"-o", "out.pdf", "--date", "D:20240230120000+01'00", "a.jpg"} << QString() << 2 << QByteArray()
        << QByteArray("--date");
}

void TestDesktop::program_optionsOrNoDisplay_answeredWithoutWindow()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, qpaPlatform);
    QFETCH(int, exitStatus);
    QFETCH(QByteArray, output);
    QFETCH(QByteArray, error);

    QProcessEnvironment environment = withoutDisplay();
    if (!qpaPlatform.isEmpty()) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), qpaPlatform);
    }
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(PAGEWELL_PROGRAM), arguments);
    QVERIFY(program.waitForFinished(60000));
    const QByteArray standardError = program.readAllStandardError();
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), exitStatus);
    QVERIFY2(program.readAllStandardOutput().startsWith(output), standardError.constData());
    if (error.isEmpty()) {
        QCOMPARE(standardError, QByteArray());
    } else {
        QVERIFY2(standardError.contains(error) && standardError.count('\n') == 1 && standardError.endsWith('\n'),
                 standardError.constData());
    }
}

void TestDesktop::terminalRun_imagesAndFolder_documentOrNothingLeft_data()
{
    // pagewell -o on a terminal without a display; {dir} is the images' folder, {out} a document already there.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitStatus");        // -1: ended by SIGTERM, sent while the second image is read
    QTest::addColumn<QList<int>>("pageWidths"); // the widths of the images the pages show, in order; empty: none
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("creationDate"); // empty: not looked at
    QTest::addColumn<QByteArray>("error");     // part of standard error; empty: nothing there
    QTest::newRow("three images and a folder, in order, with the information given")
        << QStringList{"{dir}/c.png",
                       "{dir}/a.jpg",
                       "{dir}/notes.txt",
                       "{dir}/b.png",
                       "{dir}/scans",
                       "--title",
                       "Zürich 2024",
                       "--date=2024-01-02T03:04:05+01:00",
                       "--quality",
                       "90",
                       "-o",
                       "{out}"}
        << 0 << QList<int>{220, 200, 240, 160, 180} << QStringLiteral("Zürich 2024")
        << QStringLiteral("D:20240102030405+01'00") << QByteArray("notes.txt\" is not an image");
    QTest::newRow("to standard output, quiet, the window's first values")
        << QStringList{"-q", "-o", "-", "{dir}/a.jpg"} << 0 << QList<int>{200} << QStringLiteral("New PDF Document")
        << QString() << QByteArray();
    QTest::newRow("a bad image: status 1 and the document as it was")
        << QStringList{"-o", "{out}", "{dir}/a.jpg", "{dir}/broken.jpg"} << 1 << QList<int>{} << QString() << QString()
        << QByteArray("broken.jpg");
    QTest::newRow("SIGTERM mid-run: no workspace, no helper, the document as it was")
        << QStringList{"-o", "{out}", "{dir}/a.jpg", "{dir}/loops.png"} << -1 << QList<int>{} << QString() << QString()
        << QByteArray("Image 2 of 2");
}

void TestDesktop::terminalRun_imagesAndFolder_documentOrNothingLeft()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitStatus);
    QFETCH(QList<int>, pageWidths);
    QFETCH(QString, title);
    QFETCH(QString, creationDate);
    QFETCH(QByteArray, error);

    TestFolder folder;
    const QString dir = folder.mkdir(QStringLiteral("images"));
    folder.mkdir(QStringLiteral("images/scans/.hidden"));
    const QList<std::pair<QString, int>> pictures{{"c.png", 220},           {"a.jpg", 200},
                                                  {"b.png", 240},           {"scans/IMG_10.png", 180},
                                                  {"scans/IMG_2.jpg", 160}, {"scans/.hidden/IMG_1.png", 260}};
    for (const auto& [name, width] : pictures) {
        QVERIFY(makeTestPicture(width, 120).save(dir + QLatin1Char('/') + name));
    }
    folder.write(QStringLiteral("images/notes.txt"), "a note");
    folder.write(QStringLiteral("images/broken.jpg"), "not a JPEG at all");
    // The image reader loops on it until it is stopped.
    QVERIFY(QFile::copy(QStringLiteral(PAGEWELL_HOSTILE_DIR "/iff-endless-loop.png"), dir + "/loops.png"));
    const QByteArray older = "the document that was there";
    const QString out = folder.write(QStringLiteral("out.pdf"), older);
    const QString temporary = folder.mkdir(QStringLiteral("tmp"));

    QProcessEnvironment environment = withoutDisplay();
    environment.insert(QStringLiteral("TMPDIR"), temporary);
    QProcess program;
    program.setProcessEnvironment(environment);
    const bool toStandardOutput = arguments.contains(QStringLiteral("-"));
    const QString document = toStandardOutput ? folder.file(QStringLiteral("standard output.pdf")) : out;
    if (toStandardOutput) {
        program.setStandardOutputFile(document);
    }
    arguments.replaceInStrings(QStringLiteral("{dir}"), dir).replaceInStrings(QStringLiteral("{out}"), out);
    program.start(QStringLiteral(PAGEWELL_PROGRAM), arguments);
    QByteArray standardError;
    QList<qint64> helpers;
    if (exitStatus < 0) {
        QTRY_VERIFY_WITH_TIMEOUT((standardError += program.readAllStandardError()).contains(error), 120000);
        helpers = childrenOf(program.processId());
        QVERIFY(!helpers.isEmpty());
        QCOMPARE(::kill(pid_t(program.processId()), SIGTERM), 0);
    }
    QVERIFY(program.waitForFinished(600000));
    standardError += program.readAllStandardError();

    if (exitStatus < 0) {
        QCOMPARE(program.exitStatus(), QProcess::CrashExit);
    } else {
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QVERIFY2(program.exitCode() == exitStatus, standardError.constData());
    }
    QVERIFY2(error.isEmpty() ? standardError.isEmpty() : standardError.contains(error), standardError.constData());
    QVERIFY2(QDir(temporary).isEmpty(), "a workspace was left in the temporary folder");
    for (const qint64 helper : std::as_const(helpers)) {
        // SIGKILL is sent, not waited for.
        QTRY_VERIFY_WITH_TIMEOUT(processGone(helper), 20000);
    }
    if (pageWidths.isEmpty()) {
        QFile kept(out);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), older);
        return;
    }
    QVERIFY(PdfProbe::passesQpdfCheck(document));
    const QList<QSizeF> pages = PdfProbe::pageSizes(document);
    QCOMPARE(pages.size(), pageWidths.size());
    for (int i = 0; i < pages.size(); ++i) {
        // Each picture is 120 pixels high: its page's shape tells which it is.
        QVERIFY2(qAbs(pages.at(i).width() / pages.at(i).height() - pageWidths.at(i) / 120.0) < 0.02,
                 qPrintable(QStringLiteral("page %1").arg(i + 1)));
    }
    QCOMPARE(PdfProbe::info(document).value(QStringLiteral("Title")), title);
    if (!creationDate.isEmpty()) {
        QCOMPARE(PdfProbe::rawInfo(document).value(QStringLiteral("CreationDate")), creationDate);
    }
}

void TestDesktop::addDroppedPaths_imagesJoinInOrder_panelHides()
{
    WindowFixture f;
    frmPrinting& w = f.open();
    f.addEntries({QStringLiteral("/already/there.jpg")});
    QVERIFY(f.find<QWidget>("picDoor")->isVisible());

    // A FIFO named like an image would hang the run that opens it.
    const QString fifo = f.folder.file(QStringLiteral("pipe.jpg"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const int joined = w.addDroppedPaths(
        {"/p/z.JPEG", "/p/notes.txt", "/p/a.png", QFile::encodeName(fifo), "/p/z.JPEG", "/p/folder.d"});

    QCOMPARE(joined, 3);
    QCOMPARE(f.entries(), (QStringList{"/already/there.jpg", "/p/z.JPEG", "/p/a.png", "/p/z.JPEG"}));
    QVERIFY(!f.find<QWidget>("picDoor")->isVisible());
    QVERIFY(f.list()->isVisible());
    QCOMPARE(f.list()->currentRow(), -1); // adding never selects
}

void TestDesktop::addDroppedPaths_noImagesOrRunUnderWay_nothingChanges()
{
    WindowFixture f;
    frmPrinting& w = f.open();
    QCOMPARE(w.addDroppedPaths({"/p/readme.txt"}), 0);
    QCOMPARE(w.addDroppedPaths({}), 0);
    QVERIFY(f.find<QWidget>("picDoor")->isVisible()); // nothing joined: the guide stays

    // Files handed in while a run owns the list wait for nobody: they are refused like a drop.
    f.addEntries({QStringLiteral("/p/one.jpg")});
    int joinedDuringRun = -1;
    f.stagesLog->onCall = [&](const QString& call) {
        if (call == QStringLiteral("checkTools")) {
            return;
        }
        if (joinedDuringRun < 0) {
            joinedDuringRun = w.addDroppedPaths({"/p/late.jpg"});
        }
    };
    f.click(QStringLiteral("Command3"));
    QCOMPARE(joinedDuringRun, 0);
    QVERIFY(!f.entries().contains(QStringLiteral("/p/late.jpg")));
}

void TestDesktop::deleteKey_removesSelected_labelFollows_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QStringList>("remaining");
    QTest::addColumn<int>("selectedAfter");
    QTest::addColumn<QString>("label"); // empty: as before the key
    QTest::newRow("middle: the next one is selected")
        << 4 << 1 << QStringList{"0", "2", "3"} << 1 << "Page Number of Selected File: 2";
    QTest::newRow("last: the new last one is selected")
        << 3 << 2 << QStringList{"0", "1"} << 1 << "Page Number of Selected File: 2";
    QTest::newRow("only entry: list empty") << 1 << 0 << QStringList{} << -1 << "Page Number of Selected File: 0";
    QTest::newRow("nothing selected: nothing removed") << 2 << -1 << QStringList{"0", "1"} << 0 << QString();
}

void TestDesktop::deleteKey_removesSelected_labelFollows()
{
    QFETCH(int, count);
    QFETCH(int, selected);
    QFETCH(QStringList, remaining);
    QFETCH(int, selectedAfter);
    QFETCH(QString, label);

    WindowFixture f;
    f.open();
    for (int i = 0; i < count; ++i) {
        f.addEntries({QStringLiteral("/p/%1.jpg").arg(i)});
    }
    f.list()->setFocus();
    QTRY_VERIFY(f.list()->hasFocus());
    if (selected >= 0) {
        f.list()->setCurrentRow(selected);
    } else {
        f.list()->clearSelection(); // the focus made the first entry current, but it is not selected
    }
    const QString labelBefore = f.text("lblPageNum");

    QTest::keyClick(f.list(), Qt::Key_Delete);

    QStringList expected;
    for (const QString& n : remaining) {
        expected << QStringLiteral("/p/%1.jpg").arg(n);
    }
    QCOMPARE(f.entries(), expected);
    QCOMPARE(f.list()->currentRow(), selectedAfter);
    QCOMPARE(f.text("lblPageNum"), label.isEmpty() ? labelBefore : label);
}

void TestDesktop::deleteKey_inTextField_editsTextOnly()
{
    WindowFixture f;
    f.open();
    f.addEntries({QStringLiteral("/p/a.jpg"), QStringLiteral("/p/b.jpg")});
    f.list()->setCurrentRow(0);
    auto* title = f.find<QLineEdit>("txtTitle");
    title->setFocus();
    QTRY_VERIFY(title->hasFocus());
    title->setCursorPosition(0);
    QTest::keyClick(title, Qt::Key_Delete);
    QCOMPARE(title->text(), QStringLiteral("ew PDF Document"));
    QCOMPARE(f.entries().size(), 2);
}

void TestDesktop::shortcuts_openExitMoveConvert()
{
    WindowFixture f;
    frmPrinting& w = f.open();
    QTRY_VERIFY(w.isActiveWindow());
    QWidget* focus = f.find<QWidget>("txtKeywords");
    focus->setFocus();

    // Ctrl+O is Open a File.
    f.dialogs.openAnswers.push_back(QStringLiteral("/pictures/cat.png"));
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(f.dialogs.openRequests.size(), 1);
    QCOMPARE(f.entries(), QStringList{QStringLiteral("/pictures/cat.png")});

    // Ctrl+Shift+O is Add Folder (cancelled here: nothing joins).
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(f.dialogs.folderCaptions, QStringList{QStringLiteral("Please select a folder:")});
    QCOMPARE(f.list()->count(), 1);

    // Alt+Down and Alt+Up move the selected entry, wherever the focus is.
    f.addEntries({QStringLiteral("/pictures/dog.png"), QStringLiteral("/pictures/owl.png")});
    f.list()->setCurrentRow(0);
    focus->setFocus();
    QTest::keyClick(focus, Qt::Key_Down, Qt::AltModifier);
    QCOMPARE(f.entries(), (QStringList{"/pictures/dog.png", "/pictures/cat.png", "/pictures/owl.png"}));
    QCOMPARE(f.text("lblPageNum"), QStringLiteral("Page Number of Selected File: 2"));
    QTest::keyClick(focus, Qt::Key_Down, Qt::AltModifier);
    QTest::keyClick(focus, Qt::Key_Up, Qt::AltModifier);
    QTest::keyClick(focus, Qt::Key_Up, Qt::AltModifier);
    QCOMPARE(f.entries(), (QStringList{"/pictures/cat.png", "/pictures/dog.png", "/pictures/owl.png"}));
    QCOMPARE(f.list()->currentRow(), 0);

    // Ctrl+Return (and the keypad's Enter) is Convert To PDF Now.
    QTest::keyClick(focus, Qt::Key_Return, Qt::ControlModifier);
    f.waitUntilIdle();
    QVERIFY(f.stagesLog->calls.contains(QStringLiteral("makePage:2=/pictures/owl.png")));
    f.stagesLog->calls.clear();
    f.addEntries({QStringLiteral("/pictures/bee.png")});
    QTest::keyClick(focus, Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
    f.waitUntilIdle();
    QVERIFY(f.stagesLog->calls.contains(QStringLiteral("checkTools")));

    // Ctrl+Q is Exit.
    QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!w.isVisible());
}

void TestDesktop::keyPressedWhileACommandWaits_runsAfterIt()
{
    WindowFixture f;
    frmPrinting& w = f.open();
    QTRY_VERIFY(w.isActiveWindow());
    const QString more = f.folder.mkdir(QStringLiteral("more"));
    f.folder.write(QStringLiteral("more/second.jpg"));
    f.dialogs.openAnswers.push_back(QStringLiteral("/pictures/first.png"));
    f.dialogs.folderAnswers.push_back(more);
    // Ctrl+Shift+O pressed as the open dialog closes is taken while Open a File still lets the window process its
    // events; run then, its folder's images would be emptied from the list by the open that is under way.
    bool pressed = false;
    f.dialogs.whileOpen = [&] {
        if (!std::exchange(pressed, true)) {
            QMetaObject::invokeMethod(
                &w, [&w] { QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier); },
                Qt::QueuedConnection);
        }
    };
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    QTRY_COMPARE(f.entries(),
                 (QStringList{QStringLiteral("/pictures/first.png"), more + QStringLiteral("/second.jpg")}));
}

void TestDesktop::tab_reachesEveryControl_withVisibleFocus()
{
    WindowFixture f;
    PagewellSkin skin; // the look the program really has
    auto window = openWindow(f, skin, f.programFolder, f.folder.mkdir(QStringLiteral("config")), false);
    window->activateWindow();
    QTRY_VERIFY(window->isActiveWindow());
    window->runToolBarCommand(3); // hides the guide over the list

    // Orientation and margin wait, disabled, until a paper size is chosen.
    const QStringList controls = {
        "txtTitle",      "txtCreationDate", "txtCreateFor",    "txtSubject",    "txtKeywords",   "Command1",
        "Command3",      "List1",           "chkKeepOriginal", "Slider1",       "cboPageSize",   "txtPath",
        "cmdBrowse",     "CmdToolsBar_0",   "CmdToolsBar_1",   "CmdToolsBar_2", "CmdToolsBar_3", "CmdToolsBar_4",
        "CmdToolsBar_5", "CmdToolsBar_6",   "CmdToolsBar_7",   "CmdToolsBar_8"};
    window->findChild<QWidget*>(QStringLiteral("txtTitle"))->setFocus();
    QStringList reached;
    for (int i = 0; i < 2 * controls.size() && !reached.contains(QApplication::focusWidget()->objectName()); ++i) {
        reached << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(reached, controls);

    // Every control looks different with the focus than without it.
    QWidget* elsewhere = window->findChild<QWidget*>(QStringLiteral("txtKeywords"));
    for (const QString& name : controls) {
        auto* control = window->findChild<QWidget*>(name);
        QWidget* other = control == elsewhere ? window->findChild<QWidget*>(QStringLiteral("txtTitle")) : elsewhere;
        other->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(other->hasFocus());
        const QImage without = control->grab().toImage();
        control->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(control->hasFocus());
        const QImage with = control->grab().toImage();
        QVERIFY2(with != without, qPrintable(name + QStringLiteral(" shows no focus")));
        if (auto* button = qobject_cast<QAbstractButton*>(control); button && name.startsWith("CmdToolsBar")) {
            QCOMPARE(button->accessibleName(), button->text());
        }
    }
    window->close();
}

void TestDesktop::screenReader_namesValuesAndChangesHeard()
{
    WindowFixture f;
    f.open();
    const auto accessible = [&f](const QString& name) {
        return QAccessible::queryAccessibleInterface(f.find<QWidget>(name));
    };
    // clang-format off
    const QList<std::pair<QString, QString>> names = {
        {"txtTitle", "PDF Document Title"}, {"txtCreateFor", "PDF Author"}, {"txtCreationDate", "Creation Date"},
        {"txtSubject", "Subject"}, {"txtKeywords", "Keywords"}, {"Command1", "Now"}, {"List1", "File List"},
        {"Slider1", "Compress Quality"}, {"txtPath", "Output Path"}, {"cmdBrowse", "Browse"},
        {"Command3", "Convert To PDF Now"}, {"pb", "Conversion progress"}, {"prewImage", "Preview"},
        {"picDoor", "Getting started"}};
    // clang-format on
    for (const auto& [object, name] : names) {
        QCOMPARE(accessible(object)->text(QAccessible::Name), name);
    }
    QVERIFY(accessible("picDoor")->text(QAccessible::Description).contains(QStringLiteral("Convert To PDF Now")));
    QVERIFY(accessible("picDoor")->state().focusable);
    QCOMPARE(accessible("txtPath")->text(QAccessible::Description), QStringLiteral("Select a Folder to Output"));

    // The slider gives its value and range, and its word with them; the word's label is heard when it changes.
    heardEvents.clear();
    f.find<QSlider>("Slider1")->setValue(30);
    QAccessibleValueInterface* value = accessible("Slider1")->valueInterface();
    QVERIFY(value);
    QCOMPARE(value->currentValue().toInt(), 30);
    QCOMPARE(value->minimumValue().toInt(), f.find<QSlider>("Slider1")->minimum());
    QCOMPARE(accessible("Slider1")->text(QAccessible::Description), f.text("lblQtt"));
    QVERIFY(heard(f.find<QObject>("Slider1"), QAccessible::ValueChanged));
    QVERIFY(heard(f.find<QObject>("lblQtt"), QAccessible::NameChanged));

    // A run's progress is heard as it goes, and its status reads as what it says.
    heardEvents.clear();
    f.addEntries({QStringLiteral("/p/a.jpg"), QStringLiteral("/p/b.jpg")});
    f.dialogs.saveAnswers.push_back(f.folder.file(QStringLiteral("out.pdf")));
    f.click(QStringLiteral("Command3"));
    QVERIFY(heard(f.find<QObject>("lblPB"), QAccessible::NameChanged));
    QVERIFY(heard(f.find<QObject>("pb"), QAccessible::ValueChanged));
    QCOMPARE(accessible("lblPB")->text(QAccessible::Name), QStringLiteral("Done."));
}

void TestDesktop::settingsAndFirstSave_useTheRightFolder_data()
{
    QTest::addColumn<QString>("programFolder"); // relative to the test folder
    QTest::addColumn<bool>("installed");
    QTest::addColumn<bool>("besideProgram");
    QTest::newRow("program folder writable") << "program" << false << true;
    // Below a plain file: no one, not even the superuser, can make a file there.
    QTest::newRow("program folder cannot be written") << "blocker/bin" << false << false;
    QTest::newRow("installed program") << "program" << true << false;
}

void TestDesktop::settingsAndFirstSave_useTheRightFolder()
{
    QFETCH(QString, programFolder);
    QFETCH(bool, installed);
    QFETCH(bool, besideProgram);

    WindowFixture f;
    f.folder.write(QStringLiteral("blocker"), "a file, not a folder");
    const QString program = f.folder.file(programFolder);
    const QString config = f.folder.file(QStringLiteral("config/Pagewell")); // made when first written
    const QString expected = (besideProgram ? program : config) + QStringLiteral("/setting.dll");
    ScriptedSkin skin;
    {
        auto first = openWindow(f, skin, program, config, installed);
        QCOMPARE(first->settingsPath(), expected);
        first->findChild<QLineEdit*>(QStringLiteral("txtTitle"))->setText(QStringLiteral("Holiday \"2026\""));
        first->findChild<QSlider*>(QStringLiteral("Slider1"))->setValue(37);
        first->addDroppedPaths({"/p/a.jpg"});
        first->findChild<QPushButton*>(QStringLiteral("Command3"))->click(); // a run saves the settings
        QTRY_VERIFY(!first->runUnderWay());
        QVERIFY(f.messages.shown().isEmpty());
        // Its save dialog starts beside the program only where files can be made.
        QCOMPARE(f.dialogs.saveRequests.constFirst().startFolder,
                 besideProgram ? program : f.homeFolder + QStringLiteral("/output/"));
        first->close();
    }
    QVERIFY(QFile::exists(expected));
    QCOMPARE(QFile::exists(program + QStringLiteral("/setting.dll")), besideProgram);

    auto second = openWindow(f, skin, program, config, installed);
    QCOMPARE(second->findChild<QLineEdit*>(QStringLiteral("txtTitle"))->text(), QStringLiteral("Holiday \"2026\""));
    QCOMPARE(second->findChild<QSlider*>(QStringLiteral("Slider1"))->value(), 37);
}

void TestDesktop::art_iconsAndPicture_sharpAtDoubleScale()
{
    for (int index = 0; index < 9; ++index) {
        const QIcon icon = toolBarIcon(index);
        QVERIFY2(!icon.isNull(), qPrintable(QString::number(index)));
        // Drawn for the density asked, not a 32-pixel bitmap blown up or left small.
        const QImage one = icon.pixmap(QSize(32, 32), 1.0).toImage();
        const QImage two = icon.pixmap(QSize(32, 32), 2.0).toImage();
        QCOMPARE(one.size(), QSize(32, 32));
        QCOMPARE(two.size(), QSize(64, 64));
        QVERIFY(two != one.scaled(64, 64));
    }
    QVERIFY(toolBarIcon(9).isNull());
    QVERIFY(!convertIcon().isNull());
    QVERIFY(!programIcon().isNull());

    // The tool bar's icons are all different drawings.
    QSet<QByteArray> seen;
    for (int index = 0; index < 9; ++index) {
        const QImage image = toolBarIcon(index).pixmap(QSize(32, 32)).toImage();
        seen.insert(QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()));
    }
    QCOMPARE(seen.size(), 9);

    const QSize own = gettingStartedPictureSize();
    QVERIFY(own.width() > 300 && own.height() > 150);
    const QImage fitted = gettingStartedPicture(QSize(400, 1000), 2.0);
    QCOMPARE(fitted.width(), 800);
    QVERIFY(qAbs(fitted.height() - 800 * own.height() / own.width()) <= 1);
    QCOMPARE(fitted.deviceIndependentSize().width(), 400.0);
    // Something is drawn: the step cards are white.
    QCOMPARE(fitted.pixelColor(fitted.width() / 6, fitted.height() * 3 / 4), QColor(Qt::white));
}

Q_IMPORT_PLUGIN(RecordingBridgePlugin)
QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
