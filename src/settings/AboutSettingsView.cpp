#include "AboutSettingsView.h"

#include "AppCoordinator.h"
#include "Localization.h"
#include "SettingsLook.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSysInfo>
#include <QUrl>
#include <QVBoxLayout>

#include <cmath>

// The addresses given to the build; empty when it has none.
#ifndef VARNISTO_WEBSITE_URL
#define VARNISTO_WEBSITE_URL ""
#endif
#ifndef VARNISTO_SUPPORT_URL
#define VARNISTO_SUPPORT_URL ""
#endif

namespace {

// A soft round blob: a circle of the colour, blurred with the radius, on a transparent image with room for the blur.
QImage renderBlob(int diameter, int blurRadius, const QColor &colour)
{
    const int margin = blurRadius * 2;
    const int side = diameter + 2 * margin;
    std::vector<float> alpha(size_t(side) * size_t(side), 0.0f);
    const double centre = side / 2.0;
    const double r = diameter / 2.0;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const double distance = std::hypot(x + 0.5 - centre, y + 0.5 - centre);
            alpha[size_t(y) * side + x] = float(std::clamp(r - distance + 0.5, 0.0, 1.0));
        }
    }
    // Three box blurs come close to a Gaussian of the radius.
    const int box = std::max(1, int(std::lround(blurRadius * 0.58)));
    std::vector<float> line(static_cast<size_t>(side), 0.0f);
    for (int pass = 0; pass < 3; ++pass) {
        for (int horizontal = 0; horizontal < 2; ++horizontal) {
            for (int a = 0; a < side; ++a) {
                const auto at = [&](int b) -> float & {
                    return horizontal ? alpha[size_t(a) * side + b] : alpha[size_t(b) * side + a];
                };
                double sum = 0;
                for (int b = -box; b <= box; ++b)
                    sum += (b >= 0 && b < side) ? at(b) : 0.0f;
                for (int b = 0; b < side; ++b) {
                    line[size_t(b)] = float(sum / (2 * box + 1));
                    const int out = b - box;
                    const int in = b + box + 1;
                    sum += (in < side ? at(in) : 0.0f) - (out >= 0 ? at(out) : 0.0f);
                }
                for (int b = 0; b < side; ++b)
                    at(b) = line[size_t(b)];
            }
        }
    }
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < side; ++y) {
        auto *pixels = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < side; ++x) {
            const double a = alpha[size_t(y) * side + x] * colour.alphaF();
            pixels[x] = qPremultiply(qRgba(colour.red(), colour.green(), colour.blue(), int(std::lround(a * 255))));
        }
    }
    return image;
}

const QImage &firstBlob()
{
    static const QImage image = renderBlob(288, 60, QColor::fromRgbF(0.69f, 0.32f, 0.87f, 0.1f));
    return image;
}

const QImage &secondBlob()
{
    static const QImage image = renderBlob(208, 60, QColor::fromRgbF(0.0f, 0.48f, 1.0f, 0.05f));
    return image;
}

void drawBlob(QPainter &painter, const QImage &blob, QPointF centre, const BlobTransform &transform)
{
    const double side = blob.width() * transform.scale;
    painter.drawImage(QRectF(centre.x() - side / 2, centre.y() - side / 2, side, side), blob);
}

