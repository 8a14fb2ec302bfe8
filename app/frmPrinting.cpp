#include "app/frmPrinting.h"

#include "app/GettingStartedPicture.h"
#include "app/PdfDate.h"
#include "app/ProgramArt.h"
#include "app/QualityLabels.h"
#include "app/SettingsFile.h"
#include "app/WindowPlacement.h"
#include "conversion/ConversionRun.h"
#include "dialogs/CCommonDialogs.h"
#include "imagelist/FileSearch.h"
#include "imagelist/FocusSweep.h"
#include "imagelist/ImageListWidget.h"
#include "imagelist/ToolBarCommands.h"
#include "platform/Clock.h"
#include "platform/DocumentOpener.h"
#include "platform/MessageBoxes.h"
#include "platform/PosixFile.h"
#include "platform/Skin.h"
#include "platform/SystemDialogs.h"
#include "preview/ShowImage.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSlider>
#include <QStackedLayout>
#include <QStandardPaths>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

struct ToolBarButton
{
    const char* caption;
    const char* toolTip;
};

const ToolBarButton kToolBarButtons[] = {
    {QT_TRANSLATE_NOOP("frmPrinting", "Open a File"), QT_TRANSLATE_NOOP("frmPrinting", "Open an Image File")},
    {QT_TRANSLATE_NOOP("frmPrinting", "Add Folder"), QT_TRANSLATE_NOOP("frmPrinting", "Add Image Files from a Folder")},
    {QT_TRANSLATE_NOOP("frmPrinting", "Close"), QT_TRANSLATE_NOOP("frmPrinting", "Close This Image File")},
    {QT_TRANSLATE_NOOP("frmPrinting", "Clean"), QT_TRANSLATE_NOOP("frmPrinting", "Remove all from File List")},
    {QT_TRANSLATE_NOOP("frmPrinting", "Move Down"), QT_TRANSLATE_NOOP("frmPrinting", "Move selected Down")},
    {QT_TRANSLATE_NOOP("frmPrinting", "Exit"), QT_TRANSLATE_NOOP("frmPrinting", "Exit")},
    {QT_TRANSLATE_NOOP("frmPrinting", "Move Up"), QT_TRANSLATE_NOOP("frmPrinting", "Up")},
};

const char* const kDropHint = QT_TRANSLATE_NOOP("frmPrinting", "Drag & Drop Files Here");
const char* const kConvertCaption = QT_TRANSLATE_NOOP("frmPrinting", "Convert To PDF Now");

QFont windowFont()
{
    const QString family =
        QFontDatabase::hasFamily(QStringLiteral("Tahoma")) ? QStringLiteral("Tahoma") : QApplication::font().family();
    QFont font(family);
    font.setPointSizeF(9);
    font.setWeight(QFont::Normal);
    return font;
}

QLabel* captionLabel(const QString& name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

// A screen reader names a control after the caption that stands above or beside it.
void nameAfterCaption(QLabel* caption, QWidget* control, const QString& description = {})
{
    caption->setBuddy(control);
    QString name = caption->text();
    if (name.endsWith(QLatin1Char(':'))) {
        name.chop(1);
    }
    name = name.trimmed(); // French puts a space before the colon
    control->setAccessibleName(name);
    control->setAccessibleDescription(description);
}

QLineEdit* textBox(const QString& name, const QString& text, QWidget* parent)
{
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(name);
    return box;
}

} // namespace

frmPrinting::frmPrinting(AppServices services, QWidget* parent) : QMainWindow(parent), m_services(std::move(services))
{
    setObjectName(QStringLiteral("frmPrinting"));
    setFont(windowFont());
    buildControls();
    buildMenus();
    buildShortcuts();
    setTabOrderAsDesigned();
    Form_Load();
    placeOnScreen();
}

frmPrinting::~frmPrinting() = default;

