#pragma once

#include <QSize>
#include <optional>

class QIODevice;

namespace zarvik {

// What a JPEG file's markers say about it, read without decoding a pixel: whether the file
// is whole, how large the picture is and how much the decoder has to hold at once.
struct JpegLayout {
    QSize size;
    // Progressive pictures and pictures in several scans are decoded from a buffer holding
    // every coefficient of the whole picture; a picture in one scan is decoded row by row.
    bool progressive = false;
    int scans = 0;
    // The picture ends with its end marker after at least one scan. A cut file does not, and
    // a decoder would fill its missing part with grey.
    bool complete = false;
    // The size of that whole-picture coefficient buffer (64 coefficients of 2 bytes per
    // 8 x 8 block of every component).
    qint64 coefficientBytes = 0;

    bool decodedWhole() const { return progressive || scans > 1; }

    // Reads the layout from the device's current position; nullopt when the data does not
    // start like a JPEG.
    static std::optional<JpegLayout> read(QIODevice& device);
};

} // namespace zarvik
