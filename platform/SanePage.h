#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <sane/sane.h>

// One page as a SANE device sends it: one frame (grey or interleaved
// colour), or three frames of one colour each (a three-pass scanner), of a
// known height or of a height found only when the data ends (a hand or
// sheet scanner reports -1 lines). The bytes are read straight into the
// page's buffer, which grows as needed.
class SanePage
{
public:
    // Starts the next frame. False, with *reason, for data the program
    // cannot read or a colour frame that does not fit the ones before it.
    bool beginFrame(const SANE_Parameters &parameters, QString *reason);

    // How many bytes the next read should ask for, at most `most`: no more
    // than the frame still lacks when its height is known.
    int readSize(int most) const;
    // Room for `bytes` more bytes of the current frame; commit() then says
    // how many were written there. Bytes past the announced end of a frame
    // of known height go to a scratch buffer and are not kept.
    unsigned char *reserve(int bytes);
    void commit(int bytes);

    // True when the current frame is of known height and every line of it
    // has come (the next read gives the end of the frame).
    bool frameComplete() const;
    // The bytes the current frame still lacks; -1 when its height is not
    // known.
    qint64 bytesLeft() const;

    // True once the frame that the device marked as the last has begun and
    // every colour of a three-pass page has come.
    bool lastFrameBegun() const { return m_lastFrame; }

    // The page at dpi (recorded in the image), from the whole lines that
    // came: grey with one bit per pixel as black and white (bit 1 is black),
    // grey 8 and 16 bit as grey, colour as 8-bit RGB. A null image, with
    // *reason, when no whole line came or a colour of three-pass is missing.
    // The image takes over the page's buffer where its lines are laid out
    // as QImage lays them out, so the page is not copied; call it once.
    QImage takeImage(int dpi, QString *reason);

private:
    struct Plane
    {
        QByteArray bytes;
        int used = 0;
    };
    int lineCount(const Plane &plane) const;
    QImage adoptedImage(int lines, QImage::Format format);
    QImage greyImage(int lines) const;
    QImage colourImage(int lines) const;
    QImage separateColourImage(int lines) const;

    SANE_Parameters m_format{};
    bool m_started = false;
    bool m_lastFrame = false;
    bool m_separate = false;   // three frames, one colour each
    int m_current = 0;         // the plane being filled
    Plane m_planes[3];
    QByteArray m_overflow;     // bytes past the end of a frame of known height
    bool m_seen[3] = {false, false, false};
};