void frmPrinting::buildControls()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    setCentralWidget(central);
    auto* root = new QVBoxLayout(central);
    root->setContentsMargins(0, 0, 0, 8);
    root->setSpacing(8);

    // Tool bar across the top.
    auto* toolBarFrame = new QFrame(central);
    toolBarFrame->setObjectName(QStringLiteral("toolBarFrame"));
    auto* toolBarLayout = new QHBoxLayout(toolBarFrame);
    toolBarLayout->setContentsMargins(8, 4, 8, 4);
    toolBarLayout->setSpacing(2);
    for (int index = 0; index < int(std::size(kToolBarButtons)); ++index) {
        const ToolBarButton& spec = kToolBarButtons[index];
        auto* button = new QToolButton(toolBarFrame);
        button->setObjectName(QStringLiteral("CmdToolsBar_%1").arg(index));
        button->setText(tr(spec.caption));
        button->setToolTip(tr(spec.toolTip));
        button->setAccessibleName(tr(spec.caption));
        button->setIcon(toolBarIcon(index));
        button->setIconSize(QSize(32, 32));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setMinimumWidth(78);
        button->setFocusPolicy(Qt::StrongFocus);
        connect(button, &QToolButton::clicked, this, [this, index] { CmdToolsBar_Click(index); });
        toolBarLayout->addWidget(button);
        m_CmdToolsBar.append(button);
    }
    toolBarLayout->addStretch(1);
    root->addWidget(toolBarFrame);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(10, 0, 10, 0);
    body->setSpacing(8);
    root->addLayout(body, 1);

    // Image list (with the getting-started panel over it), preview, document information.
    auto* upper = new QHBoxLayout;
    upper->setSpacing(10);
    body->addLayout(upper, 1);

    auto* listColumn = new QVBoxLayout;
    QLabel* listCaption = captionLabel(QStringLiteral("Label2"), tr("File List:"), central);
    listColumn->addWidget(listCaption);
    auto* listHolder = new QWidget(central);
    auto* listStack = new QStackedLayout(listHolder);
    listStack->setStackingMode(QStackedLayout::StackAll);
    m_List1 = new ImageListWidget(listHolder);
    m_List1->setObjectName(QStringLiteral("List1"));
    m_List1->setHint(tr(kDropHint));
    m_picDoor = new DropPanel(m_List1, listHolder);
    m_picDoor->setObjectName(QStringLiteral("picDoor"));
    m_picDoor->setAlignment(Qt::AlignCenter);
    m_picDoor->setScaledContents(false);
    m_picDoor->setMinimumSize(220, 160);
    // The picture follows the panel's size, so the panel must not take its size from the picture.
    m_picDoor->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    m_picDoor->setStyleSheet(QStringLiteral("DropPanel { background: #e9f0f8; border: 1px solid #b8c6d6; }"
                                            "DropPanel:focus { border: 2px solid #3b78c4; }"));
    // Tab stops on the guide while it shows, so that a screen reader reads its steps.
    m_picDoor->setFocusPolicy(Qt::TabFocus);
    m_picDoor->setAccessibleName(tr("Getting started"));
    m_picDoor->setAccessibleDescription(gettingStartedText());
    nameAfterCaption(listCaption, m_List1,
                     tr("The images in page order. Alt+Up and Alt+Down move the selected image, "
                        "Delete removes it."));
    m_picDoor->installEventFilter(this);
    listStack->addWidget(m_List1);
    listStack->addWidget(m_picDoor);
    listStack->setCurrentWidget(m_picDoor);
    listColumn->addWidget(listHolder, 1);
    m_lblPageNum = captionLabel(QStringLiteral("lblPageNum"), tr("Page Number Of Selected File: 0"), central);
    listColumn->addWidget(m_lblPageNum);
    upper->addLayout(listColumn, 5);

    m_prewImage = new ShowImage(central);
    m_prewImage->setObjectName(QStringLiteral("prewImage"));
    m_prewImage->setMinimumSize(160, 160);
    m_prewImage->setAccessibleName(tr("Preview"));
    m_prewImage->setAccessibleDescription(tr("The image opened last"));
    if (m_services.previewStore) {
        m_prewImage->ReadProperties(*m_services.previewStore);
    }
    upper->addWidget(m_prewImage, 3);

    auto* fields = new QGroupBox(central);
    fields->setObjectName(QStringLiteral("documentInformation"));
    auto* fieldsLayout = new QGridLayout(fields);
    fieldsLayout->setVerticalSpacing(3);
    int row = 0;
    auto addField = [&](const QString& labelName, const QString& caption, QWidget* field, QWidget* beside = nullptr,
                        const QString& description = {}) {
        QLabel* label = captionLabel(labelName, caption, fields);
        nameAfterCaption(label, field, description);
        fieldsLayout->addWidget(label, row++, 0, 1, 2);
        if (beside) {
            fieldsLayout->addWidget(field, row, 0);
            fieldsLayout->addWidget(beside, row, 1);
        } else {
            fieldsLayout->addWidget(field, row, 0, 1, 2);
        }
        ++row;
    };
    m_txtTitle = textBox(QStringLiteral("txtTitle"), QStringLiteral("New PDF Document"), fields);
    m_txtCreateFor = textBox(QStringLiteral("txtCreateFor"), QStringLiteral("Pagewell"), fields);
    m_txtCreationDate = textBox(QStringLiteral("txtCreationDate"), QString(), fields);
    // The date is read whole, also on a small screen: the field keeps room for its 22 characters.
    m_txtCreationDate->setMinimumWidth(m_txtCreationDate->fontMetrics().horizontalAdvance(
                                           pdfDateString(QDateTime(QDate(2000, 12, 28), QTime(20, 8, 8)))) +
                                       16);
    m_Command1 = new QPushButton(tr("Now"), fields);
    m_Command1->setObjectName(QStringLiteral("Command1"));
    m_txtSubject = textBox(QStringLiteral("txtSubject"), QStringLiteral("New Subject"), fields);
    m_txtKeywords = textBox(QStringLiteral("txtKeywords"), QString(), fields);
    addField(QStringLiteral("lblTitle"), tr("PDF Document Title:"), m_txtTitle);
    addField(QStringLiteral("lblCreateFor"), tr("PDF Author:"), m_txtCreateFor);
    addField(QStringLiteral("lblCreationDate"), tr("Creation Date:"), m_txtCreationDate, m_Command1,
             tr("As the PDF keeps it: D:, then year, month, day, hours, minutes and seconds"));
    m_Command1->setAccessibleDescription(tr("Sets the creation date to the current time"));
    addField(QStringLiteral("lblSubject"), tr("Subject:"), m_txtSubject);
    addField(QStringLiteral("lblKeywords"), tr("Keywords:"), m_txtKeywords);
    fieldsLayout->setRowStretch(row, 1);
    fieldsLayout->setColumnStretch(0, 1);
    upper->addWidget(fields, 4);
    connect(m_Command1, &QPushButton::clicked, this, &frmPrinting::refreshCreationDate);

    m_PicLoad = new QLabel(central);
    m_PicLoad->setObjectName(QStringLiteral("PicLoad"));
    m_PicLoad->hide();

    // Quality row, slider, output folder, convert button and progress across the full width.
    auto* qualityRow = new QHBoxLayout;
    QLabel* qualityCaption = captionLabel(QStringLiteral("lblJPG"), tr("Compress Quality:"), central);
    qualityRow->addWidget(qualityCaption);
    m_lblQuality = captionLabel(QStringLiteral("lblQuality"), QStringLiteral("100%"), central);
    qualityRow->addWidget(m_lblQuality);
    qualityRow->addStretch(1);
    m_lblQtt = captionLabel(QStringLiteral("lblQtt"), tr("Good"), central);
    m_lblQtt->setAccessibleDescription(tr("Quality"));
    qualityRow->addWidget(m_lblQtt);
    body->addLayout(qualityRow);

    m_Slider1 = new QSlider(Qt::Horizontal, central);
    m_Slider1->setObjectName(QStringLiteral("Slider1"));
    m_Slider1->setRange(kMinimumQuality, kMaximumQuality);
    m_Slider1->setSingleStep(1);
    m_Slider1->setPageStep(10);
    m_Slider1->setTickPosition(QSlider::TicksBelow);
    m_Slider1->setTickInterval(10);
    m_Slider1->setValue(kSliderDefaultQuality);
    nameAfterCaption(qualityCaption, m_Slider1);
    connect(m_Slider1, &QSlider::valueChanged, this, &frmPrinting::refreshQualityLabels);
    connect(m_Slider1, &QSlider::sliderPressed, this,
            [this] { m_lblQuality->setText(qualityPercentText(m_Slider1->value())); });
    body->addWidget(m_Slider1);

    auto* outputRow = new QHBoxLayout;
    QLabel* pathCaption = captionLabel(QStringLiteral("Label3"), tr("Output Path:"), central);
    outputRow->addWidget(pathCaption);
    m_txtPath = textBox(QStringLiteral("txtPath"), m_services.homeFolder + QStringLiteral("/output"), central);
    m_txtPath->setToolTip(tr("Select a Folder to Output"));
    nameAfterCaption(pathCaption, m_txtPath, m_txtPath->toolTip());
    outputRow->addWidget(m_txtPath, 1);
    m_cmdBrowse = new QPushButton(tr("Browse"), central);
    m_cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));
    m_cmdBrowse->setToolTip(tr("Select an Output Folder"));
    connect(m_cmdBrowse, &QPushButton::clicked, this, &frmPrinting::browseOutputFolder);
    outputRow->addWidget(m_cmdBrowse);
    body->addLayout(outputRow);

    m_Command3 = new QPushButton(tr(kConvertCaption), central);
    m_Command3->setObjectName(QStringLiteral("Command3"));
    m_Command3->setIcon(convertIcon());
    m_Command3->setIconSize(QSize(32, 32));
    QFont bold = font();
    bold.setBold(true);
    m_Command3->setFont(bold);
    m_Command3->setAccessibleDescription(
        tr("Makes one PDF of the listed images and asks where to save it (Ctrl+Return)"));
    body->addWidget(m_Command3);

    m_pb = new QProgressBar(central);
    m_pb->setObjectName(QStringLiteral("pb"));
    m_pb->setRange(0, 100);
    m_pb->setValue(0);
    m_pb->setTextVisible(false);
    m_pb->setAccessibleName(tr("Conversion progress"));
    body->addWidget(m_pb);
    m_lblPB = captionLabel(QStringLiteral("lblPB"), QStringLiteral("0%"), central);
    m_lblPB->setAlignment(Qt::AlignCenter);
    m_lblPB->setAccessibleDescription(tr("Conversion status"));
    QFont small = font();
    small.setBold(true);
    small.setPointSizeF(7.5);
    m_lblPB->setFont(small);
    body->addWidget(m_lblPB);

    // The label follows the selection: tabbing into the list makes an entry current without selecting it.
    connect(m_List1, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> selected = m_List1->selectedItems();
        showPageNumber(selected.isEmpty() ? -1 : m_List1->row(selected.constFirst()));
    });
    // A drop on the panel hides it; the list beneath takes later drops.
    connect(m_List1->model(), &QAbstractItemModel::rowsInserted, this, [listStack, this] {
        if (m_picDoor->isHidden()) {
            listStack->setCurrentWidget(m_List1);
        }
    });
}

