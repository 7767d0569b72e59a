#pragma once

#include <QByteArray>
#include <QString>

// The amount in what a point-of-sale program writes to its customer display: the last run of
// digits and points in one frame (SerialFrames collects the frames from the port). Display
// protocols wrap the amount in escape sequences and end it with a carriage return; whatever they
// are, the amount is the last number. The first byte of a frame is never part of it (it is where
// such a sequence begins), so a frame of a single byte gives nothing. An empty text when there is
// no digit.
QString extractSerialAmount(const QByteArray& frame);
