#pragma once

#include <QImage>
#include <QString>
#include <QTemporaryDir>

// A scratch folder for one test, removed with everything in it when the test ends.
class TestFolder
{
public:
    TestFolder();
    [[nodiscard]] bool isValid() const { return m_dir.isValid(); }
    [[nodiscard]] QString path() const { return m_dir.path(); }
    [[nodiscard]] QString file(const QString& relative) const { return m_dir.filePath(relative); }

    // Writes a file (and any folders on its way) with the given bytes; returns its full path.
    QString write(const QString& relative, const QByteArray& bytes = {}) const;
    // Makes a folder (and its parents); returns its full path.
    QString mkdir(const QString& relative) const;

private:
    QTemporaryDir m_dir;
};

// A picture with a gradient and four coloured corners, so that order, orientation and colour show.
QImage makeTestPicture(int width, int height);