void frmPrinting::buildMenus()
{
    auto addAction = [this](QMenu* menu, const QString& name, const QString& caption) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        return action;
    };
    // The mnemonics (Alt+F, Alt+A) open the menus from the keyboard.
    QMenu* menuFile = menuBar()->addMenu(tr("&File"));
    menuFile->setObjectName(QStringLiteral("menuFile"));
    QAction* menuAdd = addAction(menuFile, QStringLiteral("menuAdd"), tr("&Open an Image"));
    menuAdd->setShortcut(QKeySequence::Open);
    menuFile->addSeparator()->setObjectName(QStringLiteral("menuS"));
    QAction* menuExit = addAction(menuFile, QStringLiteral("menuExit"), tr("E&xit"));
    menuExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(menuAdd, &QAction::triggered, this, [this] { CmdToolsBar_Click(OpenAFile); });
    connect(menuExit, &QAction::triggered, this, [this] { CmdToolsBar_Click(ExitProgram); });

    QMenu* menuA = menuBar()->addMenu(tr("&About", "menu"));
    menuA->setObjectName(QStringLiteral("menuA"));
    QAction* menuWeb = addAction(menuA, QStringLiteral("menuWeb"), tr("&Website"));
    menuA->addSeparator()->setObjectName(QStringLiteral("menuSS"));
    QAction* menuAbout = addAction(menuA, QStringLiteral("menuAbout"), tr("&About", "menu item"));
    connect(menuWeb, &QAction::triggered, this,
            [this] { m_services.opener->openUrl(QUrl(QString::fromLatin1(kWebsiteAddress))); });
    connect(menuAbout, &QAction::triggered, this, &frmPrinting::showAbout);
}

