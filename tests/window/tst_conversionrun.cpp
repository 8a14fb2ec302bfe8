#include "conversion/RunProgress.h"
#include "imagelist/ImageListWidget.h"
#include "preview/ShowImage.h"
#include "support/WindowFixture.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QMimeData>
#include <QProgressBar>
#include <QSpinBox>
#include <QTest>
#include <QUrl>

// The run's order, texts and enabling, with stages that do no file work.
class TestConversionRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void progressPercent_values_data();
    void progressPercent_values();
    void emptyList_refusedWithMessage_nothingWritten();
    void oneImage_stagesInOrder_noJoin_doneAndCleared();
    void twoImages_oneJoin_progressTexts();
    void fiftyOneImages_joinedInBatches_percentFollowsPagesJoined();
    void duringRun_controlsDisabled_listLocked_menuIgnored();
    void pageControls_readAfreshForEveryPage();
    void pageFailure_messageNamesEntry_listKept_entrySelected();
    void toolsMissing_refusedBeforeAnyWork();
    void saveCancelled_nothingSavedOrOpened_listKept();
    void outputPath_trailingSlashTrimmedOnce_nameGetsPdf();
    void windowClosedMidRun_runStopsAndCleansUp();

private:
    static QStringList images(int count);
};

QStringList TestConversionRun::images(int count)
{
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        paths << QStringLiteral("/pictures/img %1.jpg").arg(i);
    }
    return paths;
}

void TestConversionRun::progressPercent_values_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("percent");
    QTest::newRow("single entry has none") << 0 << 1 << -1;
    QTest::newRow("first of two") << 0 << 2 << 0;
    QTest::newRow("last of two") << 1 << 2 << 100;
    QTest::newRow("29 of 51 rounds down") << 29 << 51 << 57;
    QTest::newRow("last of 51") << 50 << 51 << 100;
    QTest::newRow("1 of 4") << 1 << 4 << 33;
}

void TestConversionRun::progressPercent_values()
{
    QFETCH(int, index);
    QFETCH(int, count);
    QTEST(progressPercent(index, count), "percent");
}

void TestConversionRun::emptyList_refusedWithMessage_nothingWritten()
{
    WindowFixture f;
    f.open();
    f.click(QStringLiteral("Command3"));
    QCOMPARE(f.messages.shown().size(), 1);
    QCOMPARE(f.messages.shown().first().title, QStringLiteral("Add File"));
    QCOMPARE(f.messages.shown().first().text, QStringLiteral("Please add a file"));
    QCOMPARE(f.messages.shown().first().icon, MessageIcon::Exclamation);
    QVERIFY(f.stagesLog->calls.isEmpty());
    QVERIFY(!QFile::exists(f.window->settingsPath()));
    QVERIFY(!QFile::exists(f.homeFolder + QStringLiteral("/output")));
    QCOMPARE(f.window->focusWidget(), f.toolButton(8));
}

