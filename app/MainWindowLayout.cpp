#include "app/MainWindowLayout.h"

#include "app/DocumentDefaults.h"
#include "app/GettingStartedPicture.h"
#include "app/PdfDate.h"
#include "app/ProgramArt.h"
#include "app/QualityLabels.h"
#include "imagelist/ImageListWidget.h"
#include "preview/ShowImage.h"

#include "conversion/PageDescription.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSlider>
#include <QSpinBox>
#include <QStackedLayout>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

struct ToolBarButton
{
    const char* caption;
    const char* toolTip;
};

// By ToolBarIndex.
const ToolBarButton kToolBarButtons[] = {
    {QT_TRANSLATE_NOOP("frmPrinting", "Open a File"), QT_TRANSLATE_NOOP("frmPrinting", "Open an Image File")},
    {QT_TRANSLATE_NOOP("frmPrinting", "Add Folder"), QT_TRANSLATE_NOOP("frmPrinting", "Add Image Files from a Folder")},
    {QT_TRANSLATE_NOOP("frmPrinting", "Close"), QT_TRANSLATE_NOOP("frmPrinting", "Close This Image File")},
    {QT_TRANSLATE_NOOP("frmPrinting", "Clean"), QT_TRANSLATE_NOOP("frmPrinting", "Remove all from File List")},
    {QT_TRANSLATE_NOOP("frmPrinting", "Move Down"), QT_TRANSLATE_NOOP("frmPrinting", "Move selected Down")},
    {QT_TRANSLATE_NOOP("frmPrinting", "Exit"), QT_TRANSLATE_NOOP("frmPrinting", "Exit")},
    {QT_TRANSLATE_NOOP("frmPrinting", "Move Up"), QT_TRANSLATE_NOOP("frmPrinting", "Up")},
    {QT_TRANSLATE_NOOP("frmPrinting", "Rotate Left"),
     QT_TRANSLATE_NOOP("frmPrinting", "Turn the selected pages a quarter to the left (Ctrl+L)")},
    {QT_TRANSLATE_NOOP("frmPrinting", "Rotate Right"),
     QT_TRANSLATE_NOOP("frmPrinting", "Turn the selected pages a quarter to the right (Ctrl+R)")},
};

// Where a row of the command table shows: in a menu, or only as a key.
enum class Place
{
    FileMenu,
    AboutMenu,
    Window, // a shortcut anywhere in the window
    List,   // a shortcut only while the list has the focus: in a text field Delete deletes text
};

// The window's menus and keyboard shortcuts. A menu row whose caption is "-" is a separator. The mnemonics (Alt+F,
// Alt+A) open the menus from the keyboard; the keypad's Enter converts as well as Return, and a disabled convert
// button (a run under way) ignores both.
struct CommandRow
{
    const char* name; // the objectName, by which the tests find it
    Place place;
    struct
    {
        const char* source;
        const char* comment;
    } caption;
    QKeySequence keys;
    WindowCommand command;
};

