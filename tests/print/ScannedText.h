#pragma once

#include <ZXing/ReadBarcode.h>

#include <QImage>

#include <string>

namespace kestrio::test {

// What a barcode reader finds on a drawn picture (Code 39 or EAN-13); empty when nothing.
inline std::string ScannedText(const QImage& image)
{
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    const auto hints = ZXing::DecodeHints()
                           .setFormats(ZXing::BarcodeFormat::Code39 | ZXing::BarcodeFormat::EAN13)
                           .setTryHarder(true);
    const ZXing::Result result = ZXing::ReadBarcode(
        ZXing::ImageView(grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum,
                         int(grey.bytesPerLine())),
        hints);
    return result.isValid() ? result.text() : std::string();
}

} // namespace kestrio::test
