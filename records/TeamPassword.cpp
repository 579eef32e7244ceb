// Asking for the team server's password.
#include "records/TeamPassword.h"

#include "records/TeamSync.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

namespace Records {

void askForTeamPassword(TeamSync& sync) {
    auto asked = std::make_shared<bool>(false);
    QObject::connect(&sync, &TeamSync::statusChanged, &sync, [&sync, asked] {
        using Kind = TeamStatus::Kind;
        const Kind kind = sync.status().kind;
        if (*asked || (kind != Kind::PasswordNeeded && kind != Kind::WrongPassword))
            return;
        *asked = true;
        QPointer<TeamSync> alive(&sync);
        QInputDialog box(QApplication::activeWindow());
        box.setWindowTitle(QStringLiteral("MX7500"));
        box.setTextEchoMode(QLineEdit::Password);
        box.setLabelText(QStringLiteral("Password of %1 on the team server %2:")
                             .arg(sync.uri().user, sync.uri().host));
        // The names are the operator's text, not markup.
        if (auto* label = box.findChild<QLabel*>())
            label->setTextFormat(Qt::PlainText);
        if (box.exec() == QDialog::Accepted && alive)
            alive->setPassword(box.textValue());
    });
}

} // namespace Records
