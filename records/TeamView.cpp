// The team server's state in the Records window.
#include "records/TeamView.h"

#include "records/RecordsWindow.h"
#include "records/RunRecords.h"
#include "records/TeamSync.h"

#include <QBoxLayout>
#include <QLabel>

namespace Records {

void showTeam(RecordsWindow& window, QBoxLayout& layout) {
    TeamSync* sync = teamSync();
    if (!sync && teamUnusedText().isEmpty())
        return;
    auto* state = new QLabel(&window);
    state->setObjectName(QStringLiteral("teamState"));
    state->setTextFormat(Qt::PlainText); // it may quote the server's own words
    state->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout.addWidget(state);
    if (!sync) {
        state->setText(teamUnusedText());
        return;
    }
    const auto show = [state, sync] { state->setText(teamStatusText(sync->status())); };
    show();
    QObject::connect(sync, &TeamSync::statusChanged, state, show);
    QObject::connect(sync, &TeamSync::recordsArrived, &window, &RecordsWindow::refresh);
}

} // namespace Records