QPixmap roundedIcon(int side, int radius)
{
    QPixmap result(side * 2, side * 2);
    result.setDevicePixelRatio(2);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(0, 0, side, side), radius, radius);
    painter.setClipPath(clip);
    const QIcon icon = QGuiApplication::windowIcon();
    if (!icon.isNull()) {
        painter.drawPixmap(QRect(0, 0, side, side), icon.pixmap(QSize(side, side), 2.0));
        return result;
    }
    // The program's own mark: a clipboard on a blue tile.
    QLinearGradient tile(0, 0, 0, side);
    tile.setColorAt(0, QColor(0x4C, 0x97, 0xF5));
    tile.setColorAt(1, QColor(0x2A, 0x6C, 0xE0));
    painter.fillPath(clip, tile);
    const double unit = side / 112.0;
    const QRectF board(30 * unit, 24 * unit, 52 * unit, 66 * unit);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 235));
    painter.drawRoundedRect(board, 8 * unit, 8 * unit);
    painter.setBrush(QColor(0x2A, 0x6C, 0xE0));
    painter.drawRoundedRect(QRectF(43 * unit, 18 * unit, 26 * unit, 14 * unit), 5 * unit, 5 * unit);
    painter.setBrush(QColor(0x4C, 0x97, 0xF5, 160));
    for (int line = 0; line < 4; ++line)
        painter.drawRoundedRect(
            QRectF(39 * unit, (44 + line * 11) * unit, (line == 3 ? 20 : 34) * unit, 4 * unit), 2 * unit, 2 * unit);
    return result;
}

} // namespace

BlobTransform BlobTransform::interpolated(const QList<Keyframe> &keyframes, double fraction)
{
    fraction -= std::floor(fraction);
    if (keyframes.isEmpty())
        return {};
    qsizetype next = -1;
    for (qsizetype n = 0; n < keyframes.size(); ++n) {
        if (keyframes.at(n).progress > fraction) {
            next = n;
            break;
        }
    }
    if (next < 0)
        return keyframes.last().transform;
    if (next == 0)
        return keyframes.first().transform;
    const Keyframe &a = keyframes.at(next - 1);
    const Keyframe &b = keyframes.at(next);
    const double local = (fraction - a.progress) / (b.progress - a.progress);
    const double eased = local < 0.5 ? 2 * local * local : 1 - 0.5 * std::pow(2 - 2 * local, 2);
    const auto mix = [eased](double from, double to) { return from + (to - from) * eased; };
    return {mix(a.transform.x, b.transform.x), mix(a.transform.y, b.transform.y),
        mix(a.transform.scale, b.transform.scale)};
}

const QList<BlobTransform::Keyframe> &AboutSettingsView::firstBlobKeyframes()
{
    static const QList<BlobTransform::Keyframe> keyframes {
        {0.0, {0, 0, 1.0}},
        {0.25, {-20, 200, 1.5}},
        {0.5, {200, 250, 1.1}},
        {0.75, {250, 150, 1.3}},
        {1.0, {0, 0, 1.0}},
    };
    return keyframes;
}

const QList<BlobTransform::Keyframe> &AboutSettingsView::secondBlobKeyframes()
{
    static const QList<BlobTransform::Keyframe> keyframes {
        {0.0, {0, 0, 1.0}},
        {0.25, {-50, -150, 1.3}},
        {0.5, {100, -200, 1.0}},
        {0.75, {100, 200, 1.3}},
        {1.0, {0, 0, 1.0}},
    };
    return keyframes;
}

std::pair<BlobTransform, BlobTransform> AboutSettingsView::blobTransforms(double seconds)
{
    return {BlobTransform::interpolated(firstBlobKeyframes(), seconds / 20.0),
        BlobTransform::interpolated(secondBlobKeyframes(), seconds / 15.0)};
}

QString AboutSettingsView::processorName(const QString &buildCpuArchitecture)
{
    if (buildCpuArchitecture == u"x86_64")
        return QStringLiteral("x86-64");
    if (buildCpuArchitecture == u"arm64")
        return QStringLiteral("ARM64");
    return buildCpuArchitecture;
}

QString AboutSettingsView::versionText()
{
    QString version = QCoreApplication::applicationVersion();
    if (version.isEmpty())
        version = QStringLiteral("2.0");
    return localized(QStringLiteral("Version %@ (%@)"), {version, processorName(QSysInfo::buildCpuArchitecture())});
}

