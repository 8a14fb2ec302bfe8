#include "app/SettingsFile.h"

#include "platform/AtomicReplace.h"
#include "platform/PosixFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>

#include <fcntl.h>
#include <unistd.h>

namespace {

// A line we wrote holds at most a line edit's 32767 UTF-16 units, i.e. under 100 KiB of UTF-8 plus two quotes.
constexpr qsizetype kMaxLineBytes = 128 * 1024;
// Five full lines fit well inside this; only a file that is not ours gets cut off by it.
constexpr qint64 kMaxBytesRead = 1024 * 1024;
constexpr int kValueCount = 5;

// Tabs are ordinary text; no other control character is ever written, so one means the file is not ours.
bool isControl(char c)
{
    return static_cast<unsigned char>(c) < 0x20 && c != '\t';
}

struct Line
{
    QString text;
    bool usable = false; // false: too long, not UTF-8, or holding control characters (binary data)
};

// Reads lines ending in CR LF, LF or CR from a file descriptor without ever holding more than one capped line and
// without reading past kMaxBytesRead.
class LineReader
{
public:
    explicit LineReader(int fd) : m_fd(fd) {}

    // Nothing at the file's end (or when the byte budget is spent before a new line starts).
    std::optional<Line> next()
    {
        QByteArray bytes;
        bool overlong = false;
        bool started = false;
        bool terminated = false;
        char c = 0;
        while (takeByte(c)) {
            started = true;
            if (c == '\n') {
                terminated = true;
                break;
            }
            if (c == '\r') {
                char following = 0;
                if (peekByte(following) && following == '\n') {
                    takeByte(following);
                }
                terminated = true;
                break;
            }
            if (bytes.size() < kMaxLineBytes) {
                bytes.append(c);
            } else {
                overlong = true;
            }
        }
        if (!started) {
            return std::nullopt;
        }
        // A line cut off by the byte budget rather than by the file's end is not a whole line.
        if (!terminated && !m_atEnd) {
            overlong = true;
        }
        if (m_firstLine) {
            m_firstLine = false;
            if (bytes.startsWith("\xEF\xBB\xBF")) {
                bytes.remove(0, 3);
            }
        }
        Line line;
        if (overlong || std::any_of(bytes.cbegin(), bytes.cend(), isControl)) {
            return line;
        }
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        line.text = decoder.decode(bytes);
        line.usable = !decoder.hasError();
        return line;
    }

private:
    bool fill()
    {
        if (m_position < m_length) {
            return true;
        }
        if (m_atEnd || m_total >= kMaxBytesRead) {
            return false;
        }
        const auto wanted = static_cast<size_t>(std::min<qint64>(sizeof(m_buffer), kMaxBytesRead - m_total));
        ssize_t got = 0;
        do {
            got = ::read(m_fd, m_buffer.data(), wanted);
        } while (got < 0 && errno == EINTR);
        if (got <= 0) {
            m_atEnd = true;
            return false;
        }
        m_length = got;
        m_position = 0;
        m_total += got;
        return true;
    }
    bool peekByte(char& c)
    {
        if (!fill()) {
            return false;
        }
        c = m_buffer[static_cast<size_t>(m_position)];
        return true;
    }
    bool takeByte(char& c)
    {
        if (!peekByte(c)) {
            return false;
        }
        ++m_position;
        return true;
    }

    int m_fd;
    std::array<char, 16 * 1024> m_buffer{};
    ssize_t m_length = 0;
    ssize_t m_position = 0;
    qint64 m_total = 0;
    bool m_atEnd = false;
    bool m_firstLine = true;
};

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QString trimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    return text.mid(begin, end - begin).toString();
}

// Splits the lines into values: a quoted value takes the rest of its line, an unquoted one runs to a comma.
class ValueReader
{
public:
    explicit ValueReader(LineReader& lines) : m_lines(lines) {}