void frmPrinting::buildShortcuts()
{
    auto addShortcut = [this](const QString& name, const QKeySequence& keys, QWidget* scope, auto&& slot) {
        auto* shortcut = new QShortcut(keys, scope);
        shortcut->setObjectName(name);
        shortcut->setContext(scope == this ? Qt::WindowShortcut : Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, std::forward<decltype(slot)>(slot));
        return shortcut;
    };
    // The keypad's Enter as well as Return; a disabled convert button (a run under way) ignores both.
    addShortcut(QStringLiteral("convertShortcut"), QKeySequence(Qt::CTRL | Qt::Key_Return), this,
                [this] { m_Command3->click(); });
    addShortcut(QStringLiteral("convertEnterShortcut"), QKeySequence(Qt::CTRL | Qt::Key_Enter), this,
                [this] { m_Command3->click(); });
    addShortcut(QStringLiteral("addFolderShortcut"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O), this,
                [this] { CmdToolsBar_Click(AddFolder); });
    addShortcut(QStringLiteral("moveUpShortcut"), QKeySequence(Qt::ALT | Qt::Key_Up), this,
                [this] { CmdToolsBar_Click(MoveUp); });
    addShortcut(QStringLiteral("moveDownShortcut"), QKeySequence(Qt::ALT | Qt::Key_Down), this,
                [this] { CmdToolsBar_Click(MoveDown); });
    // Only on the list: in a text field Delete deletes text.
    addShortcut(QStringLiteral("removeShortcut"), QKeySequence(QKeySequence::Delete), m_List1,
                [this] { removeSelected(); });
}

