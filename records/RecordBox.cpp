// The record controls of the Readings window.
#include "records/RecordBox.h"

#include "link/Module1.h"
#include "link/OperatorPrompt.h"
#include "measurement/frmMeasure.h"
#include "records/RecordLogic.h"
#include "records/RecordStore.h"
#include "records/RecordsWindow.h"
#include "records/RunRecords.h"
#include "records/TeamSync.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QTextDocument>

namespace {

// A tooltip takes a text that looks like markup for markup: the asset as typed ("<b>joint</b>")
// is given to it as rich text that says exactly that, its lines and blanks kept.
QString plainTip(const QString& text) {
    return Qt::convertFromPlainText(text, Qt::WhiteSpacePre);
}

} // namespace

RecordBox::RecordBox(QWidget* parent) : QGroupBox(QStringLiteral("Record"), parent) {
    asset = new QLineEdit(this);
    asset->setPlaceholderText(QStringLiteral("joint, winding, part or serial number"));
    asset->setMaxLength(200); // long enough to be told what is too long
    operatorName = new QLineEdit(Records::rememberedOperator(), this);
    note = new QLineEdit(this);
    note->setPlaceholderText(QStringLiteral("optional"));
    recordButton = new QPushButton(QStringLiteral("Record"), this);
    // Ctrl+Return, not a mnemonic: the window's letters are taken by its entries.
    recordButton->setToolTip(QStringLiteral("Record the last reading under the asset "
                                            "(Ctrl+Return)"));
    recordsButton = new QPushButton(QStringLiteral("Re&cords..."), this);
    eachReading = new QCheckBox(QStringLiteral("Record each reading of the a&uto-repeat"), this);
    status = new QLabel(this);
    status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    status->setTextFormat(Qt::PlainText); // the asset as typed, never markup
    status->setWordWrap(true);
    // Two lines, always: a long name without blanks never squeezes the entries nor widens the
    // window; the whole text is in the tooltip.
    status->setFixedHeight(status->fontMetrics().lineSpacing() * 2);

    // The operator and the note share a row: the Readings window fits a screen of 800 by 600.
    auto* form = new QGridLayout;
    const auto labelled = [&](const QString& caption, QLineEdit* entry, int row, int column) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(entry);
        form->addWidget(label, row, column);
        form->addWidget(entry, row, column + 1, 1, column == 0 && row == 0 ? 3 : 1);
    };
    labelled(QStringLiteral("&Asset:"), asset, 0, 0);
    labelled(QStringLiteral("O&perator:"), operatorName, 1, 0);
    labelled(QStringLiteral("Note:"), note, 1, 2); // its letters are taken; Tab reaches it
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(eachReading, 1);
    buttons->addWidget(recordsButton);
    buttons->addWidget(recordButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->addWidget(status);

    connect(recordButton, &QPushButton::clicked, this, [this] { record(); });
    connect(recordsButton, &QPushButton::clicked, this, [] { Records::openWindow(); });
    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)}) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this] { record(); });
    }
    // A scanner types the asset and Return: the name is checked, and the operator goes on
    // to record (or to name themselves first).
    connect(asset, &QLineEdit::returnPressed, this, [this] {
        const QString problem = Records::assetProblem(asset->text());
        if (!problem.isEmpty()) {
            showStatus(problem, true);
            return;
        }
        showStatus(QString(), false);
        if (operatorName->text().trimmed().isEmpty())
            operatorName->setFocus();
        else
            recordButton->setFocus();
    });
}

void RecordBox::readingShown(const Reading& reading, const Limits::Settings& limits, bool stable) {
    m_reading = reading;
    m_limits = limits;
    m_stable = stable;
    const frmMeasure* results = frmMeasure::loaded();
    m_material = results ? results->Combo1->currentText() : QString();
    m_recordedUnder.clear();
    delete m_teamWatch; // its text is gone
    showStatus(QString(), false);
    if (m_repeating && eachReading->isChecked())
        recordLast(true);
}

void RecordBox::setRepeating(bool repeating) {
    m_repeating = repeating;
    if (repeating)
        m_skipped = 0;
}

bool RecordBox::record() {
    return recordLast(false);
}

void RecordBox::refuse(const QString& message, bool eachOfSeries) {
    QString text = message;
    if (eachOfSeries && eachReading->isChecked()) {
        // One box, not one for every reading still to come.
        eachReading->setChecked(false);
        text += QStringLiteral("\nRecording each reading has stopped.");
    }
    tell(text);
}

