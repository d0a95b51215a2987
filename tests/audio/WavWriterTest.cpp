#include "audio/WavRepair.h"
#include "audio/WavWriter.h"
#include "support/SoundAnalysis.h"
#include "support/TestFolder.h"

#include <QFile>
#include <QtEndian>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

// A mono ramp of ACount samples, each distinct enough to show a lost or moved one.
QByteArray Ramp(int ACount)
{
    QByteArray bytes(ACount * 2, '\0');
    for (int i = 0; i < ACount; ++i)
        qToLittleEndian<qint16>(qint16((i * 37) % 20000 - 10000), bytes.data() + 2 * i);
    return bytes;
}

quint32 SizeAt(const QString &APath, int AAt)
{
    QFile file(APath);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.read(48);
    return bytes.size() >= AAt + 4 ? qFromLittleEndian<quint32>(bytes.constData() + AAt) : 0;
}

QByteArray Samples(const QString &APath)
{
    const std::vector<int16_t> decoded = SoundAnalysis::DecodeMono(APath);
    QByteArray bytes(qsizetype(decoded.size() * 2), '\0');
    for (size_t i = 0; i < decoded.size(); ++i)
        qToLittleEndian<qint16>(decoded[i], bytes.data() + 2 * i);
    return bytes;
}

// The file's own sizes agree with its length: what a strict reader wants.
void ExpectExactSizes(const QString &APath)
{
    const qint64 length = QFileInfo(APath).size();
    EXPECT_EQ(SizeAt(APath, 4), quint32(length - 8));
    EXPECT_EQ(SizeAt(APath, 40), quint32(length - TWavWriter::HeaderBytes));
}

const TPcmFormat Mono{44100, 1};

} // namespace

// While writing, the file is readable at every moment; at Finish its sizes are exact.
TEST(WavWriter, IsReadableWhileWrittenAndExactWhenFinished)
{
    TTestFolder folder;
    const QString path = folder.FilePath(QStringLiteral("r.wav"));
    TWavWriter writer;
    ASSERT_TRUE(writer.Open(path, Mono));
    const QByteArray samples = Ramp(44100);
    ASSERT_TRUE(writer.Append(samples.constData(), 10000));
    // The "unknown length" header: a reader takes everything written so far.
    EXPECT_EQ(SizeAt(path, 40), TWavWriter::UnknownSize);
    EXPECT_EQ(Samples(path), samples.left(10000));
    ASSERT_TRUE(writer.Append(samples.constData() + 10000, samples.size() - 10000));
    // Past half a second the real sizes are in the header already.
    EXPECT_GE(SizeAt(path, 40), quint32(Mono.BytesForMs(500)));
    EXPECT_TRUE(writer.Finish());
    ExpectExactSizes(path);
    EXPECT_EQ(Samples(path), samples);
    EXPECT_EQ(writer.DurationMs(), 1000);
}

TEST(WavWriter, NeverReplacesAFileUnlessAsked)
{
    TTestFolder folder;
    const QString path = folder.Write(QStringLiteral("taken.wav"), "keep me");
    TWavWriter writer;
    EXPECT_FALSE(writer.Open(path, Mono));
    EXPECT_FALSE(writer.ErrorText().isEmpty());
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    EXPECT_EQ(file.readAll(), "keep me");
    EXPECT_TRUE(writer.Open(path, Mono, true));
}

// The file ends early: it holds exactly the whole frames that could be written.
struct TEarlyEnd
{
    const char *Name;
    bool FileSizeLimit;  // the disk is "full" (the process may not grow a file further)
    qint64 MaxDataBytes; // the WAV size limit, lowered
};

class WavWriterEarlyEnd : public ::testing::TestWithParam<TEarlyEnd>
{};

