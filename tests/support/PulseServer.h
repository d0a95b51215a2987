#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class QProcess;
class QTemporaryDir;
namespace Platform {
class TChildProcess;
}

// A private PulseAudio server for one test: what the program plays goes to a null
// sink whose monitor can be recorded ("the speakers"), and a pipe source fed in real
// time is the default input ("the microphone"). While it runs, PULSE_SERVER points
// this process (and the children it starts) at it; the old value comes back after.
// Every sample is 16-bit, mono, at Rate per second.
class TPulseServer
{
public:
    static constexpr int Rate = 44100;

    TPulseServer();
    ~TPulseServer();
    TPulseServer(const TPulseServer &) = delete;
    TPulseServer &operator=(const TPulseServer &) = delete;

    // Whether pulseaudio is installed at all; tests skip without it.
    static bool Installed();

    bool IsRunning() const;
    // Why it is not running: the server's own log.
    QString Error() const { return FError; }
    QString Address() const;
    static QString SinkName() { return QStringLiteral("tonara_test_sink"); }
    static QString MicrophoneName() { return QStringLiteral("tonara_test_mic"); }

    // Runs pactl against this server; its exit code, and its output into AOutput.
    int Pactl(const QStringList &AArguments, QByteArray *AOutput = nullptr) const;

    // Stops the server at once, as if it crashed; the object may then only be destroyed.
    void Kill();

    // The microphone delivers silence in real time until fed: then these samples
    // (or the sound of a file, decoded by ffmpeg), once, then silence again. The
    // server reads it only while someone records it: feed once the recorder streams.
    bool FeedMicrophone(const QString &ASoundFile);
    void FeedMicrophone(std::vector<int16_t> ASamples);
    // True while fed samples are still waiting to be delivered.
    bool MicrophoneBusy() const;
    // The monotonic time (as NowMs) at which the first sample of the last feed was
    // due at the microphone; the feed goes in slices of SliceSamples, each written
    // whole when its time comes, so slice k is due k * SliceMs later.
    std::optional<int64_t> FeedStartMs() const;
    static constexpr int SliceMs = 10;
    static constexpr int SliceSamples = Rate * SliceMs / 1000;

    // Records the sink's monitor (or the source ASource) from now on, replacing
    // an earlier recording; returns once the first samples arrived (false if none
    // came within 15 s).
    bool StartRecording(const QString &ASource = QString());
    // What was recorded so far; recording goes on.
    std::vector<int16_t> Recorded() const;
    // Ends the recording and returns it.
    std::vector<int16_t> StopRecording();
    // The monotonic time (std::chrono::steady_clock, in ms) at which the
    // first recorded sample was recorded (the earliest the reads allow); sample
    // i was recorded about i / Rate s later.
    std::optional<int64_t> RecordingStartMs() const;

    // steady_clock now, in ms, to compare with RecordingStartMs.
    static int64_t NowMs();

private:
    bool StartServer();
    bool WaitForSocket();
    void FeedLoop();
    void RecordLoop(int AFd);
    void StopFeeder();
    void StopRecorder();

    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<QProcess> FServer;
    QString FError;
    QByteArray FOldPulseServer;
    bool FHadPulseServer = false;

    // The microphone feeder.
    std::thread FFeeder;
    std::atomic<bool> FFeederStop{false};
    mutable std::mutex FFeedMutex;
    std::deque<int16_t> FFeed;
    std::optional<int64_t> FFeedStartMs;

    // The sink recorder (parec as a child, read on a thread).
    std::thread FRecorder;
    std::unique_ptr<Platform::TChildProcess> FRecorderChild;
    mutable std::mutex FRecordMutex;
    std::vector<int16_t> FRecorded;
    std::optional<int64_t> FRecordingStartMs;
    bool FOddByte = false;
    char FPendingByte = 0;
};