const QList<CommandRow>& commandTable()
{
    // clang-format off
    static const QList<CommandRow> table = {
        {"menuAdd", Place::FileMenu, {QT_TRANSLATE_NOOP("frmPrinting", "&Open an Image"), nullptr},
            QKeySequence(QKeySequence::Open), WindowCommand::OpenAFile},
        {"menuS", Place::FileMenu, {"-", nullptr}, {}, {}},
        {"menuExit", Place::FileMenu, {QT_TRANSLATE_NOOP("frmPrinting", "E&xit"), nullptr},
            QKeySequence(Qt::CTRL | Qt::Key_Q), WindowCommand::Exit},
        {"menuWeb", Place::AboutMenu, {QT_TRANSLATE_NOOP("frmPrinting", "&Website"), nullptr},
            {}, WindowCommand::Website},
        {"menuSS", Place::AboutMenu, {"-", nullptr}, {}, {}},
        {"menuAbout", Place::AboutMenu, QT_TRANSLATE_NOOP3("frmPrinting", "&About", "menu item"),
            {}, WindowCommand::About},
        {"convertShortcut", Place::Window, {}, QKeySequence(Qt::CTRL | Qt::Key_Return), WindowCommand::Convert},
        {"convertEnterShortcut", Place::Window, {}, QKeySequence(Qt::CTRL | Qt::Key_Enter), WindowCommand::Convert},
        {"addFolderShortcut", Place::Window, {}, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O),
            WindowCommand::AddFolder},
        {"moveUpShortcut", Place::Window, {}, QKeySequence(Qt::ALT | Qt::Key_Up), WindowCommand::MoveUp},
        {"moveDownShortcut", Place::Window, {}, QKeySequence(Qt::ALT | Qt::Key_Down), WindowCommand::MoveDown},
        {"rotateLeftShortcut", Place::Window, {}, QKeySequence(Qt::CTRL | Qt::Key_L), WindowCommand::RotateLeft},
        {"rotateRightShortcut", Place::Window, {}, QKeySequence(Qt::CTRL | Qt::Key_R), WindowCommand::RotateRight},
        {"removeShortcut", Place::List, {}, QKeySequence(QKeySequence::Delete), WindowCommand::RemoveSelected},
    };
    // clang-format on
    return table;
}

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
    label->setTextFormat(Qt::PlainText); // the status line names the user's files
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

void MainWindowLayout::setupUi(QMainWindow& window, const QString& outputFolder,
                               const std::function<void(WindowCommand)>& run)
{
    window.setObjectName(QStringLiteral("frmPrinting"));
    window.setFont(windowFont());
    auto* central = new QWidget(&window);
    central->setObjectName(QStringLiteral("centralWidget"));
    window.setCentralWidget(central);
    auto* root = new QVBoxLayout(central);
    root->setContentsMargins(0, 0, 0, 8);
    root->setSpacing(8);

    buildToolBar(central);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(10, 0, 10, 0);
    body->setSpacing(8);
    root->addLayout(body, 1);

    // Image list (with the getting-started panel over it), preview, document information.
    auto* upper = new QHBoxLayout;
    upper->setSpacing(10);
    body->addLayout(upper, 1);
    buildListAndPreview(central, upper);
    buildDocumentFields(central, upper);

    // Quality row, slider, output folder, convert button and progress across the full width.
    buildLowerRows(central, body, outputFolder);

    buildMenusAndShortcuts(window, run);
    setTabOrder();
}

void MainWindowLayout::buildToolBar(QWidget* central)
{
    auto* toolBarFrame = new QFrame(central);
    toolBarFrame->setObjectName(QStringLiteral("toolBarFrame"));
    auto* toolBarLayout = new QHBoxLayout(toolBarFrame);
    toolBarLayout->setContentsMargins(8, 4, 8, 4);
    toolBarLayout->setSpacing(2);
    for (int index = 0; index < int(std::size(kToolBarButtons)); ++index) {
        const ToolBarButton& button = kToolBarButtons[index];
        auto* toolButton = new QToolButton(toolBarFrame);
        toolButton->setObjectName(QStringLiteral("CmdToolsBar_%1").arg(index));
        toolButton->setText(QCoreApplication::translate("frmPrinting", button.caption));
        toolButton->setToolTip(QCoreApplication::translate("frmPrinting", button.toolTip));
        toolButton->setAccessibleName(QCoreApplication::translate("frmPrinting", button.caption));
        toolButton->setIcon(toolBarIcon(index));
        toolButton->setIconSize(QSize(32, 32));
        toolButton->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        toolButton->setMinimumWidth(78);
        toolButton->setFocusPolicy(Qt::StrongFocus);
        toolBarLayout->addWidget(toolButton);
        toolBarButtons.append(toolButton);
    }
    toolBarLayout->addStretch(1);
    central->layout()->addWidget(toolBarFrame);
}