void TestConversionRun::oneImage_stagesInOrder_noJoin_doneAndCleared()
{
    WindowFixture f;
    f.open();
    f.addEntries({QStringLiteral("/pictures/only one.jpg")});
    f.find<QLineEdit>("txtKeywords")->setText(QStringLiteral("k"));
    const QString date = f.text("txtCreationDate");
    const QString destination = f.folder.file(QStringLiteral("out.pdf"));
    f.dialogs.saveAnswers.push_back(destination);
    QStringList labels;
    f.stagesLog->onCall = [&](const QString&) { labels << f.text("lblPB"); };

    f.click(QStringLiteral("Command3"));

    QCOMPARE(f.stagesLog->calls, (QStringList{"checkTools", "prepareWorkspace",
                                              "writeInfo:New PDF Document|Pagewell|" + date + "|New Subject|k",
                                              "makePage:0=/pictures/only one.jpg", "planJoin:1", "join:0",
                                              "applyInfo:1", "saveTo:" + destination, "removeWorkspace"}));
    QCOMPARE(labels.at(3), QStringLiteral("Preparing Files..."));
    // Never a percentage with one entry.
    QCOMPARE(labels.mid(4, 3), QStringList(3, QStringLiteral("Now Start Creating...")));
    QCOMPARE(f.text("lblPB"), QStringLiteral("Done."));
    QCOMPARE(f.find<QProgressBar>("pb")->value(), 0);
    QCOMPARE(f.list()->count(), 0);
    QCOMPARE(f.opener.opened(), QList<QUrl>{QUrl::fromLocalFile(destination)});
    QCOMPARE(f.text("Command3"), QStringLiteral("Convert To PDF Now"));
    QVERIFY(f.find<QWidget>("Command3")->isEnabled());
    for (int i = 0; i < 9; ++i) {
        QVERIFY(f.toolButton(i)->isEnabled());
    }
    QCOMPARE(f.window->focusWidget(), f.toolButton(8));
    QCOMPARE(f.dialogs.saveRequests.first().caption, QStringLiteral("Save"));
    QCOMPARE(f.messages.shown().size(), 0);
    // The settings were written at the start of the run.
    QFile settings(f.window->settingsPath());
    QVERIFY(settings.open(QIODevice::ReadOnly));
    QCOMPARE(settings.readAll(),
             QByteArray("\"New PDF Document\"\r\n\"Pagewell\"\r\n\"New Subject\"\r\n\"k\"\r\n\"80\"\r\n"));
    QVERIFY(QFile::exists(f.homeFolder + QStringLiteral("/output")));
}

void TestConversionRun::twoImages_oneJoin_progressTexts()
{
    WindowFixture f;
    f.open();
    f.addEntries(images(2));
    f.dialogs.saveAnswers.push_back(f.folder.file(QStringLiteral("two.pdf")));
    QMap<QString, QString> labelAt;
    f.stagesLog->onCall = [&](const QString& call) { labelAt.insert(call, f.text("lblPB")); };
    f.click(QStringLiteral("Command3"));

    QCOMPARE(labelAt.value("makePage:0"), QStringLiteral("Preparing Files..."));
    QCOMPARE(labelAt.value("makePage:1"), QStringLiteral("Preparing Files...0%"));
    QCOMPARE(labelAt.value("join:0"), QStringLiteral("Now Start Creating..."));
    QCOMPARE(labelAt.value("applyInfo:2"), QStringLiteral("Creating...100%"));
    QCOMPARE(f.stagesLog->calls.filter(QStringLiteral("join"), Qt::CaseInsensitive),
             (QStringList{"planJoin:2", "join:0"}));
}

void TestConversionRun::fiftyOneImages_joinedInBatches_percentFollowsPagesJoined()
{
    WindowFixture f;
    f.stagesLog->joinBound.files = 20; // three batches of 17 pages, then one step that joins them
    f.open();
    f.addEntries(images(51));
    f.dialogs.saveAnswers.push_back(f.folder.file(QStringLiteral("many.pdf")));
    QMap<QString, QString> labelAt;
    QMap<QString, int> barAt;
    f.stagesLog->onCall = [&](const QString& call) {
        labelAt.insert(call, f.text("lblPB"));
        barAt.insert(call, f.find<QProgressBar>("pb")->value());
    };
    f.click(QStringLiteral("Command3"));

    QCOMPARE(f.stagesLog->calls.filter(QStringLiteral("makePage:")).size(), 51);
    QCOMPARE(labelAt.value("makePage:26"), QStringLiteral("Preparing Files...50%"));
    QCOMPARE(labelAt.value("join:0"), QStringLiteral("Now Start Creating..."));
    QCOMPARE(barAt.value("join:0"), 100);
    // What a step left on screen is read when the next starts: 17, 34, 51 and 102 of 102 pages put together.
    const QStringList after{"join:1", "join:2", "join:3", "applyInfo:51"};
    const QList<int> percents{16, 33, 50, 100};
    for (int i = 0; i < after.size(); ++i) {
        QCOMPARE(labelAt.value(after[i]), QStringLiteral("Creating...%1%").arg(percents[i]));
        QCOMPARE(barAt.value(after[i]), percents[i]);
    }
    QCOMPARE(f.stagesLog->calls.filter(QStringLiteral("join:")).size(), 4);
}

