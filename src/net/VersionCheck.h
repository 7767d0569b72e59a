#pragma once

#include <QJsonObject>
#include <QString>

namespace gateway {

// Orders two versions part by part between the dots, each part by its number and then by any text
// after the number ("3.0.10" after "3.0.2", "3.0.1A" after "3.0.1"); a missing part counts as 0.
// Negative, 0 or positive as `a` is older, the same or newer.
int compareVersions(const QString& a, const QString& b);

// Whether the reply of "Share.App.update" offers a version to install instead of `current`: its
// "code" is not 0 and its "version_code" is newer than `current`.
bool offersNewerVersion(const QJsonObject& content, const QString& current);

} // namespace gateway