void MainWindowLayout::buildListAndPreview(QWidget* central, QBoxLayout* upper)
{
    auto* listColumn = new QVBoxLayout;
    QLabel* listCaption =
        captionLabel(QStringLiteral("Label2"), QCoreApplication::translate("frmPrinting", "File List:"), central);
    listColumn->addWidget(listCaption);
    auto* listHolder = new QWidget(central);
    listStack = new QStackedLayout(listHolder);
    listStack->setStackingMode(QStackedLayout::StackAll);
    imageList = new ImageListWidget(listHolder);
    imageList->setObjectName(QStringLiteral("List1"));
    imageList->setHint(QCoreApplication::translate("frmPrinting", kDropHint));
    gettingStartedPanel = new DropPanel(imageList, listHolder);
    gettingStartedPanel->setObjectName(QStringLiteral("picDoor"));
    gettingStartedPanel->setAlignment(Qt::AlignCenter);
    gettingStartedPanel->setScaledContents(false);
    gettingStartedPanel->setMinimumSize(220, 160);
    // The picture follows the panel's size, so the panel must not take its size from the picture.
    gettingStartedPanel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    gettingStartedPanel->setStyleSheet(QStringLiteral("DropPanel { background: #e9f0f8; border: 1px solid #b8c6d6; }"
                                                      "DropPanel:focus { border: 2px solid #3b78c4; }"));
    // Tab stops on the guide while it shows, so that a screen reader reads its steps.
    gettingStartedPanel->setFocusPolicy(Qt::TabFocus);
    gettingStartedPanel->setAccessibleName(QCoreApplication::translate("frmPrinting", "Getting started"));
    gettingStartedPanel->setAccessibleDescription(gettingStartedText());
    nameAfterCaption(listCaption, imageList,
                     QCoreApplication::translate(
                         "frmPrinting", "The images in page order. Alt+Up and Alt+Down move the selected image, "
                                        "Delete removes it."));
    listStack->addWidget(imageList);
    listStack->addWidget(gettingStartedPanel);
    listStack->setCurrentWidget(gettingStartedPanel);
    listColumn->addWidget(listHolder, 1);
    pageNumberLabel =
        captionLabel(QStringLiteral("lblPageNum"),
                     QCoreApplication::translate("frmPrinting", "Page Number Of Selected File: 0"), central);
    listColumn->addWidget(pageNumberLabel);
    upper->addLayout(listColumn, 5);

    preview = new ShowImage(central);
    preview->setObjectName(QStringLiteral("prewImage"));
    preview->setMinimumSize(160, 160);
    preview->setAccessibleName(QCoreApplication::translate("frmPrinting", "Preview"));
    preview->setAccessibleDescription(QCoreApplication::translate("frmPrinting", "The image opened last"));
    upper->addWidget(preview, 3);
}