void TestConversionRun::duringRun_controlsDisabled_listLocked_menuIgnored()
{
    WindowFixture f;
    f.open();
    f.addEntries(images(2));
    f.dialogs.saveAnswers.push_back(f.folder.file(QStringLiteral("x.pdf")));
    const QString dropped = f.folder.write(QStringLiteral("late.png"));
    bool checked = false;
    f.stagesLog->onCall = [&](const QString& call) {
        if (call != QStringLiteral("makePage:0")) {
            return;
        }
        checked = true;
        QCOMPARE(f.text("Command3"), QStringLiteral("Converting..."));
        QVERIFY(!f.find<QWidget>("Command3")->isEnabled());
        for (int i = 0; i < 9; ++i) {
            QVERIFY(!f.toolButton(i)->isEnabled());
        }
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(dropped)});
        QCOMPARE(f.find<ImageListWidget>("List1")->takeDrop(&data), 0);
        f.dialogs.openAnswers.push_back(QStringLiteral("/elsewhere/other.jpg"));
        f.find<QAction>("menuAdd")->trigger(); // the File menu stays live but cannot change the list
        QCOMPARE(f.list()->count(), 2);
        f.click(QStringLiteral("Command3")); // disabled: nothing happens
    };
    f.click(QStringLiteral("Command3"));
    QVERIFY(checked);
    QCOMPARE(f.stagesLog->calls.filter(QStringLiteral("checkTools")).size(), 1);
    QCOMPARE(f.stagesLog->calls.filter(QStringLiteral("makePage:")).size(), 2);

    // Unlocked again once the run is over.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(dropped)});
    QCOMPARE(f.find<ImageListWidget>("List1")->takeDrop(&data), 1);
}

void TestConversionRun::pageControls_readAfreshForEveryPage()
{
    WindowFixture f;
    f.open();
    f.addEntries(images(3));
    f.dialogs.saveAnswers.push_back(f.folder.file(QStringLiteral("q.pdf")));
    f.stagesLog->onCall = [&](const QString& call) {
        if (call == QStringLiteral("makePage:0")) {
            f.find<QSlider>("Slider1")->setValue(30);
            auto* paper = f.find<QComboBox>("cboPageSize");
            paper->setCurrentIndex(paper->findText(QStringLiteral("Letter")));
            f.find<QSpinBox>("spnMargin")->setValue(25);
        }
    };
    f.click(QStringLiteral("Command3"));
    QList<int> qualities;
    QList<PaperSize> papers;
    QList<int> margins;
    for (const PageDescription& page : std::as_const(f.stagesLog->descriptions)) {
        qualities << page.quality;
        papers << page.paper;
        margins << page.marginMm;
    }
    QCOMPARE(qualities, (QList<int>{80, 30, 30}));
    QCOMPARE(papers, (QList<PaperSize>{PaperSize::AsImage, PaperSize::Letter, PaperSize::Letter}));
    QCOMPARE(margins, (QList<int>{10, 25, 25}));
}

void TestConversionRun::pageFailure_messageNamesEntry_listKept_entrySelected()
{
    WindowFixture f;
    f.open();
    f.addEntries(images(3));
    f.stagesLog->failAt = QStringLiteral("makePage:1");
    f.click(QStringLiteral("Command3"));

    QCOMPARE(f.messages.shown().size(), 1);
    QCOMPARE(f.messages.shown().first().icon, MessageIcon::Critical);
    QCOMPARE(f.messages.shown().first().title, QStringLiteral("PDF"));
    QCOMPARE(f.entries(), images(3));
    QCOMPARE(f.list()->currentRow(), 1);
    QVERIFY(f.stagesLog->calls.endsWith(QStringLiteral("removeWorkspace")));
    QVERIFY(f.stagesLog->calls.filter(QStringLiteral("planJoin")).isEmpty());
    QVERIFY(f.dialogs.saveRequests.isEmpty());
    QVERIFY(f.opener.opened().isEmpty());
    QVERIFY(f.text("lblPB") != QStringLiteral("Done."));
    QCOMPARE(f.text("Command3"), QStringLiteral("Convert To PDF Now"));
    QVERIFY(f.find<QWidget>("Command3")->isEnabled());
    QVERIFY(f.toolButton(0)->isEnabled());
    QVERIFY(f.window->isVisible()); // the program goes on
}