void frmPrinting::setTabOrderAsDesigned()
{
    const QList<QWidget*> order = {m_txtTitle,    m_txtCreationDate, m_txtCreateFor, m_txtSubject,
                                   m_txtKeywords, m_Command1,        m_Command3,     m_picDoor,
                                   m_List1,       m_Slider1,         m_txtPath,      m_cmdBrowse};
    for (int i = 1; i < order.size(); ++i) {
        setTabOrder(order.at(i - 1), order.at(i));
    }
    setTabOrder(order.last(), m_CmdToolsBar.first());
    for (int i = 1; i < m_CmdToolsBar.size(); ++i) {
        setTabOrder(m_CmdToolsBar.at(i - 1), m_CmdToolsBar.at(i));
    }
    m_txtTitle->setFocus(Qt::OtherFocusReason);
}

void frmPrinting::Form_Load()
{
    // 1-3: the skin; whatever it does, start-up goes on.
    if (m_services.skin) {
        m_services.skin->SkinH_Attach();
        m_services.skin->SkinH_Aero(this);
        m_services.skin->SkinH_Aero_Adjust(220, 0, 0, 0, 0, 0, 0, 0, 0);
    }
    // 4: the one dialog object, owned by this window.
    m_dialogs = std::make_unique<CCommonDialogs>(*m_services.dialogs, m_services.programFolder);
    m_dialogs->Init(this);

    m_commands = std::make_unique<ToolBarCommands>(*m_List1, static_cast<ToolBarWindow&>(*this));
    m_run = std::make_unique<ConversionRun>(static_cast<RunWindow&>(*this),
                                            RunServices{m_services.messages, m_services.opener, m_services.makeStages});
    connect(m_Command3, &QPushButton::clicked, this, [this] {
        // Held while a tool-bar command is under way (see runInTurn), then clicked again. A run itself holds
        // nothing: the tool-bar commands it forbids are refused while it goes on.
        if (m_commandUnderWay) {
            m_waitingCommands.push_back([this] { m_Command3->click(); });
            return;
        }
        if (m_unloaded) {
            return; // a closed window starts no run
        }
        m_run->Command3_Click();
        endIfUnloaded();
    });

    // 5: the labels follow the slider, whatever their first texts were.
    refreshQualityLabels();
    // 6
    // The program's name, the same in every language.
    setWindowTitle(QStringLiteral("Free Pagewell"));
    // 7
    const QString configFolder = m_services.configFolder.isEmpty()
                                     ? QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)
                                     : m_services.configFolder;
    m_settingsPath = m_services.installedProgram ? settingsFilePath(configFolder)
                                                 : settingsFileLocation(m_services.programFolder, configFolder);
    loadSettings();
    // 8
    refreshCreationDate();
}

