// PlayerWidget: the preview player as the user sees it. The picture area on
// top, below it play/pause, the position slider with the time, the sound's
// mute button and volume, and the snapshot button. All decoding happens in
// its DecodeWorker; this class only sends requests and shows what comes back.
#pragma once

#include "DecodeWorker.h"
#include "PictureScaler.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <memory>

class QLabel;
class QSlider;
class QToolButton;

namespace prevkit
{

class FrameView;

class PlayerWidget : public QWidget, private DecodeWorker::Listener
{
    Q_OBJECT

public:
    explicit PlayerWidget(QWidget *parent);
    ~PlayerWidget() override;

    void setSnapshotFolder(const QString &folder);
    void setFile(const QString &path);
    void reset();

    // "h:mm:ss"
    static QString timeText(double seconds);

    // Where the volume (0 to 100) and mute are kept in the application's
    // settings profile, at its top level.
    static QString volumeKey();
    static QString mutedKey();

private:
    // DecodeWorker::Listener, called on the worker thread: each hands over to
    // the GUI thread.
    void fileOpened(int generation, const PreviewInfo &info) override;
    void fileFailed(int generation) override;
    void frameReady(int generation, const DecodedFrame &frame, bool playing) override;
    void playStateChanged(int generation, bool playing) override;

    void onOpened(int generation, const PreviewInfo &info);
    void onFailed(int generation);
    void onFrame(int generation, const DecodedFrame &frame);
    void onPlayState(int generation, bool playing);

    void togglePlay();
    void seekTo(int milliseconds);
    void takeSnapshot();
    void startFile(const QString &path);
    void showPlaying(bool playing);
    void showPosition();
    void updateControls();
    void areaResized(const QSize &size);
    void volumeChanged();

    FrameView *m_view;
    QToolButton *m_play;
    QSlider *m_slider;
    QLabel *m_time;
    QToolButton *m_mute;
    QSlider *m_volume;
    QToolButton *m_snapshot;
    QTimer m_openingNote; // "Opening..." only when opening takes a while

    QString m_path;
    QString m_snapshotFolder;
    int m_generation = 0;
    bool m_opened = false;
    bool m_playing = false;
    PreviewInfo m_info;
    double m_position = 0;       // shown by the slider and the time
    DecodedFrame m_frame;        // the picture on show
    PictureScaler m_scaler;      // for snapshots and redrawing after a resize
    bool m_movingSlider = false; // the slider is being set from a frame, not by the user
    std::atomic<int> m_framesInFlight{0};

    DecodeWorker m_worker;
};

} // namespace prevkit
