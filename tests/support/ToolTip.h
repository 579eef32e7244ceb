// A tooltip as the operator reads it.
#pragma once

#include <QString>
#include <QTextDocument>

// Qt shows a tooltip text that looks like markup as markup, and any other as it stands.
inline QString shownToolTip(const QString& tip) {
    if (!Qt::mightBeRichText(tip))
        return tip;
    QTextDocument shown;
    shown.setHtml(tip);
    return shown.toPlainText();
}
