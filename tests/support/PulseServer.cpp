#include "support/PulseServer.h"

#include "platform/ChildProcess.h"
#include "platform/Pipe.h"
#include "support/SoundAnalysis.h"
#include "support/WaitFor.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace {

// The microphone is written in slices, paced by the clock.
constexpr int SliceMs = TPulseServer::SliceMs;
constexpr int SliceSamples = TPulseServer::SliceSamples;

QStringList ServerArguments(const QString &AFolder)
{
    const QString socket = AFolder + QStringLiteral("/native");
    const QString fifo = AFolder + QStringLiteral("/microphone.fifo");
    return {QStringLiteral("-n"),
            QStringLiteral("--daemonize=no"),
            QStringLiteral("--use-pid-file=no"),
            QStringLiteral("--exit-idle-time=-1"),
            QStringLiteral("--disallow-exit"),
            QStringLiteral("--log-target=stderr"),
            QStringLiteral("-L"),
            QStringLiteral("module-null-sink sink_name=%1").arg(TPulseServer::SinkName()),
            QStringLiteral("-L"),
            QStringLiteral("module-pipe-source source_name=%1 file=%2 format=s16le rate=%3 channels=1")
                .arg(TPulseServer::MicrophoneName(), fifo)
                .arg(TPulseServer::Rate),
            QStringLiteral("-L"),
            QStringLiteral("module-native-protocol-unix socket=%1 auth-anonymous=1").arg(socket)};
}

} // namespace

TPulseServer::TPulseServer()
    : FDir(std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/tonara-pulse-XXXXXX")))
{
    FHadPulseServer = qEnvironmentVariableIsSet("PULSE_SERVER");
    FOldPulseServer = qgetenv("PULSE_SERVER");
    if (!StartServer())
        return;
    qputenv("PULSE_SERVER", Address().toLocal8Bit());
    Pactl({QStringLiteral("set-default-sink"), SinkName()});
    Pactl({QStringLiteral("set-default-source"), MicrophoneName()});
    FFeeder = std::thread([this] { FeedLoop(); });
}

TPulseServer::~TPulseServer()
{
    StopRecorder();
    StopFeeder();
    if (FServer && FServer->state() != QProcess::NotRunning) {
        FServer->terminate();
        if (!FServer->waitForFinished(5000)) {
            FServer->kill();
            FServer->waitForFinished(5000);
        }
    }
    if (FHadPulseServer)
        qputenv("PULSE_SERVER", FOldPulseServer);
    else
        qunsetenv("PULSE_SERVER");
}

bool TPulseServer::Installed()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty()
           && !QStandardPaths::findExecutable(QStringLiteral("parec")).isEmpty();
}

bool TPulseServer::StartServer()
{
    if (!FDir->isValid()) {
        FError = QStringLiteral("no temporary folder");
        return false;
    }
    FServer = std::make_unique<QProcess>();
    // Its own HOME and runtime folder keep its cookie and state out of anyone's real ones.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), FDir->path());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), FDir->path());
    environment.remove(QStringLiteral("PULSE_SERVER"));
    FServer->setProcessEnvironment(environment);
    FServer->setProcessChannelMode(QProcess::MergedChannels);
    FServer->setStandardOutputFile(FDir->filePath(QStringLiteral("server.log")));
    FServer->start(QStringLiteral("pulseaudio"), ServerArguments(FDir->path()));
    if (!FServer->waitForStarted(10000)) {
        FError = QStringLiteral("pulseaudio did not start: ") + FServer->errorString();
        return false;
    }
    return WaitForSocket();
}

bool TPulseServer::WaitForSocket()
{
    for (int i = 0; i < 200; ++i) {
        if (FServer->state() == QProcess::NotRunning)
            break;
        if (QFile::exists(FDir->filePath(QStringLiteral("native")))
            && Pactl({QStringLiteral("info")}) == 0)
            return true;
        QThread::msleep(50);
    }
    QFile log(FDir->filePath(QStringLiteral("server.log")));
    log.open(QIODevice::ReadOnly);
    FError = QStringLiteral("PulseAudio did not start: ") + QString::fromLocal8Bit(log.readAll());
    return false;
}

bool TPulseServer::IsRunning() const
{
    return FServer && FServer->state() == QProcess::Running;
}

QString TPulseServer::Address() const
{
    return QStringLiteral("unix:") + FDir->filePath(QStringLiteral("native"));
}

int TPulseServer::Pactl(const QStringList &AArguments, QByteArray *AOutput) const
{
    QProcess pactl;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PULSE_SERVER"), Address());
    pactl.setProcessEnvironment(environment);
    pactl.setProcessChannelMode(QProcess::MergedChannels);
    pactl.start(QStringLiteral("pactl"), AArguments);
    if (!pactl.waitForFinished(10000) || pactl.exitStatus() != QProcess::NormalExit)
        return -1;
    if (AOutput)
        *AOutput = pactl.readAll();
    return pactl.exitCode();
}

void TPulseServer::Kill()
{
    StopRecorder();
    StopFeeder();
    if (FServer) {
        FServer->kill();
        FServer->waitForFinished(5000);
    }
}

bool TPulseServer::FeedMicrophone(const QString &ASoundFile)
{
    std::vector<int16_t> samples = SoundAnalysis::DecodeMono(ASoundFile);
    if (samples.empty())
        return false;
    FeedMicrophone(std::move(samples));
    return true;
}

