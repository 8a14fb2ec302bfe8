#include "app/TerminalProgress.h"

#include <algorithm>

QString terminalText(const QString& text, bool keepLineBreaks)
{
    QString plain = text;
    for (QChar& c : plain) {
        if (keepLineBreaks && c == QLatin1Char('\n')) {
            continue;
        }
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Other_Format || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph) {
            c = QLatin1Char('?');
        }
    }
    return plain;
}

TerminalProgress::TerminalProgress(std::FILE* stream, bool redraw, bool quiet)
    : m_stream(stream), m_redraw(redraw), m_quiet(quiet)
{
}

TerminalProgress::~TerminalProgress()
{
    endLine();
}

void TerminalProgress::show(const QString& line)
{
    if (m_quiet || line == m_shown) {
        return;
    }
    if (!m_redraw) {
        write(line + QLatin1Char('\n'));
    } else {
        // Blanks over what the longer line before left standing: no terminal's own commands are needed.
        const qsizetype leftOver = std::max<qsizetype>(0, m_shown.size() - line.size());
        write(QLatin1Char('\r') + line + QString(leftOver, QLatin1Char(' ')));
        m_open = true;
    }
    m_shown = line;
}

void TerminalProgress::message(const QString& text)
{
    endLine();
    write(QStringLiteral("pagewell: ") + text + QLatin1Char('\n'));
}

void TerminalProgress::endLine()
{
    if (m_open) {
        write(QStringLiteral("\n"));
        m_open = false;
    }
}

void TerminalProgress::write(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_stream);
    std::fflush(m_stream);
}