void frmPrinting::placeOnScreen()
{
    // The size the window was drawn for, where the screen has room for it.
    constexpr QSize kPreferredSize(1060, 640);
    // The frame is known only once the window is shown: room for a title bar and thin edges.
    constexpr QMargins kFrameAllowance(8, 40, 8, 8);
    QScreen* openOn = QGuiApplication::screenAt(QCursor::pos());
    if (!openOn) {
        openOn = QGuiApplication::primaryScreen();
    }
    if (!openOn) {
        return;
    }
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens()) {
        areas.append(screen->availableGeometry());
    }
    const std::optional<WindowPlace> remembered = readWindowPlace(m_services.windowStateFile);
    setGeometry(openingGeometry(remembered ? std::optional(remembered->geometry) : std::nullopt, areas,
                                openOn->availableGeometry(), kPreferredSize, minimumSizeHint(), kFrameAllowance));
    if (remembered && remembered->maximized) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
}

void frmPrinting::Form_Unload()
{
    if (m_unloaded) {
        return;
    }
    m_unloaded = true;
    if (isVisible()) {
        writeWindowPlace(m_services.windowStateFile, {normalGeometry(), isMaximized()});
    }
    if (m_run && m_run->isRunning()) {
        m_run->requestAbort();
    }
    if (m_services.skin) {
        m_services.skin->SkinH_Detach();
    }
}

void frmPrinting::closeEvent(QCloseEvent* event)
{
    // Closing cannot be refused and saves nothing; a run under way stops and cleans up after itself.
    Form_Unload();
    event->accept();
}

