#pragma once

#include <QByteArray>

// One gateway POST on a fresh loopback connection, headers and body in a single write, the whole
// reply read: the least any client can do for one action. The reply, or a null array when the
// exchange failed or did not answer 200.
QByteArray rawPost(quint16 port, const QByteArray& body);
