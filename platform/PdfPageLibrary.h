#pragma once

#include <QByteArray>
#include <QString>

class QWidget;

// What the image reader found a JPEG file to hold, for placing its own data on a page.
struct JpegFacts
{
    int width = 0; // as stored
    int height = 0;
    int components = 3;       // 1 grey, 3 YCbCr or RGB, 4 CMYK or YCCK
    bool inkInverted = false; // CMYK stored as 255 - ink (Adobe's files)
    int orientation = 1;      // an EXIF orientation, 1 to 8: how the stored picture stands upright
    QByteArray iccProfile;    // its embedded colour profile; empty when none
};

// The page-PDF library: one box is one single-page document under construction. Every call answers -1 on
// failure and GetErrorMsg() then tells why. Virtual so that tests can stand in for it and make any call fail.
class PdfPageLibrary
{
public:
    // Property ids understood by SetNumProp / SetStrProp.
    enum Property : int
    {
        OutputFile = 10,  // text: the file EndDoc writes
        ProductName = 14, // text: recorded as the document's Producer and Creator
        Setting31 = 31,   // fixed value 2, kept for callers that set it
        PageHeight = 34,  // page height in 0.1 mm
        PageWidth = 36,   // page width in 0.1 mm
        Setting44 = 44,   // set to 1 and back to 0 around naming the output file
        JpegQuality = 45, // 0..100 (0 is taken as 1)
        Setting51 = 51,   // fixed value 2
        Setting52 = 52,   // fixed value 2
        Compression = 60, // how drawn images are compressed: JpegCompression (the default) or Lossless
    };

    // Values of the Compression property.
    enum CompressionKind : int
    {
        JpegCompression = 0, // JPEG at the JpegQuality
        Lossless = 1,        // deflate: the page holds exactly the image's pixels
    };

    virtual ~PdfPageLibrary() = default;

    virtual int CreateBox(QWidget* owner, int reserved) = 0;
    virtual int SetNumProp(int box, int id, int value) = 0;
    virtual int SetStrProp(int box, int id, const QString& text) = 0;
    virtual int BeginDoc(int box) = 0;
    // Draws an image file scaled to fill the rectangle; lengths in 0.1 mm from the page's top-left corner.
    virtual int StretchDrawFromFile(int box, int left, int top, int width, int height, const QString& imageFile) = 0;
    // The same for a picture whose pixels are in the colours of this ICC profile (grey or RGB, as the picture is),
    // which the page keeps with them.
    virtual int StretchDrawFromFileInColours(int box, int left, int top, int width, int height,
                                             const QString& imageFile, const QByteArray& iccProfile) = 0;
    // Draws a JPEG file's own data into the rectangle, neither decoded nor compressed again: it stands upright in it as
    // its orientation says. What the data holds is the image reader's word (JpegFacts); the library only copies it.
    virtual int DrawJpegData(int box, int left, int top, int width, int height, const QByteArray& jpeg,
                             const JpegFacts& facts) = 0;
    virtual int EndDoc(int box) = 0;
    virtual int FreeBox(int box) = 0;
    // The text of the last failure, a full sentence.
    [[nodiscard]] virtual QString GetErrorMsg() const = 0;
};
