#pragma once

#include "platform/PdfPageLibrary.h"

#include <map>
#include <memory>

// The page-PDF library itself: images are read from the plain BMP files that the image reader writes, and from
// nothing else (PageBitmapReading), compressed to JPEG with TurboJPEG (JpegEncoding) or without loss (FlateEncoding)
// and placed on a single page that qpdf writes (PageWriting); a JPEG file's own data is placed as it is. It never
// decodes any other image format: that happens in the reader's process. An image is compressed when it is drawn, so a
// box holds only its JPEG data, never the decoded picture.
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
    int StretchDrawFromFileInColours(int box, int left, int top, int width, int height, const QString& imageFile,
                                     const QByteArray& iccProfile) override;
    int DrawJpegData(int box, int left, int top, int width, int height, const QByteArray& jpeg,
                     const JpegFacts& facts) override;
    int EndDoc(int box) override;
    int FreeBox(int box) override;
    [[nodiscard]] QString GetErrorMsg() const override;

    // Largest page side accepted, in 0.1 mm: 200 inches, the page size that PDF viewers keep to. Larger than the
    // page geometry's own 16-bit limit, so every page the run asks for fits.
    static constexpr int kViewerPageSideLimit = 50800;

private:
    struct Box;

    Box* findBox(int box);
    int fail(const QString& message);
    int drawFromFile(Box& box, int left, int top, int width, int height, const QString& imageFile,
                     const QByteArray& iccProfile);
    // Fails unless the box is begun and the rectangle has an area; what names the image in the message.
    int checkDrawable(const Box& box, int width, int height, const QString& what);

    std::map<int, std::unique_ptr<Box>> m_boxes;
    int m_nextBox = 1;
    QString m_lastError;
};
