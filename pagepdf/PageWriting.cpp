#include "pagepdf/PageWriting.h"

#include "platform/AtomicReplace.h"
#include "platform/PosixFile.h"

#include <QCoreApplication>

#include <qpdf/Buffer.hh>
#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFWriter.hh>
#include <qpdf/QUtil.hh>

#include <array>
#include <exception>
#include <stdexcept>
#include <string>

namespace {

// One length unit is 0.1 mm.
double toPoints(double units)
{
    return units * 72.0 / 254.0;
}

std::string number(double value)
{
    return QUtil::double_to_string(value + 0.0, 4); // + 0.0: never "-0"
}

// Feeds qpdf's writer into a file descriptor, keeping the cause of a failed write for the message.
class DescriptorPipeline final : public Pipeline
{
public:
    explicit DescriptorPipeline(int fd) : Pipeline("page file", nullptr), m_fd(fd) {}

    void write(unsigned char const* data, size_t length) override
    {
        m_cause = writeAll(m_fd, data, length);
        if (m_cause != 0) {
            throw std::runtime_error(errnoText(m_cause).toStdString());
        }
    }
    void finish() override {}
    [[nodiscard]] int cause() const { return m_cause; }

private:
    int m_fd;
    int m_cause = 0;
};

QPDFObjectHandle colourSpace(QPDF& pdf, const PageImage& image)
{
    const char* device = image.components == 1 ? "/DeviceGray" : image.components == 4 ? "/DeviceCMYK" : "/DeviceRGB";
    if (image.iccProfile.isEmpty()) {
        return QPDFObjectHandle::newName(device);
    }
    QPDFObjectHandle profile = pdf.newStream(image.iccProfile.toStdString());
    profile.getDict().replaceKey("/N", QPDFObjectHandle::newInteger(image.components));
    profile.getDict().replaceKey("/Alternate", QPDFObjectHandle::newName(device));
    QPDFObjectHandle space = QPDFObjectHandle::newArray();
    space.appendItem(QPDFObjectHandle::newName("/ICCBased"));
    space.appendItem(profile);
    return space;
}

QPDFObjectHandle imageStream(QPDF& pdf, const PageImage& image)
{
    QPDFObjectHandle stream = pdf.newStream();
    QPDFObjectHandle dict = stream.getDict();
    dict.replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
    dict.replaceKey("/Subtype", QPDFObjectHandle::newName("/Image"));
    dict.replaceKey("/Width", QPDFObjectHandle::newInteger(image.width));
    dict.replaceKey("/Height", QPDFObjectHandle::newInteger(image.height));
    dict.replaceKey("/ColorSpace", colourSpace(pdf, image));
    dict.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(8));
    if (image.components == 4 && image.inkInverted) {
        QPDFObjectHandle decode = QPDFObjectHandle::newArray();
        for (int i = 0; i < 4; ++i) {
            decode.appendItem(QPDFObjectHandle::newInteger(1));
            decode.appendItem(QPDFObjectHandle::newInteger(0));
        }
        dict.replaceKey("/Decode", decode);
    }
    QPDFObjectHandle parameters = QPDFObjectHandle::newNull();
    if (image.filter == ImageFilter::Flate) {
        parameters = QPDFObjectHandle::newDictionary();
        parameters.replaceKey("/Predictor", QPDFObjectHandle::newInteger(15));
        parameters.replaceKey("/Colors", QPDFObjectHandle::newInteger(image.components));
        parameters.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(8));
        parameters.replaceKey("/Columns", QPDFObjectHandle::newInteger(image.width));
    }
    // The data stays where its maker keeps it; qpdf reads it from there when writing. The buffer only borrows it.
    stream.replaceStreamData(
        std::make_shared<Buffer>(const_cast<unsigned char*>(image.data.get()), image.size),
        QPDFObjectHandle::newName(image.filter == ImageFilter::Flate ? "/FlateDecode" : "/DCTDecode"), parameters);
    return stream;
}