bool RecordBox::recordLast(bool eachOfSeries) {
    if (!m_reading) {
        refuse(QStringLiteral("There is no reading to record yet."), eachOfSeries);
        return false;
    }
    if (m_reading->rangeError) {
        // A series goes on: the next reading may be in range again.
        if (!eachOfSeries) {
            tell(QStringLiteral("A \"Range Error\" reading cannot be recorded."));
        } else {
            ++m_skipped;
            showStatus(skippedText().trimmed(), true);
        }
        return false;
    }
    const QString assetProblem = Records::assetProblem(asset->text());
    const QString operatorProblem = Records::operatorProblem(operatorName->text());
    if (!assetProblem.isEmpty() || !operatorProblem.isEmpty()) {
        refuse(assetProblem.isEmpty() ? operatorProblem : assetProblem, eachOfSeries);
        (assetProblem.isEmpty() ? operatorName : asset)->setFocus();
        return false;
    }
    QPointer<RecordBox> self(this);
    if (!m_recordedUnder.isEmpty()) {
        const OperatorPrompt::Answer answer = OperatorPrompt::current().ask(
            QStringLiteral("This reading is already recorded under %1. Record it again under "
                           "%2?")
                .arg(m_recordedUnder, Records::name(asset->text())),
            OperatorPrompt::Buttons::YesNo);
        if (!self || answer != OperatorPrompt::Answer::Yes)
            return false;
    }

    const Records::Meter meter{Module1::sIdnMaker, Module1::sIdnModel, Module1::sIdnField3,
                               Module1::sIdnField4};
    Records::Record record =
        Records::recordOf(*m_reading, m_limits,
                          {asset->text(), operatorName->text(), note->text(), m_material, m_stable},
                          meter, QCoreApplication::applicationVersion());
    QString error;
    Records::RecordStore* store = Records::store(&error);
    std::optional<Records::Record> previous;
    if (store && !store->latest(record.asset, previous))
        error = store->errorText();
    if (store && error.isEmpty() && !store->add(record))
        error = store->errorText();
    if (!error.isEmpty()) {
        // The reading stays, to be recorded again once the store is put right.
        showStatus(QStringLiteral("Not recorded."), true);
        refuse(QStringLiteral("Not recorded: ") + error, eachOfSeries);
        return false;
    }

    m_recordedUnder = record.asset;
    Records::noteRecorded(record.asset);
    if (Records::rememberedOperator() != record.operatorName)
        Records::rememberOperator(record.operatorName);
    QString text = QStringLiteral("Recorded under %1.").arg(record.asset);
    bool alarming = false;
    const std::optional<double> change =
        previous ? Records::changePercent(*previous, record) : std::nullopt;
    if (change) {
        text += QLatin1Char(' ') + Records::changeText(*change, previous->time);
        const double limit = Records::changeLimitPercent();
        alarming = Records::flagged(*change, limit);
        if (alarming)
            text += QStringLiteral(", beyond %1 %").arg(QLocale().toString(limit));
    } else if (!previous) {
        text += QStringLiteral(" Its first record.");
    }
    if (eachOfSeries)
        text += skippedText();
    showStatus(text, alarming);
    followTeam(record.uuid, text, alarming);
    return true;
}

QString RecordBox::skippedText() const {
    if (m_skipped == 0)
        return QString();
    return m_skipped == 1 ? QStringLiteral(" 1 \"Range Error\" reading skipped in this series.")
                          : QStringLiteral(" %1 \"Range Error\" readings skipped in this series.")
                                .arg(m_skipped);
}

void RecordBox::followTeam(const QString& uuid, const QString& text, bool alarming) {
    Records::TeamSync* sync = Records::teamSync();
    if (!sync)
        return;
    // Only the last record is followed: a later one, or another reading, replaces its text.
    delete m_teamWatch;
    auto* watch = new QObject(this);
    m_teamWatch = watch;
    // Recorded here in any case; the line under it says whether the team has it yet.
    const auto withTeam = [this, text, alarming](const QString& line) {
        // The status has room for two lines: the record's text is cut short in its middle to
        // one, whole in the tooltip, so that the team's line is always seen.
        const QString shown =
            status->fontMetrics().elidedText(text, Qt::ElideMiddle, status->contentsRect().width());
        showStatus(shown + QLatin1Char('\n') + line, alarming);
        status->setToolTip(plainTip(text + QLatin1Char('\n') + line));
    };
    const auto unsent = [sync, withTeam] {
        using Kind = Records::TeamStatus::Kind;
        const Kind kind = sync->status().kind;
        if (kind != Kind::UpToDate && kind != Kind::Connecting)
            withTeam(QStringLiteral("Recorded on this computer; it will be sent when the team "
                                    "server can be reached"));
    };
    unsent();
    connect(sync, &Records::TeamSync::statusChanged, watch, unsent);
    connect(sync, &Records::TeamSync::recordsSent, watch,
            [this, watch, uuid, withTeam](const QStringList& uuids) {
                if (!uuids.contains(uuid))
                    return;
                withTeam(QStringLiteral("Recorded (sent to the team server)"));
                watch->deleteLater();
                m_teamWatch = nullptr;
            });
    sync->nudge();
}

void RecordBox::showStatus(const QString& text, bool alarming) {
    status->setText(text);
    status->setToolTip(plainTip(text));
    QPalette palette; // the application's
    if (alarming)
        palette.setColor(QPalette::WindowText, QColor(0xd0, 0x10, 0x10));
    status->setPalette(palette);
}
