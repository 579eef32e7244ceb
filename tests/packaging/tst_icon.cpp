// The installed scalable icon is written by hand: it must show the picture the windows draw.
#include "windowkit/AppIcon.h"

#include <QFile>
#include <QPainter>
#include <QPainterPath>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

const QString kSvg = QStringLiteral(MX7500_SOURCE_DIR "/packaging/com.norvale.mx7500.svg");

double number(const QXmlStreamAttributes& attributes, const char* name) {
    return attributes.value(QLatin1String(name)).toDouble();
}

// Draws the few SVG shapes the icon uses; anything else fails the check, so a new shape in
// the file cannot go unseen.
QImage renderSvg(const QString& path, int size, QString& problem) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        problem = file.errorString();
        return image;
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        const QString name = xml.name().toString();
        if (name == QLatin1String("svg")) {
            if (a.value(QLatin1String("viewBox")) != QLatin1String("0 0 16 16"))
                problem = QStringLiteral("viewBox is not 0 0 16 16");
            painter.scale(size / 16.0, size / 16.0);
            continue;
        }
        const QColor fill(a.value(QLatin1String("fill")).toString());
        QPainterPath path;
        if (name == QLatin1String("rect")) {
            path.addRoundedRect(
                QRectF(number(a, "x"), number(a, "y"), number(a, "width"), number(a, "height")),
                number(a, "rx"), number(a, "ry"));
        } else if (name == QLatin1String("circle")) {
            const double r = number(a, "r");
            path.addEllipse(QPointF(number(a, "cx"), number(a, "cy")), r, r);
        } else {
            problem = QStringLiteral("unexpected element <%1>").arg(name);
        }
        painter.fillPath(path, fill);
        xml.skipCurrentElement();
    }
    if (xml.hasError())
        problem = xml.errorString();
    return image;
}

} // namespace

class IconTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theScalableIconMatchesTheWindowIcon_data() {
        QTest::addColumn<int>("size");
        QTest::newRow("48") << 48;
        QTest::newRow("256") << 256;
    }
    void theScalableIconMatchesTheWindowIcon() {
        QFETCH(int, size);
        QString problem;
        const QImage svg = renderSvg(kSvg, size, problem);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        const QImage drawn = AppIcon::render(size).convertToFormat(svg.format());
        // Edges may be smoothed a little differently; the colours and places must agree.
        int differing = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const QRgb a = svg.pixel(x, y), b = drawn.pixel(x, y);
                if (qAbs(qRed(a) - qRed(b)) > 24 || qAbs(qGreen(a) - qGreen(b)) > 24 ||
                    qAbs(qBlue(a) - qBlue(b)) > 24 || qAbs(qAlpha(a) - qAlpha(b)) > 24)
                    ++differing;
            }
        QVERIFY2(differing <= size * size / 200,
                 qPrintable(QStringLiteral("%1 pixels differ").arg(differing)));
    }
};

QTEST_MAIN(IconTest)
#include "tst_icon.moc"
