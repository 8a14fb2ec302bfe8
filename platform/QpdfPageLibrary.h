#pragma once

#include "platform/PdfPageLibrary.h"

#include <map>
#include <memory>

// The page-PDF library itself: images are read with FreeImage, compressed to JPEG with TurboJPEG and placed on
// a single page that qpdf writes. An image is compressed when it is drawn, so a box holds only its JPEG data,
// never the decoded picture. Colour images use 4:2:0 chroma subsampling below quality 90 and 4:4:4 from 90 up.
class QpdfPageLibrary final : public PdfPageLibrary
{
public:
    QpdfPageLibrary();
    ~QpdfPageLibrary() override;
    QpdfPageLibrary(const QpdfPageLibrary&) = delete;
    QpdfPageLibrary& operator=(const QpdfPageLibrary&) = delete;

    int CreateBox(QWidget* owner, int reserved) override;
    int SetNumProp(int box, int id, int value) override;
    int SetStrProp(int box, int id, const QString& text) override;
    int BeginDoc(int box) override;
    int StretchDrawFromFile(int box, int left, int top, int width, int height, const QString& imageFile) override;
    int EndDoc(int box) override;
    int FreeBox(int box) override;
    [[nodiscard]] QString GetErrorMsg() const override;

    // Largest page side accepted, in 0.1 mm: 200 inches, the page size limit that PDF viewers keep to.
    static constexpr int maxPageUnits = 50800;

private:
    struct Box;

    Box* findBox(int box);
    int fail(const QString& message);
    int drawFromFile(Box& box, int left, int top, int width, int height, const QString& imageFile);
    int writeDocument(Box& box);

    std::map<int, std::unique_ptr<Box>> m_boxes;
    int m_nextBox = 1;
    QString m_lastError;
};
