#pragma once

#include <QCoreApplication>
#include <QList>
#include <QString>

#include <functional>

class DropPanel;
class ImageListWidget;
class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QProgressBar;
class QPushButton;
class QSlider;
class QSpinBox;
class QStackedLayout;
class ShowImage;

// What a menu item or a keyboard shortcut of the window asks for; frmPrinting says what each one does.
enum class WindowCommand
{
    OpenAFile,
    AddFolder,
    MoveUp,
    MoveDown,
    RotateLeft,
    RotateRight,
    RemoveSelected,
    Exit,
    Convert,
    Website,
    About,
};

// The main window's controls, made, captioned, named for screen readers and laid out by setupUi; frmPrinting gives
// them their behaviour. Each control's objectName (in brackets) is the name the window has always given it, and the
// tests find the controls by it. CONTRIBUTING.md maps the visible captions to these names.
// Its texts are the window's own: they are translated as frmPrinting's.
class MainWindowLayout
{
public:
    static constexpr auto kDropHint = QT_TRANSLATE_NOOP("frmPrinting", "Drag & Drop Files Here");
    static constexpr auto kConvertCaption = QT_TRANSLATE_NOOP("frmPrinting", "Convert To PDF Now");

    // Builds everything into window: controls, menus, shortcuts and the tab order, with the focus in the title.
    // Each menu item and shortcut calls run with its command; outputFolder is the output field's first text.
    void setupUi(QMainWindow& window, const QString& outputFolder, const std::function<void(WindowCommand)>& run);

    QList<QAbstractButton*> toolBarButtons; // "Open a File" … "Rotate Right" [CmdToolsBar_0 … _8], by ToolBarIndex
    ImageListWidget* imageList = nullptr;   // "File List:" [List1]
    DropPanel* gettingStartedPanel = nullptr; // the three steps over the empty list, a drop target [picDoor]
    QStackedLayout* listStack = nullptr;      // the list with the panel over it
    QLabel* pageNumberLabel = nullptr;        // "Page Number Of Selected File:" [lblPageNum]
    ShowImage* preview = nullptr;             // the image opened last [prewImage]
    QLineEdit* titleField = nullptr;          // "PDF Document Title:" [txtTitle]
    QLineEdit* authorField = nullptr;         // "PDF Author:" [txtCreateFor]
    QLineEdit* creationDateField = nullptr;   // "Creation Date:" [txtCreationDate]
    QPushButton* nowButton = nullptr;         // "Now" [Command1]
    QLineEdit* subjectField = nullptr;        // "Subject:" [txtSubject]
    QLineEdit* keywordsField = nullptr;       // "Keywords:" [txtKeywords]
    QLabel* qualityPercentLabel = nullptr;    // "80%" beside "Compress Quality:" [lblQuality]
    QLabel* qualityWordLabel = nullptr;       // "Best" at the row's right end [lblQtt]
    QSlider* qualitySlider = nullptr;         // [Slider1]
    QCheckBox* keepOriginalBox = nullptr;     // "Keep original quality" beside the quality [chkKeepOriginal]
    QComboBox* paperSizeBox = nullptr;        // "Page size:", each item's data a PaperSize [cboPageSize]
    QComboBox* orientationBox = nullptr;      // "Orientation:", each item's data a PaperOrientation [cboOrientation]
    QSpinBox* marginBox = nullptr;            // "Margin:" in millimetres [spnMargin]
    QLineEdit* outputFolderField = nullptr;   // "Output Path:" [txtPath]
    QPushButton* browseButton = nullptr;      // "Browse" [cmdBrowse]
    QPushButton* convertButton = nullptr;     // "Convert To PDF Now" [Command3]
    QProgressBar* progressBar = nullptr;      // [pb]
    QLabel* statusLabel = nullptr;            // "0%", then the run's status [lblPB]

private:
    void buildToolBar(QWidget* central);
    void buildListAndPreview(QWidget* central, class QBoxLayout* upper);
    void buildDocumentFields(QWidget* central, QBoxLayout* upper);
    void buildLowerRows(QWidget* central, QBoxLayout* body, const QString& outputFolder);
    void buildPageRow(QWidget* central, QBoxLayout* body);
    void buildMenusAndShortcuts(QMainWindow& window, const std::function<void(WindowCommand)>& run);
    void setTabOrder();
};
