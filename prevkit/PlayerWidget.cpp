#include "PlayerWidget.h"

#include "FrameView.h"
#include "Snapshot.h"
#include "Tuning.h"

#include <QAudio>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QSettings>
#include <QSlider>
#include <QStandardPaths>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace prevkit
{

namespace
{

// A small camera for the snapshot button (the standard icon set has none).
QIcon cameraIcon(const QColor &colour)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawRoundedRect(QRectF(3, 9, 26, 18), 3, 3);
    painter.drawRect(QRectF(11, 5, 10, 5));
    painter.setBrush(Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.drawEllipse(QPointF(16, 18), 6, 6);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setBrush(colour);
    painter.drawEllipse(QPointF(16, 18), 3.5, 3.5);
    return QIcon(pixmap);
}

} // namespace

PlayerWidget::PlayerWidget(QWidget *parent)
    : QWidget(parent), m_view(new FrameView(this)), m_play(new QToolButton(this)),
      m_slider(new QSlider(Qt::Horizontal, this)), m_time(new QLabel(this)),
      m_mute(new QToolButton(this)), m_volume(new QSlider(Qt::Horizontal, this)),
      m_snapshot(new QToolButton(this)), m_worker(this, makeSoundOutput())
{
    setObjectName(QStringLiteral("prevkitPlayer"));
    setAutoFillBackground(true);
    m_view->setObjectName(QStringLiteral("prevkitView"));
    m_play->setObjectName(QStringLiteral("prevkitPlay"));
    m_slider->setObjectName(QStringLiteral("prevkitPosition"));
    m_time->setObjectName(QStringLiteral("prevkitTime"));
    m_mute->setObjectName(QStringLiteral("prevkitMute"));
    m_volume->setObjectName(QStringLiteral("prevkitVolume"));
    m_snapshot->setObjectName(QStringLiteral("prevkitSnapshot"));

    m_play->setAutoRaise(true);
    m_slider->setAccessibleName(tr("Position"));
    m_slider->setSingleStep(1000);
    m_time->setMinimumWidth(
        m_time->fontMetrics().horizontalAdvance(QStringLiteral("0:00:00 / 0:00:00 ")));
    m_time->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_mute->setAutoRaise(true);
    m_mute->setCheckable(true);
    m_volume->setRange(0, 100);
    m_volume->setSingleStep(5);
    m_volume->setPageStep(20);
    m_volume->setFixedWidth(56);
    m_volume->setAccessibleName(tr("Volume"));
    m_volume->setToolTip(tr("Volume"));
    m_snapshot->setAutoRaise(true);
    m_snapshot->setIcon(cameraIcon(palette().color(QPalette::ButtonText)));
    m_snapshot->setToolTip(tr("Save this frame as a picture in the snapshot folder"));
    m_snapshot->setAccessibleName(tr("Snapshot"));
    m_openingNote.setSingleShot(true);
    m_openingNote.setInterval(400);

    const QSettings profile;
    m_volume->setValue(std::clamp(profile.value(volumeKey(), 100).toInt(), 0, 100));
    m_mute->setChecked(profile.value(mutedKey(), false).toBool());

    auto *controls = new QHBoxLayout;
    controls->setContentsMargins(2, 0, 2, 0);
    controls->setSpacing(4);
    controls->addWidget(m_play);
    controls->addWidget(m_slider, 1);
    controls->addWidget(m_time);
    controls->addWidget(m_mute);
    controls->addWidget(m_volume);
    controls->addWidget(m_snapshot);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 2);
    layout->setSpacing(2);
    layout->addWidget(m_view, 1);
    layout->addLayout(controls);

    connect(m_play, &QToolButton::clicked, this, &PlayerWidget::togglePlay);
    connect(m_slider, &QSlider::valueChanged, this, &PlayerWidget::seekTo);
    connect(m_snapshot, &QToolButton::clicked, this, &PlayerWidget::takeSnapshot);
    connect(m_mute, &QToolButton::toggled, this, &PlayerWidget::volumeChanged);
    connect(m_volume, &QSlider::valueChanged, this, &PlayerWidget::volumeChanged);
    connect(m_view, &FrameView::resized, this, &PlayerWidget::areaResized);
    connect(&m_openingNote, &QTimer::timeout, this,
            [this] { m_view->setMessage(tr("Opening...")); });

    showPlaying(false);
    updateControls();
    volumeChanged();
    m_worker.start();
}