void MainWindowLayout::buildDocumentFields(QWidget* central, QBoxLayout* upper)
{
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
    titleField = textBox(QStringLiteral("txtTitle"), QString::fromLatin1(kDefaultTitle), fields);
    authorField = textBox(QStringLiteral("txtCreateFor"), QString::fromLatin1(kDefaultAuthor), fields);
    creationDateField = textBox(QStringLiteral("txtCreationDate"), QString(), fields);
    // The date is read whole, also on a small screen: the field keeps room for its 22 characters.
    creationDateField->setMinimumWidth(creationDateField->fontMetrics().horizontalAdvance(
                                           pdfDateString(QDateTime(QDate(2000, 12, 28), QTime(20, 8, 8)))) +
                                       16);
    nowButton = new QPushButton(QCoreApplication::translate("frmPrinting", "Now"), fields);
    nowButton->setObjectName(QStringLiteral("Command1"));
    subjectField = textBox(QStringLiteral("txtSubject"), QString::fromLatin1(kDefaultSubject), fields);
    keywordsField = textBox(QStringLiteral("txtKeywords"), QString(), fields);
    addField(QStringLiteral("lblTitle"), QCoreApplication::translate("frmPrinting", "PDF Document Title:"), titleField);
    addField(QStringLiteral("lblCreateFor"), QCoreApplication::translate("frmPrinting", "PDF Author:"), authorField);
    addField(QStringLiteral("lblCreationDate"), QCoreApplication::translate("frmPrinting", "Creation Date:"),
             creationDateField, nowButton,
             QCoreApplication::translate("frmPrinting",
                                         "As the PDF keeps it: D:, then year, month, day, hours, minutes and seconds"));
    nowButton->setAccessibleDescription(
        QCoreApplication::translate("frmPrinting", "Sets the creation date to the current time"));
    addField(QStringLiteral("lblSubject"), QCoreApplication::translate("frmPrinting", "Subject:"), subjectField);
    addField(QStringLiteral("lblKeywords"), QCoreApplication::translate("frmPrinting", "Keywords:"), keywordsField);
    fieldsLayout->setRowStretch(row, 1);
    fieldsLayout->setColumnStretch(0, 1);
    upper->addWidget(fields, 4);
}

void MainWindowLayout::buildLowerRows(QWidget* central, QBoxLayout* body, const QString& outputFolder)
{
    auto* qualityRow = new QHBoxLayout;
    QLabel* qualityCaption = captionLabel(QStringLiteral("lblJPG"),
                                          QCoreApplication::translate("frmPrinting", "Compress Quality:"), central);
    qualityRow->addWidget(qualityCaption);
    qualityPercentLabel = captionLabel(QStringLiteral("lblQuality"), QStringLiteral("100%"), central);
    qualityRow->addWidget(qualityPercentLabel);
    qualityRow->addSpacing(24);
    keepOriginalBox = new QCheckBox(QCoreApplication::translate("frmPrinting", "Keep original quality"), central);
    keepOriginalBox->setObjectName(QStringLiteral("chkKeepOriginal"));
    keepOriginalBox->setAccessibleName(keepOriginalBox->text().remove(QLatin1Char('&')));
    keepOriginalBox->setAccessibleDescription(QCoreApplication::translate(
        "frmPrinting", "A JPEG's page keeps the file's own data, any other picture is kept without loss; the "
                       "quality is then not used"));
    qualityRow->addWidget(keepOriginalBox);
    qualityRow->addStretch(1);
    qualityWordLabel =
        captionLabel(QStringLiteral("lblQtt"), QCoreApplication::translate("frmPrinting", "Good"), central);
    qualityWordLabel->setAccessibleDescription(QCoreApplication::translate("frmPrinting", "Quality"));
    qualityRow->addWidget(qualityWordLabel);
    body->addLayout(qualityRow);

    qualitySlider = new QSlider(Qt::Horizontal, central);
    qualitySlider->setObjectName(QStringLiteral("Slider1"));
    qualitySlider->setRange(kMinimumQuality, kMaximumQuality);
    qualitySlider->setSingleStep(1);
    qualitySlider->setPageStep(10);
    qualitySlider->setTickPosition(QSlider::TicksBelow);
    qualitySlider->setTickInterval(10);
    qualitySlider->setValue(kSliderDefaultQuality);
    nameAfterCaption(qualityCaption, qualitySlider);
    body->addWidget(qualitySlider);
    buildPageRow(central, body);

    auto* outputRow = new QHBoxLayout;
    QLabel* pathCaption =
        captionLabel(QStringLiteral("Label3"), QCoreApplication::translate("frmPrinting", "Output Path:"), central);
    outputRow->addWidget(pathCaption);
    outputFolderField = textBox(QStringLiteral("txtPath"), outputFolder, central);
    outputFolderField->setToolTip(QCoreApplication::translate("frmPrinting", "Select a Folder to Output"));
    nameAfterCaption(pathCaption, outputFolderField, outputFolderField->toolTip());
    outputRow->addWidget(outputFolderField, 1);
    browseButton = new QPushButton(QCoreApplication::translate("frmPrinting", "Browse"), central);
    browseButton->setObjectName(QStringLiteral("cmdBrowse"));
    browseButton->setToolTip(QCoreApplication::translate("frmPrinting", "Select an Output Folder"));
    outputRow->addWidget(browseButton);
    body->addLayout(outputRow);

    convertButton = new QPushButton(QCoreApplication::translate("frmPrinting", kConvertCaption), central);
    convertButton->setObjectName(QStringLiteral("Command3"));
    convertButton->setIcon(convertIcon());
    convertButton->setIconSize(QSize(32, 32));
    QFont bold = central->font();
    bold.setBold(true);
    convertButton->setFont(bold);
    convertButton->setAccessibleDescription(QCoreApplication::translate(
        "frmPrinting", "Makes one PDF of the listed images and asks where to save it (Ctrl+Return)"));
    body->addWidget(convertButton);

    progressBar = new QProgressBar(central);
    progressBar->setObjectName(QStringLiteral("pb"));
    progressBar->setRange(0, 100);
    progressBar->setValue(0);
    progressBar->setTextVisible(false);
    progressBar->setAccessibleName(QCoreApplication::translate("frmPrinting", "Conversion progress"));
    body->addWidget(progressBar);
    statusLabel = captionLabel(QStringLiteral("lblPB"), QStringLiteral("0%"), central);
    statusLabel->setAlignment(Qt::AlignCenter);
    statusLabel->setAccessibleDescription(QCoreApplication::translate("frmPrinting", "Conversion status"));
    QFont small = central->font();
    small.setBold(true);
    small.setPointSizeF(7.5);
    statusLabel->setFont(small);
    body->addWidget(statusLabel);
}

