#pragma once

#include <QByteArray>
#include <QStringList>

// The point-of-sale program's bytes as the line delivers them: a frame may come in several reads
// and several frames in one. feed() collects them and gives the amount of each frame completed,
// in order, however the stream was split.
//
// A CR or LF ends a frame. An ESC begins one: what came before it since the last end (a display
// reset, a lamp command, a frame cut short and sent anew) is not the amount. A frame without an ESC
// (a till with another start byte) runs from the last end. Within the frame the amount is what
// extractSerialAmount() finds. A frame with no amount in it gives nothing: the keypad keeps what it
// has rather than being cleared by a bare line end or a display command.
//
// At most kMaxFrame bytes are held. A longer run without an end or an ESC is no frame: it is
// dropped (and logged) up to the next ESC or line end, so a noisy line cannot grow the buffer.
class SerialFrames
{
public:
    static constexpr int kMaxFrame = 256;

    QStringList feed(const QByteArray& bytes);
    // Forgets a frame begun: the next bytes come from a port opened anew.
    void reset();

    int buffered() const { return m_frame.size(); }

private:
    QByteArray m_frame;
    bool m_dropping = false; // past kMaxFrame: nothing is kept until the next ESC or line end
};
