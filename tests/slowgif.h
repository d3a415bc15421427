#ifndef SLOWGIF_H
#define SLOWGIF_H

#include <QByteArray>

#include <algorithm>

// A GIF whose codes, after the first few thousand, each stand for thousands of pixels: decoding
// its one frame takes seconds.
inline QByteArray slowGif()
{
    QByteArray codes;
    quint32 bits = 0;
    int pending = 0;
    const auto put = [&](int code, int width) {
        for (bits |= quint32(code) << pending, pending += width; pending >= 8; pending -= 8)
            codes += char(bits), bits >>= 8;
    };
    put(256, 9); // clear, then a first pixel
    put(0, 9);
    for (int code = 258, width = 9; code < 4096; ++code) {
        put(code, width); // each the string before it and one pixel more
        width += code + 1 == 1 << width && width < 12;
    }
    while (codes.size() < 1000000)
        put(4095, 12);
    QByteArray gif = QByteArray("GIF89a\0\1\0\1\xf7\0\0", 13) + QByteArray(768, 0)
        + QByteArray(",\0\0\0\0\0\1\0\1\0\x08", 11);
    for (qsizetype done = 0; done < codes.size(); done += 255)
        gif += char(std::min<qsizetype>(255, codes.size() - done)) + codes.mid(done, 255);
    return gif + QByteArray("\0;", 2);
}

#endif // SLOWGIF_H