bool frmPrinting::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_picDoor && event->type() == QEvent::Resize) {
        drawGettingStartedPicture();
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmPrinting::drawGettingStartedPicture()
{
    const QSize room = m_picDoor->contentsRect().size() - QSize(16, 16);
    m_picDoor->setPixmap(QPixmap::fromImage(gettingStartedPicture(room, devicePixelRatioF())));
}

int frmPrinting::addDroppedPaths(const QList<QByteArray>& paths)
{
    const int added = m_List1->takePaths(paths);
    if (added > 0) {
        m_picDoor->hide();
    }
    return added;
}

void frmPrinting::removeSelected()
{
    // The current entry counts only when it is also selected: the focus alone makes the first entry current.
    const QList<QListWidgetItem*> selected = m_List1->selectedItems();
    if (m_List1->isLocked() || selected.isEmpty()) {
        return;
    }
    const int row = m_List1->row(selected.constFirst());
    delete m_List1->takeItem(row);
    const int next = std::min(row, m_List1->count() - 1);
    m_List1->setCurrentRow(next);
    showPageNumber(next); // also when the selection stayed on the same row number
}

void frmPrinting::loadSettings()
{
    if (!QFileInfo::exists(settingsPath())) {
        return;
    }
    const SettingsRead read = readSettingsFile(settingsPath());
    if (read.title) {
        m_txtTitle->setText(*read.title);
    }
    if (read.author) {
        m_txtCreateFor->setText(*read.author);
    }
    if (read.subject) {
        m_txtSubject->setText(*read.subject);
    }
    if (read.keywords) {
        m_txtKeywords->setText(*read.keywords);
    }
    if (const std::optional<int> quality = qualityWithinRange(read.quality)) {
        m_Slider1->setValue(*quality);
    }
    QCoreApplication::processEvents();
}

void frmPrinting::saveSettings()
{
    const SettingsValues values{m_txtTitle->text(), m_txtCreateFor->text(), m_txtSubject->text(), m_txtKeywords->text(),
                                m_Slider1->value()};
    QString ignored;
    // A program folder that cannot be written loses the settings quietly; the run goes on.
    (void)writeSettingsFile(settingsPath(), values, &ignored);
}

void frmPrinting::refreshQualityLabels()
{
    const int position = m_Slider1->value();
    m_lblQuality->setText(qualityPercentText(position));
    m_lblQtt->setText(qualityWord(position));
    m_Slider1->setAccessibleDescription(m_lblQtt->text()); // heard with the slider's value: "80, Best"
}

void frmPrinting::refreshCreationDate()
{
    m_txtCreationDate->setText(pdfDateString(m_services.clock->now()));
}

void frmPrinting::CmdToolsBar_Click(int Index)
{
    // Leaving the program is never held up: it also ends a folder scan under way.
    if (Index == ExitProgram) {
        m_commands->CmdToolsBar_Click(Index);
        endIfUnloaded();
        return;
    }
    runInTurn([this, Index] {
        m_commands->CmdToolsBar_Click(Index);
        endIfUnloaded();
    });
}

// A command lets the window process its events after a dialog closes and during a folder scan. A command asked for
// then is held and starts when this one is over, so two commands never interleave (an Add Folder inside an Open a
// File would be emptied by it) and they take effect in the order they were given.
void frmPrinting::runInTurn(const std::function<void()>& command)
{
    if (m_commandUnderWay) {
        m_waitingCommands.push_back([this, command] { runInTurn(command); });
        return;
    }
    m_commandUnderWay = true;
    command();
    m_commandUnderWay = false;
    while (!m_waitingCommands.empty() && !m_unloaded) {
        const std::function<void()> next = std::move(m_waitingCommands.front());
        m_waitingCommands.pop_front();
        next();
    }
    m_waitingCommands.clear();
}

void frmPrinting::endIfUnloaded()
{
    // Closing the window ends the program. When it was closed from inside long work (a run, a folder scan),
    // the quit that came with the close may have been taken by one of the work's own waits: end it now.
    if (m_unloaded) {
        QCoreApplication::quit();
    }
}

void frmPrinting::sweepToolBar()
{
    focusSweep(m_CmdToolsBar);
}

void frmPrinting::sweepToolBar(bool enable)
{
    focusSweep(m_CmdToolsBar, enable);
}

int frmPrinting::entryCount() const
{
    return m_List1->count();
}

ImageFile frmPrinting::entry(int index) const
{
    return {m_List1->item(index)->text(), m_List1->nativePath(index)};
}

int frmPrinting::quality() const
{
    return m_Slider1->value();
}

DocumentInfo frmPrinting::documentInfo() const
{
    return {m_txtTitle->text(), m_txtCreateFor->text(), m_txtCreationDate->text(), m_txtSubject->text(),
            m_txtKeywords->text()};
}

QString frmPrinting::outputFolder() const
{
    return m_txtPath->text();
}

void frmPrinting::setOutputFolder(const QString& folder)
{
    m_txtPath->setText(folder);
}

void frmPrinting::setBusy(bool busy)
{
    m_Command3->setText(busy ? tr("Converting...") : tr(kConvertCaption));
    m_Command3->setEnabled(!busy);
    if (busy) {
        for (QAbstractButton* button : std::as_const(m_CmdToolsBar)) {
            button->setEnabled(false);
        }
    }
}

void frmPrinting::setListLocked(bool locked)
{
    m_List1->setLocked(locked);
}

bool frmPrinting::listLocked() const
{
    return m_List1->isLocked();
}

void frmPrinting::setProgressText(const QString& text)
{
    m_lblPB->setText(text);
}

void frmPrinting::setProgressPercent(int percent)
{
    m_pb->setValue(percent);
}

void frmPrinting::selectEntry(int index)
{
    m_List1->setCurrentRow(index);
}

void frmPrinting::prepareFileDialog(const QString& title, const QString& filter)
{
    m_dialogs->setFilter(filter);
    m_dialogs->setFilename(QString());
    m_dialogs->setTitle(title);
}

QString frmPrinting::askSaveFile(const QString& title, const QString& filter)
{
    prepareFileDialog(title, filter);
    // Without a usable folder of its own (the first save of a session, or after the folder went away) the save
    // dialog starts in the program folder. An installed program's folder takes no files, so the save starts in the
    // output folder instead, which the run has just made.
    const QString start = m_dialogs->Path().trimmed();
    if ((start.isEmpty() || !QFileInfo(start).isDir()) &&
        (m_services.installedProgram || !canMakeFilesIn(m_services.programFolder))) {
        m_dialogs->setPath(outputFolder());
    }
    return m_dialogs->ShowSave() ? m_dialogs->Filename() : QString();
}

std::optional<QString> frmPrinting::askOpenFile(const QString& title, const QString& filter)
{
    prepareFileDialog(title, filter);
    if (!m_dialogs->ShowOpen()) {
        return std::nullopt;
    }
    const QString chosen = m_dialogs->Filename();
    m_dialogs->setFilename(QString());
    return chosen;
}

void frmPrinting::clearAfterSave()
{
    m_List1->clear();
    m_prewImage->Cls();
    QApplication::beep();
}

void frmPrinting::hideDropPanel()
{
    m_picDoor->hide();
}

void frmPrinting::showInPreview(const QString& path)
{
    m_prewImage->loadimg(path);
}

void frmPrinting::clearPreview()
{
    m_prewImage->Cls();
}

void frmPrinting::setDocumentTitle(const QString& title)
{
    m_txtTitle->setText(title);
}

void frmPrinting::addFolder()
{
    const std::optional<QString> folder = m_services.dialogs->folder(this, tr("Please select a folder:"));
    if (folder && !folder->isEmpty()) {
        m_List1->setHint(tr("Searching Files..."));
        // The list gets what was found in batches, once per yield: laying out a long list after every single
        // entry would make a big tree's scan take minutes. Yielding every few milliseconds keeps the window live.
        QList<QByteArray> found;
        QElapsedTimer sinceYield;
        sinceYield.start();
        const auto handOver = [this, &found] {
            m_List1->appendPaths(found);
            found.clear();
        };
        FileSearch(
            *folder, [&found](const QByteArray& path) { found.append(path); },
            [this, &sinceYield, &handOver] {
                if (sinceYield.elapsed() >= 15) {
                    handOver();
                    QCoreApplication::processEvents();
                    sinceYield.restart();
                }
                return !m_unloaded; // a closed window ends the scan
            });
        handOver();
        m_List1->setHint(tr(kDropHint));
    }
    repaint();
    sweepToolBar();
}

void frmPrinting::browseOutputFolder()
{
    const std::optional<QString> folder = m_services.dialogs->folder(this, tr("Please select a folder:"));
    m_txtPath->setText(folder && !folder->isEmpty() ? *folder : m_services.programFolder + QStringLiteral("/output"));
    sweepToolBar();
}

void frmPrinting::showAbout()
{
    m_services.messages->show(
        this, MessageIcon::None, tr("about"),
        tr("Pagewell %1 © 2026 the Pagewell developers. All rights reserved.").arg(QStringLiteral(PAGEWELL_VERSION)));
    sweepToolBar();
}

void frmPrinting::showPageNumber(int row)
{
    m_lblPageNum->setText(tr("Page Number of Selected File: %1").arg(row + 1));
}
