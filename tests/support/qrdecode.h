#pragma once

#include <QImage>
#include <QString>

// The one QR code in image, as ZBar's zbarimg reads it (UTF-8); empty when
// there is none or zbarimg cannot be run.
QString DecodeQrCode(const QImage& image);
bool QrDecoderAvailable();
