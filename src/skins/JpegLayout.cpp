#include "skins/JpegLayout.h"

#include <QIODevice>
#include <algorithm>
#include <array>
#include <cstring>

namespace zarvik {

namespace {

// Reads a device through a fixed buffer, so that walking a file of any size takes the same
// small memory.
class ByteSource {
public:
    explicit ByteSource(QIODevice& device) : m_device(device) {}

    // The next byte, or -1 at the end of the data.
    int get()
    {
        if (m_pos == m_end && !fill())
            return -1;
        return static_cast<unsigned char>(m_buffer[m_pos++]);
    }
    bool skip(qint64 count)
    {
        while (count > 0) {
            if (m_pos == m_end && !fill())
                return false;
            const qint64 step = std::min<qint64>(count, m_end - m_pos);
            m_pos += step;
            count -= step;
        }
        return true;
    }
    // Skips to the next 0xFF byte and leaves it unread; false at the end of the data.
    bool seekFF()
    {
        for (;;) {
            if (m_pos == m_end && !fill())
                return false;
            const void* hit = std::memchr(m_buffer.data() + m_pos, 0xFF, static_cast<size_t>(m_end - m_pos));
            if (hit) {
                m_pos = static_cast<const char*>(hit) - m_buffer.data();
                return true;
            }
            m_pos = m_end;
        }
    }

private:
    bool fill()
    {
        const qint64 got = m_device.read(m_buffer.data(), static_cast<qint64>(m_buffer.size()));
        m_pos = 0;
        m_end = got > 0 ? got : 0;
        return m_end > 0;
    }

    QIODevice& m_device;
    std::array<char, 64 * 1024> m_buffer{};
    qint64 m_pos = 0;
    qint64 m_end = 0;
};

int read16(ByteSource& in)
{
    const int high = in.get();
    const int low = in.get();
    return high < 0 || low < 0 ? -1 : (high << 8) | low;
}

bool isFrameMarker(int marker)
{
    // SOF0..SOF15 without DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool isProgressiveFrame(int marker)
{
    return marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
}

// Reads a frame header's payload (after its length) into the layout.
bool readFrame(ByteSource& in, int length, JpegLayout& layout)
{
    if (length < 6)
        return false;
    in.get(); // sample precision
    const int height = read16(in);
    const int width = read16(in);
    const int components = in.get();
    if (height < 0 || width < 0 || components <= 0 || length < 6 + 3 * components)
        return false;
    struct Sampling {
        int h, v;
    };
    std::array<Sampling, 255> sampling{};
    int hMax = 1, vMax = 1;
    for (int i = 0; i < components; ++i) {
        in.get(); // component id
        const int factors = in.get();
        in.get(); // quantisation table
        if (factors < 0)
            return false;
        sampling[static_cast<size_t>(i)] = {std::max(1, factors >> 4), std::max(1, factors & 0x0F)};
        hMax = std::max(hMax, sampling[static_cast<size_t>(i)].h);
        vMax = std::max(vMax, sampling[static_cast<size_t>(i)].v);
    }
    layout.size = QSize(width, height);
    layout.coefficientBytes = 0;
    for (int i = 0; i < components; ++i) {
        const Sampling s = sampling[static_cast<size_t>(i)];
        const qint64 blocksWide = (qint64(width) * s.h + 8 * hMax - 1) / (8 * hMax);
        const qint64 blocksHigh = (qint64(height) * s.v + 8 * vMax - 1) / (8 * vMax);
        layout.coefficientBytes += blocksWide * blocksHigh * 64 * 2;
    }
    return in.skip(length - 6 - 3 * components);
}

// Skips the entropy-coded data of a scan; returns the marker that ends it, or -1 when the
// data ends first.
int skipScanData(ByteSource& in)
{
    for (;;) {
        if (!in.seekFF())
            return -1;
        in.get();
        int next = in.get();
        // 0xFF fill bytes may precede a marker.
        while (next == 0xFF)
            next = in.get();
        if (next < 0)
            return -1;
        // A stuffed zero and the restart markers belong to the scan.
        if (next != 0x00 && !(next >= 0xD0 && next <= 0xD7))
            return next;
    }
}

} // namespace

std::optional<JpegLayout> JpegLayout::read(QIODevice& device)
{
    ByteSource in(device);
    if (in.get() != 0xFF || in.get() != 0xD8)
        return std::nullopt;
    JpegLayout layout;
    bool framed = false;
    int pending = -1; // the marker that ended the last scan
    for (;;) {
        int marker = pending;
        pending = -1;
        if (marker < 0) {
            if (in.get() != 0xFF)
                return layout; // garbage where a marker belongs: not whole
            marker = in.get();
            while (marker == 0xFF)
                marker = in.get();
            if (marker < 0)
                return layout;
        }
        if (marker == 0xD9) {
            layout.complete = framed && layout.scans > 0;
            return layout;
        }
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01)
            continue;
        const int length = read16(in);
        if (length < 2)
            return layout;
        if (isFrameMarker(marker)) {
            if (framed || !readFrame(in, length - 2, layout))
                return layout;
            framed = true;
            layout.progressive = isProgressiveFrame(marker);
            continue;
        }
        if (!in.skip(length - 2))
            return layout;
        if (marker == 0xDA) {
            if (!framed)
                return layout;
            ++layout.scans;
            pending = skipScanData(in);
            if (pending < 0)
                return layout;
        }
    }
}

} // namespace zarvik
