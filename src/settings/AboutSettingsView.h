#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QList>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <QWidget>

class AppCoordinator;
class QPushButton;

// One state of a background blob: displacement in pixels and scale.
struct BlobTransform
{
    double x = 0;
    double y = 0;
    double scale = 1;

    bool operator==(const BlobTransform &) const = default;

    struct Keyframe;
    // The transform at a fraction of the cycle (its fractional part counts), eased in and out between keyframes.
    static BlobTransform interpolated(const QList<Keyframe> &keyframes, double fraction);
};

// A point of a blob's cycle: the transform at a progress from 0 to 1.
struct BlobTransform::Keyframe
{
    double progress = 0;
    BlobTransform transform;
};

// The About pane: the program's icon, name and version line, Check for Updates, and up to four link buttons, in front
// of two softly drifting blurred blobs. The blobs are rendered once per run; while the pane is visible a timer only
// moves and scales them, and it stops whenever the pane is hidden.
class AboutSettingsView : public QWidget
{
    Q_OBJECT

public:
    explicit AboutSettingsView(AppCoordinator &coordinator, QWidget *parent = nullptr);

    // "Version 2.0.0 (x86-64)" in the interface language.
    static QString versionText();
    // The processor family the program was built for, as the version line names it.
    static QString processorName(const QString &buildCpuArchitecture);

    static const QList<BlobTransform::Keyframe> &firstBlobKeyframes();
    static const QList<BlobTransform::Keyframe> &secondBlobKeyframes();
    // Where the blobs are at a moment, in seconds.
    static std::pair<BlobTransform, BlobTransform> blobTransforms(double seconds);

    struct Link
    {
        QString title; // the catalogue key
        QUrl url;
    };
    // The link buttons, in order: Website and Support only where the build was given their addresses (blank
    // ones are left out), then Changelog and Feedback.
    static QList<Link> links(const QString &websiteAddress, const QString &supportAddress);
    // The links of this build.
    static QList<Link> configuredLinks();

    bool isAnimating() const { return m_frameTimer.isActive(); }
    QPushButton &checkForUpdatesButton() const { return *m_checkForUpdates; }
    // The frame interval of the background while it is visible.
    static constexpr int frameIntervalMs = 66;

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    AppCoordinator &m_coordinator;
    QTimer m_frameTimer;
    QPushButton *m_checkForUpdates = nullptr;
};