AboutSettingsView::AboutSettingsView(AppCoordinator &coordinator, QWidget *parent)
    : QWidget(parent), m_coordinator(coordinator)
{
    m_frameTimer.setInterval(frameIntervalMs);
    m_frameTimer.setTimerType(Qt::CoarseTimer);
    connect(&m_frameTimer, &QTimer::timeout, this, qOverload<>(&QWidget::update));

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 24);
    column->setSpacing(0);
    column->addStretch(1);

    auto *icon = new QLabel(this);
    icon->setPixmap(roundedIcon(112, 24));
    icon->setFixedSize(112, 112);
    column->addWidget(icon, 0, Qt::AlignHCenter);
    column->addSpacing(14);

    auto *name = new QLabel(localized(QStringLiteral("Varnisto")), this);
    name->setFont(SettingsFonts::sized(28, QFont::DemiBold));
    column->addWidget(name, 0, Qt::AlignHCenter);
    column->addSpacing(6);

    auto *version = new QLabel(versionText(), this);
    version->setObjectName(QStringLiteral("versionLine"));
    version->setFont(SettingsFonts::body());
    QPalette secondary = version->palette();
    secondary.setColor(QPalette::WindowText, SettingsColors::secondaryText(palette()));
    version->setPalette(secondary);
    column->addWidget(version, 0, Qt::AlignHCenter);
    column->addSpacing(16);

    m_checkForUpdates = new QPushButton(localized(QStringLiteral("Check for Updates...")), this);
    m_checkForUpdates->setFont(SettingsFonts::body());
    connect(m_checkForUpdates, &QPushButton::clicked, this, [this] { m_coordinator.checkForUpdates(); });
    column->addWidget(m_checkForUpdates, 0, Qt::AlignHCenter);
    column->addStretch(1);

    auto *links = new QHBoxLayout;
    links->setSpacing(20);
    links->addStretch(1);
    for (const auto &[title, url] : configuredLinks()) {
        auto *link = new QPushButton(localized(title), this);
        link->setFlat(true);
        link->setCursor(Qt::PointingHandCursor);
        link->setFont(SettingsFonts::sized(12));
        link->setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 2px 4px; }"));
        QPalette muted = link->palette();
        muted.setColor(QPalette::ButtonText, SettingsColors::secondaryText(palette()));
        link->setPalette(muted);
        link->setObjectName(QStringLiteral("aboutLink"));
        connect(link, &QPushButton::clicked, this, [this, url] { m_coordinator.openWebAddress(url); });
        links->addWidget(link);
    }
    links->addStretch(1);
    column->addLayout(links);
}

QList<AboutSettingsView::Link> AboutSettingsView::links(const QString &websiteAddress, const QString &supportAddress)
{
    QList<Link> links;
    for (const auto &[title, address] : {std::pair(QStringLiteral("Website"), websiteAddress.trimmed()),
             std::pair(QStringLiteral("Support"), supportAddress.trimmed())}) {
        if (!address.isEmpty())
            links.append({title, QUrl(address)});
    }
    links.append({QStringLiteral("Changelog"), QUrl(QStringLiteral("https://varnisto.app/changelog"))});
    links.append({QStringLiteral("Feedback"), QUrl(QStringLiteral("https://varnisto.app/feedback"))});
    return links;
}

QList<AboutSettingsView::Link> AboutSettingsView::configuredLinks()
{
    return links(QStringLiteral(VARNISTO_WEBSITE_URL), QStringLiteral(VARNISTO_SUPPORT_URL));
}

void AboutSettingsView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const double seconds = double(QDateTime::currentMSecsSinceEpoch() % (60LL * 60 * 1000)) / 1000.0;
    const auto [first, second] = blobTransforms(seconds);
    const QPointF centre = QRectF(rect()).center();
    drawBlob(painter, firstBlob(), centre + QPointF(first.x - 120, first.y - 80), first);
    drawBlob(painter, secondBlob(), centre + QPointF(second.x + 180, second.y + 120), second);
}

void AboutSettingsView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_frameTimer.start();
}

void AboutSettingsView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_frameTimer.stop();
}