PlayerWidget::~PlayerWidget()
{
    m_worker.stop(); // before any member the worker reports to goes
}

QString PlayerWidget::timeText(double seconds)
{
    const long long total = std::max(0LL, static_cast<long long>(std::floor(seconds)));
    return QStringLiteral("%1:%2:%3")
        .arg(total / 3600)
        .arg(total / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(total % 60, 2, 10, QLatin1Char('0'));
}

QString PlayerWidget::volumeKey()
{
    return QStringLiteral("PreviewVolume");
}

QString PlayerWidget::mutedKey()
{
    return QStringLiteral("PreviewMuted");
}

void PlayerWidget::setSnapshotFolder(const QString &folder)
{
    m_snapshotFolder = folder;
}

void PlayerWidget::setFile(const QString &path)
{
    startFile(path);
    if (path.isEmpty())
        m_view->setMessage(tr("Cannot preview this file")); // a name is needed
    else
        m_openingNote.start();
}

void PlayerWidget::reset()
{
    startFile(QString());
}

// Forgets the current file and asks the worker for `path` (none when empty).
// Everything the worker still reports about earlier files is ignored.
void PlayerWidget::startFile(const QString &path)
{
    ++m_generation;
    m_path = path;
    m_opened = false;
    m_info = PreviewInfo();
    m_position = 0;
    m_frame = DecodedFrame();
    m_openingNote.stop();
    m_view->clear();
    showPlaying(false);
    updateControls();
    m_worker.open(m_generation, path);
}

void PlayerWidget::fileOpened(int generation, const PreviewInfo &info)
{
    QMetaObject::invokeMethod(
        this, [this, generation, info] { onOpened(generation, info); }, Qt::QueuedConnection);
}

void PlayerWidget::fileFailed(int generation)
{
    QMetaObject::invokeMethod(
        this, [this, generation] { onFailed(generation); }, Qt::QueuedConnection);
}

void PlayerWidget::frameReady(int generation, const DecodedFrame &frame, bool playing)
{
    if (playing && m_framesInFlight.load() >= kMaxFramesInFlight)
        return;
    ++m_framesInFlight;
    QMetaObject::invokeMethod(
        this,
        [this, generation, frame] {
            --m_framesInFlight;
            onFrame(generation, frame);
        },
        Qt::QueuedConnection);
}

void PlayerWidget::playStateChanged(int generation, bool playing)
{
    QMetaObject::invokeMethod(
        this, [this, generation, playing] { onPlayState(generation, playing); },
        Qt::QueuedConnection);
}

void PlayerWidget::onOpened(int generation, const PreviewInfo &info)
{
    if (generation != m_generation)
        return;
    m_openingNote.stop();
    m_opened = true;
    m_info = info;
    updateControls();
}

void PlayerWidget::onFailed(int generation)
{
    if (generation != m_generation)
        return;
    m_openingNote.stop();
    m_view->setMessage(tr("Cannot preview this file"));
    updateControls();
}

void PlayerWidget::onFrame(int generation, const DecodedFrame &frame)
{
    if (generation != m_generation)
        return;
    m_frame = frame;
    m_position = frame.position;
    if (m_info.duration >= 0 && m_position > m_info.duration) {
        // Timestamps ran past the length the file announced.
        m_info.duration = m_position;
        updateControls();
    }
    m_view->setFrame(frame.image, frame.displayAspect());
    m_snapshot->setEnabled(true);
    showPosition();
}

void PlayerWidget::onPlayState(int generation, bool playing)
{
    if (generation == m_generation)
        showPlaying(playing);
}

void PlayerWidget::togglePlay()
{
    if (!m_opened)
        return;
    showPlaying(!m_playing);
    m_worker.setPlaying(m_playing);
}

void PlayerWidget::seekTo(int milliseconds)
{
    if (m_movingSlider || !m_opened)
        return;
    const double target = milliseconds / 1000.0;
    m_position = target;
    showPosition();
    m_worker.seek(target);
}

// The snapshot is made from the decoded picture at its display shape (a
// 16:9 frame of 720x576 becomes 1024x576), not from the scaled one on show.
void PlayerWidget::takeSnapshot()
{
    if (!m_frame.picture)
        return;
    const QImage image = m_scaler.toImage(
        m_frame.picture.get(), displaySize(m_frame.width, m_frame.height, m_frame.pixelAspect));
    QString folder = m_snapshotFolder;
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    QString error;
    const QString saved = saveSnapshot(image, folder, m_path, m_frame.position, &error);
    if (saved.isEmpty())
        m_view->showNote(tr("Snapshot not saved: %1").arg(error));
    else
        m_view->showNote(tr("Saved %1").arg(QFileInfo(saved).fileName()));
}

// The worker scales the pictures to come to the new size; the picture on
// show, when the player is paused, is redrawn from the decoded one here.
void PlayerWidget::areaResized(const QSize &size)
{
    m_worker.setArea(size);
    if (!m_frame.picture || m_playing)
        return;
    const QRect fit = fitRect(size, m_frame.displayAspect());
    if (!fit.isValid() || fit.size() == m_frame.image.size())
        return;
    const QImage image = m_scaler.toImage(m_frame.picture.get(), fit.size());
    if (!image.isNull()) {
        m_frame.image = image;
        m_view->setFrame(image, m_frame.displayAspect());
    }
}

// The slider runs in steps of loudness as heard; the output takes a linear
// factor.
void PlayerWidget::volumeChanged()
{
    const bool muted = m_mute->isChecked();
    const int volume = m_volume->value();
    m_mute->setIcon(style()->standardIcon(muted || volume == 0 ? QStyle::SP_MediaVolumeMuted
                                                               : QStyle::SP_MediaVolume));
    m_mute->setToolTip(muted ? tr("Sound on") : tr("Mute"));
    m_mute->setAccessibleName(m_mute->toolTip());
    const double linear = QAudio::convertVolume(volume / 100.0, QAudio::LogarithmicVolumeScale,
                                                QAudio::LinearVolumeScale);
    m_worker.setVolume(muted ? 0.0 : linear);

    QSettings profile;
    if (profile.value(volumeKey()).toInt() != volume || !profile.contains(volumeKey()))
        profile.setValue(volumeKey(), volume);
    if (profile.value(mutedKey()).toBool() != muted || !profile.contains(mutedKey()))
        profile.setValue(mutedKey(), muted);
}

void PlayerWidget::showPlaying(bool playing)
{
    m_playing = playing;
    m_play->setIcon(style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    m_play->setToolTip(playing ? tr("Pause") : tr("Play"));
    m_play->setAccessibleName(m_play->toolTip());
}

void PlayerWidget::showPosition()
{
    if (!m_slider->isSliderDown()) {
        m_movingSlider = true;
        m_slider->setValue(int(std::lround(m_position * 1000)));
        m_movingSlider = false;
    }
    const QString now = timeText(m_position);
    m_time->setText(m_info.duration >= 0 ? now + QStringLiteral(" / ") + timeText(m_info.duration)
                                         : now);
}

void PlayerWidget::updateControls()
{
    const bool seekable = m_opened && m_info.duration > 0;
    m_play->setEnabled(m_opened);
    m_snapshot->setEnabled(m_frame.picture != nullptr);
    m_slider->setEnabled(seekable);
    m_movingSlider = true;
    const int length = seekable ? int(std::lround(m_info.duration * 1000)) : 0;
    m_slider->setRange(0, length);
    m_slider->setPageStep(std::clamp(length / 10, 1000, 60000));
    m_movingSlider = false;
    showPosition();
}

} // namespace prevkit
