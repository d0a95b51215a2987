#include "AudioFiles.h"
#include "app/SoundFileHasSamples.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

QByteArray Le32(quint32 AValue)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(AValue, bytes.data());
    return bytes;
}

QByteArray Chunk(const char *AId, quint32 ASize, const QByteArray &ABody = {})
{
    return QByteArray(AId, 4) + Le32(ASize) + ABody;
}

// 16-bit mono PCM at 44100 Hz.
const QByteArray Fmt = Chunk("fmt ", 16,
                             QByteArray::fromHex("0100010044ac0000885801000200"
                                                 "1000"));
const QByteArray List = Chunk("LIST", 26, QByteArray("INFOISFT\x0e\0\0\0Lavf59.27.100\0", 26));

QByteArray Wave(const QByteArray &AChunks, const char *AForm = "RIFF")
{
    return QByteArray(AForm, 4) + Le32(quint32(4 + AChunks.size())) + "WAVE" + AChunks;
}

struct TSoundCase
{
    const char *Name;
    QByteArray Content;
    bool HasSamples;
};

void PrintTo(const TSoundCase &ACase, std::ostream *AStream)
{
    *AStream << ACase.Name;
}

const TSoundCase SoundCases[] = {
    {"ZeroBytes", {}, false},
    {"NotAWaveFile", "ID3\x04\0\0\0\0\0\0 some mp3 frames", true},
    {"ShortRiffIsNoWaveHeader", "RIFF", true},
    {"HeaderOnly", Wave({}), false},
    {"NoDataChunk", Wave(Fmt), false},
    {"CanonicalWithSamples", Wave(Fmt + Chunk("data", 4, "\1\0\2\0")), true},
    {"CanonicalWithoutSamples", Wave(Fmt + Chunk("data", 0)), false},
    {"ListChunkBeforeSamples", Wave(Fmt + List + Chunk("data", 2, "\1\0")), true},
    {"ListChunkAndNoSamples", Wave(Fmt + List + Chunk("data", 0)), false},
    {"OddChunkIsPadded", Wave(Fmt + Chunk("junk", 3, QByteArray("abc\0", 4)) + Chunk("data", 2, "\1\0")), true},
    {"StoppedRunWithSamples", Wave(Fmt + List + Chunk("data", 0xFFFFFFFFu, "\1\0\2\0")), true},
    {"StoppedRunBeforeSamples", Wave(Fmt + List + Chunk("data", 0xFFFFFFFFu)), false},
    {"DataSizePastTheEndWithBytes", Wave(Fmt + Chunk("data", 4000, "\1\0\2\0")), true},
    {"DataSizeButNoBytes", Wave(Fmt + Chunk("data", 4)), false},
    {"ChunkRunsPastTheEndBeforeData", Wave(Fmt + Chunk("LIST", 5000, "INFO")), false},
    {"Rf64WithSamples",
     Wave(Chunk("ds64", 28, QByteArray(28, '\0')) + Fmt + Chunk("data", 0xFFFFFFFFu, "\1\0"), "RF64"), true},
};

class SoundFileHasSamplesTable : public ::testing::TestWithParam<TSoundCase>
{};

} // namespace

TEST_P(SoundFileHasSamplesTable, ReadsTheWaveHeader)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("output ü.wav"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(GetParam().Content), GetParam().Content.size());
    file.close();
    EXPECT_EQ(SoundFileHasSamples(path), GetParam().HasSamples);
}

INSTANTIATE_TEST_SUITE_P(Files, SoundFileHasSamplesTable, ::testing::ValuesIn(SoundCases),
                         [](const auto &AInfo) { return std::string(AInfo.param.Name); });

TEST(SoundFileHasSamples, MissingFileOrFolderHasNone)
{
    QTemporaryDir dir;
    EXPECT_FALSE(SoundFileHasSamples(dir.filePath(QStringLiteral("missing.wav"))));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.wav")));
    EXPECT_FALSE(SoundFileHasSamples(dir.filePath(QStringLiteral("folder.wav"))));
    EXPECT_FALSE(SoundFileHasSamples(QString()));
}

TEST(SoundFileHasSamples, JudgesRealFfmpegOutput)
{
    QTemporaryDir dir;
    const QString sound = dir.filePath(QStringLiteral("sine.wav"));
    ASSERT_TRUE(WriteSineWav(sound, 1));
    EXPECT_TRUE(SoundFileHasSamples(sound));

    // Rate 1 with tempo 100 leaves ffmpeg nothing to write but the header, and it still succeeds.
    const QString silence = dir.filePath(QStringLiteral("silence.wav"));
    const TFfmpegRun run = RunFfmpeg({QStringLiteral("-y"), QStringLiteral("-f"), QStringLiteral("lavfi"),
                                      QStringLiteral("-i"), QStringLiteral("sine=d=1"), QStringLiteral("-af"),
                                      QStringLiteral("asetrate=44100*1,aresample=44100,atempo=100"), silence});
    ASSERT_EQ(run.ExitCode, 0) << run.Output.toStdString();
    ASSERT_GT(QFileInfo(silence).size(), 0) << "the case needs a header-only file";
    EXPECT_FALSE(SoundFileHasSamples(silence));
}
