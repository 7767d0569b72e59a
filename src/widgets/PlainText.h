#pragma once

#include <QString>

class QWidget;

// Text that comes from the gateway (a shop's name, a refusal's "msg", an item's name) is shown as
// the text it is. QLabel, QMessageBox and tool tips guess "rich text" from what they are given:
// "<img src=...>" would load and draw a file (on Windows, from a network share, handing it the
// login's credentials) and a link would start the system's URL opener.

// Makes every label of `form` plain text. Called right after setupUi(), before any value is shown;
// labels written as rich text in the form itself (their .ui text is HTML) keep their format.
void showLabelsAsPlainText(QWidget* form);

// A tool tip showing `text` literally.
QString plainToolTip(const QString& text);
