#include "app/TerminalOptions.h"

#include "app/DocumentDefaults.h"
#include "app/PdfDate.h"
#include "app/QualityLabels.h"

#include <QCoreApplication>

#include <array>

namespace {

enum class Field
{
    Output,
    Title,
    Author,
    Subject,
    Keywords,
    Date,
    Quality,
    PageSize,
    Orientation,
    Margin,
    Original,
    Quiet,
};

// A flag takes no value.
bool isFlag(Field field)
{
    return field == Field::Original || field == Field::Quiet;
}

struct OptionName
{
    const char* name; // after "--"
    char letter;      // after "-"; 0 for none
    Field field;
};

constexpr std::array kOptions{
    OptionName{"output", 'o', Field::Output},         OptionName{"title", 0, Field::Title},
    OptionName{"author", 0, Field::Author},           OptionName{"subject", 0, Field::Subject},
    OptionName{"keywords", 0, Field::Keywords},       OptionName{"date", 0, Field::Date},
    OptionName{"quality", 0, Field::Quality},         OptionName{"page-size", 0, Field::PageSize},
    OptionName{"orientation", 0, Field::Orientation}, OptionName{"margin", 0, Field::Margin},
    OptionName{"original", 0, Field::Original},       OptionName{"quiet", 'q', Field::Quiet},
};

// An option as one argument gives it: which one, and its value when the argument carries it.
struct OptionUse
{
    const OptionName* option = nullptr;
    std::optional<QByteArray> value;
};

OptionUse optionUse(const QByteArray& argument)
{
    OptionUse use;
    if (argument.startsWith("--")) {
        const qsizetype equals = argument.indexOf('=');
        const QByteArray name = argument.mid(2, equals < 0 ? -1 : equals - 2);
        for (const OptionName& option : kOptions) {
            if (name == option.name) {
                use.option = &option;
            }
        }
        if (equals >= 0) {
            use.value = argument.mid(equals + 1);
        }
    } else if (argument.size() >= 2 && argument.startsWith('-')) {
        for (const OptionName& option : kOptions) {
            if (option.letter != 0 && argument.at(1) == option.letter) {
                use.option = &option;
            }
        }
        if (argument.size() > 2) {
            use.value = argument.mid(2);
        }
    }
    // A flag takes no value: "--quiet=yes" and "-qx" are no options of ours.
    if (use.option != nullptr && isFlag(use.option->field) && use.value) {
        use.option = nullptr;
    }
    return use;
}

// A whole number from low to high, as typed.
std::optional<int> numberWithin(const QByteArray& text, int low, int high)
{
    bool ok = false;
    const int number = text.toInt(&ok);
    return ok && number >= low && number <= high ? std::optional<int>(number) : std::nullopt;
}

// Sets what the option says; false with the reason in *error when its value is not one it takes.
bool apply(Field field, const QByteArray& value, TerminalRequest* request, QString* error)
{
    const QString text = QString::fromLocal8Bit(value);
    switch (field) {
    case Field::Output:
        request->destination = value;
        return true;
    case Field::Title:
        request->info.title = text;
        return true;
    case Field::Author:
        request->info.author = text;
        return true;
    case Field::Subject:
        request->info.subject = text;
        return true;
    case Field::Keywords:
        request->info.keywords = text;
        return true;
    case Field::Date:
        if (const std::optional<QString> date = checkedPdfDate(text)) {
            request->info.creationDate = *date;
            return true;
        }
        *error = QCoreApplication::translate(
                     "TerminalRun", "--date takes a PDF date (D:20240531143000+02'00) or an ISO date (2024-05-31 or "
                                    "2024-05-31T14:30:00+02:00), not \"%1\"")
                     .arg(text);
        return false;
    case Field::Quality:
        if (const std::optional<int> quality = numberWithin(value, kMinimumQuality, kMaximumQuality)) {
            request->page.quality = *quality;
            return true;
        }
        *error = QCoreApplication::translate("TerminalRun", "--quality takes a whole number from 1 to 100, not \"%1\"")
                     .arg(text);
        return false;
    case Field::PageSize:
        if (const std::optional<PaperSize> paper = paperSizeFromWord(text)) {
            request->page.paper = *paper;
            return true;
        }
        *error = QCoreApplication::translate(
                     "TerminalRun", "--page-size takes as-image, as-scanned, a4, a5, a3, letter or legal, not \"%1\"")
                     .arg(text);
        return false;
    case Field::Orientation:
        if (const std::optional<PaperOrientation> orientation = orientationFromWord(text)) {
            request->page.orientation = *orientation;
            return true;
        }
        *error =
            QCoreApplication::translate("TerminalRun", "--orientation takes auto, portrait or landscape, not \"%1\"")
                .arg(text);
        return false;
    case Field::Margin:
        if (const std::optional<int> margin = numberWithin(value, 0, kMaxMarginMm)) {
            request->page.marginMm = *margin;
            return true;
        }
        *error = QCoreApplication::translate("TerminalRun",
                                             "--margin takes a whole number of millimetres from 0 to %1, not \"%2\"")
                     .arg(kMaxMarginMm)
                     .arg(text);
        return false;
    case Field::Original:
        request->page.keepOriginal = true;
        return true;
    case Field::Quiet:
        request->quiet = true;
        return true;
    }
    return false;
}

} // namespace

TerminalOption terminalOption(const QByteArray& argument)
{
    const OptionUse use = optionUse(argument);
    if (use.option == nullptr) {
        return {};
    }
    return {true, use.option->field == Field::Output, !isFlag(use.option->field) && !use.value};
}

TerminalRequest windowDefaults(const QString& now)
{
    TerminalRequest request;
    request.info = {QString::fromLatin1(kDefaultTitle), QString::fromLatin1(kDefaultAuthor), now,
                    QString::fromLatin1(kDefaultSubject), QString()};
    request.page.quality = kSliderDefaultQuality;
    return request;
}

std::optional<TerminalRequest> readTerminalRequest(const QList<QByteArray>& arguments, TerminalRequest defaults,
                                                   QString* error)
{
    TerminalRequest request = std::move(defaults);
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QByteArray& argument = arguments.at(i);
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || !argument.startsWith('-') || argument == "-") {
            request.inputs.append(argument);
            continue;
        }
        OptionUse use = optionUse(argument);
        if (use.option == nullptr) {
            *error =
                QCoreApplication::translate("TerminalRun", "unknown option \"%1\" (pagewell --help lists the options)")
                    .arg(QString::fromLocal8Bit(argument));
            return std::nullopt;
        }
        const bool takesValue = !isFlag(use.option->field);
        if (takesValue && !use.value && i + 1 < arguments.size()) {
            use.value = arguments.at(++i);
        }
        if (takesValue && (!use.value || (use.option->field == Field::Output && use.value->isEmpty()))) {
            *error = QCoreApplication::translate("TerminalRun", "the option %1 needs a value")
                         .arg(QString::fromLocal8Bit(argument));
            return std::nullopt;
        }
        if (!apply(use.option->field, use.value.value_or(QByteArray()), &request, error)) {
            return std::nullopt;
        }
    }
    if (request.destination.isEmpty()) {
        *error = QCoreApplication::translate("TerminalRun", "the option %1 needs a value").arg(QStringLiteral("-o"));
        return std::nullopt;
    }
    if (request.inputs.isEmpty()) {
        *error = QCoreApplication::translate("TerminalRun", "no image or folder is named (pagewell --help tells how)");
        return std::nullopt;
    }
    return request;
}