    std::optional<QString> next()
    {
        if (!m_line) {
            m_line = m_lines.next();
            m_position = 0;
            if (!m_line) {
                return std::nullopt;
            }
        }
        if (!m_line->usable) {
            m_line.reset();
            return std::nullopt;
        }
        const QString& text = m_line->text;
        qsizetype position = m_position;
        while (position < text.size() && isBlank(text[position])) {
            ++position;
        }
        if (position < text.size() && text[position] == QLatin1Char('"')) {
            const qsizetype last = text.lastIndexOf(QLatin1Char('"'));
            const qsizetype end = last > position ? last : text.size();
            QString value = text.mid(position + 1, end - position - 1);
            m_line.reset();
            return value;
        }
        const qsizetype comma = text.indexOf(QLatin1Char(','), position);
        if (comma < 0) {
            QString value = trimBlanks(QStringView(text).mid(position));
            m_line.reset();
            return value;
        }
        m_position = comma + 1;
        return trimBlanks(QStringView(text).mid(position, comma - position));
    }

private:
    LineReader& m_lines;
    std::optional<Line> m_line;
    qsizetype m_position = 0;
};

QByteArray quotedLine(const QString& value)
{
    QString clean = value;
    for (QChar& c : clean) {
        if (c.unicode() < 0x20 && c != QLatin1Char('\t')) {
            c = QLatin1Char(' ');
        }
    }
    return '"' + clean.toUtf8() + "\"\r\n";
}

} // namespace

QString settingsFilePath(const QString& programFolder)
{
    return programFolder + QStringLiteral("/setting.dll");
}

QString settingsFileLocation(const QString& programFolder, const QString& fallbackFolder)
{
    // The file is replaced by renaming a new one over it, so it is the folder that must be writable.
    if (canMakeFilesIn(programFolder)) {
        return settingsFilePath(programFolder);
    }
    return settingsFilePath(fallbackFolder);
}

QByteArray formatSettings(const SettingsValues& values)
{
    return quotedLine(values.title) + quotedLine(values.author) + quotedLine(values.subject) +
           quotedLine(values.keywords) + quotedLine(QString::number(values.quality));
}

bool writeSettingsFile(const QString& path, const SettingsValues& values, QString* error)
{
    const auto fail = [&](const QString& cause) {
        if (error != nullptr) {
            *error = QStringLiteral("The settings could not be saved to \"%1\": %2.").arg(path, cause);
        }
        return false;
    };

    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder)) {
        return fail(QStringLiteral("the folder could not be created"));
    }
    // Only ever an ordinary file: a FIFO, device or socket under this name, or a link to one, is left alone.
    AtomicReplace file(path, AtomicReplace::Durability::Synced);
    int cause = file.open();
    if (cause == 0) {
        const QByteArray bytes = formatSettings(values);
        cause = writeAll(file.fd(), bytes.constData(), std::size_t(bytes.size()));
    }
    if (cause == 0) {
        cause = file.commit();
    }
    return cause == 0 || fail(writeFailureReason(cause));
}

SettingsRead readSettingsFile(const QString& path)
{
    SettingsRead result;
    const QByteArray nativePath = QFile::encodeName(path);
    // Non-blocking so that a FIFO or device under this name cannot hold up the start-up; it is refused below.
    FileDescriptor fd(::open(nativePath.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) {
        return result;
    }
    if (!isOrdinaryFile(fd.get())) {
        return result;
    }

    LineReader lines(fd.get());
    ValueReader values(lines);
    std::array<std::optional<QString>*, kValueCount - 1> texts{&result.title, &result.author, &result.subject,
                                                               &result.keywords};
    for (std::optional<QString>* text : texts) {
        *text = values.next();
    }
    if (const std::optional<QString> quality = values.next()) {
        result.quality = parseQuality(*quality);
    }
    return result;
}

std::optional<int> parseQuality(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)$"));
    const QString trimmed = trimBlanks(text);
    if (!number.match(trimmed).hasMatch()) {
        return std::nullopt;
    }
    bool ok = false;
    const double value = trimmed.toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    double rounded = std::round(value); // halves away from zero ...
    if (std::abs(value - std::trunc(value)) == 0.5) {
        rounded = 2.0 * std::round(value / 2.0); // ... except that a half goes to the even neighbour
    }
    if (rounded < -32768.0 || rounded > 32767.0) {
        return std::nullopt;
    }
    return static_cast<int>(rounded);
}

std::optional<int> qualityWithinRange(std::optional<int> quality)
{
    if (quality && *quality >= kMinimumQuality && *quality <= kMaximumQuality) {
        return quality;
    }
    return std::nullopt;
}
