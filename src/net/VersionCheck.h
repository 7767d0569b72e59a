#pragma once

#include <QJsonObject>
#include <QString>

namespace gateway {

// Whether the reply of "Share.App.update" offers a version to install instead of `current`: its
// "code" is not 0 and its "version_code" sorts after `current` as text, character by character
// (so "3.0.10" is newer than "3.0.1", while "10.0.0" is not — the gateway's versions follow that).
bool offersNewerVersion(const QJsonObject& content, const QString& current);

} // namespace gateway