void MainWindowLayout::buildPageRow(QWidget* central, QBoxLayout* body)
{
    auto* pageRow = new QHBoxLayout;
    QLabel* paperCaption =
        captionLabel(QStringLiteral("lblPageSize"), QCoreApplication::translate("frmPrinting", "Page size:"), central);
    paperSizeBox = new QComboBox(central);
    paperSizeBox->setObjectName(QStringLiteral("cboPageSize"));
    const std::pair<PaperSize, QString> papers[] = {
        {PaperSize::AsImage, QCoreApplication::translate("frmPrinting", "As the image")},
        {PaperSize::AsScanned, QCoreApplication::translate("frmPrinting", "As scanned")},
        {PaperSize::A4, QStringLiteral("A4")},
        {PaperSize::A5, QStringLiteral("A5")},
        {PaperSize::A3, QStringLiteral("A3")},
        {PaperSize::Letter, QCoreApplication::translate("frmPrinting", "Letter", "paper size")},
        {PaperSize::Legal, QCoreApplication::translate("frmPrinting", "Legal", "paper size")},
    };
    for (const auto& [paper, caption] : papers) {
        paperSizeBox->addItem(caption, QVariant::fromValue(int(paper)));
    }
    nameAfterCaption(paperCaption, paperSizeBox,
                     QCoreApplication::translate("frmPrinting", "As the image and as scanned make each page the "
                                                                "size of its picture; a paper size fits every "
                                                                "picture on that sheet"));

    QLabel* orientationCaption = captionLabel(QStringLiteral("lblOrientation"),
                                              QCoreApplication::translate("frmPrinting", "Orientation:"), central);
    orientationBox = new QComboBox(central);
    orientationBox->setObjectName(QStringLiteral("cboOrientation"));
    orientationBox->addItem(QCoreApplication::translate("frmPrinting", "Automatic"),
                            QVariant::fromValue(int(PaperOrientation::Automatic)));
    orientationBox->addItem(QCoreApplication::translate("frmPrinting", "Portrait"),
                            QVariant::fromValue(int(PaperOrientation::Portrait)));
    orientationBox->addItem(QCoreApplication::translate("frmPrinting", "Landscape"),
                            QVariant::fromValue(int(PaperOrientation::Landscape)));
    nameAfterCaption(orientationCaption, orientationBox,
                     QCoreApplication::translate("frmPrinting", "Automatic turns each sheet to match its picture"));

    QLabel* marginCaption =
        captionLabel(QStringLiteral("lblMargin"), QCoreApplication::translate("frmPrinting", "Margin:"), central);
    marginBox = new QSpinBox(central);
    marginBox->setObjectName(QStringLiteral("spnMargin"));
    marginBox->setRange(0, kMaxMarginMm);
    marginBox->setValue(PageDescription{}.marginMm);
    marginBox->setSuffix(QStringLiteral(" mm"));
    nameAfterCaption(marginCaption, marginBox,
                     QCoreApplication::translate("frmPrinting", "On every side of the sheet, in millimetres"));

    for (const auto& [caption, control] : {std::pair<QLabel*, QWidget*>{paperCaption, paperSizeBox},
                                           {orientationCaption, orientationBox},
                                           {marginCaption, marginBox}}) {
        pageRow->addWidget(caption);
        pageRow->addWidget(control);
        pageRow->addSpacing(12);
    }
    pageRow->addStretch(1);
    body->addLayout(pageRow);
}

