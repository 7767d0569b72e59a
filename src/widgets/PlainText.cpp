#include "widgets/PlainText.h"

#include <QLabel>
#include <QTextDocument>

void showLabelsAsPlainText(QWidget* form)
{
    for (QLabel* label : form->findChildren<QLabel*>()) {
        const bool richInTheForm = label->textFormat() == Qt::RichText ||
                                   (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
        if (richInTheForm)
            continue;
        label->setTextFormat(Qt::PlainText);
    }
}

QString plainToolTip(const QString& text)
{
    return text.isEmpty() ? text : Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal);
}
