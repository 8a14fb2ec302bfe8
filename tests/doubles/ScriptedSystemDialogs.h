#pragma once

#include "platform/SystemDialogs.h"

#include <QList>
#include <deque>
#include <functional>

// Answers dialogs from queues that a test fills; records every request. An empty queue means "cancelled".
class ScriptedSystemDialogs final : public SystemDialogs
{
public:
    std::deque<std::optional<QString>> openAnswers;
    std::deque<std::optional<QString>> saveAnswers;
    std::deque<std::optional<QString>> folderAnswers;
    std::deque<std::optional<QColor>> colorAnswers;
    std::deque<std::optional<FontChoice>> fontAnswers;
    std::deque<bool> printerAnswers;
    std::deque<bool> printerPropertiesAnswers;
    int dpiY = 96;

    QList<FileDialogRequest> openRequests;
    QList<FileDialogRequest> saveRequests;
    QStringList folderCaptions;
    QList<std::pair<QColor, bool>> colorRequests;
    QList<FontRequest> fontRequests;
    int printerCalls = 0;
    int printerPropertiesCalls = 0;

    // Runs while a dialog is "open" (before it returns), to imitate what the user does meanwhile.
    std::function<void()> whileOpen;

    std::optional<QString> openFile(QWidget*, const FileDialogRequest& request) override
    {
        openRequests.append(request);
        return next(openAnswers);
    }
    std::optional<QString> saveFile(QWidget*, const FileDialogRequest& request) override
    {
        saveRequests.append(request);
        return next(saveAnswers);
    }
    std::optional<QString> folder(QWidget*, const QString& caption) override
    {
        folderCaptions.append(caption);
        return next(folderAnswers);
    }
    std::optional<QColor> color(QWidget*, const QColor& initial, bool fullOpen) override
    {
        colorRequests.append({initial, fullOpen});
        return next(colorAnswers);
    }
    std::optional<FontChoice> font(QWidget*, const FontRequest& request) override
    {
        fontRequests.append(request);
        return next(fontAnswers);
    }
    bool printer(QWidget*) override
    {
        ++printerCalls;
        return nextFlag(printerAnswers);
    }
    bool printerProperties(QWidget*) override
    {
        ++printerPropertiesCalls;
        return nextFlag(printerPropertiesAnswers);
    }
    int screenDpiY() const override { return dpiY; }

private:
    template <typename T> std::optional<T> next(std::deque<std::optional<T>>& queue)
    {
        if (whileOpen) {
            whileOpen();
        }
        if (queue.empty()) {
            return std::nullopt;
        }
        if (!queue.front().has_value()) {
            queue.pop_front();
            return std::nullopt;
        }
        T value = std::move(*queue.front());
        queue.pop_front();
        return value;
    }
    bool nextFlag(std::deque<bool>& queue)
    {
        if (whileOpen) {
            whileOpen();
        }
        if (queue.empty()) {
            return false;
        }
        const bool answer = queue.front();
        queue.pop_front();
        return answer;
    }
};