void TPulseServer::FeedMicrophone(std::vector<int16_t> ASamples)
{
    std::lock_guard lock(FFeedMutex);
    FFeed.assign(ASamples.begin(), ASamples.end());
    FFeedStartMs.reset();
}

std::optional<int64_t> TPulseServer::FeedStartMs() const
{
    std::lock_guard lock(FFeedMutex);
    return FFeedStartMs;
}

bool TPulseServer::MicrophoneBusy() const
{
    std::lock_guard lock(FFeedMutex);
    return !FFeed.empty();
}

// Writes one slice every SliceMs by the clock, so the source delivers in real time
// like a sound card. Writes never block: a source nobody listens to drops samples,
// as a real one does. A test may unload the microphone: its pipe then has no reader,
// so SIGPIPE is blocked here (the write fails with EPIPE instead of ending the test
// program) and writing stops.
void TPulseServer::FeedLoop()
{
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
    const QByteArray fifo = QFile::encodeName(FDir->filePath(QStringLiteral("microphone.fifo")));
    int fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    std::vector<int16_t> slice(SliceSamples);
    auto next = std::chrono::steady_clock::now();
    while (!FFeederStop) {
        {
            std::lock_guard lock(FFeedMutex);
            // The slice's due time: a feeder woken late catches up at once, so
            // every later slice goes out on time, SliceMs after the one before.
            if (!FFeed.empty() && !FFeedStartMs)
                FFeedStartMs = std::chrono::duration_cast<std::chrono::milliseconds>(next.time_since_epoch()).count();
            for (int16_t &sample : slice) {
                sample = FFeed.empty() ? 0 : FFeed.front();
                if (!FFeed.empty())
                    FFeed.pop_front();
            }
        }
        if (fd >= 0 && ::write(fd, slice.data(), slice.size() * sizeof(int16_t)) < 0 && errno == EPIPE) {
            // Take the pending signal back, so it is never delivered.
            const timespec now{};
            sigtimedwait(&pipeSignal, nullptr, &now);
            ::close(fd);
            fd = -1;
        }
        next += std::chrono::milliseconds(SliceMs);
        std::this_thread::sleep_until(next);
    }
    if (fd >= 0)
        ::close(fd);
}

void TPulseServer::StopFeeder()
{
    FFeederStop = true;
    if (FFeeder.joinable())
        FFeeder.join();
}

bool TPulseServer::StartRecording(const QString &ASource)
{
    StopRecorder();
    {
        std::lock_guard lock(FRecordMutex);
        FRecorded.clear();
        FRecordingStartMs.reset();
        FOddByte = false;
    }
    Platform::TPipe pipe;
    if (pipe.Create() != 0)
        return false;
    Platform::TChildOptions options;
    options.StdOut = pipe.WriteEnd();
    options.ExtraEnvironment = {QStringLiteral("PULSE_SERVER=") + Address()};
    FRecorderChild = std::make_unique<Platform::TChildProcess>();
    const int error = FRecorderChild->Start(
        QStringList{QStringLiteral("parec"), QStringLiteral("--device=") + (ASource.isEmpty() ? SinkName() + QStringLiteral(".monitor") : ASource),
                    QStringLiteral("--format=s16le"), QStringLiteral("--rate=%1").arg(Rate),
                    QStringLiteral("--channels=1"), QStringLiteral("--raw"), QStringLiteral("--latency-msec=10")},
        options);
    if (error != 0)
        return false;
    pipe.CloseWrite();
    const int readEnd = ::dup(pipe.ReadEnd());
    FRecorder = std::thread([this, readEnd] { RecordLoop(readEnd); });
    // parec connects in its own time; on a loaded machine a short sound played
    // at once would end before anyone listens. The monitor streams silence
    // as soon as it is connected, so the first bytes mean "recording".
    return WaitUntil([this] { return RecordingStartMs().has_value(); }, 15000);
}

void TPulseServer::RecordLoop(int AFd)
{
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(AFd, buffer, sizeof buffer);
        if (count <= 0)
            break;
        std::lock_guard lock(FRecordMutex);
        // No sample arrives before it was recorded, so every read bounds the start
        // from above; a loaded machine only delays reads, so the least bound is best.
        const int64_t bound = NowMs() - (int64_t(FRecorded.size()) + count / 2) * 1000 / Rate;
        if (!FRecordingStartMs || bound < *FRecordingStartMs)
            FRecordingStartMs = bound;
        for (ssize_t i = 0; i < count; ++i) {
            if (!FOddByte) {
                FPendingByte = buffer[i];
                FOddByte = true;
                continue;
            }
            const auto low = static_cast<uint8_t>(FPendingByte);
            const auto high = static_cast<uint8_t>(buffer[i]);
            FRecorded.push_back(static_cast<int16_t>(low | (high << 8)));
            FOddByte = false;
        }
    }
    ::close(AFd);
}

void TPulseServer::StopRecorder()
{
    if (FRecorderChild) {
        FRecorderChild->Kill();
        FRecorderChild->WaitForEnd(5000);
    }
    if (FRecorder.joinable())
        FRecorder.join();
    FRecorderChild.reset();
}

std::vector<int16_t> TPulseServer::Recorded() const
{
    std::lock_guard lock(FRecordMutex);
    return FRecorded;
}

std::vector<int16_t> TPulseServer::StopRecording()
{
    StopRecorder();
    return Recorded();
}

std::optional<int64_t> TPulseServer::RecordingStartMs() const
{
    std::lock_guard lock(FRecordMutex);
    return FRecordingStartMs;
}

int64_t TPulseServer::NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