void MainWindowLayout::buildMenusAndShortcuts(QMainWindow& window, const std::function<void(WindowCommand)>& run)
{
    QMenu* menuFile = window.menuBar()->addMenu(QCoreApplication::translate("frmPrinting", "&File"));
    menuFile->setObjectName(QStringLiteral("menuFile"));
    QMenu* menuAbout = window.menuBar()->addMenu(QCoreApplication::translate("frmPrinting", "&About", "menu"));
    menuAbout->setObjectName(QStringLiteral("menuA"));

    for (const CommandRow& row : commandTable()) {
        const QString name = QString::fromLatin1(row.name);
        const WindowCommand command = row.command;
        if (row.place == Place::FileMenu || row.place == Place::AboutMenu) {
            QMenu* menu = row.place == Place::FileMenu ? menuFile : menuAbout;
            if (qstrcmp(row.caption.source, "-") == 0) {
                menu->addSeparator()->setObjectName(name);
                continue;
            }
            QAction* item =
                menu->addAction(QCoreApplication::translate("frmPrinting", row.caption.source, row.caption.comment));
            item->setObjectName(name);
            item->setShortcut(row.keys);
            QObject::connect(item, &QAction::triggered, &window, [run, command] { run(command); });
            continue;
        }
        QWidget* scope = row.place == Place::List ? static_cast<QWidget*>(imageList) : &window;
        auto* shortcut = new QShortcut(row.keys, scope);
        shortcut->setObjectName(name);
        shortcut->setContext(row.place == Place::List ? Qt::WidgetWithChildrenShortcut : Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, &window, [run, command] { run(command); });
    }
}

void MainWindowLayout::setTabOrder()
{
    const QList<QWidget*> order = {titleField,     creationDateField, authorField,       subjectField,
                                   keywordsField,  nowButton,         convertButton,     gettingStartedPanel,
                                   imageList,      keepOriginalBox,   qualitySlider,     paperSizeBox,
                                   orientationBox, marginBox,         outputFolderField, browseButton};
    for (int i = 1; i < order.size(); ++i) {
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
    }
    QWidget::setTabOrder(order.last(), toolBarButtons.first());
    for (int i = 1; i < toolBarButtons.size(); ++i) {
        QWidget::setTabOrder(toolBarButtons.at(i - 1), toolBarButtons.at(i));
    }
    titleField->setFocus(Qt::OtherFocusReason);
}
