#pragma once

#include <QString>

// The image buttons of every window: a normal and a pressed picture from :/images/, stretched over
// the button. `extra` adds declarations to the normal state (text colour), `trailer` further rules.
inline QString imageButtonStyle(const QString& normal, const QString& pressed, const QString& extra = QString(),
                                const QString& trailer = QString())
{
    return QStringLiteral("QPushButton{border-image: url(:/images/%1);%3} "
                          "QPushButton:pressed{border-image: url(:/images/%2);}%4")
        .arg(normal, pressed, extra, trailer.isEmpty() ? QString() : QLatin1Char(' ') + trailer);
}

// The minimise and close buttons of the frameless title bars, with a readable tool tip.
inline QString titleBarButtonStyle(const QString& name)
{
    return imageButtonStyle(name + QStringLiteral("_nor.png"), name + QStringLiteral("_pre.png"), QString(),
                            QStringLiteral("QToolTip {background-color:white}"));
}
