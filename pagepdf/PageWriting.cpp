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
    return QUtil::double_to_string(value, 4);
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

QPDFObjectHandle imageStream(QPDF& pdf, const JpegImage& jpeg)
{
    QPDFObjectHandle stream = pdf.newStream();
    QPDFObjectHandle dict = stream.getDict();
    dict.replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
    dict.replaceKey("/Subtype", QPDFObjectHandle::newName("/Image"));
    dict.replaceKey("/Width", QPDFObjectHandle::newInteger(jpeg.width));
    dict.replaceKey("/Height", QPDFObjectHandle::newInteger(jpeg.height));
    dict.replaceKey("/ColorSpace", QPDFObjectHandle::newName(jpeg.grey ? "/DeviceGray" : "/DeviceRGB"));
    dict.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(8));
    // The JPEG data stays in TurboJPEG's buffer; qpdf reads it from there when writing.
    stream.replaceStreamData(std::make_shared<Buffer>(jpeg.data.get(), std::size_t(jpeg.size)),
                             QPDFObjectHandle::newName("/DCTDecode"), QPDFObjectHandle::newNull());
    return stream;
}

void buildPage(QPDF& pdf, const PageContent& page)
{
    QPDFObjectHandle xobjects = QPDFObjectHandle::newDictionary();
    std::string content;
    for (std::size_t i = 0; i < page.images.size(); ++i) {
        const PlacedImage& image = page.images[i];
        const std::string resource = "/Im" + std::to_string(i);
        xobjects.replaceKey(resource, imageStream(pdf, image.jpeg));
        // Rectangles are given from the top-left corner; PDF's y axis goes up from the bottom.
        content += "q " + number(toPoints(image.width)) + " 0 0 " + number(toPoints(image.height)) + " " +
                   number(toPoints(image.left)) + " " +
                   number(toPoints(double(page.height) - image.top - image.height)) + " cm " + resource + " Do Q\n";
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
        writer.write();
    } catch (const std::exception& e) {
        return fail(pipeline.cause() != 0 ? writeFailureReason(pipeline.cause()) : QString::fromStdString(e.what()));
    }
    if (const int cause = output.commit(); cause != 0) {
        return fail(writeFailureReason(cause));
    }
    return true;
}
