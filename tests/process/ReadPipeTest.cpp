#include "platform/Pipe.h"
#include "process/ProcessTestSupport.h"
#include "process/ReadPipe.h"

#include <QMutex>
#include <gtest/gtest.h>
#include <stdexcept>
#include <unistd.h>

using namespace ProcessTest;

namespace {

// A reader on a real pipe whose decoding notes the size of every read.
class ReadPipe : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(FPipe.Create(), 0);
        Platform::SetNonBlocking(FPipe.ReadEnd());
    }

    void StartReader()
    {
        FReader = std::make_unique<TReadPipe>(FPipe.ReadEnd(), [this](QObject *, const QByteArray &ABuf) {
            QMutexLocker lock(&FLock);
            FReadSizes << ABuf.size();
            return QString::fromLatin1(ABuf);
        });
    }

    void Write(const QByteArray &ABytes)
    {
        ASSERT_EQ(write(FPipe.WriteEnd(), ABytes.constData(), size_t(ABytes.size())), ABytes.size());
    }

    QList<qsizetype> ReadSizes()
    {
        QMutexLocker lock(&FLock);
        return FReadSizes;
    }

    Platform::TPipe FPipe;
    std::unique_ptr<TReadPipe> FReader;
    QMutex FLock;
    QList<qsizetype> FReadSizes;
};

TEST_F(ReadPipe, ReadsAtMost1024BytesAtATimeAndSignalsEachRead)
{
    StartReader();
    QByteArray bytes;
    for (int i = 0; i < 5000; ++i)
        bytes += char('a' + i % 26);
    Write(bytes);
    EXPECT_TRUE(WaitUntil([&] { return FReader->ReadString().Length() == 5000; }));
    EXPECT_TRUE(FReader->Event().Consume());
    for (qsizetype size : ReadSizes())
        EXPECT_LE(size, 1024);
    EXPECT_EQ(FReader->ReadString().Value(), QString::fromLatin1(bytes));
    FReader->Terminate();
    FReader->WaitFor();
}

TEST_F(ReadPipe, DeliversWhatThePipeHoldsWhenTerminated)
{
    // Written before the reader starts and terminated at once: the bytes may
    // be read by the loop or by the final drain, but none is lost.
    Write(QByteArray(3000, 'x'));
    StartReader();
    FReader->Terminate();
    FReader->WaitFor();
    EXPECT_EQ(FReader->ReadString().Length(), 3000);
    // A writer that still holds the pipe open did not keep the reader waiting,
    // and what comes after the end is not read.
    Write("late");
    EXPECT_EQ(FReader->ReadString().Length(), 3000);
}

TEST_F(ReadPipe, EndsOnTerminateAfterTheWritersClosed)
{
    StartReader();
    Write("last words");
    FPipe.CloseWrite();
    EXPECT_TRUE(WaitUntil([&] { return FReader->ReadString().Length() == 10; }));
    FReader->Terminate();
    FReader->WaitFor();
    EXPECT_EQ(FReader->ReadString().Value(), QStringLiteral("last words"));
}

TEST_F(ReadPipe, AFailingDecodingEndsTheReader)
{
    FReader = std::make_unique<TReadPipe>(
        FPipe.ReadEnd(), [](QObject *, const QByteArray &) -> QString { throw std::runtime_error("cannot decode"); });
    Write("abc");
    FReader->WaitFor(); // returns without Terminate: the thread has ended
    Write("def");
    EXPECT_EQ(FReader->ReadString().Length(), 0);
}

TEST_F(ReadPipe, PiecesDecodedBeforeAFailingOneStillArrive)
{
    // One write below PIPE_BUF is one read: its first piece decodes, its
    // second fails and ends the reader.
    int pieces = 0;
    FReader = std::make_unique<TReadPipe>(FPipe.ReadEnd(), [&](QObject *, const QByteArray &ABuf) -> QString {
        if (++pieces == 2)
            throw std::runtime_error("cannot decode");
        return QString::fromLatin1(ABuf);
    });
    Write(QByteArray(3000, 'y'));
    FReader->WaitFor();
    EXPECT_EQ(FReader->ReadString().Value(), QString(TReadPipe::ReadSize, QLatin1Char('y')));
}

} // namespace