// The drawing matrix that stands the stored picture upright in the rectangle (x, y from the page's bottom-left
// corner, in points). The orientation maps the stored picture's centred coordinates (right, down) onto the upright
// picture's; the matrix then maps PDF's unit square (image space: right, up) onto the rectangle.
std::array<double, 6> placement(int orientation, double x, double y, double width, double height)
{
    // Rows of the 2 x 2 map per EXIF orientation, 1 to 8.
    static constexpr int kMaps[8][4] = {{1, 0, 0, 1}, {-1, 0, 0, 1}, {-1, 0, 0, -1}, {1, 0, 0, -1},
                                        {0, 1, 1, 0}, {0, -1, 1, 0}, {0, -1, -1, 0}, {0, 1, -1, 0}};
    const int* m = kMaps[(orientation >= 1 && orientation <= 8 ? orientation : 1) - 1];
    // Stored (u, v) in the unit square is (u - 1/2, 1/2 - v) centred; upright (x', y') lands at
    // (x + w (1/2 + x'), y + h (1/2 - y')).
    return {width * m[0],
            -height * m[2],
            -width * m[1],
            height * m[3],
            x + width * (0.5 - 0.5 * m[0] + 0.5 * m[1]),
            y + height * (0.5 + 0.5 * m[2] - 0.5 * m[3])};
}

void buildPage(QPDF& pdf, const PageContent& page)
{
    QPDFObjectHandle xobjects = QPDFObjectHandle::newDictionary();
    std::string content;
    for (std::size_t i = 0; i < page.images.size(); ++i) {
        const PlacedImage& image = page.images[i];
        const std::string resource = "/Im" + std::to_string(i);
        xobjects.replaceKey(resource, imageStream(pdf, image.image));
        // Rectangles are given from the top-left corner; PDF's y axis goes up from the bottom.
        const std::array<double, 6> matrix = placement(image.image.orientation, toPoints(image.left),
                                                       toPoints(double(page.height) - image.top - image.height),
                                                       toPoints(image.width), toPoints(image.height));
        content += "q";
        for (const double value : matrix) {
            content += " " + number(value);
        }
        content += " cm " + resource + " Do Q\n";
    }

    QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
    resources.replaceKey("/XObject", xobjects);
    QPDFObjectHandle pageObject = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
    pageObject.replaceKey("/Type", QPDFObjectHandle::newName("/Page"));
    pageObject.replaceKey("/MediaBox", QPDFObjectHandle::newArray(QPDFObjectHandle::Rectangle(
                                           0, 0, toPoints(page.width), toPoints(page.height))));
    pageObject.replaceKey("/Resources", resources);
    pageObject.replaceKey("/Contents", pdf.newStream(content));
    pdf.addPage(pageObject, true);

    if (!page.productName.isEmpty()) {
        QPDFObjectHandle documentInfo = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
        const std::string product = page.productName.toStdString();
        documentInfo.replaceKey("/Producer", QPDFObjectHandle::newUnicodeString(product));
        documentInfo.replaceKey("/Creator", QPDFObjectHandle::newUnicodeString(product));
        pdf.getTrailer().replaceKey("/Info", documentInfo);
    }
}

} // namespace

bool writePage(const QString& file, const PageContent& page, QString* error)
{
    const auto fail = [&](const QString& reason) {
        *error =
            QCoreApplication::translate("PageWriting", "The page file \"%1\" cannot be written: %2.").arg(file, reason);
        return false;
    };
    AtomicReplace output(file, AtomicReplace::Durability::Scratch);
    if (const int cause = output.open(); cause != 0) {
        return fail(writeFailureReason(cause));
    }
    DescriptorPipeline pipeline(output.fd());
    try {
        QPDF pdf;
        pdf.emptyPDF();
        pdf.setSuppressWarnings(true);
        buildPage(pdf, page);
        QPDFWriter writer(pdf);
        writer.setOutputPipeline(&pipeline);
        // The pictures go as they were compressed; only the page's drawing is deflated here.
        writer.setDecodeLevel(qpdf_dl_none);
        writer.write();
    } catch (const std::exception& e) {
        return fail(pipeline.cause() != 0 ? writeFailureReason(pipeline.cause()) : QString::fromStdString(e.what()));
    }
    if (const int cause = output.commit(); cause != 0) {
        return fail(writeFailureReason(cause));
    }
    return true;
}
