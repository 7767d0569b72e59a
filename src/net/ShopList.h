#pragma once

#include <QHash>
#include <QJsonObject>
#include <QString>
#include <QStringList>

// How the merchant's shops are named on screen. The caption is also what data.ini remembers as the
// preferred shop ("shopName"), so every list of shops must build it the same way.
namespace shoplist {

// "main_name" + two spaces + "branch_name"; two spaces alone for an empty object.
QString caption(const QJsonObject& shop);

// The captions of the session's shop table, by index from 0 to its size - 1 (the index each shop
// had in the shop-selection list); an index without a shop gives the caption of an empty object.
QStringList captions(const QHash<int, QJsonObject>& shops);

} // namespace shoplist