void TestConversionRun::toolsMissing_refusedBeforeAnyWork()
{
    WindowFixture f;
    f.open();
    f.addEntries(images(2));
    f.stagesLog->failAt = QStringLiteral("checkTools");
    f.click(QStringLiteral("Command3"));
    QCOMPARE(f.messages.shown().size(), 1);
    QCOMPARE(f.stagesLog->calls.first(), QStringLiteral("checkTools"));
    QVERIFY(f.stagesLog->calls.filter(QStringLiteral("prepareWorkspace")).isEmpty());
    QVERIFY(!QFile::exists(f.window->settingsPath()));
    QCOMPARE(f.list()->count(), 2);
}

void TestConversionRun::saveCancelled_nothingSavedOrOpened_listKept()
{
    WindowFixture f;
    f.open();
    auto* preview = f.find<ShowImage>("prewImage");
    preview->setPicture(makeTestPicture(20, 20));
    f.addEntries(images(2));
    f.click(QStringLiteral("Command3")); // no save answer: the dialog is cancelled
    QVERIFY(f.stagesLog->calls.filter(QStringLiteral("saveTo")).isEmpty());
    QCOMPARE(f.stagesLog->calls.last(), QStringLiteral("removeWorkspace"));
    QVERIFY(f.opener.opened().isEmpty());
    QCOMPARE(f.entries(), images(2));
    QVERIFY(!preview->Picture().isNull());
    QCOMPARE(f.text("lblPB"), QStringLiteral("Nothing was saved."));
    QVERIFY(f.find<QWidget>("Command3")->isEnabled());
    QCOMPARE(f.messages.shown().size(), 0);
}

void TestConversionRun::outputPath_trailingSlashTrimmedOnce_nameGetsPdf()
{
    WindowFixture f;
    f.open();
    const QString output = f.folder.file(QStringLiteral("made here")) + QStringLiteral("//");
    f.find<QLineEdit>("txtPath")->setText(output);
    f.addEntries(images(1));
    f.dialogs.saveAnswers.push_back(f.folder.file(QStringLiteral("book")));
    f.click(QStringLiteral("Command3"));
    QCOMPARE(f.text("txtPath"), output.chopped(1));
    QVERIFY(QFile::exists(f.folder.file(QStringLiteral("made here"))));
    QVERIFY(f.stagesLog->calls.contains("saveTo:" + f.folder.file(QStringLiteral("book.pdf"))));
}

void TestConversionRun::windowClosedMidRun_runStopsAndCleansUp()
{
    WindowFixture f;
    f.open();
    f.addEntries(images(3));
    f.stagesLog->onCall = [&](const QString& call) {
        if (call == QStringLiteral("makePage:1")) {
            f.window->close();
        }
    };
    f.click(QStringLiteral("Command3"));
    QVERIFY(f.stagesLog->aborted);
    QCOMPARE(f.stagesLog->calls.filter(QStringLiteral("makePage:")).size(), 2);
    QVERIFY(f.stagesLog->calls.filter(QStringLiteral("planJoin")).isEmpty());
    QVERIFY(f.stagesLog->removeCount >= 1);
    QVERIFY(f.dialogs.saveRequests.isEmpty());
    QVERIFY(f.messages.shown().isEmpty());
    QCOMPARE(f.skin.calls.last(), QStringLiteral("Detach"));

    // Closed while the temporary files go: the document stays saved, but nothing opens it any more.
    WindowFixture late;
    late.open();
    late.addEntries(images(2));
    const QString destination = late.folder.file(QStringLiteral("saved.pdf"));
    late.dialogs.saveAnswers.push_back(destination);
    late.stagesLog->onCall = [&](const QString& call) {
        if (call == QStringLiteral("removeWorkspace")) {
            late.window->close();
        }
    };
    late.click(QStringLiteral("Command3"));
    QVERIFY(late.stagesLog->calls.contains(QStringLiteral("saveTo:") + destination));
    QVERIFY(late.opener.opened().isEmpty());
    QVERIFY(late.text(QStringLiteral("lblPB")) != QStringLiteral("Done."));
}

QTEST_MAIN(TestConversionRun)
#include "tst_conversionrun.moc"
