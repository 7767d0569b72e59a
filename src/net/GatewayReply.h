#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

// Reading gateway replies. Whatever arrives — an HTML error page, "{}", a truncated body, a JSON
// array — reading never fails: missing members read as empty, and the screen takes its
// unsuccessful or nothing-found branch.
namespace gateway {

// The "content" object of a reply; empty when the body is not a JSON object or has no "content".
QJsonObject replyContent(const QByteArray& body);

// Whether the body is a reply of the gateway at all: a JSON object with a "content" object. An
// error page, "{}" or text that is not JSON is not, whatever its HTTP status.
bool hasContent(const QByteArray& body);

// The top-level object of a reply (the refund reply keeps "code" and "msg" there).
QJsonObject replyObject(const QByteArray& body);

// A value as text, whichever way the gateway typed it: strings as they are, whole numbers in plain
// decimal digits (an id 1001 sent as a number must not become "" or "1.001e+03"), booleans as
// "true"/"false"; anything else "".
QString jsonText(const QJsonValue& value);

// An integer member that may come as a number or as decimal text ("code": 1 or "code": "1"); 0 when
// missing or not a whole number.
int jsonInt(const QJsonValue& value);

// An amount in fen, sent either as a JSON number or as decimal text. False when missing or not a
// whole number of fen.
bool jsonFen(const QJsonValue& value, qint64* fen);

} // namespace gateway