TEST_P(WavWriterEarlyEnd, KeepsAValidWavOfWhatFits)
{
    TTestFolder folder;
    const QString path = folder.FilePath(QStringLiteral("r.wav"));
    // Stereo, with an odd byte count left when the disk fills: the half frame goes.
    const TPcmFormat stereo{44100, 2};
    constexpr rlim_t Limit = 44 + 30001;
    TWavWriter writer(GetParam().MaxDataBytes);
    ASSERT_TRUE(writer.Open(path, stereo));
    const QByteArray samples = Ramp(40000);
    struct rlimit old = {};
    std::signal(SIGXFSZ, SIG_IGN);
    if (GetParam().FileSizeLimit) {
        getrlimit(RLIMIT_FSIZE, &old);
        struct rlimit limited = old;
        limited.rlim_cur = Limit;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    bool ok = true;
    for (int at = 0; ok && at < samples.size(); at += 4002)
        ok = writer.Append(samples.constData() + at, std::min<qsizetype>(4002, samples.size() - at));
    if (GetParam().FileSizeLimit)
        setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(ok);
    EXPECT_FALSE(writer.ErrorText().isEmpty());
    EXPECT_FALSE(writer.Finish());
    const qint64 kept = GetParam().FileSizeLimit ? 30000 : GetParam().MaxDataBytes / 4 * 4;
    EXPECT_EQ(writer.DataBytes(), kept);
    EXPECT_EQ(QFileInfo(path).size(), 44 + kept);
    ExpectExactSizes(path);
    EXPECT_EQ(SoundAnalysis::DecodeMono(path).size(), size_t(kept / 4));
}

INSTANTIATE_TEST_SUITE_P(Cases, WavWriterEarlyEnd,
                         ::testing::Values(TEarlyEnd{"DiskFull", true, TWavWriter::MaxDataBytes},
                                           TEarlyEnd{"WavSizeLimit", false, 20002}),
                         [](const auto &AInfo) { return std::string(AInfo.param.Name); });

// A header left behind by a killed writer, and files the repair must not touch.
struct TRepairCase
{
    const char *Name;
    quint32 RiffSize;
    quint32 DataSize;
    QByteArray After; // bytes after the 4000 sample bytes
    TWavRepair::TResult Expected;
    quint32 DataSizeAfter;
};

class WavRepairCases : public ::testing::TestWithParam<TRepairCase>
{};

TEST_P(WavRepairCases, MendsOnlyUnfinishedHeaders)
{
    TTestFolder folder;
    QByteArray bytes = TWavWriter::Header(Mono, GetParam().DataSize) + Ramp(2000) + GetParam().After;
    qToLittleEndian<quint32>(GetParam().RiffSize, bytes.data() + 4);
    const QString path = folder.Write(QStringLiteral("r.wav"), bytes);
    EXPECT_EQ(TWavRepair::Repair(path), GetParam().Expected);
    EXPECT_EQ(SizeAt(path, 40), GetParam().DataSizeAfter);
    EXPECT_EQ(SizeAt(path, 4), GetParam().Expected == TWavRepair::TResult::Repaired ? 4000 + 36 : GetParam().RiffSize);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WavRepairCases,
    ::testing::Values(TRepairCase{"UnknownLength", 0xFFFFFFFFu, 0xFFFFFFFFu, {}, TWavRepair::TResult::Repaired, 4000},
                      TRepairCase{"ZeroLength", 36, 0, {}, TWavRepair::TResult::Repaired, 4000},
                      TRepairCase{"StaleLength", 36 + 1000, 1000, {}, TWavRepair::TResult::Repaired, 4000},
                      TRepairCase{"HalfFrameAtTheEnd", 0, 0, "x", TWavRepair::TResult::Repaired, 4000},
                      TRepairCase{"Complete", 36 + 4000, 4000, {}, TWavRepair::TResult::AlreadyValid, 4000},
                      TRepairCase{"ChunkAfterTheSamples", 36 + 4000 + 12, 4000, QByteArray("LIST\4\0\0\0INFO", 12),
                                  TWavRepair::TResult::AlreadyValid, 4000}),
    [](const auto &AInfo) { return std::string(AInfo.param.Name); });

TEST(WavRepair, LeavesOtherFilesAlone)
{
    TTestFolder folder;
    const QString path = folder.Write(QStringLiteral("notes.wav"), QByteArray("RIFF\0\0\0\0AVI LIST", 16));
    EXPECT_EQ(TWavRepair::Repair(path), TWavRepair::TResult::NotWav);
}
